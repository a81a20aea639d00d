#pragma once

// The last resort for a failure in a handler of a window on Windows.

#include <windows.h>

#include <functional>
#include <string_view>

namespace tarnix::win32 {

// An error message box captioned with the application title, "Tarnix".
void ShowErrorBox(HWND owner, std::string_view message);

// Runs `handler`; a failure that escapes it is shown in an error box over `owner`, and the window goes on.
// Nothing may escape into the system, which called the window.
void RunGuarded(HWND owner, const std::function<void()>& handler);

}  // namespace tarnix::win32
