#include "form_storage.h"

#include <shlobj.h>

#include <memory>
#include <utility>

#include "settings_session.h"
#include "tarnix/system.h"

namespace tarnix::win32 {
namespace {

constexpr DWORD kValueCapacity = 2048;

// Tarnix.ini in one of the system's folders.
std::string SettingsPath(int folder) {
    wchar_t path[MAX_PATH] = {};
    const std::string directory =
        SUCCEEDED(SHGetFolderPathW(nullptr, folder, nullptr, 0, path)) ? platform::Utf8(path) : std::string();
    return directory + "\\" + std::string(frontend::kIniFileName);
}

bool FileExists(const std::string& path) {
    return GetFileAttributesW(platform::Utf16(path).c_str()) != INVALID_FILE_ATTRIBUTES;
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

// Section "Main" of the file at `readPath`, written to `writePath`.
class ProfileSection final : public frontend::ProfileStore {
  public:
    ProfileSection(std::wstring readPath, std::wstring writePath)
        : readPath_(std::move(readPath)), writePath_(std::move(writePath)) {}

    std::string Read(std::string_view key, std::string_view fallback) const override {
        std::wstring value(kValueCapacity, L'\0');
        const DWORD length = GetPrivateProfileStringW(section_.c_str(), platform::Utf16(key).c_str(),
                                                      platform::Utf16(fallback).c_str(), value.data(),
                                                      kValueCapacity, readPath_.c_str());
        value.resize(length);
        return platform::Utf8(value);
    }

    bool Write(std::string_view key, std::string_view value) override {
        CreateUnicodeProfile(writePath_);
        return WritePrivateProfileStringW(section_.c_str(), platform::Utf16(key).c_str(),
                                          platform::Utf16(value).c_str(), writePath_.c_str()) != 0;
    }

  private:
    std::wstring section_ = platform::Utf16(frontend::kIniSection);
    std::wstring readPath_;
    std::wstring writePath_;
};

struct Storage {
    Storage(TfMain& form, std::wstring readPath, std::wstring writePath)
        : file(std::move(readPath), std::move(writePath)), session(form, file) {}

    ProfileSection file;
    frontend::SettingsSession session;
};

}  // namespace

void AttachStorage(TfMain& fMain) {
    const std::string own = SettingsPath(CSIDL_APPDATA);
    const std::string read = frontend::SettingsReadPath(own, SettingsPath(CSIDL_WINDOWS), FileExists);
    auto storage = std::make_shared<Storage>(fMain, platform::Utf16(read), platform::Utf16(own));
    fMain.onShow = [storage] { storage->session.Restore(); };
    fMain.onCloseQuery = [storage] { storage->session.Save(); };
    fMain.onDestroy = [storage] { storage->session.SaveAtEnd(); };
}

}  // namespace tarnix::win32
