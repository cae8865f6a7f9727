#pragma once
// A refused command line or output: one line on standard error, exit status 2.

#include <cstdio>
#include <string>
#include <string_view>

namespace vendrel::cli {

inline constexpr int kUsageError = 2;

/// A value as a refusal quotes it: '95'.
// Built by appending: gcc 12's optimiser warns falsely (-Wrestrict) about "'" + string.
inline std::string Quoted(std::string_view text) {
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted += '\'';
  quoted += text;
  quoted += '\'';
  return quoted;
}

/// A value read from a file as a refusal quotes it, between quotes: control characters
/// and bytes that are not UTF-8 as \xNN, so that no byte of a binary file reaches the
/// terminal as it is; more than 60 bytes are cut with "...".
std::string QuotedFromFile(std::string_view text);

inline int Refuse(const std::string& line) {
  std::fprintf(stderr, "vendrel-flight: %s\n", line.c_str());
  return kUsageError;
}

}  // namespace vendrel::cli
