#include "select_dir_dialog.h"

#include <winnetwk.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <utility>

#include "design_font.h"
#include "dialog_listing.h"
#include "error_box.h"
#include "images.h"
#include "tarnix/system.h"

namespace tarnix::win32 {
namespace {

using frontend::DialogControlDesign;
using frontend::DialogControlKind;
using frontend::DriveKind;

constexpr int kFirstControlId = 100;
constexpr int kImageWidth = 16;
constexpr int kImageHeight = 12;
// From the left of an entry to its image, and from the image to the name.
constexpr int kImageIndent = 2;
constexpr int kImageGap = 4;
constexpr int kDriveEntryHeight = 16;
constexpr int kDriveEntriesDropped = 8;
// What the drop-down box adds to the height of its selection field.
constexpr int kComboBoxFrame = 6;

// The dialog is built in code: the template holds no controls and no title.
struct EmptyDialogTemplate {
    DLGTEMPLATE header;
    WORD menu;
    WORD windowClass;
    WORD title;
};
alignas(DWORD) constexpr EmptyDialogTemplate kTemplate = {
    {WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, 0, 0, 0, 0, 0}, 0, 0, 0};

// Windows has had its network connection dialog in mpr.dll since NT, and so has wine, but a system without
// its networking part lacks the library or the entry point. The functions are looked up when the dialog
// needs them, so that the program starts there too: the dialog then has no network button, and network
// drives show their label.
struct NetworkLibrary {
    DWORD(WINAPI* connectionDialog)(HWND, DWORD) = nullptr;
    DWORD(WINAPI* getConnection)(LPCWSTR, LPWSTR, LPDWORD) = nullptr;
};

template <typename Function>
void Find(HMODULE library, const char* name, Function& function) {
    // Through the generic function type, which any function pointer may be cast to and from.
    function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

const NetworkLibrary& Network() {
    static const NetworkLibrary network = [] {
        NetworkLibrary found;
        if (const HMODULE mpr = LoadLibraryW(L"mpr.dll")) {
            Find(mpr, "WNetConnectionDialog", found.connectionDialog);
            Find(mpr, "WNetGetConnectionW", found.getConnection);
        }
        return found;
    }();
    return network;
}

struct NativeControl {
    const wchar_t* className;
    DWORD style;
    DWORD extendedStyle;
};

NativeControl NativeControlOf(const DialogControlDesign& design) {
    constexpr DWORD kChild = WS_CHILD;
    constexpr DWORD kList = kChild | WS_TABSTOP | WS_VSCROLL | LBS_HASSTRINGS;
    switch (design.kind) {
        case DialogControlKind::kLabel:
            return {L"STATIC", kChild | SS_LEFT, 0};
        case DialogControlKind::kEdit:
            return {L"EDIT", kChild | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
        case DialogControlKind::kPathLabel:
            return {L"STATIC", kChild | SS_LEFT | SS_NOPREFIX, 0};
        case DialogControlKind::kDirectoryList:
            return {L"LISTBOX", kList | LBS_NOTIFY | LBS_OWNERDRAWFIXED, WS_EX_CLIENTEDGE};
        case DialogControlKind::kFileList:
            // Filled in the program's one name order, not the list box's own.
            return {L"LISTBOX", kList | LBS_NOINTEGRALHEIGHT, WS_EX_CLIENTEDGE};
        case DialogControlKind::kDriveList:
            return {L"COMBOBOX",
                    kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                    0};
        case DialogControlKind::kButton:
            return {L"BUTTON",
                    kChild | WS_TABSTOP | (design.name == "OKButton" ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0};
    }
    return {L"STATIC", kChild, 0};
}

// OK and Cancel carry the identifiers through which the system's dialog keys reach them.
int IdOf(std::size_t index) {
    const std::string_view name = frontend::kDialogControls[index].name;
    if (name == "OKButton") return IDOK;
    if (name == "CancelButton") return IDCANCEL;
    return kFirstControlId + static_cast<int>(index);
}

std::size_t IndexOf(std::string_view name) {
    const auto found =
        std::find_if(frontend::kDialogControls.begin(), frontend::kDialogControls.end(),
                     [name](const DialogControlDesign& control) { return control.name == name; });
    if (found == frontend::kDialogControls.end())
        throw std::out_of_range("no dialog control " + std::string(name));
    return static_cast<std::size_t>(found - frontend::kDialogControls.begin());
}

std::string_view NameOf(int id) {
    for (std::size_t index = 0; index < frontend::kDialogControls.size(); ++index) {
        if (IdOf(index) == id) return frontend::kDialogControls[index].name;
    }
    return {};
}

// A text the system writes into a buffer of ours, asked for with 0 to learn its length.
std::wstring SystemText(const std::function<DWORD(wchar_t*, DWORD)>& get) {
    const DWORD size = get(nullptr, 0);
    if (size == 0) return {};
    std::wstring text(size, L'\0');
    text.resize(get(text.data(), static_cast<DWORD>(text.size())));
    return text;
}

std::string CurrentDirectory() {
    return platform::Utf8(
        SystemText([](wchar_t* buffer, DWORD size) { return GetCurrentDirectoryW(size, buffer); }));
}

std::string FullPath(const std::string& path) {
    const std::wstring wide = platform::Utf16(path);
    return platform::Utf8(SystemText([&wide](wchar_t* buffer, DWORD size) {
        return GetFullPathNameW(wide.c_str(), size, buffer, nullptr);
    }));
}

std::string LowerCase(std::wstring text) {
    if (!text.empty()) CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return platform::Utf8(text);
}

DriveKind DriveKindOf(UINT type) {
    switch (type) {
        case DRIVE_REMOVABLE:
            return DriveKind::kRemovable;
        case DRIVE_REMOTE:
            return DriveKind::kNetwork;
        case DRIVE_CDROM:
            return DriveKind::kCdRom;
        case DRIVE_RAMDISK:
            return DriveKind::kRam;
        default:
            return DriveKind::kFixed;
    }
}

// A removable drive is not asked for its label, which would spin up a floppy on every opening.
std::string VolumeLabel(const std::wstring& root, DriveKind kind) {
    if (kind == DriveKind::kRemovable) return {};
    wchar_t label[MAX_PATH + 1] = {};
    if (!GetVolumeInformationW((root + L"\\").c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr,
                               nullptr, 0)) {
        return {};
    }
    return LowerCase(label);
}

std::string NetworkPath(const std::wstring& root, DriveKind kind) {
    if (kind != DriveKind::kNetwork || Network().getConnection == nullptr) return {};
    std::wstring path(MAX_PATH, L'\0');
    auto length = static_cast<DWORD>(path.size());
    DWORD result = Network().getConnection(root.c_str(), path.data(), &length);
    if (result == ERROR_MORE_DATA) {
        path.resize(length);
        result = Network().getConnection(root.c_str(), path.data(), &length);
    }
    if (result != NO_ERROR) return {};
    path.resize(path.find(L'\0'));
    return LowerCase(path);
}

// An entry of an owner-drawn list: its image `indent` pixels in, its name beside it.
void DrawListEntry(const DRAWITEMSTRUCT& item, HFONT font, int indent, SIZE imageSize, int gap,
                   std::wstring_view name, const std::function<void(const RECT&)>& drawImage) {
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const RECT& row = item.rcItem;
    FillRect(item.hDC, &row, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const int imageTop = row.top + (row.bottom - row.top - imageSize.cy) / 2;
    const RECT image{row.left + indent, imageTop, row.left + indent + imageSize.cx, imageTop + imageSize.cy};
    drawImage(image);
    RECT text{image.right + gap, row.top, row.right, row.bottom};
    const HGDIOBJ previous = SelectObject(item.hDC, font);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    DrawTextW(item.hDC, name.data(), static_cast<int>(name.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(item.hDC, previous);
    if ((item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_COMBOBOXEDIT) == 0) {
        DrawFocusRect(item.hDC, &row);
    }
}

}  // namespace

TSelectDirDlg::TSelectDirDlg(std::string start, int pixelsPerInch, HFONT font)
    : start_(std::move(start)), pixelsPerInch_(pixelsPerInch), font_(font) {}

std::optional<std::string> TSelectDirDlg::Execute(const std::string& start, HWND owner, int pixelsPerInch,
                                                  HFONT font) {
    TSelectDirDlg dialog(start, pixelsPerInch, font);
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &kTemplate.header, owner,
                                                   DialogProc, reinterpret_cast<LPARAM>(&dialog));
    if (result == -1) {
        throw std::runtime_error("The folder dialog cannot be shown: " +
                                 platform::SystemErrorText(static_cast<int>(GetLastError())));
    }
    if (result != IDOK) return std::nullopt;
    return dialog.directory_;
}

INT_PTR CALLBACK TSelectDirDlg::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        reinterpret_cast<TSelectDirDlg*>(lParam)->dialog_ = dialog;
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    }
    auto* self = reinterpret_cast<TSelectDirDlg*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (self == nullptr) return FALSE;
    INT_PTR result = FALSE;
    RunGuarded(dialog, [&] { result = self->HandleMessage(message, wParam, lParam); });
    return result;
}

INT_PTR TSelectDirDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            OnInitDialog();
            // The focus is placed already.
            return FALSE;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_MEASUREITEM:
            OnMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_DRAWITEM:
            OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_CTLCOLORLISTBOX:
            if (reinterpret_cast<HWND>(lParam) != Control("FileList")) return FALSE;
            // The files are there to be seen, not chosen.
            SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_GRAYTEXT));
            SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
            return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
        default:
            return FALSE;
    }
}

void TSelectDirDlg::OnInitDialog() {
    SetWindowTextW(dialog_, platform::Utf16(frontend::kSelectDirCaption).c_str());
    RECT frame{0, 0, Scaled(frontend::kSelectDirClientWidth), Scaled(frontend::kSelectDirClientHeight)};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(dialog_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(dialog_, GWL_EXSTYLE)));
    SetWindowPos(dialog_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    CreateControls();
    FillDriveList();
    OpenStart();
    CentreOnScreen();
    SetFocus(Control("DirList"));
}

// Created in tab order, which Windows takes from the order of creation; a label's focus key leads to the
// control right after it.
void TSelectDirDlg::CreateControls() {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(dialog_, GWLP_HINSTANCE));
    for (std::size_t index = 0; index < frontend::kDialogControls.size(); ++index) {
        const DialogControlDesign& design = frontend::kDialogControls[index];
        const NativeControl native = NativeControlOf(design);
        const bool visible =
            design.visible || (design.name == "NetButton" && Network().connectionDialog != nullptr);
        // A drop-down box is created as high as it is with its list dropped.
        const int droppedHeight =
            design.kind == DialogControlKind::kDriveList ? kDriveEntriesDropped * kDriveEntryHeight : 0;
        const std::wstring caption = platform::Utf16(design.caption);
        const HWND control = CreateWindowExW(
            native.extendedStyle, native.className, caption.c_str(),
            native.style | (visible ? WS_VISIBLE : 0), Scaled(design.bounds.left), Scaled(design.bounds.top),
            Scaled(design.bounds.width), Scaled(design.bounds.height + droppedHeight), dialog_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdOf(index))), instance, nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        controls_[index] = control;
        // A label grows to show its whole caption in a font wider than the designed one.
        if (design.kind == DialogControlKind::kLabel) {
            const int width = std::max(Scaled(design.bounds.width), TextWidth(control, font_, caption));
            SetWindowPos(control, nullptr, 0, 0, width, Scaled(design.bounds.height),
                         SWP_NOMOVE | SWP_NOZORDER);
        }
    }
    SendMessageW(Control("FileList"), LB_SETITEMHEIGHT, 0, Scaled(frontend::kFileEntryHeight));
}

// A single click only highlights an entry; a double click opens it.
void TSelectDirDlg::OnCommand(int id, int code) {
    if (id == IDOK || id == IDCANCEL) {
        EndDialog(dialog_, id);
        return;
    }
    const std::string_view name = NameOf(id);
    if (name == "DirList" && code == LBN_DBLCLK) {
        const auto entry = static_cast<std::size_t>(SendMessageW(Control("DirList"), LB_GETCURSEL, 0, 0));
        if (entry >= entries_.size()) return;
        const std::string path = entries_[entry].path;
        OpenBrowsed(path, path);
    } else if (name == "DriveList" && code == CBN_SELCHANGE) {
        const auto drive = static_cast<std::size_t>(SendMessageW(Control("DriveList"), CB_GETCURSEL, 0, 0));
        if (drive >= drives_.size()) return;
        const std::string root = drives_[drive].root;
        OpenBrowsed(root, root + '\\');
    } else if (name == "NetButton" && code == BN_CLICKED) {
        ShowNetworkDialog();
    }
}

void TSelectDirDlg::OnMeasureItem(MEASUREITEMSTRUCT& item) const {
    if (NameOf(static_cast<int>(item.CtlID)) == "DirList") {
        item.itemHeight = static_cast<UINT>(Scaled(frontend::kDirEntryHeight));
    } else if (item.itemID == static_cast<UINT>(-1)) {
        const int boxHeight = Scaled(frontend::kDialogControls[IndexOf("DriveList")].bounds.height);
        item.itemHeight = static_cast<UINT>(boxHeight - kComboBoxFrame);
    } else {
        item.itemHeight = static_cast<UINT>(Scaled(kDriveEntryHeight));
    }
}

void TSelectDirDlg::OnDrawItem(const DRAWITEMSTRUCT& item) const {
    const auto index = static_cast<std::size_t>(item.itemID);
    const SIZE imageSize{Scaled(kImageWidth), Scaled(kImageHeight)};
    const int gap = Scaled(kImageGap);
    if (NameOf(static_cast<int>(item.CtlID)) == "DirList") {
        if (index >= entries_.size()) return;
        const frontend::DirEntry& entry = entries_[index];
        DrawListEntry(item, font_, Scaled(entry.indent), imageSize, gap, platform::Utf16(entry.name),
                      [&](const RECT& image) { DrawFolderImage(item.hDC, image, entry.image); });
        return;
    }
    if (index >= drives_.size()) {
        FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_WINDOW));
        return;
    }
    const Drive& drive = drives_[index];
    DrawListEntry(item, font_, Scaled(kImageIndent), imageSize, gap, drive.text,
                  [&](const RECT& image) { DrawDriveImage(item.hDC, image, drive.kind); });
}

// The directory of the start, or when it cannot be entered the current directory; that may have gone
// since the program entered it, but the root of its drive is still there.
void TSelectDirDlg::OpenStart() {
    const std::optional<std::string> directory =
        frontend::DirectoryOfPattern(FullPath(frontend::StartPattern(start_, '\\')));
    if (directory && Open(*directory) == NO_ERROR) return;
    if (Open(CurrentDirectory()) == NO_ERROR) return;
    Open("\\");
}

DWORD TSelectDirDlg::Open(const std::string& directory) {
    if (!SetCurrentDirectoryW(platform::Utf16(directory).c_str())) return GetLastError();
    directory_ = CurrentDirectory();
    Show();
    return NO_ERROR;
}

// A drive without a medium, or a directory removed or locked since it was listed.
void TSelectDirDlg::OpenBrowsed(const std::string& directory, std::string_view named) {
    if (const DWORD error = Open(directory); error != NO_ERROR) {
        ShowErrorBox(dialog_,
                     frontend::CannotOpenMessage(named, platform::SystemErrorText(static_cast<int>(error))));
        SelectDriveOfDirectory();
    }
}

void TSelectDirDlg::Show() {
    const DialogListing listing = ListForDialog(directory_);
    entries_ = frontend::DirListEntries(directory_, '\\', listing.directories);
    const HWND dirList = Control("DirList");
    SendMessageW(dirList, WM_SETREDRAW, FALSE, 0);
    SendMessageW(dirList, LB_RESETCONTENT, 0, 0);
    for (std::size_t index = 0; index < entries_.size(); ++index) {
        SendMessageW(dirList, LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(platform::Utf16(entries_[index].name).c_str()));
        if (entries_[index].image == frontend::FolderImage::kCurrent) {
            SendMessageW(dirList, LB_SETCURSEL, index, 0);
        }
    }
    SendMessageW(dirList, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(dirList, nullptr, TRUE);

    const HWND fileList = Control("FileList");
    SendMessageW(fileList, LB_RESETCONTENT, 0, 0);
    for (const std::string& name : listing.files) {
        SendMessageW(fileList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(platform::Utf16(name).c_str()));
    }

    const std::wstring path = platform::Utf16(directory_);
    SetWindowTextW(Control("DirEdit"), path.c_str());
    const HWND dirLabel = Control("DirLabel");
    RECT inside{};
    GetClientRect(dirLabel, &inside);
    const auto width = [this, dirLabel](std::string_view form) {
        return TextWidth(dirLabel, font_, platform::Utf16(form));
    };
    SetWindowTextW(dirLabel,
                   platform::Utf16(frontend::ShortenedPath(directory_, '\\', inside.right, width)).c_str());
    SelectDriveOfDirectory();
}

void TSelectDirDlg::FillDriveList() {
    const HWND driveList = Control("DriveList");
    SendMessageW(driveList, CB_RESETCONTENT, 0, 0);
    drives_.clear();
    const DWORD present = GetLogicalDrives();
    for (int letter = 0; letter < 26; ++letter) {
        if ((present & (1U << letter)) == 0) continue;
        const std::string root{static_cast<char>('a' + letter), ':'};
        const std::wstring wideRoot = platform::Utf16(root);
        const DriveKind kind = DriveKindOf(GetDriveTypeW((wideRoot + L"\\").c_str()));
        Drive drive{root, kind,
                    platform::Utf16(frontend::DriveEntryText(root, kind, VolumeLabel(wideRoot, kind),
                                                             NetworkPath(wideRoot, kind)))};
        SendMessageW(driveList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(drive.text.c_str()));
        drives_.push_back(std::move(drive));
    }
}

void TSelectDirDlg::SelectDriveOfDirectory() {
    std::vector<std::string> roots;
    for (const Drive& drive : drives_) roots.push_back(drive.root);
    const auto drive = frontend::DriveOfDirectory(roots, directory_, '\\');
    SendMessageW(Control("DriveList"), CB_SETCURSEL,
                 drive ? static_cast<WPARAM>(*drive) : static_cast<WPARAM>(-1), 0);
}

// A drive connected there shows in the drive list at once.
void TSelectDirDlg::ShowNetworkDialog() {
    if (Network().connectionDialog == nullptr) return;
    if (Network().connectionDialog(dialog_, RESOURCETYPE_DISK) != NO_ERROR) return;
    FillDriveList();
    SelectDriveOfDirectory();
}

void TSelectDirDlg::CentreOnScreen() {
    RECT frame{};
    GetWindowRect(dialog_, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(dialog_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

HWND TSelectDirDlg::Control(std::string_view name) const {
    return controls_.at(IndexOf(name));
}

int TSelectDirDlg::Scaled(int pixels) const {
    return frontend::Scaled(pixels, pixelsPerInch_);
}

}  // namespace tarnix::win32
