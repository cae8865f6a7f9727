#include "cli/shots_csv.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <iterator>
#include <optional>

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
  bool carryColumn = false, polar = false, components = false;
  for (std::size_t i = 0; i < header.cells.size(); ++i) {
    const std::string& cell = header.cells[i];
    const std::optional<ShotColumn> what = FindShotColumn(cell, out.model);
    if (!what) {
      error = where + "column " + (cell.empty() ? std::to_string(i + 1) : QuotedFromFile(cell)) +
              ": unknown column (known: " + KnownShotColumns(out.model) + ")";
      return false;
    }
    for (const Column& before : columns) {
      if (before.name == cell) {
        error = where + "column '" + cell + "': appears twice";
        return false;
      }
      // The ball's carry and distance are one target.
      if (what->kind == ShotColumn::Kind::Target && before.what.kind == ShotColumn::Kind::Target &&
          before.what.target == what->target) {
        error = where + "column '" + cell + "': the same measurement as column '" + before.name + "'";
        return false;
      }
    }
    if (what->kind == ShotColumn::Kind::Target) out.targetColumns[static_cast<std::size_t>(what->target)] = true;
    if (what->kind == ShotColumn::Kind::Launch && out.model == Model::Ball) {
      const SpinForm form = SpinFormOf(what->field->ball);
      polar = polar || form == SpinForm::TotalAndAxis;
      components = components || form == SpinForm::BackAndSide;
    }
    carryColumn = carryColumn || cell == "carry";
    columns.push_back({*what, cell});
  }
  if (const std::string both = SpinFormRefusal(polar, components, true); !both.empty()) {
    error = where + both;
    return false;
  }
  out.spinColumns = components ? SpinForm::BackAndSide : polar ? SpinForm::TotalAndAxis : SpinForm::None;
  const std::string refusal = ShotTargetsRefusal(out.targetColumns, carryColumn, out.model);
  if (refusal.empty()) return true;
  // A fault of the columns is on the header's line; a lack of them is the file's.
  error = (out.targetColumns[static_cast<std::size_t>(ShotTarget::Lateral)] ? where : fileName + ": ") + refusal;
  return false;
}

}  // namespace

bool ParseShots(std::string_view text, const std::string& fileName, const FlightForm& base, Units units,
                ShotsFile& out, std::string& error, Model model, const BallParams& ballBase) {
  out = ShotsFile{};
  out.model = model;
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
    shot.ball = ballBase;
    if (out.spinColumns != SpinForm::None) shot.ball.spinAsComponents = out.spinColumns == SpinForm::BackAndSide;
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
        const Parameter f = ForModel(*c.field, model);
        const double inModel = ToModel(f, units, v);
        if (!f.InRange(inModel)) {
          error = where + col + QuotedFromFile(cells[i]) + " is out of range (allowed: " +
                  Range(FromModel(f, units, f.min), FromModel(f, units, f.max), f.Unit(units)) + ")";
          return false;
        }
        if (model == Model::Form) ValueIn(shot.form, f) = inModel;
        else ValueIn(shot.ball, f) = inModel;
      } else {
        if (const std::string why = MeasuredValueRefusal(c.target, v); !why.empty()) {
          error = where + col + QuotedFromFile(cells[i]) + " " + why;
          return false;
        }
        shot.measured[static_cast<std::size_t>(c.target)] = ToModel(ShotTargetQuantity(c.target), units, v);
        given[static_cast<std::size_t>(c.target)] = v;
      }
    }
    // Values each in range may still join into a shot the ball model refuses.
    if (model == Model::Ball) {
      if (const std::string why = BallShotRefusal(shot.ball, true); !why.empty()) {
        error = where + why;
        return false;
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
               std::string& error, Model model, const BallParams& ballBase) {
  std::string text;
  if (path == "-") {
    text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  } else {
    // Read as bytes, with the reason of a failure: a directory opens, and only its read fails.
    std::FILE* in = std::fopen(path.c_str(), "rb");
    bool failed = in == nullptr;
    if (in) {
      char buffer[65536];
      for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) text.append(buffer, n);
      failed = std::ferror(in) != 0;
    }
    const int reason = errno;
    if (in) std::fclose(in);
    if (failed) {
      error = "cannot read " + path + ": " + std::strerror(reason);
      return false;
    }
  }
  return ParseShots(text, path == "-" ? std::string("standard input") : path, base, units, out, error, model,
                    ballBase);
}

}  // namespace vendrel::cli
