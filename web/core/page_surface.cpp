#include "web/core/page_surface.h"

namespace vendrel::web {
namespace {
// The dialog's client area (647 × 549 dialog units at 6 × 12 px base units).
constexpr int kWidth = 971;
constexpr int kHeight = 824;
constexpr std::uint8_t kFace = 240;
}  // namespace

PageSurface::PageSurface() : pixels_(static_cast<std::size_t>(kWidth) * kHeight * 4, kFace) {
  for (std::size_t i = 3; i < pixels_.size(); i += 4) pixels_[i] = 255;
}

int PageSurface::width() const { return kWidth; }
int PageSurface::height() const { return kHeight; }

void PageSurface::DrawRun(const Vec5&, const Vec5&) {}

DirtyRect PageSurface::TakeDirty() {
  DirtyRect r{dirtyLeft_, dirtyTop_, dirtyRight_ - dirtyLeft_, dirtyBottom_ - dirtyTop_};
  dirtyLeft_ = dirtyTop_ = dirtyRight_ = dirtyBottom_ = 0;
  return r;
}

}  // namespace vendrel::web
