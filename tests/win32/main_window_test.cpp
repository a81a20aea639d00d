// The main window at the screen's density: the design lets its check boxes overlap, yet each check box's own
// window must hold its whole caption and cover no other check box, or it paints over the next one. The run
// with TARNIX_EXPECTED_DPI set checks that the screen has that density before it checks the window.

#include "main_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "design_font.h"
#include "tarnix/system.h"

namespace tarnix::win32 {
namespace {

int ScreenPixelsPerInch() {
    const HDC screen = GetDC(nullptr);
    const int pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return pixelsPerInch;
}

std::vector<HWND> CheckBoxesOf(HWND window) {
    std::vector<HWND> boxes;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM found) -> BOOL {
            wchar_t className[16]{};
            GetClassNameW(child, className, 16);
            if (_wcsicmp(className, L"Button") == 0 &&
                (GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
                reinterpret_cast<std::vector<HWND>*>(found)->push_back(child);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&boxes));
    return boxes;
}

RECT BoundsOf(HWND control) {
    RECT bounds{};
    GetWindowRect(control, &bounds);
    return bounds;
}

// How wide the check box paints its box and caption when it has all the room it could want: up to the last
// column of pixels that is not the window's background.
int PaintedWidth(HWND box) {
    const RECT bounds = BoundsOf(box);
    const int height = bounds.bottom - bounds.top;
    const int room = 4 * (bounds.right - bounds.left) + 100;
    SetWindowPos(box, nullptr, 0, 0, room, height, SWP_NOMOVE | SWP_NOZORDER);
    const HDC screen = GetDC(box);
    const HDC canvas = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, room, height);
    const HGDIOBJ previous = SelectObject(canvas, bitmap);
    SendMessageW(box, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas), PRF_CLIENT);
    const COLORREF background = GetSysColor(COLOR_BTNFACE);
    int width = 0;
    for (int x = 0; x < room; ++x) {
        for (int y = 0; y < height; ++y) {
            if (GetPixel(canvas, x, y) != background) width = x + 1;
        }
    }
    SelectObject(canvas, previous);
    DeleteObject(bitmap);
    DeleteDC(canvas);
    ReleaseDC(box, screen);
    SetWindowPos(box, nullptr, 0, 0, bounds.right - bounds.left, height, SWP_NOMOVE | SWP_NOZORDER);
    return width;
}

class CheckBoxes : public testing::TestWithParam<bool> {
  protected:
    // The window lays itself out for the screen's density only when the system does not stretch it.
    static void SetUpTestSuite() { SetProcessDPIAware(); }
};

TEST_P(CheckBoxes, EachHoldsItsWholeCaptionAndCoversNoOther) {
    if (const char* expected = std::getenv("TARNIX_EXPECTED_DPI")) {
        ASSERT_EQ(ScreenPixelsPerInch(), std::atoi(expected));
    }
    TfMain window(GetModuleHandleW(nullptr));
    // Unticking "Russian" puts the English captions on; the window starts with the Russian ones.
    window.SetChecked("Rus", true);
    window.SetChecked("Rus", GetParam());
    const std::vector<HWND> boxes = CheckBoxesOf(window.handle());
    ASSERT_EQ(boxes.size(), std::count_if(frontend::kControls.begin(), frontend::kControls.end(),
                                          [](const frontend::ControlDesign& control) {
                                              return control.kind == frontend::ControlKind::kCheckBox;
                                          }));
    const auto caption = [](HWND box) { return platform::Utf8(WindowText(box)); };
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const RECT bounds = BoundsOf(boxes[i]);
        EXPECT_LE(PaintedWidth(boxes[i]), bounds.right - bounds.left) << caption(boxes[i]);
        for (std::size_t j = i + 1; j < boxes.size(); ++j) {
            RECT overlap{};
            const RECT other = BoundsOf(boxes[j]);
            EXPECT_FALSE(IntersectRect(&overlap, &bounds, &other))
                << caption(boxes[i]) << " covers " << caption(boxes[j]) << " by "
                << overlap.right - overlap.left << " pixels";
        }
    }
    window.CloseNow();
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, CheckBoxes, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& language) {
                             return language.param ? "Russian" : "English";
                         });

}  // namespace
}  // namespace tarnix::win32
