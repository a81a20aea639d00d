#pragma once

// The windows are laid out in pixels as drawn at 96 pixels per inch and scaled to the screen's setting.

#include <QRect>
#include <QWidget>
#include <QtMath>

namespace tarnix {

// Left, top, width and height of a control as drawn at 96 pixels per inch.
struct Bounds {
    int left;
    int top;
    int width;
    int height;
};

// Scales drawn pixels to the logical DPI of a widget's screen.
class DesignScale {
  public:
    explicit DesignScale(const QWidget& widget) : scale_(widget.logicalDpiY() / 96.0) {}

    int Scaled(int pixels) const { return qRound(pixels * scale_); }
    QRect Rect(Bounds bounds) const {
        return {Scaled(bounds.left), Scaled(bounds.top), Scaled(bounds.width), Scaled(bounds.height)};
    }

  private:
    double scale_;
};

}  // namespace tarnix
