// vendrel-flight: the flight model from the command line.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/refuse.h"

int main(int argc, char** argv) {
  using namespace vendrel::cli;
  const std::vector<std::string> args(argv + 1, argv + argc);
  Command cmd;
  std::string error;
  if (!ParseCommandLine(args, cmd, error)) return Refuse(error);
  int status = 0;
  switch (cmd.mode) {
    case Mode::Help:
      std::fputs(cmd.help.c_str(), stdout);
      break;
    case Mode::Version:
      std::printf("vendrel-flight %s\n", VENDREL_VERSION);
      break;
    default:
      status = RunCommand(cmd);
  }
  // What goes to standard output is the result: a full disk there is a failure, not a success.
  if ((std::fflush(stdout) != 0 || std::ferror(stdout)) && status != kUsageError) {
    return Refuse("writing standard output failed");
  }
  return status;
}
