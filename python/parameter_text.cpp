#include "python/parameter_text.h"

#include <charconv>
#include <cmath>

#include "flight/ball_ground.h"
#include "flight/form_value.h"
#include "flight/parameters.h"

namespace vendrel::python {

bool IsWhole(double v) { return std::isfinite(v) && v == std::trunc(v) && std::fabs(v) < 1e15; }

std::string PythonLiteral(double v) {
  if (!IsWhole(v)) {
    char buf[32];
    const auto end = std::to_chars(buf, buf + sizeof buf, v).ptr;  // shortest round trip
    return std::string(buf, end);
  }
  const std::string digits = std::to_string(static_cast<long long>(std::fabs(v)));
  // Grouped by thousands past four digits, as the docs write 10_000_000. Built by
  // appending: gcc 12 -O3 misreads inserts and "-" + digits as overlapping copies.
  std::string literal(v < 0 ? "-" : "");
  const bool grouped = digits.size() > 4;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (grouped && i > 0 && (digits.size() - i) % 3 == 0) literal += '_';
    literal += digits[i];
  }
  return literal;
}

std::vector<std::string> FlightDefaults() {
  std::vector<std::string> out;
  for (const Parameter& p : ParametersOf(Model::Form)) {
    out.push_back(std::string(p.key) + "=" + PythonLiteral(p.Default(Model::Form)));
  }
  return out;
}

std::vector<std::string> BallKeywords() {
  std::vector<std::string> out{"model=\"form\""};
  for (const Parameter& p : ParametersOf(Model::Ball)) {
    if (!p.AppliesTo(Model::Form)) out.push_back(std::string(p.key) + "=None");
  }
  out.push_back("surface=None");
  return out;
}

std::string SurfaceList(std::size_t indent) {
  std::string out, line;
  const auto names = SurfaceNames();
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::string piece = i == 0 ? "" : i + 1 == names.size() ? " or " : ", ";
    piece += '"';
    piece += names[i];
    piece += '"';
    if (indent > 0 && indent + line.size() + piece.size() > 80) {
      out += line;
      out += ",\n";
      out.append(indent, ' ');
      line = piece.substr(piece[0] == ',' ? 2 : 0);
    } else {
      line += piece;
    }
  }
  return out + line;
}

namespace {

// The docstring's lines for a model's rows: key, help, range and unit; the ball model
// adds each row's default in it, the form's model a row's note on a line of its own.
// Appended piece by piece: gcc 12 -O3 misreads "literal" + string as an overlapping copy.
std::string HelpLines(Model m) {
  std::size_t width = 0;
  for (const Parameter& p : ParametersOf(m)) width = std::max(width, p.key.size());
  std::string out;
  for (const Parameter& row : ParametersOf(m)) {
    const Parameter p = ForModel(row, m);
    std::string key(p.key);
    key.resize(width + 2, ' ');
    out += "    ";
    out += key;
    out += p.help;
    out += ", ";
    out += AllowedRange(p);
    if (!p.Unit().empty()) {
      out += ' ';
      out += p.Unit();
    }
    if (m == Model::Ball) {
      out += ", default ";
      out += std::isnan(p.defaultValue) ? std::string("none") : PythonLiteral(p.defaultValue);
    }
    out += '\n';
    if (m == Model::Form && !p.note.empty()) {
      out.append(4 + width + 2, ' ');
      out += p.note;
      out += '\n';
    }
  }
  return out;
}

}  // namespace

std::string BallHelpLines() { return HelpLines(Model::Ball); }

std::string StubBallParameters(std::string_view type, std::string_view indent, bool withModel) {
  std::string out;
  if (withModel) out = std::string(indent) + "model: Literal[\"form\", \"ball\"] = \"form\",\n";
  for (const Parameter& p : ParametersOf(Model::Ball)) {
    if (!p.AppliesTo(Model::Form)) {
      out += std::string(indent) + std::string(p.key) + ": Optional[" + std::string(type) + "] = None,\n";
    }
  }
  std::string names;
  for (std::string_view name : SurfaceNames()) {
    names += names.empty() ? "" : ", ";
    names += '"';
    names += name;
    names += '"';
  }
  out += std::string(indent) + "surface: Optional[Literal[" + names + "]] = None,\n";
  return out;
}

std::string SignatureLine(std::string_view name, const std::vector<std::string>& params, std::string_view returns) {
  constexpr std::size_t kWidth = 90;
  std::string out(name), line;
  out += '(';
  line = out;
  out.clear();
  for (std::size_t i = 0; i < params.size(); ++i) {
    const std::string piece = params[i] + (i + 1 < params.size() ? "," : ")");
    if (line.size() + 1 + piece.size() > kWidth && line.back() == ',') {
      out += line + "\n";
      line = "    " + piece;
    } else {
      line += (line.back() == '(' ? "" : " ") + piece;
    }
  }
  if (params.empty()) line += ')';
  line += " -> ";
  line += returns;
  return out + line;
}

std::string FlightHelpLines() { return HelpLines(Model::Form); }

std::string StubParameters(std::string_view type, std::string_view indent) {
  std::string out;
  for (const Parameter& p : ParametersOf(Model::Form)) {
    out += std::string(indent) + std::string(p.key) + ": " + std::string(type) + " = " +
           PythonLiteral(p.Default(Model::Form)) + ",\n";
  }
  return out;
}

std::string Expand(std::string text, const std::vector<std::pair<std::string_view, std::string>>& values) {
  for (const auto& [from, to] : values) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
      text.replace(at, from.size(), to);
    }
  }
  return text;
}

}  // namespace vendrel::python
