#include "cli/shots_csv.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>

#include "cli/csv_reader.h"
#include "cli/refuse.h"
#include "flight/parameters.h"
#include "flight/shot_table.h"
#include "number_text/number_text.h"
#include "flight/parameters.h"

namespace vendrel::cli {
namespace {

std::string Range(double lo, double hi, std::string_view unit) {
  return FormatNumber(lo) + " to " + FormatNumber(hi) + (unit.empty() ? "" : " ") + std::string(unit);
}

struct Column {
  ShotColumn what;
  std::string name;
};

// Reads the header's columns; false with `error` (after `where`) on a column the
// table does not know, one named twice, or targets a fit cannot use.
bool ReadHeader(const CsvRecord& header, const std::string& where, const std::string& fileName,
                std::vector<Column>& columns, ShotsFile& out, std::string& error) {
  bool carryColumn = false;
  for (std::size_t i = 0; i < header.cells.size(); ++i) {
    const std::string& cell = header.cells[i];
    const std::optional<ShotColumn> what = FindShotColumn(cell);
    if (!what) {
      error = where + "column " + (cell.empty() ? std::to_string(i + 1) : QuotedFromFile(cell)) +
              ": unknown column (known: " + KnownShotColumns() + ")";
      return false;
    }
    for (const Column& before : columns) {
      if (before.name == cell) {
        error = where + "column '" + cell + "': appears twice";
        return false;
      }
    }
    if (what->kind == ShotColumn::Kind::Target) out.targetColumns[static_cast<std::size_t>(what->target)] = true;
    carryColumn = carryColumn || cell == "carry";
    columns.push_back({*what, cell});
  }
  const std::string refusal = ShotTargetsRefusal(out.targetColumns, carryColumn);
  if (refusal.empty()) return true;
  // A fault of the columns is on the header's line; a lack of them is the file's.
  error = (out.targetColumns[static_cast<std::size_t>(ShotTarget::Lateral)] ? where : fileName + ": ") + refusal;
  return false;
}

}  // namespace

bool ParseShots(std::string_view text, const std::string& fileName, const FlightForm& base, Units units,
                ShotsFile& out, std::string& error) {
  out = ShotsFile{};
  error.clear();
  std::vector<Column> columns;
  bool haveHeader = false;
  CsvReader reader(text);
  CsvRecord record;
  while (reader.Next(record, error)) {
    const std::string where = fileName + ":" + std::to_string(record.line) + ": ";
    const std::vector<std::string>& cells = record.cells;
    if (!haveHeader) {
      haveHeader = true;
      if (!ReadHeader(record, where, fileName, columns, out, error)) return false;
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
      const ShotColumn& c = columns[i].what;
      if (c.kind == ShotColumn::Kind::Ignored) continue;
      const std::string col = "column '" + columns[i].name + "': ";
      if (i >= cells.size() || cells[i].empty()) {
        error = where + col + "missing value";
        return false;
      }
      if (c.kind == ShotColumn::Kind::Name) {
        name = cells[i];
        continue;
      }
      const std::optional<double> read = ReadDecimal(cells[i]);
      if (!read) {
        error = where + col + QuotedFromFile(cells[i]) + " is not a number";
        return false;
      }
      const double v = *read;
      if (c.kind == ShotColumn::Kind::Launch) {
        const Parameter& f = *c.field;
        const double model = ToModel(f, units, v);
        if (!f.InRange(model)) {
          error = where + col + QuotedFromFile(cells[i]) + " is out of range (allowed: " +
                  Range(FromModel(f, units, f.min), FromModel(f, units, f.max), f.Unit(units)) + ")";
          return false;
        }
        shot.form.*(f.form) = model;
      } else {
        if (const std::string why = MeasuredValueRefusal(c.target, v); !why.empty()) {
          error = where + col + QuotedFromFile(cells[i]) + " " + why;
          return false;
        }
        shot.measured[static_cast<std::size_t>(c.target)] = LengthToModel(units, v);
        given[static_cast<std::size_t>(c.target)] = v;
      }
    }
    out.shots.push_back(shot);
    out.given.push_back(given);
    out.names.push_back(name);
    out.lines.push_back(record.line);
  }
  if (!error.empty()) {
    error = fileName + ":" + std::to_string(record.line) + ": " + error;
    return false;
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
