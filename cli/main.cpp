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
  switch (cmd.mode) {
    case Mode::Help:
      std::fputs(cmd.help.c_str(), stdout);
      return 0;
    case Mode::Version:
      std::printf("vendrel-flight %s\n", VENDREL_VERSION);
      return 0;
    default:
      return RunCommand(cmd);
  }
}
