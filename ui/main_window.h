#pragma once

// The main window: every option of a conversion, the button that starts it, and its log and line counter.

#include <array>
#include <functional>
#include <string>
#include <string_view>

#include <QString>
#include <QWidget>

#include "run_controller.h"
#include "settings_session.h"
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

// The window is a view of the run controller, which reads the run's options live from the controls and
// reports to the log and line counter, and of the settings session, which attaches from outside
// (AttachStorage), so construction and FormCreate stay the same with or without it.
class TfMain final : public QWidget, public frontend::RunView, public frontend::SettingsView {
    Q_OBJECT

  public:
    // Builds the window with its design values and Russian captions, then runs FormCreate.
    explicit TfMain(QWidget* parent = nullptr);
    TfMain(const TfMain&) = delete;
    TfMain& operator=(const TfMain&) = delete;
    ~TfMain() override;

    // Takes the decimal separator of the process locale and remembers the Russian captions. Call
    // setlocale(LC_ALL, "") before creating the window.
    void FormCreate() { controller_.FormCreate(); }
    // Applies the captions of the language in force: Russian while Rus is ticked.
    void FormActivate() { controller_.FormActivate(); }
    void MakeClick() { controller_.MakeClick(); }
    void ExitClick() { controller_.ExitClick(); }

    // True from the start of a run in MakeClick until it returns.
    bool running() const { return controller_.running(); }
    int priceDecimals() const { return controller_.priceDecimals(); }
    // The run's report of a line number, and of a moment to handle the window's events.
    void ShowLineCounter(std::int64_t lineNumber) { controller_.ShowLineCounter(lineNumber); }
    void YieldToWindow() { controller_.YieldToWindow(); }

    // The settings storage's hook at the window's end, while its controls are all still there.
    std::function<void()> onDestroy;

    std::string CaptionOf(std::string_view control) const override;
    void SetCaption(std::string_view control, std::string_view caption) override;
    void FocusDirectory() override;
    std::string TextOf(std::string_view control) const override;
    void SetText(std::string_view control, std::string_view text) override;
    bool Checked(std::string_view control) const override;
    void SetChecked(std::string_view control, bool checked) override;
    void AddLogLine(std::string_view line) override;
    void EnableProcess(bool enabled) override;
    void PumpEvents() override;
    void AskToClose() override { close(); }
    void CloseNow() override { close(); }
    frontend::WindowPlacement Placement() const override;
    void Place(const frontend::StoredPlacement& placement) override;
    void SetPriceDecimals(int decimals) override { controller_.SetPriceDecimals(decimals); }
    void SetMetaStockFolder(const std::string& folder) override { controller_.SetMetaStockFolder(folder); }
    void ShowFailure(const std::string& message) override;

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
    void closeEvent(QCloseEvent* event) override;

  private:
    void CreateControls();
    void ConnectHandlers();

    void Activated();
    QWidget* Control(std::string_view name) const;
    // Runs a handler as the last resort for its failures: a message box, and the window goes on.
    void Guarded(void (TfMain::*handler)());

    frontend::RunController controller_;
    bool processHadFocus_ = false;
};

}  // namespace tarnix
