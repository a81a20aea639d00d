#pragma once

// The settings storage of the main window on Windows: its placement and thirteen control values in
// Tarnix.ini, section "Main", through the system's profile and window placement functions.

#include <windows.h>

#include <string>
#include <string_view>

#include "main_window.h"

namespace tarnix::win32 {

class FormStorage {
  public:
    // Reads `readPath` and writes `writePath`, both full paths of a Tarnix.ini.
    FormStorage(TfMain& form, std::wstring readPath, std::wstring writePath);

    // Restores placement and values before the window is first visible; a "FormVersion" below 0 skips both.
    void RestoreSettings();
    // Writes every key, unless the window was never restored. Stops at the first key that cannot be written
    // and says "Unable to write to Tarnix.ini." in an error box; the next save tries again.
    void SaveSettings();
    // The save at the window's end, when no save has completed since the restore.
    void SaveWhenDestroyed();

  private:
    std::string Read(std::string_view key, std::string_view fallback) const;
    int ReadInteger(std::string_view key, int fallback) const;
    // Once a write has failed, the later writes of the same save are not tried.
    void Write(std::string_view key, std::string_view value);
    void RestorePlacement();
    void RestoreState();
    void RestoreProperties();
    void SavePlacement();
    void SaveProperties();

    TfMain& form_;
    std::wstring readPath_;
    std::wstring writePath_;
    bool restored_ = false;
    bool saved_ = false;
    bool destroying_ = false;
    bool writeFailed_ = false;
};

// Gives the main window its storage `Storage`: %APPDATA%\Tarnix.ini, which a first start without it takes
// from %WINDIR%\Tarnix.ini, where the file used to be kept.
void AttachStorage(TfMain& fMain);

}  // namespace tarnix::win32
