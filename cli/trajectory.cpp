#include "cli/trajectory.h"

#include <string>

#include "number_text/number_text.h"

namespace vendrel::cli {

TrajectoryWriter::TrajectoryWriter(std::FILE* out, Units units) : out_(out), units_(units) {
  std::fputs("tick,t,x,y,z,vx,vy,vz\n", out_);
}

void TrajectoryWriter::OnTick(std::int64_t tick, const FlightState& st) {
  if (tick == 1) Row(0, 0.0, Vec5{}, st.launchVel);
  Row(tick, static_cast<double>(tick) * st.dt, st.posNext, st.velNext);
}

void TrajectoryWriter::Row(std::int64_t tick, double t, const Vec5& pos, const Vec5& vel) {
  std::string line = std::to_string(tick);
  line += ',';
  AppendNumber(line, t);
  for (double v : {pos[1], pos[2], pos[3]}) {
    line += ',';
    AppendNumber(line, LengthFromModel(units_, v));
  }
  for (double v : {vel[1], vel[2], vel[3]}) {
    line += ',';
    AppendNumber(line, SpeedFromModel(units_, v));
  }
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), out_);
}

}  // namespace vendrel::cli
