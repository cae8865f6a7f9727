#pragma once
// vendrel-flight history: the shot history as CSV (which fit --shots reads) or JSON.

#include <optional>
#include <string>

namespace CLI {
class App;
}  // namespace CLI

namespace vendrel::cli {

struct HistoryOptions {
  std::optional<std::string> database;  ///< required
  bool json = false;
  std::optional<std::string> club;
  std::optional<std::string> since;  ///< as the store writes times
};

void DeclareHistory(CLI::App& app, HistoryOptions& opt);

/// Writes the export to standard output; returns the exit status (1: the history
/// cannot be read).
int RunHistory(const HistoryOptions& opt);

}  // namespace vendrel::cli
