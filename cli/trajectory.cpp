#include "cli/trajectory.h"

#include <string>

#include "number_text/number_text.h"
#include "flight/trajectory.h"

namespace vendrel::cli {

TrajectoryWriter::TrajectoryWriter(std::FILE* out, Units units, bool phase) : out_(out), units_(units) {
  std::string header;
  if (phase) {
    for (std::string_view column : kBallTrajectoryColumns) (header += header.empty() ? "" : ",") += column;
  } else {
    for (std::string_view column : kTrajectoryColumns) (header += header.empty() ? "" : ",") += column;
  }
  header += '\n';
  std::fputs(header.c_str(), out_);
}

void TrajectoryWriter::OnTick(std::int64_t tick, const FlightState& st) {
  EmitTrajectoryRows(tick, st, [this](const TrajectoryRow& row) { Row(row); });
}

void TrajectoryWriter::Row(const TrajectoryRow& row) {
  const std::string line = Cells(row) + '\n';
  std::fwrite(line.data(), 1, line.size(), out_);
}

void TrajectoryWriter::Row(const BallTrajectoryRow& row) {
  const std::string line = Cells(row.row) + ',' + std::string(BallPhaseName(row.phase)) + '\n';
  std::fwrite(line.data(), 1, line.size(), out_);
}

std::string TrajectoryWriter::Cells(const TrajectoryRow& row) const {
  std::string line = std::to_string(row.tick);
  line += ',';
  AppendNumber(line, row.t);
  for (double v : {row.x, row.y, row.z}) {
    line += ',';
    AppendNumber(line, LengthFromModel(units_, v));
  }
  for (double v : {row.vx, row.vy, row.vz}) {
    line += ',';
    AppendNumber(line, SpeedFromModel(units_, v));
  }
  return line;
}

}  // namespace vendrel::cli
