// The shot history: what it keeps, that a shot is committed before it is announced,
// and which files it refuses to open.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "range/shot_store.h"
#include "tests/support/process.h"

namespace vendrel::range {
namespace {

using test::ScratchPath;

StoredShot Sample(const std::string& device, std::int64_t number) {
  StoredShot s;
  s.device = device;
  s.shotNumber = number;
  s.raw = "{\"DeviceID\":\"" + device + "\"}";
  s.launch = {65.9, 12.5, 1.5, 2900.0, -250.0, 2910.76, -4.9};
  s.measuredCarry = 230.0;
  s.clubData = "{\"Speed\":105}";
  s.conditions = "{\"model\":\"form\"}";
  s.result = {231.5, 30.25, 41.0, -3.5, 240.0, 239.9, -3.75, 6.5};
  return s;
}

// A second connection, as an export or the page would read the file.
std::string Query(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* s = nullptr;
  std::string out;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW) {
    const unsigned char* t = sqlite3_column_text(s, 0);
    out = t ? reinterpret_cast<const char*>(t) : "";
  }
  sqlite3_finalize(s);
  sqlite3_close(db);
  return out;
}

TEST(ShotStore, KeepsEveryValueAndAnnouncesAfterTheCommit) {
  const std::string path = ScratchPath("keeps.sqlite");
  std::string error;
  auto store = ShotStore::Open(path, ShotStore::Mode::Create, error);
  ASSERT_TRUE(store) << error;
  EXPECT_EQ(Query(path, "PRAGMA journal_mode"), "wal");
  EXPECT_EQ(Query(path, "PRAGMA user_version"), "1");

  std::vector<std::string> seen;
  store->Subscribe([&](const StoredShot& shot) {
    // Another connection sees the shot already: it was committed first.
    seen.push_back(Query(path, std::string("SELECT device FROM shots WHERE id = ") + std::to_string(shot.id)));
  });
  std::vector<StoredShot> batch = {Sample("A", 1), Sample("B", 4294967297)};
  batch[1].measuredCarry.reset();
  batch[1].clubData.clear();
  ASSERT_TRUE(store->Add(batch, error)) << error;
  EXPECT_EQ(seen, (std::vector<std::string>{"A", "B"}));
  EXPECT_LT(batch[0].id, batch[1].id);
  EXPECT_EQ(batch[0].time.size(), 24u) << batch[0].time;

  std::vector<StoredShot> back;
  ASSERT_TRUE(store->Read({}, back, error)) << error;
  ASSERT_EQ(back.size(), 2u);
  const StoredShot& a = back[0];
  const StoredShot& b = back[1];
  EXPECT_EQ(a.time, batch[0].time);
  EXPECT_EQ(a.raw, batch[0].raw);
  EXPECT_EQ(a.launch.sideSpin, -250.0);
  EXPECT_EQ(a.launch.spinAxis, -4.9);
  EXPECT_EQ(a.measuredCarry, 230.0);
  EXPECT_EQ(a.clubData, "{\"Speed\":105}");
  EXPECT_EQ(a.conditions, "{\"model\":\"form\"}");
  EXPECT_EQ(a.result.restY, -3.75);
  EXPECT_EQ(a.result.flightTime, 6.5);
  EXPECT_EQ(b.shotNumber, 4294967297);
  EXPECT_FALSE(b.measuredCarry);
  EXPECT_TRUE(b.clubData.empty());

  // Clubs named later select; times select from a point on.
  ASSERT_TRUE(store->SetClub(a.id, "7-iron", error)) << error;
  EXPECT_FALSE(store->SetClub(999, "PW", error));
  ShotQuery club;
  club.club = "7-iron";
  ASSERT_TRUE(store->Read(club, back, error));
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].device, "A");
  ShotQuery later;
  later.since = "2999-01-01T00:00:00.000Z";
  ASSERT_TRUE(store->Read(later, back, error));
  EXPECT_TRUE(back.empty());

  // Opened again, the shots are there and the schema is left as it is.
  store.reset();
  store = ShotStore::Open(path, ShotStore::Mode::Existing, error);
  ASSERT_TRUE(store) << error;
  ASSERT_TRUE(store->Read({}, back, error));
  EXPECT_EQ(back.size(), 2u);
}

TEST(ShotStore, RefusesFilesItCannotKeepShotsIn) {
  std::string error;
  EXPECT_FALSE(ShotStore::Open(ScratchPath("missing.sqlite"), ShotStore::Mode::Existing, error));
  EXPECT_NE(error.find("no such file"), std::string::npos) << error;
  for (const auto mode : {ShotStore::Mode::Create, ShotStore::Mode::ReadOnly}) {
    EXPECT_FALSE(ShotStore::Open(std::filesystem::path(ScratchPath("x")).parent_path().string(), mode, error));
    EXPECT_NE(error.find("a folder"), std::string::npos) << error;
  }

  const std::string text = ScratchPath("text.sqlite");
  std::ofstream(text) << "name,speed\nDriver,167\n" << std::string(1000, 'x');
  EXPECT_FALSE(ShotStore::Open(text, ShotStore::Mode::Create, error));
  EXPECT_NE(error.find("not a database"), std::string::npos) << error;
  EXPECT_EQ(test::ReadFile(text).substr(0, 10), "name,speed");

  // Somebody else's database is left alone.
  const std::string other = ScratchPath("other.sqlite");
  sqlite3* db = nullptr;
  sqlite3_open(other.c_str(), &db);
  sqlite3_exec(db, "CREATE TABLE accounts(id INTEGER)", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  const std::string before = test::ReadFile(other);
  EXPECT_FALSE(ShotStore::Open(other, ShotStore::Mode::Create, error));
  EXPECT_NE(error.find("not a shot history"), std::string::npos) << error;
  EXPECT_EQ(test::ReadFile(other), before);  // its journal mode included

  // A newer schema is not written over.
  const std::string newer = ScratchPath("newer.sqlite");
  ASSERT_TRUE(ShotStore::Open(newer, ShotStore::Mode::Create, error));
  sqlite3_open(newer.c_str(), &db);
  sqlite3_exec(db, "PRAGMA user_version=2", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  EXPECT_FALSE(ShotStore::Open(newer, ShotStore::Mode::Create, error));
  EXPECT_NE(error.find("newer"), std::string::npos) << error;

  // A reader refuses the same, and writes nothing.
  EXPECT_FALSE(ShotStore::Open(newer, ShotStore::Mode::ReadOnly, error));
  EXPECT_NE(error.find("newer"), std::string::npos) << error;
  EXPECT_FALSE(ShotStore::Open(other, ShotStore::Mode::ReadOnly, error));
  EXPECT_NE(error.find("not a shot history"), std::string::npos) << error;
  EXPECT_FALSE(ShotStore::Open(ScratchPath("missing.sqlite"), ShotStore::Mode::ReadOnly, error));
  EXPECT_FALSE(std::filesystem::exists(ScratchPath("missing.sqlite")));
}

// SQLite would go on writing to a file deleted or renamed under it, and lose it all on
// closing: once that happened nothing is acknowledged as stored.
TEST(ShotStore, StoresNothingOnceItsFileIsDeletedOrMoved) {
  for (const bool moved : {false, true}) {
    const std::string path = ScratchPath(moved ? "moved.sqlite" : "deleted.sqlite");
    std::string error;
    auto store = ShotStore::Open(path, ShotStore::Mode::Create, error);
    ASSERT_TRUE(store) << error;
    moved ? std::filesystem::rename(path, path + ".old") : void(std::filesystem::remove(path));
    std::vector<StoredShot> shots{Sample("A", 1)};
    EXPECT_FALSE(store->Add(shots, error));
    EXPECT_NE(error.find("deleted or moved"), std::string::npos) << error;
  }
}

// A copy of the history in a folder the reader may not write to (a backup, a read-only
// disk) has no shared-memory file and none can be made: it is still read. As root, the
// reading runs in a child that is nobody, for whom the folder's mode holds.
TEST(ShotStore, ReadsAHistoryInAFolderItMayNotWriteTo) {
  namespace fs = std::filesystem;
  const fs::path dir = ScratchPath("readonly");
  fs::create_directories(dir);
  const std::string path = (dir / "shots.sqlite").string();
  std::string error;
  std::vector<StoredShot> shots{Sample("A", 1), Sample("A", 2)};
  ASSERT_TRUE(ShotStore::Open(path, ShotStore::Mode::Create, error)->Add(shots, error)) << error;
  fs::permissions(dir.parent_path(), fs::perms::others_exec, fs::perm_options::add);
  fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read | fs::perms::others_exec);
  const auto reads = [&path] {
    std::vector<StoredShot> out;
    std::string e;
    const auto reader = ShotStore::Open(path, ShotStore::Mode::ReadOnly, e);
    return reader && reader->Read({}, out, e) && out.size() == 2;
  };
  int status = 0;
  if (geteuid() != 0) {
    status = reads() ? 0 : 1;
  } else {  // the folder's mode does not hold for root
    const pid_t child = fork();
    if (child == 0) _exit(setgid(65534) != 0 || setuid(65534) != 0 || access(path.c_str(), R_OK) != 0 ? 2 : !reads());
    ASSERT_EQ(waitpid(child, &status, 0), child);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 2) GTEST_SKIP() << "nobody cannot reach " << path;
  }
  EXPECT_EQ(status, 0);
  fs::permissions(dir, fs::perms::owner_all);
}

// The log is copied into the file on the store's own thread: it is written over from
// its start again rather than growing, the shots are all there after, and closing
// leaves no log behind. A reader reads while the writer writes.
TEST(ShotStore, TheLogIsCopiedBesideTheCommitsAndKeepsItsSize) {
  const std::string path = ScratchPath("log.sqlite");
  std::string error;
  auto store = ShotStore::Open(path, ShotStore::Mode::Create, error);
  ASSERT_TRUE(store) << error;
  auto reader = ShotStore::Open(path, ShotStore::Mode::ReadOnly, error);
  ASSERT_TRUE(reader) << error;
  std::uintmax_t largest = 0;
  constexpr int kCommits = 1200;  // about 8 pages each: 40 MB of log, were it never copied
  for (int i = 1; i <= kCommits; ++i) {
    std::vector<StoredShot> one{Sample("LOG", i)};
    one[0].raw = "{\"Pad\":\"" + std::string(16000, 'x') + "\"}";
    ASSERT_TRUE(store->Add(one, error)) << error;
    largest = std::max(largest, std::filesystem::file_size(path + "-wal"));
    if (i % 400 == 0) {
      std::vector<StoredShot> seen;
      ASSERT_TRUE(reader->Read({}, seen, error)) << error;
      EXPECT_EQ(seen.size(), static_cast<std::size_t>(i));
    }
  }
  EXPECT_LT(largest, 16u << 20);
  reader.reset();
  store.reset();
  EXPECT_FALSE(std::filesystem::exists(path + "-wal"));
  std::vector<StoredShot> back;
  ASSERT_TRUE(ShotStore::Open(path, ShotStore::Mode::ReadOnly, error)->Read({}, back, error)) << error;
  ASSERT_EQ(back.size(), static_cast<std::size_t>(kCommits));
  EXPECT_EQ(back.back().shotNumber, kCommits);
}

TEST(ShotStore, DefaultsToTheUsersDataDirectory) {
  const std::string data = ScratchPath("xdg-data");
  setenv("XDG_DATA_HOME", data.c_str(), 1);
  std::string error;
  EXPECT_EQ(ShotStore::DefaultPath(error), data + "/vendrel/shots.sqlite");
  setenv("XDG_DATA_HOME", "relative/ignored", 1);
  const std::string home = ScratchPath("home");
  setenv("HOME", home.c_str(), 1);
  EXPECT_EQ(ShotStore::DefaultPath(error), home + "/.local/share/vendrel/shots.sqlite");
  unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace vendrel::range
