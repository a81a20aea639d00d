#pragma once

// The main window: every option of a conversion, the button that starts it, and its log and line counter.

#include <array>
#include <chrono>
#include <string>
#include <string_view>

#include <QString>
#include <QWidget>

#include "run_feedback.h"
#include "tarnix/conversion.h"
#include "window_design.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tarnix {

class TDirectoryEdit;

// The window is the run's options (each member reads its control live) and the run's report. It knows
// nothing of the settings storage: that attaches from outside, through an event filter for Show and Close
// and the destroyed() signal, so construction and FormCreate stay the same with or without it.
class TfMain final : public QWidget, public ConversionOptions, public ConversionReport {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfMain)

  public:
    // Builds the window with its design values and Russian captions, then runs FormCreate.
    explicit TfMain(QWidget* parent = nullptr);

    // Takes the decimal separator of the process locale and remembers the Russian captions. Call
    // setlocale(LC_ALL, "") before creating the window.
    void FormCreate();
    // Applies the captions of the language in force: Russian while Rus is ticked.
    void FormActivate();
    // Normalises Cust and Dir, converts the directory, then closes the window when chClose is ticked. Does
    // nothing while a run is going on.
    void MakeClick();
    // Closes the window.
    void ExitClick();

    // True from the start of a run in MakeClick until it returns.
    bool running() const { return running_; }

    std::string directory() const override;
    bool intervalEnabled(int slot) const override;
    std::string customIntervalText() const override;
    bool addPerField() const override;
    bool addMs7Period() const override;
    bool addPeriodToSymbol() const override;
    bool withVolume() const override;
    bool russianLog() const override;
    char decimalChar() const override { return decimalChar_; }
    int priceDecimals() const override { return priceDecimals_; }
    // The decimals of the prices written, as the settings file's "Decimals" key says.
    void SetPriceDecimals(int decimals) { priceDecimals_ = decimals; }

    // Appends the line to the log and selects it.
    void AddLogLine(std::string_view line) override;
    // Keeps the number; the counter shows it when the window next handles its events.
    void ShowLineCounter(std::int64_t lineNumber) override;
    // Shows the pending counter text and handles every pending event, unless it did so a moment ago.
    void YieldToWindow() override;

    // The controls under their design names, in tab order.
    TDirectoryEdit* Dir = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QCheckBox* m5 = nullptr;
    QCheckBox* m10 = nullptr;
    QCheckBox* m15 = nullptr;
    QCheckBox* m60 = nullptr;
    QCheckBox* mCust = nullptr;
    QLineEdit* Cust = nullptr;
    QCheckBox* ms7 = nullptr;
    QCheckBox* PER = nullptr;
    QCheckBox* Period = nullptr;
    QCheckBox* Voluem = nullptr;
    QCheckBox* chClose = nullptr;
    QCheckBox* Rus = nullptr;
    QPushButton* Make = nullptr;
    QPushButton* Exit = nullptr;
    QListWidget* box = nullptr;
    QLabel* Label1 = nullptr;
    QFrame* Bevel3 = nullptr;
    QLabel* lbs = nullptr;

  protected:
    bool event(QEvent* event) override;

  private:
    static constexpr std::size_t kCaptionCount = frontend::kCaptionedControls.size();
    using Captions = std::array<QString, kCaptionCount>;

    void CreateControls();
    void ConnectHandlers();

    // The ten controls whose captions follow the language, in the order of the caption tables.
    std::array<QWidget*, kCaptionCount> CaptionedControls() const;
    void ApplyCaptions(const Captions& captions);
    void NormaliseCustomInterval();
    void NormaliseDirectory();
    void RunRefusingClicks();
    void ShowPendingCounter();
    // Runs a handler as the last resort for its failures: a message box, and the window goes on.
    void Guarded(void (TfMain::*handler)());

    std::array<QCheckBox*, kSlotCount> intervalBoxes_{};
    Captions RussianCaptions;
    char decimalChar_ = '.';
    int priceDecimals_ = kDefaultPriceDecimals;
    frontend::RunFeedback feedback_;
    bool activated_ = false;
    bool running_ = false;
};

}  // namespace tarnix
