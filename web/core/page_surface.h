#pragma once
// The dialog's client area as the page's canvas shows it: an RGBA buffer, four bytes a
// pixel, row after row, and the rectangle that paints have changed since the canvas
// last took it.

#include <cstdint>
#include <vector>

#include "flight/flight_records.h"

namespace vendrel::web {

struct DirtyRect {
  int x = 0, y = 0, width = 0, height = 0;
};

class PageSurface {
 public:
  PageSurface();

  int width() const;
  int height() const;
  const std::uint8_t* pixels() const { return pixels_.data(); }

  /// One paint of a started run: the axes and the segment from `pos` to `posNext`.
  void DrawRun(const Vec5& pos, const Vec5& posNext);

  /// The changed rectangle since the last call (empty when nothing changed).
  DirtyRect TakeDirty();

 private:
  std::vector<std::uint8_t> pixels_;
  int dirtyLeft_ = 0, dirtyTop_ = 0, dirtyRight_ = 0, dirtyBottom_ = 0;
};

}  // namespace vendrel::web
