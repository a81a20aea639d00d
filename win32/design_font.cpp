#include "design_font.h"

#include <algorithm>
#include <iterator>

#include "window_design.h"

namespace tarnix::win32 {

HFONT CreateDesignFont(int pixelsPerInch) {
    LOGFONTW font{};
    font.lfHeight = -frontend::Scaled(frontend::kFontPixels, pixelsPerInch);
    font.lfCharSet = DEFAULT_CHARSET;
    const HDC screen = GetDC(nullptr);
    bool present = false;
    wcscpy_s(font.lfFaceName, L"MS Sans Serif");
    EnumFontFamiliesExW(
        screen, &font,
        [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) -> int {
            *reinterpret_cast<bool*>(found) = true;
            return 0;
        },
        reinterpret_cast<LPARAM>(&present), 0);
    ReleaseDC(nullptr, screen);
    if (!present) {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        std::copy(std::begin(metrics.lfMessageFont.lfFaceName), std::end(metrics.lfMessageFont.lfFaceName),
                  std::begin(font.lfFaceName));
    }
    return CreateFontIndirectW(&font);
}

int TextWidth(HWND window, HFONT font, std::wstring_view text) {
    const HDC context = GetDC(window);
    const HGDIOBJ previous = SelectObject(context, font);
    SIZE size{};
    GetTextExtentPoint32W(context, text.data(), static_cast<int>(text.size()), &size);
    SelectObject(context, previous);
    ReleaseDC(window, context);
    return size.cx;
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace tarnix::win32
