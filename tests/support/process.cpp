#include "tests/support/process.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace vendrel::test {

std::string ScratchPath(const std::string& name) {
  static const std::filesystem::path dir = [] {
    std::string tmpl = (std::filesystem::temp_directory_path() / "vendrel-cli-XXXXXX").string();
    return std::filesystem::path(mkdtemp(tmpl.data()));
  }();
  return (dir / name).string();
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

ProcessResult RunFlightTool(const std::vector<std::string>& args, const std::string& input) {
  return RunProcess(VENDREL_FLIGHT_EXE, args, input);
}

ProcessResult ExpectRefused(const std::vector<std::string>& args) {
  std::string joined;
  for (const auto& a : args) joined += a + " ";
  SCOPED_TRACE(joined);
  ProcessResult r = RunFlightTool(args);
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(r.out.empty()) << "nothing is run: " << r.out;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  return r;
}

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input) {
  static int serial = 0;
  const std::string inPath = ScratchPath("stdin-" + std::to_string(serial));
  const std::string outPath = ScratchPath("stdout-" + std::to_string(serial));
  const std::string errPath = ScratchPath("stderr-" + std::to_string(serial++));
  std::ofstream(inPath, std::ios::binary) << input;
  std::vector<char*> argv;
  std::string exe = program;
  argv.push_back(exe.data());
  std::vector<std::string> copy = args;
  for (auto& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);

  ProcessResult r;
  const pid_t pid = fork();
  if (pid == 0) {
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int in = open(inPath.c_str(), O_RDONLY);
    dup2(out, 1);
    dup2(err, 2);
    dup2(in, 0);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  r.peakRssKiB = usage.ru_maxrss;
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = ReadFile(outPath);
  r.err = ReadFile(errPath);
  return r;
}

}  // namespace vendrel::test
