#pragma once

// The small images of the directory field and its folder dialog, drawn in code so that they scale with the
// screen's density.

#include <windows.h>

#include "directory_field.h"

namespace tarnix::win32 {

// Draws the image into `box`, stretched to fill it; the shapes are laid out on a grid of 16 by 12.
void DrawFolderImage(HDC context, const RECT& box, frontend::FolderImage image);
void DrawDriveImage(HDC context, const RECT& box, frontend::DriveKind kind);

}  // namespace tarnix::win32
