#pragma once
// The shot history: every shot the range took, in an SQLite file in WAL mode. A shot
// is committed before anyone hears of it: Add returns after the commit, and only then
// are the listeners told. Plain C++ on the SQLite C library.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "range/shot_launch.h"

struct sqlite3;
struct sqlite3_stmt;

namespace vendrel::range {

struct StoredShot {
  std::int64_t id = 0;                    ///< set by Add
  std::string time;                       ///< UTC, "2026-12-08T16:50:53.123Z"; Add sets it when empty
  std::string device;
  std::optional<std::int64_t> shotNumber;
  std::string club;                       ///< empty: not named
  std::string raw;                        ///< the message as it came
  ShotLaunch launch;                      ///< SI
  std::optional<double> measuredCarry;    ///< the monitor's own carry, m
  std::string clubData;                   ///< JSON, or empty
  std::string conditions;                 ///< JSON: what it was flown with
  ShotResult result;
};

struct ShotQuery {
  std::optional<std::string> club;
  std::optional<std::string> since;  ///< a time as StoredShot::time writes it
};

/// Reads a time to select from: YYYY-MM-DD, optionally with THH:MM, :SS and .fff, and
/// an optional Z (times are UTC). Gives it as StoredShot::time writes times.
bool ReadShotTime(const std::string& text, std::string& out);

/// A club's name as it is stored: at most this many characters.
constexpr std::size_t kMaxClubName = 40;

/// Reads a club's name as somebody typed it: spaces and line ends around it trimmed;
/// valid UTF-8, no control characters, at most kMaxClubName characters. Empty names no
/// club. False with `error` (and `out` untouched) otherwise.
bool ReadClubName(std::string_view text, std::string& out, std::string& error);

class ShotStore {
 public:
  /// The schema this program writes; older files are brought up to it on opening.
  static constexpr int kSchemaVersion = 1;

  /// Create and Existing write (Create makes the file; both bring an older schema up).
  /// ReadOnly only reads, and never waits for the server's commits (WAL): for exports
  /// while the range runs. It refuses a file of another schema.
  enum class Mode { Create, Existing, ReadOnly };

  /// Opens (or, with Create, makes) the history at `path`; null with `error` when it
  /// cannot, or when the file is not a shot history or comes from a newer schema.
  static std::unique_ptr<ShotStore> Open(const std::string& path, Mode mode, std::string& error);

  /// $XDG_DATA_HOME/vendrel/shots.sqlite, or ~/.local/share/vendrel/shots.sqlite; the
  /// folder is made. Empty with `error` when there is no home to put it in.
  static std::string DefaultPath(std::string& error);

  ~ShotStore();
  ShotStore(const ShotStore&) = delete;
  ShotStore& operator=(const ShotStore&) = delete;

  /// Stores the shots in one transaction and sets their ids (and times); then tells
  /// every listener of each. False with `error`, and nothing stored, when it fails.
  bool Add(std::vector<StoredShot>& shots, std::string& error);

  /// The shots the query selects, oldest first.
  bool Read(const ShotQuery& query, std::vector<StoredShot>& out, std::string& error);

  /// Names the club of a stored shot (empty: none), committed when it returns. False
  /// when there is no such shot (`missing` set, when given) or the update fails.
  bool SetClub(std::int64_t id, const std::string& club, std::string& error, bool* missing = nullptr);

  /// The one place a stored shot is announced: called after its commit.
  using Listener = std::function<void(const StoredShot&)>;
  std::size_t Subscribe(Listener listener);
  void Unsubscribe(std::size_t token);

  /// How long a commit waits for another writer of the file (an export never blocks
  /// it; a second program writing may) before it fails. 5 s by default.
  void SetBusyTimeout(int milliseconds);

  /// The current time as StoredShot::time writes it.
  static std::string Now();

 private:
  explicit ShotStore(sqlite3* db);
  bool Exec(const char* sql, std::string& error);
  /// True, with `error`, when the file was deleted or renamed since it was opened.
  bool Gone(std::string& error);

  struct Checkpointer;
  std::unique_ptr<Checkpointer> checkpointer_;  ///< copies the log into the file, beside the commits
  sqlite3* db_ = nullptr;
  sqlite3_stmt* insert_ = nullptr;
  std::vector<std::pair<std::size_t, Listener>> listeners_;
  std::size_t nextToken_ = 1;
};

}  // namespace vendrel::range
