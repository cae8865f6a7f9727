#pragma once
// The dialog's drawing surface rendered without a window: the same drawing code, the
// same size and colours, flights accumulating on it as runs do in the window.

#include "flight/flight_records.h"
#include "flight/trajectory.h"
#include "platform/pixel_buffer.h"

class QIODevice;

namespace vendrel::cli {

class Picture {
 public:
  Picture();
  /// What the paint after tick `tick` of a run adds to the surface.
  void OnTick(std::int64_t tick, const FlightState& st);
  /// The same for one segment of any model's trajectory rows (flight/trajectory.h).
  void OnSegment(const TrajectoryRow& from, const TrajectoryRow& to);
  bool Save(QIODevice& device) const;
  const PixelBuffer& surface() const { return surface_; }

 private:
  PixelBuffer surface_;
};

}  // namespace vendrel::cli
