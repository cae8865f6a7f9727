#pragma once
// Pictures of the trajectory view made straight from its drawing calls, with the line
// pen selected as a paint selects it: what the dialog's surface and the command line's
// picture must equal. Standard C++ only.

#include <cstdint>
#include <utility>

#include "flight/windowless_run.h"
#include "platform/gdi.h"
#include "ui/trajectory_view.h"

namespace vendrel::test {

/// A blank surface at the dialog's client size.
inline PixelBuffer BlankClient() { return MakeSurface(view::kClientWidth, view::kClientHeight); }

/// What `draw` makes on `surface` through a context with the line pen selected.
template <class F>
PixelBuffer WithLinePen(PixelBuffer surface, F&& draw) {
  CDC dc(&surface);
  CPen pen;
  view::CreateLinePen(pen);
  CPen* old = dc.SelectObject(&pen);
  std::forward<F>(draw)(dc);
  dc.SelectObject(old);
  pen.DeleteObject();
  return surface;
}

/// The axes and the segments of the run's first `ticks` ticks (all of them: -1), all
/// drawn at once on `surface`; `outcome`, when given, receives how the run ended.
inline PixelBuffer RunPicture(PixelBuffer surface, FlightForm form, std::int64_t ticks = -1,
                              FlightOutcome* outcome = nullptr) {
  return WithLinePen(std::move(surface), [&](CDC& dc) {
    view::DrawAxes(dc);
    const FlightOutcome out =
        RunFlight(form, ticks < 0 ? 1000000 : ticks, [&](std::int64_t, const FlightState& st) {
          view::DrawSegment(dc, st.pos, st.posNext);
        });
    if (outcome != nullptr) *outcome = out;
  });
}

/// A blank client surface after a clear.
inline PixelBuffer ClearedClient() {
  PixelBuffer s = BlankClient();
  CDC dc(&s);
  view::FillClear(dc);
  return s;
}

}  // namespace vendrel::test
