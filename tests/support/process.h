#pragma once
// Runs vendrel-flight as a process and collects what it printed.

#include <string>
#include <vector>

namespace vendrel::test {

struct ProcessResult {
  int status = -1;  ///< exit status, or -1 when it did not exit normally
  std::string out;
  std::string err;
};

/// Runs the command-line program with these arguments (no shell involved).
ProcessResult RunFlightTool(const std::vector<std::string>& args);

/// A file name in a fresh scratch directory of this test process.
std::string ScratchPath(const std::string& name);

std::string ReadFile(const std::string& path);

}  // namespace vendrel::test
