#pragma once

// The main window on Windows: the design's controls as native controls, the options and the report of a
// run, and the window's handlers under their design names.

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "directory_edit.h"
#include "error_box.h"
#include "run_controller.h"
#include "settings_session.h"
#include "window_design.h"

namespace tarnix::win32 {

// The window is a view of the run controller, which reads the run's options live from the controls and
// reports to the log and line counter, and of the settings session, which attaches through the hooks.
class TfMain final : public frontend::RunView, public frontend::SettingsView {
  public:
    // Creates the window, hidden, with its design values and Russian captions, then takes the user's decimal
    // separator and remembers the Russian captions.
    explicit TfMain(HINSTANCE instance);
    TfMain(const TfMain&) = delete;
    TfMain& operator=(const TfMain&) = delete;

    HWND handle() const { return window_; }
    // Hooks of the settings storage: at the first show, before the window is visible; at every close the
    // window is asked for; when the window is destroyed.
    std::function<void()> onShow;
    std::function<void()> onCloseQuery;
    std::function<void()> onDestroy;

    // Shows the window for the first time: the storage restores the settings first, and may ask for a start
    // state of its own instead of `showCommand`.
    void Show(int showCommand);

    std::string CaptionOf(std::string_view control) const override;
    void SetCaption(std::string_view control, std::string_view caption) override;
    void FocusDirectory() override;
    std::string TextOf(std::string_view control) const override;
    void SetText(std::string_view control, std::string_view text) override;
    bool Checked(std::string_view control) const override;
    void SetChecked(std::string_view control, bool checked) override;
    void AddLogLine(std::string_view line) override;
    void EnableProcess(bool enabled) override { EnableWindow(Control("Make"), enabled ? TRUE : FALSE); }
    void PumpEvents() override;
    void AskToClose() override { SendMessageW(window_, WM_CLOSE, 0, 0); }
    void CloseNow() override { DestroyWindow(window_); }
    frontend::WindowPlacement Placement() const override;
    void Place(const frontend::StoredPlacement& placement) override;
    void SetPriceDecimals(int decimals) override { controller_.SetPriceDecimals(decimals); }
    void SetMetaStockFolder(const std::string& folder) override { controller_.SetMetaStockFolder(folder); }
    void ShowFailure(const std::string& message) override { ShowErrorBox(nullptr, message); }

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void OnCommand(int id, int code);
    void OnClose();

    HWND Control(std::string_view name) const;

    HINSTANCE instance_;
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    int pixelsPerInch_ = frontend::kDesignPixelsPerInch;
    std::array<HWND, frontend::kControls.size()> controls_{};
    // The directory field's behaviour on top of the edit `Dir`.
    std::unique_ptr<TDirectoryEdit> Dir;
    frontend::RunController controller_;
    int startShowCommand_ = 0;
};

}  // namespace tarnix::win32
