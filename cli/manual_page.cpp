// Writes the manual page of vendrel-flight from its template, with the paragraphs of
// the flight parameters made from the parameter table. It runs at build time, so the
// page cannot fall behind the options.
//
//   vendrel-flight-manual TEMPLATE PAGE VERSION
//
// The template's line kMarker (a roff comment) becomes the paragraphs; every
// @PROJECT_VERSION@ becomes VERSION and every @DEFAULT_MAX_TICKS@ the default tick bound.
#include <cmath>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>

#include "flight/ball_ground.h"
#include "flight/ball_params.h"
#include "flight/form_value.h"
#include "flight/parameters.h"
#include "number_text/number_text.h"

namespace {

constexpr std::string_view kMarker = R"(.\" @FLIGHT_PARAMETERS@)";

// roff's text: a hyphen that is a minus or part of an option is "\-", a square "\(S2".
std::string Roff(std::string_view text) {
  std::string s;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.substr(i, 2) == "^2") {
      s += "\\(S2";
      ++i;
    } else if (text[i] == '-') {
      s += "\\-";
    } else {
      s += text[i];
    }
  }
  return s;
}

// One model's range and default for the row: "0 to 90 deg, default 15".
std::string RangeAndDefault(const vendrel::Parameter& row, vendrel::Model m) {
  using namespace vendrel;
  const Parameter p = ForModel(row, m);
  return Roff(AllowedRange(p)) + ", default " +
         (std::isnan(p.defaultValue) ? std::string("none") : Roff(FormatNumber(p.defaultValue)));
}

std::string Paragraphs() {
  using namespace vendrel;
  std::string s;
  for (const Parameter& p : AllParameters()) {
    const std::string unit = p.Unit().empty() ? "value" : Roff(p.Unit());
    s += ".TP\n.BI \\-\\-" + Roff(p.option) + " \"" + " " + unit + "\"\n";
    const bool form = p.AppliesTo(Model::Form), ball = p.AppliesTo(Model::Ball);
    if (form && ball) {
      s += std::string(p.help) + ". Form model: " + RangeAndDefault(p, Model::Form) + "; ball model: " +
           RangeAndDefault(p, Model::Ball) + ".\n";
    } else {
      s += std::string(p.help) + (form ? " (form model only)" : " (ball model only)") + ": " +
           RangeAndDefault(p, form ? Model::Form : Model::Ball) + ".\n";
    }
    if (!p.note.empty()) s += std::string(p.note) + "\n";
  }
  // The named surfaces, each with its six ground constants.
  s += ".TP\n.BI \\-\\-surface \" name\"\n";
  s += "Sets the ground's constants to a named set (ball model only); a constant also given on\n"
       "its own keeps that value.\n"
       "Each set gives bounce\\-e0, bounce\\-e1, bounce\\-e2, friction, crater and roll\\-resistance:\n";
  for (std::size_t i = 0; i < SurfaceNames().size(); ++i) {
    BallParams b;
    SetSurface(b, SurfaceNames()[i]);
    s += ".B " + Roff(SurfaceNames()[i]) + "\n" + (i == 0 ? "(the default) " : "");
    std::string values;
    for (double v : {b.bounceE0, b.bounceE1, b.bounceE2, b.friction, b.crater, b.rollResistance}) {
      values += (values.empty() ? "" : ", ") + Roff(FormatNumber(v));
    }
    s += values + (i + 1 == SurfaceNames().size() ? ".\n" : ";\n");
  }
  return s;
}

void Fill(std::string& line, std::string_view name, const std::string& value) {
  for (std::size_t at = 0; (at = line.find(name, at)) != std::string::npos; at += value.size()) {
    line.replace(at, name.size(), value);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: vendrel-flight-manual TEMPLATE PAGE VERSION\n";
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::cerr << argv[1] << ": cannot be read\n";
    return 1;
  }
  std::ostringstream page;
  bool placed = false;
  for (std::string line; std::getline(in, line);) {
    if (line == kMarker) {
      page << Paragraphs();
      placed = true;
    } else {
      Fill(line, "@PROJECT_VERSION@", argv[3]);
      Fill(line, "@DEFAULT_MAX_TICKS@", std::to_string(vendrel::kDefaultMaxTicks));
      page << line << '\n';
    }
  }
  if (!placed) {
    std::cerr << argv[1] << ": no line " << kMarker << " to put the parameters on\n";
    return 1;
  }
  std::ofstream out(argv[2], std::ios::binary);
  out << page.str();
  if (!out.flush()) {
    std::cerr << argv[2] << ": cannot be written\n";
    return 1;
  }
  return 0;
}
