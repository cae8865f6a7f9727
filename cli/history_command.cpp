#include "cli/history_command.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <memory>
#include <vector>

#include "cli/declare.h"
#include "cli/json_text.h"
#include "cli/refuse.h"
#include "number_text/number_text.h"
#include "range/shot_store.h"

namespace vendrel::cli {
namespace {

// A CSV field as RFC 4180 writes it: quoted when it holds a comma, a quote or a line
// break, with its quotes doubled.
std::string CsvField(const std::string& s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string q = "\"";
  for (char c : s) {
    if (c == '"') q += '"';
    q += c;
  }
  return q + "\"";
}

std::string ShotName(const range::StoredShot& shot) {
  if (!shot.club.empty()) return shot.club;
  std::string name = shot.device.empty() ? "shot" : shot.device;
  return name + " #" + (shot.shotNumber ? std::to_string(*shot.shotNumber) : std::to_string(shot.id));
}

// The columns fit --shots reads, in the model's units. The side spin is the form's,
// whose positive bends left (0 - x: no negative zero); `distance` is the monitor's own carry where it gave one,
// else the carry flown.
std::string Csv(const std::vector<range::StoredShot>& shots) {
  std::string s = "name,speed,angle,side_spin,back_spin,distance\r\n";
  for (const range::StoredShot& shot : shots) {
    const range::ShotLaunch& l = shot.launch;
    s += CsvField(ShotName(shot));
    for (double v : {l.speed, l.verticalAngle, 0.0 - l.sideSpin, l.backSpin, shot.measuredCarry.value_or(shot.result.carry)}) {
      s += ',' + FormatJsonNumber(v);
    }
    s += "\r\n";
  }
  return s;
}

nlohmann::ordered_json Parsed(const std::string& text) {
  if (text.empty()) return nullptr;
  return nlohmann::ordered_json::parse(text, nullptr, false);
}

std::string JsonOf(const std::vector<range::StoredShot>& shots) {
  auto all = nlohmann::ordered_json::array();
  for (const range::StoredShot& shot : shots) {
    const range::ShotLaunch& l = shot.launch;
    const range::ShotResult& r = shot.result;
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
    all.push_back(std::move(j));
  }
  return JsonText(all) + "\n";
}

bool Digits(const std::string& s, std::size_t at, std::size_t n, int min, int max, int& out) {
  if (at + n > s.size()) return false;
  out = 0;
  for (std::size_t i = at; i < at + n; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    out = out * 10 + (s[i] - '0');
  }
  return out >= min && out <= max;
}

}  // namespace

bool ParseSince(const std::string& text, std::string& out) {
  std::string t = text;
  if (!t.empty() && (t.back() == 'Z' || t.back() == 'z')) t.pop_back();
  int year, month, day, hour = 0, minute = 0, second = 0, ms = 0;
  if (!Digits(t, 0, 4, 1, 9999, year) || t.size() < 10 || t[4] != '-' || !Digits(t, 5, 2, 1, 12, month) ||
      t[7] != '-' || !Digits(t, 8, 2, 1, 31, day)) {
    return false;
  }
  std::size_t at = 10;
  if (at < t.size()) {
    if ((t[at] != 'T' && t[at] != 't' && t[at] != ' ') || !Digits(t, at + 1, 2, 0, 23, hour) || at + 3 >= t.size() ||
        t[at + 3] != ':' || !Digits(t, at + 4, 2, 0, 59, minute)) {
      return false;
    }
    at += 6;
    if (at < t.size()) {
      if (t[at] != ':' || !Digits(t, at + 1, 2, 0, 60, second)) return false;
      at += 3;
      if (at < t.size()) {
        if (t[at] != '.' || !Digits(t, at + 1, 3, 0, 999, ms) || at + 4 != t.size()) return false;
        at += 4;
      }
    }
  }
  char buf[96];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", year, month, day, hour, minute, second, ms);
  out = buf;
  return true;
}

void DeclareHistory(CLI::App& app, HistoryOptions& opt) {
  app.option_defaults()->group("History");
  AddValue(app, "--database", "FILE", "the shot history the range keeps", [&opt](const std::string& text) {
    if (text.empty()) return std::string("--database: an empty file name");
    opt.database = text;
    return std::string();
  })->required();
  AddChoice(app, "--format", "what is written: CSV that fit --shots reads, or every value as JSON",
            {{"csv", false}, {"json", true}}, opt.json);
  AddValue(app, "--club", "NAME", "only the shots of this club", [&opt](const std::string& text) {
    opt.club = text;
    return std::string();
  });
  AddValue(app, "--since", "TIME", "only shots from this time on, UTC: YYYY-MM-DD[THH:MM[:SS[.fff]]][Z]",
           [&opt](const std::string& text) {
             std::string since;
             if (!ParseSince(text, since)) {
               return "--since: " + Quoted(text) + " is not a time (YYYY-MM-DD[THH:MM[:SS[.fff]]][Z], UTC)";
             }
             opt.since = since;
             return std::string();
           });
  app.footer("Exit status: 0 written, 1 the history could not be read, 2 the command line was refused.");
}

int RunHistory(const HistoryOptions& opt) {
  std::string error;
  const auto store = range::ShotStore::Open(opt.database.value_or(""), range::ShotStore::Mode::Existing, error);
  std::vector<range::StoredShot> shots;
  range::ShotQuery query;
  query.club = opt.club;
  query.since = opt.since;
  if (!store || !store->Read(query, shots, error)) {
    std::fprintf(stderr, "vendrel-flight history: %s\n", error.c_str());
    return 1;
  }
  const std::string text = opt.json ? JsonOf(shots) : Csv(shots);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace vendrel::cli
