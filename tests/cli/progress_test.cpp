// Long work's progress: the meter's counts and rates, the line's text, and the command
// line showing it on a terminal and nowhere else.
#include <pty.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "cli/progress_line.h"
#include "flight/progress_meter.h"
#include "tests/support/process.h"

namespace vendrel::cli {
namespace {

using namespace std::chrono_literals;

TEST(ProgressMeter, CountsEveryThreadAndReportsOnlyWhenDue) {
  int reports = 0;
  std::int64_t lastDone = 0;
  // Due at once, then not again for an hour: one report however many threads add.
  ProgressMeter meter(40000, [&](const ProgressMeter::Status& s) {
    ++reports;
    lastDone = s.done;
  }, 0s, 1h);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 10000; ++i) meter.Add(1);
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(reports, 1);
  EXPECT_GE(lastDone, 1);
  EXPECT_TRUE(meter.Reported());
  EXPECT_EQ(meter.Now().done, 40000);

  // Short work says nothing.
  ProgressMeter quiet(10, [&](const ProgressMeter::Status&) { ++reports; });
  quiet.Add(10);
  EXPECT_EQ(reports, 1);
  EXPECT_FALSE(quiet.Reported());
}

TEST(ProgressMeter, RateAndTimeLeft) {
  ProgressMeter meter(100, {});
  meter.Add(25);
  std::this_thread::sleep_for(5ms);
  const ProgressMeter::Status s = meter.Now();
  ASSERT_GT(s.seconds, 0.0);
  EXPECT_DOUBLE_EQ(s.rate, 25 / s.seconds);
  EXPECT_NEAR(s.secondsLeft, 3 * s.seconds, 1e-9 * s.seconds);  // three quarters to go at the same rate
  meter.Add(75);
  EXPECT_EQ(meter.Now().secondsLeft, 0.0);
  ProgressMeter open(0, {});
  open.Add(5);
  EXPECT_LT(open.Now().secondsLeft, 0.0) << "no total, no time left";
}

TEST(ProgressText, BarCountsRateAndTimeLeft) {
  ProgressMeter::Status s;
  s.done = 6553;
  s.total = 32768;
  s.rate = 12300.4;
  s.secondsLeft = 12.2;
  EXPECT_EQ(ProgressText(s, "flights"), "[#####                         ]  19% 6553/32768 flights, 12300 flights/s, 0:13 left");
  s.done = s.total = 5;
  s.secondsLeft = 3725;
  EXPECT_EQ(ProgressText(s, "flights"), "[##############################] 100% 5/5 flights, 12300 flights/s, 1:02:05 left");
  s.total = 0;
  s.secondsLeft = -1;
  EXPECT_EQ(ProgressText(s, "ticks"), "5 ticks, 12300 ticks/s");
}

// A flight that never comes down (no gravity) with a bound of years of ticks.
const std::vector<std::string> kEndless = {"--gravity", "0", "--max-ticks", "1000000000000"};

std::vector<char*> Argv(std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  return argv;
}

void Stop(pid_t pid) {
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

TEST(ProgressOnTheCommandLine, ShownOnATerminal) {
  std::vector<std::string> args{VENDREL_FLIGHT_EXE};
  args.insert(args.end(), kEndless.begin(), kEndless.end());
  std::vector<char*> argv = Argv(args);
  int master = -1;
  const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    execv(argv[0], argv.data());
    _exit(127);
  }
  std::string seen;
  const auto until = std::chrono::steady_clock::now() + 30s;
  while (seen.find("ticks/s") == std::string::npos && std::chrono::steady_clock::now() < until) {
    pollfd p{master, POLLIN, 0};
    if (poll(&p, 1, 200) <= 0) continue;
    char buf[512];
    const ssize_t n = read(master, buf, sizeof buf);
    if (n <= 0) break;
    seen.append(buf, static_cast<std::size_t>(n));
  }
  Stop(pid);
  close(master);
  EXPECT_NE(seen.find("\rflight: "), std::string::npos) << seen;
  EXPECT_NE(seen.find("(the bound is 1000000000000)"), std::string::npos) << seen;
}

TEST(ProgressOnTheCommandLine, NothingWhenNotATerminal) {
  const std::string errPath = test::ScratchPath("progress-stderr");
  std::vector<std::string> args{VENDREL_FLIGHT_EXE};
  args.insert(args.end(), kEndless.begin(), kEndless.end());
  std::vector<char*> argv = Argv(args);
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(err, 2);
    execv(argv[0], argv.data());
    _exit(127);
  }
  // Past the second after which a terminal would show the line, and some reports more.
  std::this_thread::sleep_for(1800ms);
  Stop(pid);
  EXPECT_EQ(test::ReadFile(errPath), "");
}

}  // namespace
}  // namespace vendrel::cli
