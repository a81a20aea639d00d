#include "conversion_error.h"

#include <sys/stat.h>

#include <cerrno>

namespace tarnix {
namespace {

// A missing file and a missing directory on its way give the same errno; the messages tell them apart.
bool ParentDirectoryExists(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return true;
    const std::string parent = slash == 0 ? "/" : path.substr(0, slash);
    struct stat info {};
    return ::stat(parent.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::string FileErrorMessage(int err, const std::string& path) {
    switch (err) {
        case ENOENT:
            return ParentDirectoryExists(path) ? "File not found" : "Invalid filename";
        case ENOTDIR:
            return "Invalid filename";
        case EMFILE:
        case ENFILE:
            return "Too many open files";
        case EACCES:
        case EPERM:
        case EISDIR:
        case EROFS:
            return "File access denied";
        default:
            return "I/O error " + std::to_string(err);
    }
}

void ThrowFileError(int err, const std::string& path) {
    throw ConversionError(FileErrorMessage(err, path));
}

}  // namespace tarnix
