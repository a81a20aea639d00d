#include "error_box.h"

#include "guarded.h"
#include "tarnix/system.h"

namespace tarnix::win32 {

void ShowErrorBox(HWND owner, std::string_view message) {
    MessageBoxW(owner, platform::Utf16(message).c_str(), L"Tarnix", MB_OK | MB_ICONERROR);
}

void RunGuarded(HWND owner, const std::function<void()>& handler) {
    if (const auto failure = frontend::FailureOf(handler)) ShowErrorBox(owner, *failure);
}

}  // namespace tarnix::win32
