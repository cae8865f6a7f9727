#pragma once
// The Qt side of a surface: a QImage over the same pixels, to show it in a widget, save
// it or let Qt draw what the device contexts cannot (icons).

#include <QImage>
#include <QRect>

#include "platform/gdi.h"

class QIcon;

/// The surface as a QImage sharing its pixels: what a QPainter draws on the image
/// lands on the surface. Valid while the surface lives and keeps its size.
QImage SurfaceImage(PixelBuffer& surface);
/// The same, read-only: the image copies the pixels before any change.
QImage SurfaceImage(const PixelBuffer& surface);

inline QRect ToQRect(const CRect& r) {
  return r.IsRectEmpty() ? QRect() : QRect(r.left, r.top, r.Width(), r.Height());
}

/// Draws the icon at its large size (32 × 32) with its top-left corner at (x, y) on
/// the context's surface. FALSE without a surface, an icon, or a GUI application.
BOOL DrawIcon(CDC& dc, int x, int y, const QIcon* icon);
