#include "cli/shots_csv.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>

#include "number_text/number_text.h"
#include "flight/parameters.h"

namespace vendrel::cli {
namespace {

// What a column holds.
struct Column {
  enum Kind { Input, Target, Name, Ignored } kind = Ignored;
  const Parameter* field = nullptr;  ///< Input
  ShotTarget target{};               ///< Target
  std::string name;
};

// The sweep's result columns that are not targets: a sweep's CSV reads back as is.
constexpr std::string_view kIgnored[] = {"ticks", "end", "carry", "landing_angle"};

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> Split(std::string_view line) {
  std::vector<std::string_view> cells;
  std::size_t pos = 0;
  while (true) {
    const std::size_t comma = line.find(',', pos);
    cells.push_back(Trim(line.substr(pos, comma == std::string_view::npos ? std::string_view::npos : comma - pos)));
    if (comma == std::string_view::npos) return cells;
    pos = comma + 1;
  }
}

std::string KnownColumns() {
  std::string s;
  for (const Parameter& f : ParametersOf(Model::Form)) s += std::string(f.key) + ", ";
  return s + "distance, apex, lateral, name (and a sweep's ticks, end, carry)";
}

bool ReadColumn(std::string_view cell, Column& c) {
  c.name = std::string(cell);
  for (const Parameter& f : ParametersOf(Model::Form)) {
    if (f.key == cell) {
      c.kind = Column::Input;
      c.field = &f;
      return true;
    }
  }
  for (std::size_t t = 0; t < kShotTargets; ++t) {
    if (cell == TargetColumn(static_cast<ShotTarget>(t))) {
      c.kind = Column::Target;
      c.target = static_cast<ShotTarget>(t);
      return true;
    }
  }
  if (cell == "name") {
    c.kind = Column::Name;
    return true;
  }
  for (std::string_view ignored : kIgnored) {
    if (cell == ignored) return true;
  }
  return false;
}

std::string Range(double lo, double hi, std::string_view unit) {
  return FormatNumber(lo) + " to " + FormatNumber(hi) + (unit.empty() ? "" : " ") + std::string(unit);
}

}  // namespace

const char* TargetColumn(ShotTarget t) {
  switch (t) {
    case ShotTarget::Distance: return "distance";
    case ShotTarget::Apex: return "apex";
    case ShotTarget::Lateral: return "lateral";
  }
  return "";
}

bool ParseShots(std::string_view text, const std::string& fileName, const FlightForm& base, Units units,
                ShotsFile& out, std::string& error) {
  out = ShotsFile{};
  std::vector<Column> columns;
  bool haveHeader = false, sawCarry = false;
  int lineNo = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t nl = text.find('\n', pos);
    const std::string_view line = text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
    pos = nl == std::string_view::npos ? text.size() : nl + 1;
    ++lineNo;
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == '#') continue;
    const std::string where = fileName + ":" + std::to_string(lineNo) + ": ";
    const std::vector<std::string_view> cells = Split(line);

    if (!haveHeader) {
      haveHeader = true;
      for (std::size_t i = 0; i < cells.size(); ++i) {
        Column c;
        if (!ReadColumn(cells[i], c)) {
          error = where + "column " + (cells[i].empty() ? std::to_string(i + 1) : "'" + std::string(cells[i]) + "'") +
                  ": unknown column (known: " + KnownColumns() + ")";
          return false;
        }
        for (const Column& before : columns) {
          if (before.name == c.name) {
            error = where + "column '" + c.name + "': appears twice";
            return false;
          }
        }
        if (c.kind == Column::Target) out.targetColumns[static_cast<std::size_t>(c.target)] = true;
        sawCarry = sawCarry || c.name == "carry";
        columns.push_back(c);
      }
      if (out.targetColumns[static_cast<std::size_t>(ShotTarget::Lateral)] &&
          !out.targetColumns[static_cast<std::size_t>(ShotTarget::Distance)]) {
        error = where + "column 'lateral': needs a distance column (the lateral error is weighed against the distance)";
        return false;
      }
      if (!out.targetColumns[0] && !out.targetColumns[1]) {
        error = fileName + ": no target columns (distance, apex, lateral): nothing to fit" +
                (sawCarry ? std::string("; carry is the whole-metre result, name a measured carry 'distance'") : "");
        return false;
      }
      continue;
    }

    if (cells.size() > columns.size()) {
      error = where + "column " + std::to_string(columns.size() + 1) + ": a value beyond the header's " +
              std::to_string(columns.size()) + " columns";
      return false;
    }
    Shot shot;
    shot.form = base;
    std::array<std::optional<double>, kShotTargets> given;
    std::string name = "shot " + std::to_string(out.shots.size() + 1);
    for (std::size_t i = 0; i < columns.size(); ++i) {
      const Column& c = columns[i];
      if (c.kind == Column::Ignored) continue;
      const std::string col = "column '" + c.name + "': ";
      if (i >= cells.size() || cells[i].empty()) {
        error = where + col + "missing value";
        return false;
      }
      if (c.kind == Column::Name) {
        name = std::string(cells[i]);
        continue;
      }
      const std::optional<double> read = ReadDecimal(cells[i]);
      if (!read) {
        error = where + col + "'" + std::string(cells[i]) + "' is not a number";
        return false;
      }
      const double v = *read;
      if (c.kind == Column::Input) {
        const Parameter& f = *c.field;
        const double model = ToModel(f, units, v);
        if (!f.InRange(model)) {
          error = where + col + "'" + std::string(cells[i]) + "' is out of range (allowed: " +
                  Range(FromModel(f, units, f.min), FromModel(f, units, f.max), f.Unit(units)) + ")";
          return false;
        }
        shot.form.*(f.form) = model;
      } else {
        if (c.target != ShotTarget::Lateral && !(v > 0.0)) {
          error = where + col + "'" + std::string(cells[i]) + "' is out of range (a measured " + c.name +
                  " is greater than zero)";
          return false;
        }
        shot.measured[static_cast<std::size_t>(c.target)] = LengthToModel(units, v);
        given[static_cast<std::size_t>(c.target)] = v;
      }
    }
    out.shots.push_back(shot);
    out.given.push_back(given);
    out.names.push_back(name);
    out.lines.push_back(lineNo);
  }
  if (!haveHeader) {
    error = fileName + ": no header line and no shots";
    return false;
  }
  return true;
}

bool ReadShots(const std::string& path, const FlightForm& base, Units units, ShotsFile& out,
               std::string& error) {
  std::string text;
  if (path == "-") {
    text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  } else {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      error = "cannot read " + path;
      return false;
    }
    std::ostringstream s;
    s << in.rdbuf();
    text = s.str();
  }
  return ParseShots(text, path == "-" ? std::string("standard input") : path, base, units, out, error);
}

}  // namespace vendrel::cli
