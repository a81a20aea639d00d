#pragma once

// The directory field and its folder dialog "Select Directory" as both windows build them: the dialog's
// controls, where browsing starts, the lines of the directory and drive lists, and the path line that
// shortens itself. Paths are UTF-8 text with the platform's separator.

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "window_design.h"

namespace tarnix::frontend {

// The folder button inside the directory field's right end, in pixels as designed: as wide as the field is
// high, filling the field inside its border, with its image in the middle; typed text stops short of it.
inline constexpr int kFolderButtonWidth = 21;
inline constexpr int kFieldBorder = 2;
inline constexpr int kFolderImageWidth = 14;
inline constexpr int kFolderImageHeight = 12;
inline constexpr int kFolderTextGap = 2;

inline constexpr std::string_view kSelectDirCaption = "Select Directory";
inline constexpr int kSelectDirClientWidth = 424;
inline constexpr int kSelectDirClientHeight = 255;
// Entry heights of the directory and file lists.
inline constexpr int kDirEntryHeight = 17;
inline constexpr int kFileEntryHeight = 13;

enum class DialogControlKind { kLabel, kEdit, kPathLabel, kDirectoryList, kFileList, kDriveList, kButton };

struct DialogControlDesign {
    // Labels have no name of their own; `buddy` names the control their focus key leads to.
    std::string_view name;
    DialogControlKind kind;
    Bounds bounds;
    // Place in the keyboard focus order, -1 for a control that takes no focus.
    int tab;
    std::string_view caption;
    // Shown from the start. The name edit is used only by a dialog that creates directories, the help
    // button only where there is help, and the network button only where the system has such a dialog.
    bool visible;
    std::string_view buddy;
};

// Every control in the order of creation, which is the focus order; each label comes right before its
// buddy, so that its focus key leads there on systems that take the next control. The path line lies where
// the hidden name edit would be, and OK and Cancel take the places that the hidden help button leaves.
inline constexpr std::array<DialogControlDesign, 13> kDialogControls = {{
    {"", DialogControlKind::kLabel, {8, 56, 66, 13}, -1, "&Directories:", true, "DirList"},
    {"DirList", DialogControlKind::kDirectoryList, {8, 72, 213, 138}, 0, "", true, ""},
    {"", DialogControlKind::kLabel, {8, 8, 92, 13}, -1, "Directory &Name:", true, "DirEdit"},
    {"DirEdit", DialogControlKind::kEdit, {8, 24, 313, 20}, 1, "", false, ""},
    {"DirLabel", DialogControlKind::kPathLabel, {8, 24, 313, 20}, -1, "", true, ""},
    {"", DialogControlKind::kLabel, {232, 176, 41, 13}, -1, "D&rives:", true, "DriveList"},
    {"DriveList", DialogControlKind::kDriveList, {232, 192, 185, 19}, 2, "", true, ""},
    {"NetButton", DialogControlKind::kButton, {8, 224, 77, 27}, 3, "Ne&twork...", false, ""},
    {"OKButton", DialogControlKind::kButton, {256, 224, 77, 27}, 4, "OK", true, ""},
    {"CancelButton", DialogControlKind::kButton, {340, 224, 77, 27}, 5, "Cancel", true, ""},
    {"", DialogControlKind::kLabel, {232, 56, 57, 13}, -1, "&Files: (*.*)", true, "FileList"},
    {"FileList", DialogControlKind::kFileList, {232, 72, 185, 93}, 6, "", true, ""},
    {"HelpButton", DialogControlKind::kButton, {340, 224, 77, 27}, 7, "&Help", false, ""},
}};

using IsDirectory = std::function<bool(const std::string&)>;

// Where the folder dialog starts for the field's `text`: the text, or while it is empty `initialDir`; the
// `root` ("/" or "\") when that is empty too or names no directory.
std::string BrowseStartDirectory(std::string_view text, std::string_view initialDir, std::string_view root,
                                 const IsDirectory& isDirectory);

// The directory field's memory of its folder dialog: the directory last chosen there, if it existed then,
// is where the dialog starts while the field is empty.
class FolderMemory {
  public:
    FolderMemory(std::string root, IsDirectory isDirectory)
        : root_(std::move(root)), isDirectory_(std::move(isDirectory)) {}

    std::string StartFor(std::string_view text) const {
        return BrowseStartDirectory(text, initialDir_, root_, isDirectory_);
    }
    // The directory chosen in the dialog.
    void Chose(const std::string& directory);
    // Empty until the first choice of an existing directory.
    const std::string& InitialDir() const { return initialDir_; }

  private:
    std::string root_;
    IsDirectory isDirectory_;
    std::string initialDir_;
};

// The pattern of every file in the start directory ("c:\data" gives "c:\data\*.*"), before the system makes
// it a full path.
std::string StartPattern(std::string_view start, char separator);

// The directory a full pattern opens on a system with drive letters: its directory part without the final
// "\", which for a drive root is the bare drive ("c:\*.*" gives "c:", the current directory of drive c:).
// Nothing for a pattern without a drive.
std::optional<std::string> DirectoryOfPattern(std::string_view fullPattern);

enum class FolderImage { kOpened, kCurrent, kClosed };

struct DirEntry {
    std::string name;
    std::string path;
    // Left edge of the image, in pixels as designed.
    int indent;
    FolderImage image;

    bool operator==(const DirEntry&) const = default;
};

// The entries of the directory list for the open, absolute `directory`: its root, each directory on the
// path down to it, the directory itself, then its `subdirectories` one step further in, in the order given.
std::vector<DirEntry> DirListEntries(std::string_view directory, char separator,
                                     const std::vector<std::string>& subdirectories);

enum class DriveKind { kRemovable, kFixed, kCdRom, kRam, kNetwork };

// A drive list entry: a removable drive shows its root alone, a network drive its network path (its label
// when the path is unknown), any other its label in square brackets. Label and path come in lower case.
std::string DriveEntryText(std::string_view root, DriveKind kind, std::string_view label,
                           std::string_view networkPath);

// Which of the drive list's `roots` ("c:", "/", "/media/usb") the dialog shows for the open, absolute
// `directory`: the innermost one that holds it, drive letters in either case; nothing when none does.
std::optional<std::size_t> DriveOfDirectory(const std::vector<std::string>& roots, std::string_view directory,
                                            char separator);

// The first of ever shorter forms of the absolute `path` that is at most `width` wide as `textWidth`
// measures it: the directories after the root give way to "...", one more at each step, then the root goes,
// and at last the final name stands alone, however wide it is.
std::string ShortenedPath(std::string_view path, char separator, int width,
                          const std::function<int(std::string_view)>& textWidth);

// The message when the dialog cannot open a directory it was asked to, such as a drive without a medium.
std::string CannotOpenMessage(std::string_view directory, std::string_view reason);

}  // namespace tarnix::frontend
