#pragma once

// The font of the windows on Windows, and the room a text takes in it.

#include <windows.h>

#include <string_view>

namespace tarnix::win32 {

// The design font at the screen's density where the system has it, else the font of the system's dialogs.
HFONT CreateDesignFont(int pixelsPerInch);

// The width of `text` in `font` as `window` draws it.
int TextWidth(HWND window, HFONT font, std::wstring_view text);

}  // namespace tarnix::win32
