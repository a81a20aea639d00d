#include "images.h"

#include <initializer_list>
#include <vector>

namespace tarnix::win32 {
namespace {

constexpr int kGridWidth = 16;
constexpr int kGridHeight = 12;
constexpr COLORREF kOutline = RGB(96, 72, 0);
constexpr COLORREF kFolder = RGB(232, 192, 72);
constexpr COLORREF kFolderFront = RGB(252, 224, 128);
constexpr COLORREF kSheet = RGB(255, 255, 255);
constexpr COLORREF kCase = RGB(192, 192, 192);
constexpr COLORREF kCaseOutline = RGB(64, 64, 64);
constexpr COLORREF kLight = RGB(0, 192, 0);
constexpr COLORREF kDisc = RGB(208, 224, 240);
constexpr COLORREF kChip = RGB(0, 128, 64);

// Maps points of the grid into the box.
class Grid {
  public:
    explicit Grid(const RECT& box) : box_(box) {}

    POINT At(int x, int y) const {
        return {box_.left + MulDiv(x, box_.right - box_.left - 1, kGridWidth - 1),
                box_.top + MulDiv(y, box_.bottom - box_.top - 1, kGridHeight - 1)};
    }

    void Polygon(HDC context, std::initializer_list<POINT> corners, COLORREF fill, COLORREF outline) const {
        std::vector<POINT> points;
        for (const POINT& corner : corners) points.push_back(At(corner.x, corner.y));
        Paint(context, fill, outline,
              [&] { ::Polygon(context, points.data(), static_cast<int>(points.size())); });
    }

    void Rectangle(HDC context, RECT cell, COLORREF fill, COLORREF outline) const {
        const POINT from = At(cell.left, cell.top);
        const POINT to = At(cell.right, cell.bottom);
        Paint(context, fill, outline, [&] { ::Rectangle(context, from.x, from.y, to.x + 1, to.y + 1); });
    }

    void Ellipse(HDC context, RECT cell, COLORREF fill, COLORREF outline) const {
        const POINT from = At(cell.left, cell.top);
        const POINT to = At(cell.right, cell.bottom);
        Paint(context, fill, outline, [&] { ::Ellipse(context, from.x, from.y, to.x + 1, to.y + 1); });
    }

  private:
    template <typename Draw>
    static void Paint(HDC context, COLORREF fill, COLORREF outline, Draw draw) {
        const HBRUSH brush = CreateSolidBrush(fill);
        const HPEN pen = CreatePen(PS_SOLID, 1, outline);
        const HGDIOBJ previousBrush = SelectObject(context, brush);
        const HGDIOBJ previousPen = SelectObject(context, pen);
        draw();
        SelectObject(context, previousPen);
        SelectObject(context, previousBrush);
        DeleteObject(pen);
        DeleteObject(brush);
    }

    RECT box_;
};

}  // namespace

// A closed folder is its back with the tab; an opened one has its front flap tilted down, and the current
// one shows a sheet inside.
void DrawFolderImage(HDC context, const RECT& box, frontend::FolderImage image) {
    const Grid grid(box);
    if (image == frontend::FolderImage::kClosed) {
        grid.Polygon(context, {{0, 1}, {5, 1}, {6, 2}, {15, 2}, {15, 11}, {0, 11}}, kFolder, kOutline);
        return;
    }
    grid.Polygon(context, {{0, 1}, {5, 1}, {6, 2}, {13, 2}, {13, 5}, {3, 5}, {0, 11}}, kFolder, kOutline);
    if (image == frontend::FolderImage::kCurrent) grid.Rectangle(context, {4, 0, 12, 5}, kSheet, kOutline);
    grid.Polygon(context, {{3, 5}, {15, 5}, {12, 11}, {0, 11}}, kFolderFront, kOutline);
}

void DrawDriveImage(HDC context, const RECT& box, frontend::DriveKind kind) {
    const Grid grid(box);
    switch (kind) {
        case frontend::DriveKind::kRemovable:
            grid.Rectangle(context, {1, 1, 14, 10}, kCase, kCaseOutline);
            grid.Rectangle(context, {3, 4, 12, 5}, kCaseOutline, kCaseOutline);
            return;
        case frontend::DriveKind::kCdRom:
            grid.Ellipse(context, {2, 0, 13, 11}, kDisc, kCaseOutline);
            grid.Ellipse(context, {6, 4, 9, 7}, kSheet, kCaseOutline);
            return;
        case frontend::DriveKind::kRam:
            grid.Rectangle(context, {1, 3, 14, 8}, kChip, kCaseOutline);
            for (int leg = 2; leg < 14; leg += 3) {
                grid.Rectangle(context, {leg, 1, leg + 1, 2}, kCase, kCaseOutline);
                grid.Rectangle(context, {leg, 9, leg + 1, 10}, kCase, kCaseOutline);
            }
            return;
        case frontend::DriveKind::kNetwork:
            grid.Rectangle(context, {0, 0, 15, 6}, kCase, kCaseOutline);
            grid.Rectangle(context, {12, 3, 13, 4}, kLight, kLight);
            grid.Rectangle(context, {7, 6, 8, 11}, kCaseOutline, kCaseOutline);
            grid.Rectangle(context, {2, 10, 13, 11}, kCaseOutline, kCaseOutline);
            return;
        case frontend::DriveKind::kFixed:
            break;
    }
    grid.Rectangle(context, {0, 3, 15, 9}, kCase, kCaseOutline);
    grid.Rectangle(context, {12, 6, 13, 7}, kLight, kLight);
}

}  // namespace tarnix::win32
