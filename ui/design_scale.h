#pragma once

// The windows are laid out in pixels as drawn at 96 pixels per inch and scaled to the screen's setting.

#include <QRect>
#include <QWidget>

#include "window_design.h"

namespace tarnix {

using frontend::Bounds;

// Scales drawn pixels to the logical DPI of a widget's screen.
class DesignScale {
  public:
    explicit DesignScale(const QWidget& widget) : pixelsPerInch_(widget.logicalDpiY()) {}

    int Scaled(int pixels) const { return frontend::Scaled(pixels, pixelsPerInch_); }
    QRect Rect(Bounds bounds) const {
        return {Scaled(bounds.left), Scaled(bounds.top), Scaled(bounds.width), Scaled(bounds.height)};
    }

  private:
    int pixelsPerInch_;
};

}  // namespace tarnix
