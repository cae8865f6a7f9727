#include "tests/support/golden.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace vendrel::test {

const nlohmann::json& Golden() {
  static const nlohmann::json doc = [] {
    std::ifstream in(VENDREL_TEST_DATA "/flight.json");
    if (!in) throw std::runtime_error("cannot open " VENDREL_TEST_DATA "/flight.json");
    return nlohmann::json::parse(in);
  }();
  return doc;
}

double Hex(const nlohmann::json& entry) {
  const std::string hex = entry.at("hex").get<std::string>();
  return std::strtod(hex.c_str(), nullptr);
}

Vec5 HexVec(const nlohmann::json& entries) {
  Vec5 v{};
  for (int i = 0; i < 3; ++i) v[i + 1] = Hex(entries.at(i));
  return v;
}

Vec5 PlainVec(const nlohmann::json& numbers) {
  Vec5 v{};
  for (int i = 0; i < 3; ++i) v[i + 1] = numbers.at(i).get<double>();
  return v;
}

std::string Describe(double v) {
  char buf[80];
  std::snprintf(buf, sizeof buf, "%.17g (%a)", v, v);
  return buf;
}

}  // namespace vendrel::test
