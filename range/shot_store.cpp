#include "range/shot_store.h"

#include <sqlite3.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <thread>

namespace vendrel::range {
namespace {

// Each step brings the schema from its index to the next version. A new version adds
// a step; files written by older versions are brought up on opening.
constexpr const char* kMigrations[] = {
    // 0 -> 1
    "CREATE TABLE shots ("
    " id INTEGER PRIMARY KEY,"
    " time TEXT NOT NULL,"
    " device TEXT NOT NULL,"
    " shot_number INTEGER,"
    " club TEXT,"
    " raw TEXT NOT NULL,"
    " speed REAL NOT NULL, vertical_angle REAL NOT NULL, horizontal_angle REAL NOT NULL,"
    " back_spin REAL NOT NULL, side_spin REAL NOT NULL, total_spin REAL NOT NULL, spin_axis REAL NOT NULL,"
    " measured_carry REAL,"
    " club_data TEXT,"
    " conditions TEXT NOT NULL,"
    " carry REAL NOT NULL, apex REAL NOT NULL, landing_angle REAL NOT NULL, lateral REAL NOT NULL,"
    " total REAL NOT NULL, rest_x REAL NOT NULL, rest_y REAL NOT NULL, flight_time REAL NOT NULL);"
    "CREATE INDEX shots_time ON shots(time);"
    "CREATE INDEX shots_club ON shots(club);",
};
static_assert(std::size(kMigrations) == ShotStore::kSchemaVersion);

constexpr const char* kColumns =
    "id, time, device, shot_number, club, raw, speed, vertical_angle, horizontal_angle, back_spin, side_spin,"
    " total_spin, spin_axis, measured_carry, club_data, conditions, carry, apex, landing_angle, lateral, total,"
    " rest_x, rest_y, flight_time";

std::string Message(sqlite3* db) { return db ? sqlite3_errmsg(db) : "out of memory"; }

// A statement that finalises itself.
struct Statement {
  sqlite3_stmt* s = nullptr;
  ~Statement() { sqlite3_finalize(s); }
};

void BindText(sqlite3_stmt* s, int i, const std::string& t, bool nullWhenEmpty) {
  if (nullWhenEmpty && t.empty()) {
    sqlite3_bind_null(s, i);
  } else {
    sqlite3_bind_text(s, i, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
  }
}

std::string Text(sqlite3_stmt* s, int i) {
  const unsigned char* t = sqlite3_column_text(s, i);
  return t ? std::string(reinterpret_cast<const char*>(t), static_cast<std::size_t>(sqlite3_column_bytes(s, i)))
           : std::string();
}


bool Digits(const std::string& s, std::size_t at, std::size_t n, int min, int max, int& out) {
  if (at + n > s.size()) return false;
  out = 0;
  for (std::size_t i = at; i < at + n; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    out = out * 10 + (s[i] - '0');
  }
  return out >= min && out <= max;
}

// The file's schema version and how many objects it holds; false with SQLite's message
// and, when given, its extended code.
bool ReadSchema(sqlite3* db, int& version, int& objects, std::string& error, int* code = nullptr) {
  Statement v, t;
  sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &v.s, nullptr);
  sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_master", -1, &t.s, nullptr);
  if (!v.s || !t.s || sqlite3_step(v.s) != SQLITE_ROW || sqlite3_step(t.s) != SQLITE_ROW) {
    error = Message(db);
    if (code) *code = sqlite3_extended_errcode(db);
    return false;
  }
  version = sqlite3_column_int(v.s, 0);
  objects = sqlite3_column_int(t.s, 0);
  return true;
}

// A file name as an SQLite URI that opens it immutable.
std::string ImmutableUri(const std::string& path) {
  std::string uri = "file:";
  for (const char c : path) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || c == '/' || c == '.' ||
        c == '-' || c == '_' || c == '~') {
      uri += c;
    } else {
      static constexpr char kHex[] = "0123456789ABCDEF";
      uri += '%';
      uri += kHex[b >> 4];
      uri += kHex[b & 15];
    }
  }
  return uri + "?immutable=1";
}

// Why a writer must leave a file of this schema alone, or empty.
std::string ForeignSchema(int version, int objects) {
  if (version > ShotStore::kSchemaVersion) {
    return "written by a newer Vendrel (schema " + std::to_string(version) + "; this one knows up to " +
           std::to_string(ShotStore::kSchemaVersion) + ")";
  }
  if (version == 0 && objects != 0) return "an SQLite database, but not a shot history";
  return {};
}

}  // namespace

bool ReadClubName(std::string_view text, std::string& out, std::string& error) {
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && space(text.front())) text.remove_prefix(1);
  while (!text.empty() && space(text.back())) text.remove_suffix(1);
  std::size_t characters = 0;
  for (std::size_t i = 0; i < text.size(); ++characters) {
    const auto b = static_cast<unsigned char>(text[i]);
    // The length of the sequence, and the least code point it may hold (no overlong forms).
    const std::size_t n = b < 0x80 ? 1 : (b & 0xe0) == 0xc0 ? 2 : (b & 0xf0) == 0xe0 ? 3 : (b & 0xf8) == 0xf0 ? 4 : 0;
    if (n == 0 || i + n > text.size()) {
      error = "the club's name is not UTF-8 text";
      return false;
    }
    std::uint32_t cp = n == 1 ? b : b & (0x7fu >> n);
    for (std::size_t k = 1; k < n; ++k) {
      const auto c = static_cast<unsigned char>(text[i + k]);
      if ((c & 0xc0) != 0x80) {
        error = "the club's name is not UTF-8 text";
        return false;
      }
      cp = (cp << 6) | (c & 0x3fu);
    }
    static constexpr std::uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[n] || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff)) {
      error = "the club's name is not UTF-8 text";
      return false;
    }
    if (cp < 0x20 || (cp >= 0x7f && cp <= 0x9f) || cp == 0x2028 || cp == 0x2029) {
      error = "the club's name holds a control character";
      return false;
    }
    i += n;
  }
  if (characters > kMaxClubName) {
    error = "the club's name is longer than " + std::to_string(kMaxClubName) + " characters";
    return false;
  }
  out = std::string(text);
  return true;
}

bool ReadShotTime(const std::string& text, std::string& out) {
  std::string t = text;
  if (!t.empty() && (t.back() == 'Z' || t.back() == 'z')) t.pop_back();
  int year, month, day, hour = 0, minute = 0, second = 0, ms = 0;
  if (!Digits(t, 0, 4, 1, 9999, year) || t.size() < 10 || t[4] != '-' || !Digits(t, 5, 2, 1, 12, month) ||
      t[7] != '-' || !Digits(t, 8, 2, 1, 31, day)) {
    return false;
  }
  std::size_t at = 10;
  if (at < t.size()) {
    if ((t[at] != 'T' && t[at] != 't' && t[at] != ' ') || !Digits(t, at + 1, 2, 0, 23, hour) || at + 3 >= t.size() ||
        t[at + 3] != ':' || !Digits(t, at + 4, 2, 0, 59, minute)) {
      return false;
    }
    at += 6;
    if (at < t.size()) {
      if (t[at] != ':' || !Digits(t, at + 1, 2, 0, 60, second)) return false;
      at += 3;
      if (at < t.size()) {
        if (t[at] != '.' || !Digits(t, at + 1, 3, 0, 999, ms) || at + 4 != t.size()) return false;
        at += 4;
      }
    }
  }
  char buf[96];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", year, month, day, hour, minute, second, ms);
  out = buf;
  return true;
}

ShotStore::ShotStore(sqlite3* db) : db_(db) {}

// Copies the write-ahead log into the file on a thread and a connection of its own,
// so that no shot's commit waits for it (SQLite would do it inside the commit that
// filled the log). A log whose frames are all copied is written over from its start
// again: the file keeps its size, and a commit's sync need not grow it.
struct ShotStore::Checkpointer {
  // About 4 MB of pages: SQLite's own point. The log starts over only once every
  // frame is copied, which a copy beside unbroken commits never reaches; so past the
  // backstop the commit copies the rest itself (little: the thread copied the most).
  static constexpr int kPages = 1000;
  static constexpr int kBackstopPages = 2 * kPages;

  sqlite3* db = nullptr;
  std::mutex mutex;
  std::condition_variable wake;
  bool due = false, stop = false;
  std::thread thread;

  void Start() {
    thread = std::thread([this] {
      std::unique_lock lock(mutex);
      for (;;) {
        wake.wait(lock, [this] { return due || stop; });
        if (stop) return;
        due = false;
        lock.unlock();
        sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
        lock.lock();
      }
    });
  }

  void Due() {
    {
      const std::lock_guard lock(mutex);
      due = true;
    }
    wake.notify_one();
  }

  ~Checkpointer() {
    {
      const std::lock_guard lock(mutex);
      stop = true;
    }
    wake.notify_one();
    if (thread.joinable()) thread.join();
    sqlite3_close(db);
  }

  // The writer's hook after every commit, with the log's length in pages.
  static int AfterCommit(void* self, sqlite3* writer, const char*, int pages) {
    if (pages >= kBackstopPages) {
      sqlite3_wal_checkpoint_v2(writer, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
    } else if (pages >= kPages) {
      static_cast<Checkpointer*>(self)->Due();
    }
    return SQLITE_OK;
  }
};

ShotStore::~ShotStore() {
  // Its connection closes first: the last to close copies what is left and removes the log.
  checkpointer_.reset();
  sqlite3_finalize(insert_);
  sqlite3_close(db_);
}

bool ShotStore::Exec(const char* sql, std::string& error) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
  error = message ? message : Message(db_);
  sqlite3_free(message);
  return false;
}

std::unique_ptr<ShotStore> ShotStore::Open(const std::string& path, Mode mode, std::string& error) {
  const std::string where = path + ": ";
  if (mode != Mode::Create && !std::filesystem::exists(path)) {
    error = where + "no such file";
    return nullptr;
  }
  // SQLite would call it a disk I/O error.
  if (std::filesystem::is_directory(path)) {
    error = where + "a folder: give the shot history's file";
    return nullptr;
  }
  sqlite3* db = nullptr;
  const int flags = (mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY
                                            : SQLITE_OPEN_READWRITE | (mode == Mode::Create ? SQLITE_OPEN_CREATE : 0)) |
                    SQLITE_OPEN_NOMUTEX;
  const int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
  std::unique_ptr<ShotStore> store(new ShotStore(db));
  if (rc != SQLITE_OK) {
    error = where + Message(db);
    return nullptr;
  }
  sqlite3_busy_timeout(db, 5000);
  if (mode == Mode::ReadOnly) {
    // The journal mode is the file's own (the range set WAL): a reader changes nothing.
    int have = 0, objects = 0, code = SQLITE_OK;
    std::string e;
    if (!ReadSchema(db, have, objects, e, &code)) {
      // A history in a folder this user may not write to (a backup, a read-only disk)
      // has no shared-memory file beside it and none can be made. Without a log beside
      // it no program is writing it, so it is read as it lies.
      if (code != SQLITE_READONLY_DIRECTORY || std::filesystem::exists(path + "-wal")) {
        error = where + e;
        return nullptr;
      }
      store.reset();
      db = nullptr;
      const int again = sqlite3_open_v2(ImmutableUri(path).c_str(), &db,
                                        SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
      store.reset(new ShotStore(db));
      if (again != SQLITE_OK || !ReadSchema(db, have, objects, e)) {
        error = where + (again != SQLITE_OK ? Message(db) : e);
        return nullptr;
      }
    }
    if (have == kSchemaVersion) return store;
    error = where + (have == 0 ? std::string("not a shot history")
                     : have > kSchemaVersion
                         ? "written by a newer Vendrel (schema " + std::to_string(have) + "; this one knows up to " +
                               std::to_string(kSchemaVersion) + ")"
                         : "an older shot history (schema " + std::to_string(have) +
                               "): run vendrel-flight range on it once to bring it up to date");
    return nullptr;
  }
  // WAL: readers (an export, the page) never block the server's commits. FULL syncs
  // the log in every commit, so an acknowledged shot survives a power cut, not only a
  // killed program. NORMAL would survive kill -9 as well (the log is written before
  // the commit returns, and the kernel keeps it) but could lose the last commits to a
  // power cut, and a 200 is a promise. The sync's cost is shared: the server commits
  // the shots that arrive together in one transaction.
  std::string e;
  int have = 0, objects = 0;
  // Reads the schema's version; false (with `error`) for somebody else's file.
  const auto ours = [&] {
    if (!ReadSchema(db, have, objects, e)) {
      error = where + e;
      return false;
    }
    if (const std::string why = ForeignSchema(have, objects); !why.empty()) {
      error = where + why;
      return false;
    }
    return true;
  };
  // Somebody else's file is refused before the journal mode, which the file keeps, is set.
  if (!ours()) return nullptr;
  Statement wal;
  if (sqlite3_prepare_v2(db, "PRAGMA journal_mode=WAL", -1, &wal.s, nullptr) != SQLITE_OK ||
      sqlite3_step(wal.s) != SQLITE_ROW) {
    error = where + Message(db);
    return nullptr;
  }
  const std::string journal = Text(wal.s, 0);
  sqlite3_reset(wal.s);
  if (journal != "wal") {
    error = where + "cannot use write-ahead logging (journal mode " + journal + ")";
    return nullptr;
  }
  if (!store->Exec("PRAGMA synchronous=FULL; BEGIN IMMEDIATE", e)) {
    error = where + e;
    return nullptr;
  }
  // Again under the write lock: another program may have written it meanwhile.
  if (!ours()) return nullptr;
  for (int v = have; v < kSchemaVersion; ++v) {
    if (!store->Exec(kMigrations[v], e)) {
      error = where + "cannot bring the schema to version " + std::to_string(v + 1) + ": " + e;
      return nullptr;
    }
  }
  const std::string setVersion = std::string("PRAGMA user_version=") + std::to_string(kSchemaVersion) + "; COMMIT";
  if (!store->Exec(setVersion.c_str(), e)) {
    error = where + e;
    return nullptr;
  }
  const std::string insert = std::string("INSERT INTO shots (") + (kColumns + 4) +
                             ") VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";
  if (sqlite3_prepare_v3(db, insert.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &store->insert_, nullptr) != SQLITE_OK) {
    error = where + Message(db);
    return nullptr;
  }
  auto checkpointer = std::make_unique<Checkpointer>();
  if (sqlite3_open_v2(path.c_str(), &checkpointer->db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
      SQLITE_OK) {
    error = where + Message(checkpointer->db);
    return nullptr;
  }
  checkpointer->Start();
  store->checkpointer_ = std::move(checkpointer);
  // Replaces SQLite's own checkpoints in the commit.
  sqlite3_wal_hook(db, &Checkpointer::AfterCommit, store->checkpointer_.get());
  return store;
}

std::string ShotStore::DefaultPath(std::string& error) {
  std::filesystem::path dir;
  const char* data = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  // A relative XDG_DATA_HOME does not count: the freedesktop base directories want it absolute.
  if (data && *data == '/') {
    dir = data;
  } else if (home && *home) {
    dir = std::filesystem::path(home) / ".local" / "share";
  } else {
    error = "no HOME or XDG_DATA_HOME to keep the shot history in; give --database FILE";
    return {};
  }
  dir /= "vendrel";
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    error = dir.string() + ": " + ec.message();
    return {};
  }
  return (dir / "shots.sqlite").string();
}

std::string ShotStore::Now() {
  const auto now = std::chrono::system_clock::now();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
  const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char buf[96];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900, utc.tm_mon + 1,
                utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<int>(ms % 1000));
  return buf;
}

bool ShotStore::Gone(std::string& error) {
  // SQLite goes on writing to a file deleted or renamed under it, and all of that is
  // lost with the last close: say so rather than acknowledge it.
  int moved = 0;
  if (sqlite3_file_control(db_, "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK || moved == 0) return false;
  error = "the file was deleted or moved while open; start the range again to keep shots";
  return true;
}

bool ShotStore::Add(std::vector<StoredShot>& shots, std::string& error) {
  if (shots.empty()) return true;
  if (Gone(error) || !Exec("BEGIN IMMEDIATE", error)) return false;
  const std::string now = Now();
  for (StoredShot& shot : shots) {
    if (shot.time.empty()) shot.time = now;
    sqlite3_stmt* s = insert_;
    sqlite3_reset(s);
    int i = 0;
    BindText(s, ++i, shot.time, false);
    BindText(s, ++i, shot.device, false);
    if (shot.shotNumber) {
      sqlite3_bind_int64(s, ++i, *shot.shotNumber);
    } else {
      sqlite3_bind_null(s, ++i);
    }
    BindText(s, ++i, shot.club, true);
    BindText(s, ++i, shot.raw, false);
    const ShotLaunch& l = shot.launch;
    for (double v : {l.speed, l.verticalAngle, l.horizontalAngle, l.backSpin, l.sideSpin, l.totalSpin, l.spinAxis}) {
      sqlite3_bind_double(s, ++i, v);
    }
    if (shot.measuredCarry) {
      sqlite3_bind_double(s, ++i, *shot.measuredCarry);
    } else {
      sqlite3_bind_null(s, ++i);
    }
    BindText(s, ++i, shot.clubData, true);
    BindText(s, ++i, shot.conditions, false);
    const ShotResult& r = shot.result;
    for (double v : {r.carry, r.apex, r.landingAngle, r.lateral, r.total, r.restX, r.restY, r.flightTime}) {
      sqlite3_bind_double(s, ++i, v);
    }
    if (sqlite3_step(s) != SQLITE_DONE) {
      error = Message(db_);
      sqlite3_reset(s);
      std::string ignored;
      Exec("ROLLBACK", ignored);
      return false;
    }
    shot.id = sqlite3_last_insert_rowid(db_);
  }
  sqlite3_reset(insert_);
  if (!Exec("COMMIT", error)) {
    std::string ignored;
    Exec("ROLLBACK", ignored);
    return false;
  }
  // A listener may subscribe or unsubscribe another: call a copy of the list.
  const auto listeners = listeners_;
  for (const StoredShot& shot : shots) {
    for (const auto& [token, listener] : listeners) listener(shot);
  }
  return true;
}

bool ShotStore::Read(const ShotQuery& query, std::vector<StoredShot>& out, std::string& error) {
  const std::string sql = std::string("SELECT ") + kColumns +
                          " FROM shots WHERE (?1 IS NULL OR club = ?1) AND (?2 IS NULL OR time >= ?2) ORDER BY id";
  Statement st;
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st.s, nullptr) != SQLITE_OK) {
    error = Message(db_);
    return false;
  }
  if (query.club) BindText(st.s, 1, *query.club, false);
  if (query.since) BindText(st.s, 2, *query.since, false);
  out.clear();
  int rc;
  while ((rc = sqlite3_step(st.s)) == SQLITE_ROW) {
    sqlite3_stmt* s = st.s;
    StoredShot shot;
    int i = 0;
    shot.id = sqlite3_column_int64(s, i++);
    shot.time = Text(s, i++);
    shot.device = Text(s, i++);
    if (sqlite3_column_type(s, i) != SQLITE_NULL) shot.shotNumber = sqlite3_column_int64(s, i);
    ++i;
    shot.club = Text(s, i++);
    shot.raw = Text(s, i++);
    ShotLaunch& l = shot.launch;
    for (double* v : {&l.speed, &l.verticalAngle, &l.horizontalAngle, &l.backSpin, &l.sideSpin, &l.totalSpin,
                      &l.spinAxis}) {
      *v = sqlite3_column_double(s, i++);
    }
    if (sqlite3_column_type(s, i) != SQLITE_NULL) shot.measuredCarry = sqlite3_column_double(s, i);
    ++i;
    shot.clubData = Text(s, i++);
    shot.conditions = Text(s, i++);
    ShotResult& r = shot.result;
    for (double* v : {&r.carry, &r.apex, &r.landingAngle, &r.lateral, &r.total, &r.restX, &r.restY, &r.flightTime}) {
      *v = sqlite3_column_double(s, i++);
    }
    out.push_back(std::move(shot));
  }
  if (rc != SQLITE_DONE) {
    error = Message(db_);
    return false;
  }
  return true;
}

bool ShotStore::SetClub(std::int64_t id, const std::string& club, std::string& error, bool* missing) {
  if (missing) *missing = false;
  if (Gone(error)) return false;
  Statement st;
  if (sqlite3_prepare_v2(db_, "UPDATE shots SET club = ?1 WHERE id = ?2", -1, &st.s, nullptr) != SQLITE_OK) {
    error = Message(db_);
    return false;
  }
  BindText(st.s, 1, club, true);
  sqlite3_bind_int64(st.s, 2, id);
  if (sqlite3_step(st.s) != SQLITE_DONE) {
    error = Message(db_);
    return false;
  }
  if (sqlite3_changes(db_) == 0) {
    if (missing) *missing = true;
    error = std::string("no shot ") + std::to_string(id);
    return false;
  }
  return true;
}

void ShotStore::SetBusyTimeout(int milliseconds) { sqlite3_busy_timeout(db_, milliseconds); }

std::size_t ShotStore::Subscribe(Listener listener) {
  listeners_.emplace_back(nextToken_, std::move(listener));
  return nextToken_++;
}

void ShotStore::Unsubscribe(std::size_t token) {
  std::erase_if(listeners_, [token](const auto& l) { return l.first == token; });
}

}  // namespace vendrel::range
