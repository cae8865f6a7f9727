#include "cli/picture.h"

#include <QIODevice>

#include "platform/gdi.h"
#include "platform/qt_surface.h"
#include "ui/trajectory_view.h"

namespace vendrel::cli {

Picture::Picture() : surface_(MakeSurface(view::kClientWidth, view::kClientHeight)) {}

void Picture::OnTick(std::int64_t tick, const FlightState& st) {
  CDC dc(&surface_);
  CPen pen;
  view::CreateLinePen(pen);
  CPen* old = dc.SelectObject(&pen);
  // Every paint of a run redraws the axes in the line colour; drawing them again over
  // themselves changes no pixel, so once per run gives the same picture.
  if (tick == 1) view::DrawAxes(dc);
  view::DrawSegment(dc, st.pos, st.posNext);
  dc.SelectObject(old);
}

bool Picture::Save(QIODevice& device) const { return SurfaceImage(surface_).save(&device, "PNG"); }

}  // namespace vendrel::cli
