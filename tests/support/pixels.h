#pragma once
// Pixel helpers for the drawing tests, and an independent statement of what a wide
// pen covers: a pixel whose centre lies within half the pen's width of the segment.
// Standard C++ only, like the surfaces they look at.

#include <cstdint>
#include <vector>

#include "platform/gdi.h"

namespace vendrel::test {

inline constexpr COLORREF kFace = RGB(240, 240, 240);

inline COLORREF At(const PixelBuffer& s, int x, int y) { return s.Pixel(x, y); }

/// Number of pixels that differ between two surfaces of the same size.
inline std::int64_t DiffCount(const PixelBuffer& a, const PixelBuffer& b) {
  std::int64_t n = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.Pixel(x, y) != b.Pixel(x, y)) ++n;
  return n;
}

struct Seg {
  std::int64_t ax, ay, bx, by;
};

/// Whether the pixel (x, y) lies within width / 2 of the segment, decided per pixel on
/// the definition (the end discs, or the band beside the segment). End points up to
/// 2^28 from the pixel keep the products within 128 bits.
inline bool Covers(const Seg& s, std::int64_t x, std::int64_t y, std::int64_t width) {
  __extension__ typedef __int128 i128;
  const i128 w2 = static_cast<i128>(width) * width;
  const i128 pax = x - s.ax, pay = y - s.ay, pbx = x - s.bx, pby = y - s.by;
  if (4 * (pax * pax + pay * pay) <= w2) return true;
  if (4 * (pbx * pbx + pby * pby) <= w2) return true;
  const i128 dx = s.bx - s.ax, dy = s.by - s.ay;
  const i128 len2 = dx * dx + dy * dy;
  if (len2 == 0) return false;
  const i128 proj = pax * dx + pay * dy;
  if (proj < 0 || proj > len2) return false;
  const i128 cross = dx * pay - dy * pax;
  return 4 * cross * cross <= w2 * len2;
}

/// The surface the segments would give if each pixel were decided on its own.
inline PixelBuffer Reference(PixelBuffer surface, const std::vector<Seg>& segs,
                             std::int64_t width, COLORREF colour) {
  for (int y = 0; y < surface.Height(); ++y)
    for (int x = 0; x < surface.Width(); ++x)
      for (const Seg& s : segs)
        if (Covers(s, x, y, width)) {
          surface.SetPixel(x, y, colour);
          break;
        }
  return surface;
}

}  // namespace vendrel::test
