#include "ui/trajectory_view.h"

#include <cmath>
#include <cstdint>

namespace vendrel::view {

namespace {

/// Truncation toward zero to a 32-bit signed integer, or nothing when the value is not
/// a number or the result would not fit (the plain conversion is undefined there).
std::optional<int> TruncToInt32(double d) {
  if (!(d > -2147483649.0 && d < 2147483648.0)) return std::nullopt;  // NaN fails too
  return static_cast<int>(static_cast<std::int32_t>(d));
}

std::optional<CPoint> MakePoint(double x, double y) {
  const auto px = TruncToInt32(x);
  const auto py = TruncToInt32(y);
  if (!px || !py) return std::nullopt;
  return CPoint{*px, *py};
}

void Segment(CDC& dc, const std::optional<CPoint>& from, const std::optional<CPoint>& to) {
  if (!from || !to) return;
  dc.MoveTo(from->x, from->y);
  dc.LineTo(to->x, to->y);
}

}  // namespace

std::optional<CPoint> TopViewPoint(const Vec5& v) {
  const double x = 2.0 * v[1] + 10.0;
  const double y = 200.0 - 2.0 * v[2];
  return MakePoint(x, y);
}

std::optional<CPoint> SideViewPoint(const Vec5& v) {
  const double x = 2.0 * v[1] + 10.0;
  const double y = 750.0 - 2.0 * v[3];
  return MakePoint(x, y);
}

void CreateLinePen(CPen& pen) { pen.CreatePen(PS_SOLID, kLineWidth, kLineColour); }

void DrawAxes(CDC& dc) {
  // Top view: the lateral axis, then the downrange axis at lateral offset 0.
  dc.MoveTo(10, 10);
  dc.LineTo(10, 400);
  dc.MoveTo(10, 200);
  dc.LineTo(600, 200);
  // Side view: the height axis and the ground line as one line.
  dc.MoveTo(10, 460);
  dc.LineTo(10, 750);
  dc.LineTo(600, 750);
}

void DrawSegment(CDC& dc, const Vec5& from, const Vec5& to) {
  Segment(dc, TopViewPoint(from), TopViewPoint(to));
  Segment(dc, SideViewPoint(from), SideViewPoint(to));
}

void DrawRunStep(CDC& dc, const Vec5& pos, const Vec5& posNext, bool axes) {
  CPen pen;
  CreateLinePen(pen);
  CPen* old = dc.SelectObject(&pen);
  if (axes) DrawAxes(dc);
  DrawSegment(dc, pos, posNext);
  dc.SelectObject(old);
}

void FillClear(CDC& dc) {
  dc.FillSolidRect(kClearRect.left, kClearRect.top, kClearRect.Width(), kClearRect.Height(),
                   kClearColour);
}

}  // namespace vendrel::view
