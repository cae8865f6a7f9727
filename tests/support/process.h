#pragma once
// Runs the programs as processes and collects what they printed.

#include <string>
#include <vector>

namespace vendrel::test {

struct ProcessResult {
  int status = -1;  ///< exit status, or -1 when it did not exit normally
  std::string out;
  std::string err;
  long peakRssKiB = 0;  ///< the child's peak resident memory
};

/// Runs a program with these arguments (no shell involved), `input` on its standard
/// input.
ProcessResult RunProcess(const std::string& exe, const std::vector<std::string>& args,
                         const std::string& input = "");

/// Runs vendrel-flight.
ProcessResult RunFlightTool(const std::vector<std::string>& args, const std::string& input = "");

/// Runs vendrel-flight with arguments it must refuse, and checks the refusal: exit
/// status 2, nothing on standard output (nothing was run), one line on standard error.
ProcessResult ExpectRefused(const std::vector<std::string>& args);

/// A file name in a fresh scratch directory of this test process.
std::string ScratchPath(const std::string& name);

std::string ReadFile(const std::string& path);

}  // namespace vendrel::test
