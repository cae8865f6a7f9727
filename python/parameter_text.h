#pragma once
// The form's flight parameters as Python text, from the parameter table: the defaults as
// literals, the signature lines and parameter lines of the docstrings, and the parameter
// lists of the type stub. Plain C++: the module and the stub's generator both use it.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vendrel::python {

/// A default as Python writes it: a whole number as an int ("15", "10_000_000"),
/// anything else as the shortest decimal that reads back as the same double ("0.01").
std::string PythonLiteral(double v);

/// Whether PythonLiteral writes `v` as an int.
bool IsWhole(double v);

/// "key=default" for each flight parameter, in the table's order.
std::vector<std::string> FlightDefaults();

/// The ball model's own keywords after the form's: model="form", then "key=None" for
/// each row only the ball model has.
std::vector<std::string> BallKeywords();

/// The named surfaces as a docstring lists them: "fairway", ... or "green-soft"; with
/// an `indent`, in lines of at most 80 characters, each after the first indented so.
std::string SurfaceList(std::size_t indent = 0);

/// One docstring line per row of the ball model: its key, its help, its range, unit
/// and default in that model.
std::string BallHelpLines();

/// The stub's lines of the same keywords (`model` first when `withModel`), each of
/// Optional[`type`] and after `indent`.
std::string StubBallParameters(std::string_view type, std::string_view indent, bool withModel);

/// "name(a, b, ...) -> returns", wrapped before 90 columns with an indent of four.
std::string SignatureLine(std::string_view name, const std::vector<std::string>& params, std::string_view returns);

/// One line per flight parameter for a docstring: its key, its help, its range and unit,
/// and its note on a line of its own.
std::string FlightHelpLines();

/// One "key: type = default," line per flight parameter, each after `indent`.
std::string StubParameters(std::string_view type, std::string_view indent);

/// `text` with each pair's first string replaced by its second.
std::string Expand(std::string text, const std::vector<std::pair<std::string_view, std::string>>& values);

}  // namespace vendrel::python
