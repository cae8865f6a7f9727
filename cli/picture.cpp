#include "cli/picture.h"

#include <QIODevice>

#include "platform/gdi.h"
#include "platform/qt_surface.h"
#include "ui/trajectory_view.h"

namespace vendrel::cli {

Picture::Picture() : surface_(MakeSurface(view::kClientWidth, view::kClientHeight)) {}

void Picture::OnTick(std::int64_t tick, const FlightState& st) {
  CDC dc(&surface_);
  // The axes of every later paint fall on those of the first, pixel for pixel.
  view::DrawRunStep(dc, st.pos, st.posNext, tick == 1);
}

void Picture::OnSegment(const TrajectoryRow& from, const TrajectoryRow& to) {
  CDC dc(&surface_);
  const Vec5 a{0.0, from.x, from.y, from.z, 0.0};
  const Vec5 b{0.0, to.x, to.y, to.z, 0.0};
  view::DrawRunStep(dc, a, b, from.tick == 0);
}

bool Picture::Save(QIODevice& device) const { return SurfaceImage(surface_).save(&device, "PNG"); }

}  // namespace vendrel::cli
