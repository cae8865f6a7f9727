#pragma once
// The trajectory view's drawing, free of the dialog: the mapping of a position to the
// top and side views, the axes, a segment, one paint of a run and the fill of a clear,
// drawn through a device context on any surface. The dialog's paint, the page's canvas
// and the command line's picture all draw with these.

#include <optional>

#include "flight/flight_records.h"
#include "platform/gdi.h"

namespace vendrel::view {

inline constexpr int kLineWidth = 5;
inline constexpr COLORREF kLineColour = RGB(0, 255, 0);
inline constexpr COLORREF kClearColour = RGB(192, 191, 224);
/// The drawing area that a clear fills: x 0..699, y 0..899.
inline constexpr CRect kClearRect{0, 0, 700, 900};
/// The dialog's client area, and so the size of its surface and of a picture.
inline constexpr int kClientWidth = 971;
inline constexpr int kClientHeight = 824;

/// Screen point of a position in the top view (downrange against lateral) and in the
/// side view (downrange against height), 2 px per metre, truncated toward zero.
/// Empty when a coordinate is not a number or does not fit a 32-bit signed integer.
std::optional<CPoint> TopViewPoint(const Vec5& v);
std::optional<CPoint> SideViewPoint(const Vec5& v);

/// Creates the line pen: solid, 5 px, green.
void CreateLinePen(CPen& pen);

/// The four axis lines, with the pen selected in `dc`.
void DrawAxes(CDC& dc);
/// The segment from `from` to `to` in both views, with the pen selected in `dc`. A view
/// whose mapped end points are not both valid gets no segment.
void DrawSegment(CDC& dc, const Vec5& from, const Vec5& to);
/// One paint of a started run: with the line pen, the axes and the segment from `pos` to
/// `posNext`; the context's pen is as it was afterwards. A surface that has the axes
/// from an earlier paint gets them again pixel for pixel, so `axes` false may leave
/// them out there.
void DrawRunStep(CDC& dc, const Vec5& pos, const Vec5& posNext, bool axes = true);
/// The fill of a clear.
void FillClear(CDC& dc);

}  // namespace vendrel::view
