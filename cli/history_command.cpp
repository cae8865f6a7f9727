#include "cli/history_command.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <vector>

#include "cli/declare.h"
#include "cli/refuse.h"
#include "number_text/number_text.h"
#include "range/shot_json.h"
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

}  // namespace

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
             if (!range::ReadShotTime(text, since)) {
               return "--since: " + Quoted(text) + " is not a time (YYYY-MM-DD[THH:MM[:SS[.fff]]][Z], UTC)";
             }
             opt.since = since;
             return std::string();
           });
  app.footer("Exit status: 0 written, 1 the history could not be read, 2 the command line was refused.");
}

int RunHistory(const HistoryOptions& opt) {
  std::string error;
  const auto store = range::ShotStore::Open(opt.database.value_or(""), range::ShotStore::Mode::ReadOnly, error);
  std::vector<range::StoredShot> shots;
  range::ShotQuery query;
  query.club = opt.club;
  query.since = opt.since;
  if (!store || !store->Read(query, shots, error)) {
    std::fprintf(stderr, "vendrel-flight history: %s\n", error.c_str());
    return 1;
  }
  const std::string text = opt.json ? range::ShotsJsonText(shots) : Csv(shots);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace vendrel::cli
