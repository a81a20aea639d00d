#include "form_storage.h"

#include <shlobj.h>

#include <memory>
#include <utility>

#include "platform/platform.h"
#include "settings_keys.h"
#include "tarnix/text_case.h"

namespace tarnix::win32 {
namespace {

using frontend::PropertyKind;

constexpr DWORD kValueCapacity = 2048;

std::string ScreenSizeSuffix() {
    return frontend::ScreenSizeSuffix(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

// 1, 5 and 9 are normal, 2, 6 and 7 minimised, 3 maximised; anything else is normal.
bool IsMinimisedCommand(int showCmd) {
    return showCmd == 2 || showCmd == 6 || showCmd == 7;
}

frontend::Positions Positions(const RECT& rect) {
    return {static_cast<int>(rect.left), static_cast<int>(rect.top), static_cast<int>(rect.right),
            static_cast<int>(rect.bottom)};
}

frontend::Positions Positions(const POINT& first, const POINT& second) {
    return {static_cast<int>(first.x), static_cast<int>(first.y), static_cast<int>(second.x),
            static_cast<int>(second.y)};
}

WINDOWPLACEMENT PlacementOf(HWND window) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(window, &placement);
    return placement;
}

std::wstring FolderPath(int folder) {
    wchar_t path[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathW(nullptr, folder, nullptr, 0, path)) ? std::wstring(path)
                                                                          : std::wstring();
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A new Tarnix.ini starts with the UTF-16 byte-order mark: the profile functions then write it in UTF-16 and
// keep a directory with characters beyond the ANSI code page. An existing file keeps its encoding.
void CreateUnicodeProfile(const std::wstring& path) {
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;  // there already, or not to be made: the writes will tell
    constexpr char kByteOrderMark[] = {'\xFF', '\xFE'};
    DWORD written = 0;
    WriteFile(file, kByteOrderMark, sizeof kByteOrderMark, &written, nullptr);
    CloseHandle(file);
}

void ShowFailure(const std::string& text) {
    MessageBoxW(nullptr, platform::Utf16(text).c_str(), L"Tarnix", MB_OK | MB_ICONERROR);
}

}  // namespace

FormStorage::FormStorage(TfMain& form, std::wstring readPath, std::wstring writePath)
    : form_(form), readPath_(std::move(readPath)), writePath_(std::move(writePath)) {}

std::string FormStorage::Read(std::string_view key, std::string_view fallback) const {
    std::wstring value(kValueCapacity, L'\0');
    const DWORD length = GetPrivateProfileStringW(
        platform::Utf16(frontend::kIniSection).c_str(), platform::Utf16(key).c_str(),
        platform::Utf16(fallback).c_str(), value.data(), kValueCapacity, readPath_.c_str());
    value.resize(length);
    return platform::Utf8(value);
}

int FormStorage::ReadInteger(std::string_view key, int fallback) const {
    return frontend::IntegerOr(Read(key, ""), fallback);
}

void FormStorage::Write(std::string_view key, std::string_view value) {
    if (writeFailed_) return;
    writeFailed_ = WritePrivateProfileStringW(platform::Utf16(frontend::kIniSection).c_str(),
                                              platform::Utf16(key).c_str(), platform::Utf16(value).c_str(),
                                              writePath_.c_str()) == 0;
}

void FormStorage::RestoreSettings() {
    saved_ = false;
    restored_ = true;
    form_.SetPriceDecimals(frontend::PriceDecimalsOf(Read(frontend::kDecimalsKey, "")));
    if (ReadInteger("FormVersion", 0) >= frontend::kFormVersion) {
        RestorePlacement();
        RestoreState();
        RestoreProperties();
    }
    // A maximised window puts its thin border off the screen.
    WINDOWPLACEMENT placement = PlacementOf(form_.handle());
    placement.showCmd = SW_HIDE;
    placement.ptMaxPosition = {-GetSystemMetrics(SM_CXBORDER), -GetSystemMetrics(SM_CYBORDER)};
    SetWindowPlacement(form_.handle(), &placement);
}

// Only the place of the window is taken from the file, never its size: the window has a fixed size. A place
// stored at another pixel density would put the window elsewhere than it was left.
void FormStorage::RestorePlacement() {
    WINDOWPLACEMENT placement = PlacementOf(form_.handle());
    placement.showCmd = SW_HIDE;
    placement.flags = static_cast<UINT>(ReadInteger("Flags", static_cast<int>(placement.flags)));
    const std::string suffix = ScreenSizeSuffix();
    std::string minMaxPos = Read("MinMaxPos" + suffix, "");
    if (minMaxPos.empty()) minMaxPos = Read("MinMaxPos", "");
    std::string normPos = Read("NormPos" + suffix, "");
    if (normPos.empty()) normPos = Read("NormPos", "");
    bool found = !minMaxPos.empty() || !normPos.empty();
    const auto minMax = frontend::PositionsOf(minMaxPos, {0, 0, 0, 0});
    if (!minMaxPos.empty()) {
        placement.ptMinPosition = {minMax[0], minMax[1]};
        placement.ptMaxPosition = {minMax[2], minMax[3]};
    }
    RECT& normal = placement.rcNormalPosition;
    const LONG width = normal.right - normal.left;
    const LONG height = normal.bottom - normal.top;
    const auto norm = frontend::PositionsOf(normPos, Positions(normal));
    if (!normPos.empty()) normal = {norm[0], norm[1], norm[0] + width, norm[1] + height};
    if (ReadInteger("PixelsPerInch", form_.pixelsPerInch()) != form_.pixelsPerInch()) found = false;
    if (found) SetWindowPlacement(form_.handle(), &placement);
}

void FormStorage::RestoreState() {
    const int showCmd = ReadInteger("ShowCmd", 0);
    if (IsMinimisedCommand(showCmd)) {
        PostMessageW(form_.handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else if (showCmd == SW_SHOWMAXIMIZED) {
        form_.startShowCommand = SW_SHOWMAXIMIZED;
    }
}

// A missing key reads as the control's own value, so the control keeps it.
void FormStorage::RestoreProperties() {
    for (const frontend::StoredProperty& stored : frontend::kStoredProperties) {
        if (stored.kind == PropertyKind::kText) {
            form_.SetText(stored.control,
                          TrimSpaceAndControls(Read(frontend::KeyOf(stored), form_.TextOf(stored.control))));
        } else if (const auto value = frontend::BooleanOf(Read(frontend::KeyOf(stored), ""))) {
            form_.SetChecked(stored.control, *value);
        }
    }
}

void FormStorage::SaveSettings() {
    if (!restored_) return;
    writeFailed_ = false;
    CreateUnicodeProfile(writePath_);
    Write("FormVersion", std::to_string(frontend::kFormVersion));
    SavePlacement();
    Write("Visible", destroying_ ? "1" : "0");
    SaveProperties();
    if (writeFailed_) {
        ShowFailure("Unable to write to " + std::string(frontend::kIniFileName) + ".");
    } else {
        saved_ = true;
    }
}

void FormStorage::SavePlacement() {
    WINDOWPLACEMENT placement = PlacementOf(form_.handle());
    if (IsIconic(form_.handle())) placement.showCmd = SW_SHOWMINIMIZED;
    const std::string minMaxPos =
        frontend::PositionsText(Positions(placement.ptMinPosition, placement.ptMaxPosition));
    const std::string normPos = frontend::PositionsText(Positions(placement.rcNormalPosition));
    const std::string suffix = ScreenSizeSuffix();
    Write("Flags", std::to_string(placement.flags));
    Write("ShowCmd", std::to_string(placement.showCmd));
    Write("PixelsPerInch", std::to_string(form_.pixelsPerInch()));
    Write("MinMaxPos" + suffix, minMaxPos);
    Write("MinMaxPos", minMaxPos);
    Write("NormPos" + suffix, normPos);
    Write("NormPos", normPos);
}

void FormStorage::SaveProperties() {
    for (const frontend::StoredProperty& stored : frontend::kStoredProperties) {
        const std::string key = frontend::KeyOf(stored);
        if (stored.kind == PropertyKind::kText) {
            Write(key, frontend::QuotedText(form_.TextOf(stored.control)));
        } else {
            Write(key, frontend::BooleanText(form_.Checked(stored.control)));
        }
    }
}

void FormStorage::SaveWhenDestroyed() {
    if (saved_) return;
    destroying_ = true;
    SaveSettings();
    destroying_ = false;
}

void AttachStorage(TfMain& fMain) {
    const std::wstring name = platform::Utf16(frontend::kIniFileName);
    const std::wstring own = FolderPath(CSIDL_APPDATA) + L"\\" + name;
    const std::wstring old = FolderPath(CSIDL_WINDOWS) + L"\\" + name;
    const bool firstStart = !FileExists(own) && FileExists(old);
    auto storage = std::make_shared<FormStorage>(fMain, firstStart ? old : own, own);
    fMain.onShow = [storage] { storage->RestoreSettings(); };
    fMain.onCloseQuery = [storage] { storage->SaveSettings(); };
    fMain.onDestroy = [storage] { storage->SaveWhenDestroyed(); };
}

}  // namespace tarnix::win32
