#pragma once

// The settings storage of the main window on Windows: Tarnix.ini, section "Main", through the system's
// profile functions.

#include "main_window.h"

namespace tarnix::win32 {

// Gives the main window its storage `Storage`: %APPDATA%\Tarnix.ini, which a first start without it takes
// from %WINDIR%\Tarnix.ini, where the file used to be kept.
void AttachStorage(TfMain& fMain);

}  // namespace tarnix::win32
