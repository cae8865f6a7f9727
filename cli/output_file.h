#pragma once
// An output file opened before any work starts, so an unwritable path is refused
// before the run; "-" is standard output.

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vendrel::cli {

class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  /// Opens `path` for writing ("-" or empty: standard output). False with `error` set
  /// when it cannot be opened.
  bool Open(const std::string& path, std::string& error);
  /// Flushes and closes; false when anything written was lost.
  bool Close(std::string& error);

  std::FILE* get() const { return file_; }

 private:
  std::FILE* file_ = nullptr;
  bool owned_ = false;
  std::string path_;
};

/// The refusal of the first of a command's outputs (option and path; "-" and none pass)
/// that cannot be written, checked before any is opened: opening truncates, so a later
/// output's bad path would otherwise leave an earlier file emptied by a refused command.
/// Empty when every one can be written.
std::string UnwritableOutput(const std::vector<std::pair<std::string, std::optional<std::string>>>& outputs);

/// The whole life of a subcommand's output: opens `path` (standard output when absent)
/// before `write` runs, and closes it after. A path that cannot be opened is refused
/// naming `option`, and `write` does not run; output that was lost is refused too.
/// Returns `write`'s exit status, or the refusal's.
int WriteOutput(const std::optional<std::string>& path, const std::string& option,
                const std::function<int(std::FILE*)>& write);

}  // namespace vendrel::cli
