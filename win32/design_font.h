#pragma once

// The font of the windows on Windows, the room a text takes in it, and the text a window holds.

#include <windows.h>

#include <string>
#include <string_view>

namespace tarnix::win32 {

// The design font at the screen's density where the system has it, else the font of the system's dialogs.
HFONT CreateDesignFont(int pixelsPerInch);

// The width of `text` in `font` as `window` draws it.
int TextWidth(HWND window, HFONT font, std::wstring_view text);

// The caption or text of a window or control.
std::wstring WindowText(HWND window);

}  // namespace tarnix::win32
