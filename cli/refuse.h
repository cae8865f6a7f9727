#pragma once
// A refused command line or output: one line on standard error, exit status 2.

#include <cstdio>
#include <string>

namespace vendrel::cli {

inline constexpr int kUsageError = 2;

inline int Refuse(const std::string& line) {
  std::fprintf(stderr, "vendrel-flight: %s\n", line.c_str());
  return kUsageError;
}

}  // namespace vendrel::cli
