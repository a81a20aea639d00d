#include "main_window.h"

#include <algorithm>
#include <limits>

#include "design_font.h"
#include "error_box.h"
#include "field_tidy.h"
#include "tarnix/system.h"

namespace tarnix::win32 {
namespace {

constexpr wchar_t kClassName[] = L"TfMain";
constexpr int kFirstControlId = 100;
constexpr int kIconId = 1;
constexpr int kListItemHeight = 13;

using frontend::ControlDesign;
using frontend::ControlKind;

struct NativeClass {
    const wchar_t* className;
    DWORD style;
    DWORD extendedStyle;
};

NativeClass NativeClassOf(ControlKind kind) {
    constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
    switch (kind) {
        case ControlKind::kLabel:
            return {L"STATIC", kChild | SS_LEFT | SS_NOPREFIX, 0};
        case ControlKind::kSeparator:
            return {L"STATIC", kChild | SS_ETCHEDHORZ, 0};
        case ControlKind::kDirectoryField:
            // Typed characters pass through the OEM character set, and the folder button inside is never
            // painted over.
            return {L"EDIT", kChild | WS_TABSTOP | ES_AUTOHSCROLL | ES_OEMCONVERT | WS_CLIPCHILDREN,
                    WS_EX_CLIENTEDGE};
        case ControlKind::kEdit:
            return {L"EDIT", kChild | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
        case ControlKind::kGroupBox:
            return {L"BUTTON", kChild | BS_GROUPBOX, 0};
        case ControlKind::kCheckBox:
            return {L"BUTTON", kChild | WS_TABSTOP | BS_AUTOCHECKBOX, 0};
        case ControlKind::kButton:
            return {L"BUTTON", kChild | WS_TABSTOP | BS_PUSHBUTTON, 0};
        case ControlKind::kListBox:
            return {L"LISTBOX", kChild | WS_TABSTOP | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, WS_EX_CLIENTEDGE};
    }
    return {L"STATIC", kChild, 0};
}

// Group boxes are no containers on Windows: their controls are the window's, placed by the box's offset.
frontend::Bounds WindowBounds(const ControlDesign& control) {
    frontend::Bounds bounds = control.bounds;
    if (!control.parent.empty()) {
        const frontend::Bounds& parent = frontend::ControlNamed(control.parent).bounds;
        bounds.left += parent.left;
        bounds.top += parent.top;
    }
    return bounds;
}

WINDOWPLACEMENT PlacementOf(HWND window) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(window, &placement);
    return placement;
}

std::size_t IndexOf(std::string_view name) {
    return static_cast<std::size_t>(&frontend::ControlNamed(name) - frontend::kControls.data());
}

// The width a control needs to show its whole caption in `font`. The system draws a check box's label
// after its box at a gap that grows with the font, and so with the screen's density.
int CaptionWidth(HWND control, HFONT font, ControlKind kind, std::wstring_view caption, int pixelsPerInch) {
    constexpr int kCheckLabelGap = 6;
    const int width = TextWidth(control, font, caption);
    switch (kind) {
        case ControlKind::kCheckBox:
            return width + GetSystemMetrics(SM_CXMENUCHECK) + frontend::Scaled(kCheckLabelGap, pixelsPerInch);
        case ControlKind::kButton:
        case ControlKind::kGroupBox:
            return width + 16;
        default:
            return width;
    }
}

// The room of a check box up to the next check box on its row, whose box it must leave uncovered.
int RoomOnRow(const ControlDesign& box, int pixelsPerInch) {
    const int left = frontend::Scaled(WindowBounds(box).left, pixelsPerInch);
    int room = std::numeric_limits<int>::max();
    for (const ControlDesign& other : frontend::kControls) {
        const int otherLeft = frontend::Scaled(WindowBounds(other).left, pixelsPerInch);
        if (other.kind == ControlKind::kCheckBox && other.parent == box.parent &&
            other.bounds.top == box.bounds.top && otherLeft > left) {
            room = std::min(room, otherLeft - left);
        }
    }
    return room;
}

}  // namespace

TfMain::TfMain(HINSTANCE instance) : instance_(instance), controller_(*this, platform::ProgramDirectory()) {
    const HDC screen = GetDC(nullptr);
    pixelsPerInch_ = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    font_ = CreateDesignFont(pixelsPerInch_);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kIconId));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);

    // A thin caption with the close box only, never resized; still a window of its own in the task bar.
    constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU;
    constexpr DWORD kExtendedStyle = WS_EX_TOOLWINDOW | WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
    RECT frame{0, 0, frontend::Scaled(frontend::kClientWidth, pixelsPerInch_),
               frontend::Scaled(frontend::kClientHeight, pixelsPerInch_)};
    AdjustWindowRectEx(&frame, kStyle, FALSE, kExtendedStyle);
    CreateWindowExW(kExtendedStyle, kClassName, platform::Utf16(frontend::kWindowCaption).c_str(), kStyle,
                    frontend::kDesignLeft, frontend::kDesignTop, frame.right - frame.left,
                    frame.bottom - frame.top, nullptr, nullptr, instance, this);
    CreateControls();
    controller_.FormCreate();
}

LRESULT CALLBACK TfMain::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<TfMain*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TfMain*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self != nullptr ? self->HandleMessage(message, wParam, lParam)
                           : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT TfMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_ACTIVATE:
            // Only the first activation applies the captions: coming back from another program must not wipe
            // the line counter that a run left.
            if (LOWORD(wParam) != WA_INACTIVE) {
                bool first = false;
                RunGuarded(window_, [this, &first] { first = controller_.Activated(); });
                if (first) return 0;
            }
            break;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_DESTROY:
            if (onDestroy) onDestroy();
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

// Created in tab order, which Windows takes from the order of creation.
void TfMain::CreateControls() {
    for (std::size_t i = 0; i < frontend::kControls.size(); ++i) {
        const ControlDesign& design = frontend::kControls[i];
        const NativeClass native = NativeClassOf(design.kind);
        const frontend::Bounds bounds = WindowBounds(design);
        const auto scaled = [this](int pixels) { return frontend::Scaled(pixels, pixelsPerInch_); };
        const HWND control = CreateWindowExW(
            native.extendedStyle, native.className, platform::Utf16(design.russian).c_str(), native.style,
            scaled(bounds.left), scaled(bounds.top), scaled(bounds.width), scaled(bounds.height), window_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + static_cast<int>(i))), instance_,
            nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        controls_[i] = control;
        if (!design.russian.empty()) SetCaption(design.name, design.russian);
    }
    SetText("Dir", "c:\\");
    Dir = std::make_unique<TDirectoryEdit>(Control("Dir"), pixelsPerInch_, font_);
    SetText("Cust", kDefaultCustomInterval);
    SendMessageW(Control("box"), LB_SETITEMHEIGHT, 0, frontend::Scaled(kListItemHeight, pixelsPerInch_));
    SetWindowPos(Control("lbs"), nullptr, 0, 0, frontend::Scaled(frontend::kLineCounterWidth, pixelsPerInch_),
                 frontend::Scaled(frontend::ControlNamed("lbs").bounds.height, pixelsPerInch_),
                 SWP_NOMOVE | SWP_NOZORDER);
}

void TfMain::OnCommand(int id, int code) {
    if (code != BN_CLICKED) return;
    const std::string_view name =
        id >= kFirstControlId && id < kFirstControlId + static_cast<int>(controls_.size())
            ? frontend::kControls[static_cast<std::size_t>(id - kFirstControlId)].name
            : std::string_view();
    if (!name.empty()) RunGuarded(window_, [this, name] { controller_.Click(name); });
}

// A close asked for during a run saves the settings at once; the window goes once the run has finished,
// since the run reads its controls to the end.
void TfMain::OnClose() {
    if (onCloseQuery) onCloseQuery();
    if (controller_.MayClose()) DestroyWindow(window_);
}

// A maximised window puts its thin border off the screen.
void TfMain::Show(int showCommand) {
    if (onShow) onShow();
    WINDOWPLACEMENT placement = PlacementOf(window_);
    placement.showCmd = SW_HIDE;
    placement.ptMaxPosition = {-GetSystemMetrics(SM_CXBORDER), -GetSystemMetrics(SM_CYBORDER)};
    SetWindowPlacement(window_, &placement);
    ShowWindow(window_, startShowCommand_ != 0 ? startShowCommand_ : showCommand);
    UpdateWindow(window_);
}

std::string TfMain::CaptionOf(std::string_view control) const {
    return TextOf(control);
}

void TfMain::FocusDirectory() {
    SetFocus(Control("Dir"));
}

void TfMain::SetCaption(std::string_view control, std::string_view caption) {
    const HWND native = Control(control);
    const std::wstring text = platform::Utf16(caption);
    SetWindowTextW(native, text.c_str());
    RECT bounds{};
    GetWindowRect(native, &bounds);
    const ControlDesign& design = frontend::ControlNamed(control);
    int needed = CaptionWidth(native, font_, design.kind, text, pixelsPerInch_);
    // A check box covers only its box and label, and never the next box on its row: the design's check boxes
    // overlap their neighbours, and a wider window would paint its background over the next box.
    if (design.kind == ControlKind::kCheckBox) needed = std::min(needed, RoomOnRow(design, pixelsPerInch_));
    if (needed > bounds.right - bounds.left || design.kind == ControlKind::kCheckBox) {
        SetWindowPos(native, nullptr, 0, 0, needed, bounds.bottom - bounds.top, SWP_NOMOVE | SWP_NOZORDER);
    }
}

std::string TfMain::TextOf(std::string_view control) const {
    return platform::Utf8(WindowText(Control(control)));
}

void TfMain::SetText(std::string_view control, std::string_view text) {
    SetWindowTextW(Control(control), platform::Utf16(text).c_str());
}

bool TfMain::Checked(std::string_view control) const {
    return SendMessageW(Control(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TfMain::SetChecked(std::string_view control, bool checked) {
    if (Checked(control) == checked) return;
    SendMessageW(Control(control), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    OnCommand(kFirstControlId + static_cast<int>(IndexOf(control)), BN_CLICKED);
}

void TfMain::AddLogLine(std::string_view line) {
    const HWND log = Control("box");
    const auto index =
        SendMessageW(log, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(platform::Utf16(line).c_str()));
    SendMessageW(log, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TfMain::PumpEvents() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (!IsDialogMessageW(window_, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

frontend::WindowPlacement TfMain::Placement() const {
    const WINDOWPLACEMENT native = PlacementOf(window_);
    frontend::WindowPlacement placement;
    placement.flags = static_cast<int>(native.flags);
    placement.showCmd = IsIconic(window_) ? SW_SHOWMINIMIZED : static_cast<int>(native.showCmd);
    placement.minMax = {native.ptMinPosition.x, native.ptMinPosition.y, native.ptMaxPosition.x,
                        native.ptMaxPosition.y};
    const RECT& normal = native.rcNormalPosition;
    placement.normal = {normal.left, normal.top, normal.right, normal.bottom};
    placement.pixelsPerInch = pixelsPerInch_;
    placement.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    placement.screenHeight = GetSystemMetrics(SM_CYSCREEN);
    return placement;
}

// A minimised start is asked for once the window is on screen; a maximised one is the first show's.
void TfMain::Place(const frontend::StoredPlacement& stored) {
    if (stored.minMax || stored.normal) {
        WINDOWPLACEMENT placement = PlacementOf(window_);
        placement.showCmd = SW_HIDE;
        placement.flags = static_cast<UINT>(stored.flags);
        if (const auto& minMax = stored.minMax) {
            placement.ptMinPosition = {(*minMax)[0], (*minMax)[1]};
            placement.ptMaxPosition = {(*minMax)[2], (*minMax)[3]};
        }
        if (const auto& normal = stored.normal) {
            RECT& rect = placement.rcNormalPosition;
            rect = {(*normal)[0], (*normal)[1], (*normal)[0] + rect.right - rect.left,
                    (*normal)[1] + rect.bottom - rect.top};
        }
        SetWindowPlacement(window_, &placement);
    }
    if (stored.state == frontend::WindowState::kMinimised)
        PostMessageW(window_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    if (stored.state == frontend::WindowState::kMaximised) startShowCommand_ = SW_SHOWMAXIMIZED;
}

HWND TfMain::Control(std::string_view name) const {
    return controls_.at(IndexOf(name));
}

}  // namespace tarnix::win32
