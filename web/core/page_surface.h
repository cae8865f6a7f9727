#pragma once
// The dialog's client area as the page's canvas shows it: the desktop's surface (an
// RGBA buffer, a browser's ImageData layout) drawn by the desktop's trajectory view,
// and the rectangle the paints have changed since the canvas last took it.

#include <cstdint>

#include "flight/flight_records.h"
#include "platform/gdi.h"

namespace vendrel::web {

struct DirtyRect {
  int x = 0, y = 0, width = 0, height = 0;
};

class PageSurface {
 public:
  PageSurface();

  int width() const { return pixels_.Width(); }
  int height() const { return pixels_.Height(); }
  const std::uint8_t* pixels() const { return pixels_.Bits(); }

  /// One paint of a started run, as the dialog's: the axes and the segment from `pos`
  /// to `posNext`, with the line pen.
  void DrawRun(const Vec5& pos, const Vec5& posNext);

  /// The changed rectangle since the last call (empty when nothing changed).
  DirtyRect TakeDirty();

 private:
  PixelBuffer pixels_;
  CRect dirty_{};
};

}  // namespace vendrel::web
