#pragma once

// The main window: every option of a conversion, the button that starts it, and its log and line counter.

#include <functional>
#include <string>
#include <string_view>

#include <QString>
#include <QWidget>

#include "run_controller.h"
#include "settings_session.h"
#include "window_design.h"

namespace tarnix {

// The window is a view of the run controller, which reads the run's options live from the controls and
// reports to the log and line counter, and of the settings session, which attaches from outside
// (AttachStorage), so that the window is built the same with or without it.
class TfMain final : public QWidget, public frontend::RunView, public frontend::SettingsView {
    Q_OBJECT

  public:
    // Builds the window with its design values and Russian captions, then takes the decimal separator of the
    // process locale and remembers the Russian captions: call setlocale(LC_ALL, "") before.
    explicit TfMain(QWidget* parent = nullptr);
    TfMain(const TfMain&) = delete;
    TfMain& operator=(const TfMain&) = delete;
    ~TfMain() override;

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
    void SetHandSetValues(const frontend::HandSetValues& values) override {
        controller_.SetHandSetValues(values);
    }
    void ShowFailure(const std::string& message) override;

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void CreateControls();
    void ConnectHandlers();

    // The control of that design name.
    template <typename Widget = QWidget>
    Widget* Control(std::string_view name) const {
        return findChild<Widget*>(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    }
    // Runs a handler as the last resort for its failures: a message box, and the window goes on.
    void Guarded(const std::function<void()>& handler);

    frontend::RunController controller_;
    bool processHadFocus_ = false;
};

}  // namespace tarnix
