#include "platform/gdi.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

// Lines are rasterised here rather than by a general painter. Qt's raster engine works in fixed
// point and misbehaves for end points far outside the image, and clipping a segment
// before stroking it moves its outline by rounding, so the visible pixels could differ
// from those of the unclipped line. Here every pixel is decided in exact integer
// arithmetic from the segment's own end points, and only the rows and columns of the
// surface are ever visited: a segment of any length costs at most the surface's size,
// and its visible pixels are those of the whole line.

namespace {

using i64 = std::int64_t;
__extension__ typedef __int128 i128;  // exact products of 32-bit coordinates

// Wider pens than this draw as this wide; it keeps the exact arithmetic within 128 bits
// and is far wider than any surface.
constexpr int kMaxPenWidth = 1 << 20;

i128 FloorDiv(i128 a, i128 b) {
  i128 q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

i128 CeilDiv(i128 a, i128 b) {
  i128 q = a / b;
  if ((a % b != 0) && ((a < 0) == (b < 0))) ++q;
  return q;
}

/// floor(sqrt(k)) for 0 <= k < 2^120.
i128 ISqrt(i128 k) {
  if (k <= 0) return 0;
  auto m = static_cast<i128>(std::sqrt(static_cast<long double>(k)));
  while (m > 0 && m * m > k) --m;
  while ((m + 1) * (m + 1) <= k) ++m;
  return m;
}

/// Writes pixels of one colour into a surface; anything outside it is dropped. It
/// notes the bounding box of the pixels whose value it changed, so that the window
/// shows again only what a paint really altered.
class PixelWriter {
 public:
  PixelWriter(PixelBuffer& surface, COLORREF colour, CRect& changed)
      : surface_(surface), width_(surface.Width()), height_(surface.Height()),
        word_(PixelBuffer::Word(colour)), changed_(changed) {}

  int width() const { return width_; }
  int height() const { return height_; }

  /// Pixels x0..x1 of row y, each clamped to the surface. Only the pixels from the first
  /// to the last that differ are written, and only they count as changed.
  void Span(i64 y, i64 x0, i64 x1) {
    if (y < 0 || y >= height_) return;
    x0 = std::max<i64>(x0, 0);
    x1 = std::min<i64>(x1, width_ - 1);
    if (x0 > x1) return;
    std::uint32_t* row = surface_.Row(static_cast<int>(y));
    i64 first = x0;
    while (first <= x1 && row[first] == word_) ++first;
    if (first > x1) return;
    i64 last = x1;
    while (row[last] == word_) --last;  // stops at `first` at the latest
    for (i64 x = first; x <= last; ++x) row[x] = word_;
    changed_ |= CRect{static_cast<int>(first), static_cast<int>(y), static_cast<int>(last + 1),
                      static_cast<int>(y + 1)};
  }

  /// Pixels x0..x1 of rows y0..y1: Span on every row.
  void Rect(i64 y0, i64 y1, i64 x0, i64 x1) {
    y0 = std::max<i64>(y0, 0);
    y1 = std::min<i64>(y1, height_ - 1);
    for (i64 y = y0; y <= y1; ++y) Span(y, x0, x1);
  }

 private:
  PixelBuffer& surface_;
  int width_;
  int height_;
  std::uint32_t word_;
  CRect& changed_;
};

/// A pen's line: every pixel whose centre lies within half the pen's width of the
/// segment, which gives a wide pen round ends, and round joins where lines meet at an
/// end point. Each row is the union of three exact spans: the disc around each end
/// point and the band along the segment.
void Line(PixelWriter& out, i64 ax, i64 ay, i64 bx, i64 by, i64 width) {
  const i64 w2 = width * width;  // a pixel is in when 4 * distance² <= width²
  const i64 reach = (width + 1) / 2;
  const i64 dx = bx - ax;
  const i64 dy = by - ay;
  const i128 len2 = static_cast<i128>(dx) * dx + static_cast<i128>(dy) * dy;
  // |2 * cross| <= width * |d|, with the root taken exactly on integers.
  const i128 band = ISqrt(static_cast<i128>(w2) * len2);

  const i64 yTop = std::max<i64>(std::min(ay, by) - reach, 0);
  const i64 yBottom = std::min<i64>(std::max(ay, by) + reach, out.height() - 1);
  const i128 uMinSurface = -static_cast<i128>(ax);  // px = ax + u within 0..width-1
  const i128 uMaxSurface = static_cast<i128>(out.width()) - 1 - ax;

  auto disc = [&](i64 y, i64 cx, i64 cy) {
    const i64 ry = y - cy;
    if (ry < -reach || ry > reach) return;
    const i64 rest = w2 - 4 * ry * ry;  // 4 * rx² <= rest
    if (rest < 0) return;
    const i64 rx = static_cast<i64>(ISqrt(rest / 4));
    out.Span(y, cx - rx, cx + rx);
  };

  // Within the band: -band <= 2 * (dx * ry - dy * u) <= band, with e = 2 * dx * ry.
  const i128 g = 2 * static_cast<i128>(dy);
  auto withinBand = [&](i128 e, i128& lo, i128& hi) {
    if (g == 0) return e >= -band && e <= band;
    if (g > 0) {
      lo = std::max(lo, CeilDiv(e - band, g));
      hi = std::min(hi, FloorDiv(e + band, g));
    } else {
      lo = std::max(lo, CeilDiv(e + band, g));
      hi = std::min(hi, FloorDiv(e - band, g));
    }
    return true;
  };
  // Alongside the segment: 0 <= u * dx + ry * dy <= |d|², with h = ry * dy.
  auto alongside = [&](i128 h, i128& lo, i128& hi) {
    if (dx == 0) return h >= 0 && h <= len2;
    if (dx > 0) {
      lo = std::max(lo, CeilDiv(-h, dx));
      hi = std::min(hi, FloorDiv(len2 - h, dx));
    } else {
      lo = std::max(lo, CeilDiv(len2 - h, dx));
      hi = std::min(hi, FloorDiv(-h, dx));
    }
    return true;
  };
  // A vertical segment has e = 0 and a horizontal one h = 0 on every row: that bound is
  // the same for all rows and worked out once. The view's axes, drawn again at every
  // paint, then cost no 128-bit division a row.
  const bool bandFixed = dx == 0;
  const bool alongFixed = dy == 0;
  i128 fixedLo = uMinSurface;
  i128 fixedHi = uMaxSurface;
  bool fixedIn = len2 != 0;
  if (fixedIn && bandFixed) fixedIn = withinBand(0, fixedLo, fixedHi);
  if (fixedIn && alongFixed) fixedIn = alongside(0, fixedLo, fixedHi);

  // The discs, on the rows within reach of their centres.
  for (const auto& [cx, cy] : {std::pair{ax, ay}, std::pair{bx, by}}) {
    const i64 last = std::min(cy + reach, yBottom);
    for (i64 y = std::max(cy - reach, yTop); y <= last; ++y) disc(y, cx, cy);
  }
  if (!fixedIn) return;

  if (bandFixed || alongFixed) {
    // An axis-parallel segment: the fixed bounds on the rows the other test lets in,
    // drawn as one block. A vertical one passes 0 <= ry * dy <= dy² on the rows from
    // one end to the other; a horizontal one, whose band is exactly width * |dx|, passes
    // |2 * dx * ry| <= width * |dx| on the rows within width / 2 of it.
    const i64 first = std::max(bandFixed ? std::min(ay, by) : ay - width / 2, yTop);
    const i64 last = std::min(bandFixed ? std::max(ay, by) : ay + width / 2, yBottom);
    if (first <= last && fixedLo <= fixedHi) {
      out.Rect(first, last, static_cast<i64>(fixedLo + ax), static_cast<i64>(fixedHi + ax));
    }
    return;
  }

  for (i64 y = yTop; y <= yBottom; ++y) {
    const i128 ry = static_cast<i128>(y) - ay;
    i128 lo = fixedLo;
    i128 hi = fixedHi;
    if (!withinBand(2 * dx * ry, lo, hi)) continue;
    if (!alongside(ry * dy, lo, hi)) continue;
    if (lo <= hi) out.Span(y, static_cast<i64>(lo + ax), static_cast<i64>(hi + ax));
  }
}

}  // namespace

PixelBuffer MakeSurface(int width, int height) { return PixelBuffer(width, height, kFaceColour); }

BOOL CPen::CreatePen(int style, int width, COLORREF colour) {
  if (style != PS_SOLID) return FALSE;
  valid_ = true;
  style_ = style;
  width_ = width;
  colour_ = colour;
  return TRUE;
}

BOOL CPen::DeleteObject() {
  const bool was = valid_;
  valid_ = false;
  return was ? TRUE : FALSE;
}

CPen* CDC::SelectObject(CPen* pen) {
  CPen* previous = pen_;
  pen_ = pen;
  return previous;
}

CPoint CDC::MoveTo(int x, int y) {
  const CPoint previous = current_;
  current_ = {x, y};
  return previous;
}

BOOL CDC::LineTo(int x, int y) {
  const CPoint from = current_;
  current_ = {x, y};
  if (surface_ == nullptr || surface_->IsNull()) return FALSE;

  // Without a pen of our own, the stock pen: black, one pixel.
  int width = 1;
  COLORREF colour = RGB(0, 0, 0);
  if (pen_ != nullptr) {
    if (!pen_->valid()) return FALSE;
    width = std::min(pen_->width(), kMaxPenWidth);
    colour = pen_->colour();
  }

  PixelWriter out(*surface_, colour, changed_);
  Line(out, from.x, from.y, x, y, std::max(width, 1));  // width 0: one pixel, as the platform
  return TRUE;
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF colour) {
  if (surface_ == nullptr || surface_->IsNull() || cx <= 0 || cy <= 0) return;
  PixelWriter out(*surface_, colour, changed_);
  out.Rect(y, static_cast<i64>(y) + cy - 1, x, static_cast<i64>(x) + cx - 1);
}

void CDC::NoteChanged(const CRect& area) {
  if (surface_ == nullptr) return;
  const CRect all{0, 0, surface_->Width(), surface_->Height()};
  const CRect clipped{std::max(area.left, all.left), std::max(area.top, all.top),
                      std::min(area.right, all.right), std::min(area.bottom, all.bottom)};
  changed_ |= clipped;
}
