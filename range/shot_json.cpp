#include "range/shot_json.h"

#include "json_text/json_text.h"

namespace vendrel::range {
namespace {

nlohmann::ordered_json Parsed(const std::string& text) {
  if (text.empty()) return nullptr;
  return nlohmann::ordered_json::parse(text, nullptr, false);
}

}  // namespace

nlohmann::ordered_json ShotJson(const StoredShot& shot) {
  const ShotLaunch& l = shot.launch;
  const ShotResult& r = shot.result;
  nlohmann::ordered_json j;
  j["id"] = shot.id;
  j["time"] = shot.time;
  j["device"] = shot.device;
  j["shot_number"] = shot.shotNumber ? nlohmann::ordered_json(*shot.shotNumber) : nlohmann::ordered_json(nullptr);
  j["club"] = shot.club.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(shot.club);
  j["launch"] = {{"speed", l.speed},         {"vertical_angle", l.verticalAngle},
                 {"horizontal_angle", l.horizontalAngle}, {"back_spin", l.backSpin},
                 {"side_spin", l.sideSpin}, {"total_spin", l.totalSpin},
                 {"spin_axis", l.spinAxis}};
  j["measured_carry"] = shot.measuredCarry ? nlohmann::ordered_json(*shot.measuredCarry) : nlohmann::ordered_json(nullptr);
  j["result"] = {{"carry", r.carry},     {"apex", r.apex},         {"landing_angle", r.landingAngle},
                 {"lateral", r.lateral}, {"total", r.total},       {"rest_x", r.restX},
                 {"rest_y", r.restY},    {"flight_time", r.flightTime}};
  j["conditions"] = Parsed(shot.conditions);
  j["club_data"] = Parsed(shot.clubData);
  j["message"] = Parsed(shot.raw);
  return j;
}

std::string ShotsJsonText(const std::vector<StoredShot>& shots) {
  auto all = nlohmann::ordered_json::array();
  for (const StoredShot& shot : shots) all.push_back(ShotJson(shot));
  return JsonText(all) + "\n";
}

}  // namespace vendrel::range
