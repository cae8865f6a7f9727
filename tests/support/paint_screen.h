#pragma once
// What a minimised window's paint cycle is expected to draw.

#include <algorithm>

#include "platform/afxwin.h"
#include "platform/qt_surface.h"

namespace vendrel::test {

/// The face colour at the client size (at least one pixel each way) with the icon's
/// corner at `at`: the erased background and the icon of a minimised window.
inline PixelBuffer IconOnFace(CSize client, CPoint at, HICON icon) {
  PixelBuffer screen = MakeSurface(std::max(client.cx, 1), std::max(client.cy, 1));
  CDC dc(&screen);
  DrawIcon(dc, at.x, at.y, icon);
  return screen;
}

}  // namespace vendrel::test
