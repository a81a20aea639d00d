#pragma once

// The directory field of the main window on Windows.

#include <windows.h>

#include "directory_field.h"
#include "tarnix/system.h"

namespace tarnix::win32 {

// Gives an edit control the behaviour of the directory field: a folder button inside its right end which,
// like Alt+Down, lets the user choose the directory in the folder dialog; the whole text selected whenever
// the field gets the focus other than by a mouse click. Enter and Escape go on to the window, and nothing
// can be dropped on it, since it never asks for dropped files.
class TDirectoryEdit {
  public:
    // Takes over `edit` for as long as both live; the folder dialog gets the window's density and font.
    TDirectoryEdit(HWND edit, int pixelsPerInch, HFONT font);
    TDirectoryEdit(const TDirectoryEdit&) = delete;
    TDirectoryEdit& operator=(const TDirectoryEdit&) = delete;
    ~TDirectoryEdit();

    // Shows the folder dialog at the directory of the text; on OK the chosen directory replaces the text.
    // The field has the focus afterwards.
    void Browse();

  private:
    static LRESULT CALLBACK EditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                     DWORD_PTR self);
    static LRESULT CALLBACK ButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleEditMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleButtonMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateButton();
    void PlaceButton();
    void PaintButton();
    void SetPressed(bool pressed);
    void GuardedBrowse();

    HWND edit_;
    HWND button_ = nullptr;
    int pixelsPerInch_;
    HFONT font_;
    bool pressed_ = false;
    frontend::FolderMemory memory_{"\\", platform::IsExistingDirectory};
};

}  // namespace tarnix::win32
