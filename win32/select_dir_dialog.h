#pragma once

// The folder dialog of the directory field on Windows.

#include <windows.h>

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "directory_field.h"

namespace tarnix::win32 {

// Browses the drives and folders and returns the directory that is open. Each directory it opens becomes
// the program's current directory and stays so after OK and Cancel alike, so a relative directory typed
// later is taken against it, and a drive's own current directory is where the dialog opens that drive.
class TSelectDirDlg {
  public:
    // Shows a dialog opened at `start` modally over `owner`; the chosen directory after OK, nothing after
    // Cancel. Throws std::runtime_error when the system cannot show it.
    static std::optional<std::string> Execute(const std::string& start, HWND owner, int pixelsPerInch,
                                              HFONT font);

  private:
    struct Drive {
        std::string root;  // "c:", which names the drive's current directory
        frontend::DriveKind kind;
        std::wstring text;
    };

    TSelectDirDlg(std::string start, int pixelsPerInch, HFONT font);

    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitDialog();
    void CreateControls();
    void OnCommand(int id, int code);
    void OnMeasureItem(MEASUREITEMSTRUCT& item) const;
    void OnDrawItem(const DRAWITEMSTRUCT& item) const;

    void OpenStart();
    // Makes `directory` the current one and shows it; the system's error code when it cannot be entered.
    DWORD Open(const std::string& directory);
    // Opens a directory the user picked; when it cannot be entered, says why and keeps the open one.
    void OpenBrowsed(const std::string& directory, std::string_view named);
    void Show();
    void FillDriveList();
    void SelectDriveOfDirectory();
    void ShowNetworkDialog();
    void CentreOnScreen();

    HWND Control(std::string_view name) const;
    int Scaled(int pixels) const;

    std::string start_;
    int pixelsPerInch_;
    HFONT font_;
    HWND dialog_ = nullptr;
    std::array<HWND, frontend::kDialogControls.size()> controls_{};
    std::string directory_;
    std::vector<frontend::DirEntry> entries_;
    std::vector<Drive> drives_;
};

}  // namespace tarnix::win32
