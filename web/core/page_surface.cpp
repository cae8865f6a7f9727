#include "web/core/page_surface.h"

#include "ui/trajectory_view.h"

namespace vendrel::web {

PageSurface::PageSurface() : pixels_(MakeSurface(view::kClientWidth, view::kClientHeight)) {}

void PageSurface::DrawRun(const Vec5& pos, const Vec5& posNext) {
  CDC dc(&pixels_);
  view::DrawRunStep(dc, pos, posNext);
  dirty_ |= dc.ChangedRect();
}

DirtyRect PageSurface::TakeDirty() {
  const DirtyRect r{dirty_.left, dirty_.top, dirty_.Width(), dirty_.Height()};
  dirty_ = CRect{};
  return r;
}

}  // namespace vendrel::web
