#pragma once

// The main window's settings storage: Tarnix.ini in the user's configuration directory, section "Main".

namespace tarnix {

class TfMain;

// Gives the window its storage `Storage`: the settings are restored when the window is shown, before it is
// on screen (a spontaneous show, such as coming back from the task bar, does not restore: it must not undo
// what the user has changed since), saved when the window is asked to close, and saved at the window's end
// when no save has completed since.
void AttachStorage(TfMain& fMain);

}  // namespace tarnix
