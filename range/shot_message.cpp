#include "range/shot_message.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>
#include <limits>

#include "flight/ball_params.h"
#include "flight/portable_math.h"
#include "flight/units.h"

namespace vendrel::range {
namespace {

using Json = nlohmann::json;

constexpr double kTwoPi = 6.283185307179586;

// A range as the message gives it.
struct Range {
  double min, max;
  const char* unit;
};

constexpr Range kSpeedMph{1, 250, "mph"};
constexpr Range kSpeedMetric{0.5, kFastestShot, "m/s"};
constexpr Range kAngle{-90, 90, "deg"};  // also keeps the axis within the exact sine's domain
constexpr Range kTotalSpin{0, 20000, "rpm"};
constexpr Range kSpin{-20000, 20000, "rpm"};
constexpr Range kCarryYards{0, 1000, "yd"};
constexpr Range kCarryMetres{0, 1000, "m"};

// The shortest text that reads back to `v`, in plain decimals where that is short.
std::string Number(double v) {
  char buf[400];
  const double a = std::fabs(v);
  const bool plain = a == 0.0 || (a >= 1e-6 && a < 1e16);
  const auto r = plain ? std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed)
                       : std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

std::string TypeName(const Json& v) {
  switch (v.type()) {
    case Json::value_t::null: return "null";
    case Json::value_t::object: return "an object";
    case Json::value_t::array: return "an array";
    case Json::value_t::string: return "a string";
    case Json::value_t::boolean: return "a boolean";
    case Json::value_t::binary: return "binary";
    case Json::value_t::discarded: return "nothing";
    default: return "a number";
  }
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// A member by its name, the exact spelling first, then in any case: connectors differ
// in how they capitalise (APIversion, APIVersion).
const Json* Member(const Json& object, std::string_view name) {
  const auto exact = object.find(name);
  if (exact != object.end()) return &*exact;
  for (auto it = object.begin(); it != object.end(); ++it) {
    if (SameName(it.key(), name)) return &*it;
  }
  return nullptr;
}

// Reading fails by throwing the reason, which becomes the refusal.
struct Refusal {
  std::string reason;
};

std::optional<double> ReadNumber(const Json& object, const char* where, const char* name, const Range& range) {
  const Json* v = Member(object, name);
  if (v == nullptr || v->is_null()) return std::nullopt;
  const std::string field = std::string(where) + name;
  if (!v->is_number()) throw Refusal{field + ": expected a number, got " + TypeName(*v)};
  const double d = v->get<double>();
  if (!std::isfinite(d)) throw Refusal{field + ": not a finite number"};
  if (!(d >= range.min && d <= range.max)) {
    throw Refusal{field + ": " + Number(d) + " " + range.unit + " is out of range (allowed: " + Number(range.min) +
                  " to " + Number(range.max) + " " + range.unit + ")"};
  }
  return d;
}

std::optional<bool> ReadBool(const Json& object, const char* name) {
  const Json* v = Member(object, name);
  if (v == nullptr || v->is_null()) return std::nullopt;
  if (v->is_boolean()) return v->get<bool>();
  // 0 and 1 are taken as well.
  if (v->is_number_integer() && (v->get<std::int64_t>() == 0 || v->get<std::int64_t>() == 1)) {
    return v->get<std::int64_t>() == 1;
  }
  throw Refusal{std::string("ShotDataOptions.") + name + ": expected true or false, got " + TypeName(*v)};
}

std::string ReadText(const Json& object, const char* name) {
  const Json* v = Member(object, name);
  if (v == nullptr || v->is_null()) return {};
  if (v->is_string()) return v->get<std::string>();
  throw Refusal{std::string(name) + ": expected a string, got " + TypeName(*v)};
}

const Json* ReadObject(const Json& object, const char* name) {
  const Json* v = Member(object, name);
  if (v == nullptr || v->is_null()) return nullptr;
  if (!v->is_object()) throw Refusal{std::string(name) + ": expected an object, got " + TypeName(*v)};
  return v;
}

std::optional<std::int64_t> ReadShotNumber(const Json& object) {
  const Json* v = Member(object, "ShotNumber");
  if (v == nullptr || v->is_null()) return std::nullopt;
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  if (v->is_number_unsigned()) {
    if (v->get<std::uint64_t>() > static_cast<std::uint64_t>(kMax)) {
      throw Refusal{std::string("ShotNumber: beyond ") + std::to_string(kMax)};
    }
    return static_cast<std::int64_t>(v->get<std::uint64_t>());
  }
  if (v->is_number_integer()) return v->get<std::int64_t>();
  if (v->is_number_float()) {
    // 12.0 is a whole number too; anything with a fraction or beyond 2^53 is not one
    // a double holds exactly.
    const double d = v->get<double>();
    if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) <= 9007199254740992.0) {
      return static_cast<std::int64_t>(d);
    }
    throw Refusal{"ShotNumber: expected a whole number, got " + Number(d)};
  }
  throw Refusal{"ShotNumber: expected a whole number, got " + TypeName(*v)};
}

void ReadLaunch(const Json& ball, bool metric, ShotLaunch& launch, std::optional<double>& carry) {
  const char* where = "BallData.";
  const auto speed = ReadNumber(ball, where, "Speed", metric ? kSpeedMetric : kSpeedMph);
  if (!speed) throw Refusal{"BallData.Speed: missing"};
  const auto vla = ReadNumber(ball, where, "VLA", kAngle);
  if (!vla) throw Refusal{"BallData.VLA: missing"};
  const auto hla = ReadNumber(ball, where, "HLA", kAngle);
  const auto total = ReadNumber(ball, where, "TotalSpin", kTotalSpin);
  const auto axis = ReadNumber(ball, where, "SpinAxis", kAngle);
  const auto back = ReadNumber(ball, where, "BackSpin", kSpin);
  const auto side = ReadNumber(ball, where, "SideSpin", kSpin);
  carry = ReadNumber(ball, where, "CarryDistance", metric ? kCarryMetres : kCarryYards);

  launch.speed = metric ? *speed : *speed * kMetresPerSecondPerMph;
  launch.verticalAngle = *vla;
  launch.horizontalAngle = hla.value_or(0.0);
  if (carry && !metric) *carry = *carry * kMetresPerYard;
  // The total and its axis come first; a total of 0 beside a back or side spin is a
  // monitor that measures those two only.
  const bool fromComponents = back && (!total || (*total == 0.0 && (*back != 0.0 || side.value_or(0.0) != 0.0)));
  if (fromComponents) {
    launch.backSpin = *back;
    launch.sideSpin = side.value_or(0.0);
    // The flyer flies the total about its axis, and the page flies the stored ones
    // again: the portable arc tangent gives the axis the same bits on every build.
    launch.totalSpin = std::sqrt(launch.backSpin * launch.backSpin + launch.sideSpin * launch.sideSpin);
    launch.spinAxis = launch.totalSpin == 0.0 ? 0.0 : PortableAtan2(launch.sideSpin, launch.backSpin) / kTwoPi * 360.0;
  } else if (total) {
    launch.totalSpin = *total;
    launch.spinAxis = axis.value_or(0.0);
    SpinComponents(launch.totalSpin, launch.spinAxis, launch.backSpin, launch.sideSpin);
  } else {
    throw Refusal{"BallData: no spin (TotalSpin, or BackSpin and SideSpin)"};
  }
}

Message Read(std::string_view text) {
  Json json;
  try {
    json = Json::parse(text.begin(), text.end());
  } catch (const Json::parse_error& e) {
    // The reader stops on the N of NaN or the I of Infinity: say what is wrong in words.
    const std::size_t at = e.byte == 0 ? 0 : e.byte - 1;
    if (at < text.size() && (text[at] == 'N' || text[at] == 'I')) {
      return {Message::Refused, {}, {}, "not JSON: NaN and Infinity are not numbers in JSON"};
    }
    return {Message::Refused, {}, {}, std::string("not JSON: ") + e.what()};
  } catch (const Json::exception& e) {
    // A number too large for a double (1e400) is refused by the reader as out of range.
    return {Message::Refused, {}, {}, std::string("not JSON: ") + e.what()};
  }
  if (!json.is_object()) return {Message::Refused, {}, {}, "not JSON: a message is a JSON object"};

  Message m;
  m.status.deviceId = ReadText(json, "DeviceID");
  const std::string units = ReadText(json, "Units");
  bool metric = false;
  if (SameName(units, "Meters") || SameName(units, "Metres")) {
    metric = true;
  } else if (!units.empty() && !SameName(units, "Yards")) {
    throw Refusal{"Units: '" + units + "' is not Yards or Meters"};
  }
  if (const Json* api = Member(json, "APIversion"); api != nullptr && !api->is_null()) {
    const bool one = (api->is_string() && api->get<std::string>() == "1") ||
                     (api->is_number_integer() && api->get<std::int64_t>() == 1);
    if (!one) throw Refusal{"APIversion: " + api->dump() + " is not supported (1 is)"};
  }
  const auto shotNumber = ReadShotNumber(json);

  std::optional<bool> containsBall, heartbeat;
  if (const Json* opts = ReadObject(json, "ShotDataOptions")) {
    containsBall = ReadBool(*opts, "ContainsBallData");
    ReadBool(*opts, "ContainsClubData");
    m.status.ready = ReadBool(*opts, "LaunchMonitorIsReady");
    m.status.ballDetected = ReadBool(*opts, "LaunchMonitorBallDetected");
    heartbeat = ReadBool(*opts, "IsHeartBeat");
  }
  m.status.heartbeat = heartbeat.value_or(false);
  // Heartbeats often carry a BallData of zeros; they and messages without ball data
  // are the monitor's status.
  const Json* ball = Member(json, "BallData");
  if (m.status.heartbeat || containsBall == false || ball == nullptr || ball->is_null()) {
    if (containsBall == true && !m.status.heartbeat) throw Refusal{"BallData: missing, though ContainsBallData is true"};
    m.kind = Message::Status;
    return m;
  }
  ball = ReadObject(json, "BallData");
  ShotMessage& shot = m.shot;
  shot.deviceId = m.status.deviceId;
  shot.shotNumber = shotNumber;
  shot.metric = metric;
  ReadLaunch(*ball, metric, shot.launch, shot.measuredCarry);
  if (const Json* club = ReadObject(json, "ClubData")) shot.clubData = club->dump();
  shot.raw = std::string(text);
  m.kind = Message::Shot;
  return m;
}

std::string JsonText(std::string_view s) { return Json(std::string(s)).dump(-1, ' ', false, Json::error_handler_t::replace); }

}  // namespace

Message ReadMessage(std::string_view text) {
  try {
    return Read(text);
  } catch (const Refusal& r) {
    return {Message::Refused, {}, {}, r.reason};
  }
}

std::string RefusalReply(std::string_view reason) {
  return "{\"Code\":501,\"Message\":" + JsonText(reason) + "}";
}

std::string ShotReply() { return "{\"Code\":200,\"Message\":\"Shot received successfully\",\"Player\":{}}"; }

}  // namespace vendrel::range
