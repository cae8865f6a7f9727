// Writes the module's type stub from its template and the parameter table, at build
// time: make_stub TEMPLATE OUTPUT.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "flight/parameters.h"
#include "python/parameter_text.h"

int main(int argc, char** argv) {
  using namespace vendrel;
  using namespace vendrel::python;
  if (argc != 3) {
    std::cerr << "usage: make_stub TEMPLATE OUTPUT\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  if (!in) {
    std::cerr << "make_stub: cannot read " << argv[1] << "\n";
    return 1;
  }
  const std::string stub = Expand(text.str(), {
      {"@GENERATED@", "Written at build time from python/vendrel.pyi.in and the parameter table."},
      {"@FLIGHT_PARAMETERS Numbers@\n", StubParameters("Numbers", "    ")},
      {"@FLIGHT_PARAMETERS Number@\n", StubParameters("Number", "    ")},
      {"@BALL_PARAMETERS Number@\n", StubBallParameters("Number", "    ", true)},
      {"@BALL_PARAMETERS Numbers@\n", StubBallParameters("Numbers", "    ", true)},
      {"@BALL_KEYWORDS Numbers@\n", StubBallParameters("Numbers", "    ", false)},
      {"@MAX_TICKS@", PythonLiteral(static_cast<double>(kDefaultMaxTicks))},
  });
  // A placeholder left over is a name the template and this program disagree on.
  for (std::size_t at = stub.find('@'); at != std::string::npos; at = stub.find('@', at + 1)) {
    if (at + 1 < stub.size() && stub[at + 1] >= 'A' && stub[at + 1] <= 'Z') {
      std::cerr << "make_stub: unknown placeholder in " << argv[1] << ": " << stub.substr(at, 24) << "\n";
      return 1;
    }
  }
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out << stub;
  out.close();
  if (!out) {
    std::cerr << "make_stub: cannot write " << argv[2] << "\n";
    std::remove(argv[2]);
    return 1;
  }
  return 0;
}
