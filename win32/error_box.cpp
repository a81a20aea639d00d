#include "error_box.h"

#include <exception>
#include <string>

#include "tarnix/system.h"

namespace tarnix::win32 {

void ShowErrorBox(HWND owner, std::string_view message) {
    MessageBoxW(owner, platform::Utf16(message).c_str(), L"Tarnix", MB_OK | MB_ICONERROR);
}

void RunGuarded(HWND owner, const std::function<void()>& handler) {
    std::string failure;
    try {
        handler();
        return;
    } catch (const std::exception& error) {
        failure = error.what();
    } catch (...) {
        failure = "Unknown failure";
    }
    ShowErrorBox(owner, failure);
}

}  // namespace tarnix::win32
