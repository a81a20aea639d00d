#include "directory_edit.h"

#include <commctrl.h>
#include <windowsx.h>

#include <optional>

#include "design_font.h"
#include "directory_field.h"
#include "error_box.h"
#include "images.h"
#include "select_dir_dialog.h"
#include "tarnix/system.h"
#include "window_design.h"

namespace tarnix::win32 {
namespace {

constexpr wchar_t kButtonClass[] = L"TarnixFolderButton";

void RegisterButtonClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW buttonClass{};
    if (GetClassInfoExW(instance, kButtonClass, &buttonClass)) return;
    buttonClass.cbSize = sizeof buttonClass;
    buttonClass.lpfnWndProc = procedure;
    buttonClass.hInstance = instance;
    buttonClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    buttonClass.lpszClassName = kButtonClass;
    RegisterClassExW(&buttonClass);
}

// Critical disk errors, such as a drive without a medium, come back to the dialog as failed calls instead
// of the system's own prompt, for as long as this lives.
class CriticalErrorsAsFailures {
  public:
    CriticalErrorsAsFailures() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
    CriticalErrorsAsFailures(const CriticalErrorsAsFailures&) = delete;
    CriticalErrorsAsFailures& operator=(const CriticalErrorsAsFailures&) = delete;
    ~CriticalErrorsAsFailures() { SetErrorMode(previous_); }

  private:
    UINT previous_;
};

}  // namespace

TDirectoryEdit::TDirectoryEdit(HWND edit, int pixelsPerInch, HFONT font)
    : edit_(edit), pixelsPerInch_(pixelsPerInch), font_(font) {
    SetWindowSubclass(edit_, EditProc, 0, reinterpret_cast<DWORD_PTR>(this));
    CreateButton();
    PlaceButton();
}

TDirectoryEdit::~TDirectoryEdit() {
    if (IsWindow(button_)) DestroyWindow(button_);
    if (IsWindow(edit_)) RemoveWindowSubclass(edit_, EditProc, 0);
}

void TDirectoryEdit::Browse() {
    const std::string start = memory_.StartFor(platform::Utf8(WindowText(edit_)));
    std::optional<std::string> chosen;
    {
        const CriticalErrorsAsFailures errors;
        chosen = TSelectDirDlg::Execute(start, GetAncestor(edit_, GA_ROOT), pixelsPerInch_, font_);
    }
    if (IsWindowEnabled(edit_)) SetFocus(edit_);
    if (!chosen) return;
    SetWindowTextW(edit_, platform::Utf16(*chosen).c_str());
    memory_.Chose(*chosen);
}

void TDirectoryEdit::GuardedBrowse() {
    RunGuarded(GetAncestor(edit_, GA_ROOT), [this] { Browse(); });
}

LRESULT CALLBACK TDirectoryEdit::EditProc(HWND, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR self) {
    return reinterpret_cast<TDirectoryEdit*>(self)->HandleEditMessage(message, wParam, lParam);
}

LRESULT TDirectoryEdit::HandleEditMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SYSKEYDOWN:
            if (wParam == VK_DOWN) {
                GuardedBrowse();
                return 0;
            }
            break;
        case WM_SETFOCUS: {
            const LRESULT result = DefSubclassProc(edit_, message, wParam, lParam);
            // A click places the caret where it lands; the keyboard, the window's activation and the
            // return from the dialog select the whole text.
            if (GetKeyState(VK_LBUTTON) >= 0) SendMessageW(edit_, EM_SETSEL, 0, -1);
            return result;
        }
        case WM_SIZE:
            PlaceButton();
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(edit_, EditProc, 0);
            break;
        default:
            break;
    }
    return DefSubclassProc(edit_, message, wParam, lParam);
}

void TDirectoryEdit::CreateButton() {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(edit_, GWLP_HINSTANCE));
    RegisterButtonClass(instance, ButtonProc);
    button_ = CreateWindowExW(0, kButtonClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, edit_, nullptr,
                              instance, this);
}

// The button fills the field inside its border at its right end; the text stops short of it.
void TDirectoryEdit::PlaceButton() {
    RECT inside{};
    GetClientRect(edit_, &inside);
    const int width = frontend::Scaled(frontend::kFolderButtonWidth, pixelsPerInch_);
    SetWindowPos(button_, nullptr, inside.right - width, 0, width, inside.bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    const int margin = width + frontend::Scaled(frontend::kFolderTextGap, pixelsPerInch_);
    SendMessageW(edit_, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, margin));
}

LRESULT CALLBACK TDirectoryEdit::ButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        SetWindowLongPtrW(
            button, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    }
    auto* self = reinterpret_cast<TDirectoryEdit*>(GetWindowLongPtrW(button, GWLP_USERDATA));
    if (self == nullptr || self->button_ != button) return DefWindowProcW(button, message, wParam, lParam);
    return self->HandleButtonMessage(message, wParam, lParam);
}

// A press first gives the field the focus, as a press on its text would; the click opens the dialog when
// the button is let go over itself.
LRESULT TDirectoryEdit::HandleButtonMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (GetFocus() != edit_ && IsWindowEnabled(edit_)) SetFocus(edit_);
            SetCapture(button_);
            SetPressed(true);
            return 0;
        case WM_MOUSEMOVE:
            if (GetCapture() == button_) {
                RECT bounds{};
                GetClientRect(button_, &bounds);
                SetPressed(PtInRect(&bounds, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) != FALSE);
            }
            return 0;
        case WM_LBUTTONUP: {
            const bool clicked = GetCapture() == button_ && pressed_;
            ReleaseCapture();
            if (clicked) GuardedBrowse();
            return 0;
        }
        case WM_CAPTURECHANGED:
            SetPressed(false);
            return 0;
        case WM_PAINT:
            PaintButton();
            return 0;
        default:
            return DefWindowProcW(button_, message, wParam, lParam);
    }
}

void TDirectoryEdit::SetPressed(bool pressed) {
    if (pressed_ == pressed) return;
    pressed_ = pressed;
    InvalidateRect(button_, nullptr, TRUE);
}

void TDirectoryEdit::PaintButton() {
    PAINTSTRUCT paint{};
    const HDC context = BeginPaint(button_, &paint);
    RECT bounds{};
    GetClientRect(button_, &bounds);
    DrawFrameControl(context, &bounds, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed_ ? DFCS_PUSHED : 0));
    const int width = frontend::Scaled(frontend::kFolderImageWidth, pixelsPerInch_);
    const int height = frontend::Scaled(frontend::kFolderImageHeight, pixelsPerInch_);
    const int shift = pressed_ ? 1 : 0;
    const int left = (bounds.right - width) / 2 + shift;
    const int top = (bounds.bottom - height) / 2 + shift;
    DrawFolderImage(context, {left, top, left + width, top + height}, frontend::FolderImage::kOpened);
    EndPaint(button_, &paint);
}

}  // namespace tarnix::win32
