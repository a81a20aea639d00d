#include <windows.h>

#include "form_storage.h"
#include "main_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    // The layout is scaled to the screen's density by the program itself, not stretched by the system.
    SetProcessDPIAware();
    tarnix::win32::TfMain fMain(instance);
    tarnix::win32::AttachStorage(fMain);
    fMain.Show(showCommand);
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Tab and the arrow keys move between the controls as in a dialog.
        if (IsDialogMessageW(fMain.handle(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
