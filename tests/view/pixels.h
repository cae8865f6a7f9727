#pragma once
// Pixel helpers for the drawing tests, and an independent statement of what a wide
// pen covers: a pixel whose centre lies within half the pen's width of the segment.

#include <QImage>

#include <cstdint>
#include <vector>

#include "platform/gdi.h"

namespace vendrel::test {

inline QRgb Rgb(COLORREF c) { return qRgb(GetRValue(c), GetGValue(c), GetBValue(c)); }

inline QRgb At(const QImage& img, int x, int y) { return img.pixel(x, y) | 0xff000000u; }

/// Number of pixels that differ between two surfaces of the same size.
inline std::int64_t DiffCount(const QImage& a, const QImage& b) {
  const QImage ca = a.convertToFormat(QImage::Format_RGB32);
  const QImage cb = b.convertToFormat(QImage::Format_RGB32);
  std::int64_t n = 0;
  for (int y = 0; y < ca.height(); ++y) {
    const auto* ra = reinterpret_cast<const QRgb*>(ca.constScanLine(y));
    const auto* rb = reinterpret_cast<const QRgb*>(cb.constScanLine(y));
    for (int x = 0; x < ca.width(); ++x)
      if ((ra[x] | 0xff000000u) != (rb[x] | 0xff000000u)) ++n;
  }
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
inline QImage Reference(QImage surface, const std::vector<Seg>& segs, std::int64_t width,
                        COLORREF colour) {
  for (int y = 0; y < surface.height(); ++y)
    for (int x = 0; x < surface.width(); ++x)
      for (const Seg& s : segs)
        if (Covers(s, x, y, width)) {
          surface.setPixel(x, y, Rgb(colour));
          break;
        }
  return surface;
}

}  // namespace vendrel::test
