#pragma once
// Every JSON the command line prints: built as an ordered_json (keys in the order
// they were set) and written by one writer, `{"key": value, ...}` on one line, with
// doubles in the program's number text rather than the library's.

#include <nlohmann/json.hpp>

#include <string>

namespace vendrel::cli {

using Json = nlohmann::ordered_json;

/// A double as JSON: the number, or null where it is not finite.
Json JsonNumber(double v);

/// The one line of `value`, without a newline. Strings keep UTF-8; bytes that are not
/// UTF-8 become U+FFFD, so the output is always valid JSON.
std::string JsonText(const Json& value);

}  // namespace vendrel::cli
