// Sweeps: nested-loop order whatever the threads, rows equal to single flights, the best row.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

#include "tests/support/process.h"

namespace vendrel {
namespace {

using test::RunFlightTool;

std::vector<std::string> Lines(const std::string& s) {
  std::vector<std::string> out;
  std::istringstream in(s);
  std::string line;
  while (std::getline(in, line)) out.push_back(line);
  return out;
}

std::vector<std::string> Cells(const std::string& line) {
  std::vector<std::string> out;
  std::istringstream in(line);
  std::string cell;
  while (std::getline(in, cell, ',')) out.push_back(cell);
  if (!line.empty() && line.back() == ',') out.push_back("");
  return out;
}

TEST(Sweep, OrderAndBitsDoNotDependOnTheThreads) {
  const std::vector<std::string> base = {"sweep", "--angle", "10:40:0.5", "--dt", "0.01:0.02:0.005",
                                         "--mass", "0:46:46"};
  auto one = base, two = base;
  one.insert(one.end(), {"--threads", "1"});
  two.insert(two.end(), {"--threads", "2"});
  const auto a = RunFlightTool(one);
  const auto b = RunFlightTool(two);
  ASSERT_EQ(a.status, 0) << a.err;
  EXPECT_EQ(a.out, b.out);
  const auto lines = Lines(a.out);
  ASSERT_EQ(lines.size(), 1u + 61 * 2 * 3);
  EXPECT_EQ(lines[0],
            "angle,speed,side_spin,back_spin,k,k_prime,mass,gravity,dt,ticks,end,carry,distance,lateral,apex");
  // dt varies fastest, then mass, then angle.
  EXPECT_EQ(Cells(lines[1])[8], "0.01");
  EXPECT_EQ(Cells(lines[2])[8], "0.015");
  EXPECT_EQ(Cells(lines[3])[8], "0.02");
  EXPECT_EQ(Cells(lines[4])[6], "46");
  EXPECT_EQ(Cells(lines[7])[0], "10.5");
  // A mass of 0 ends on a NaN height and leaves the carry empty.
  EXPECT_EQ(Cells(lines[1])[10], "nan");
  EXPECT_EQ(Cells(lines[1])[11], "");
}

TEST(Sweep, RowEqualsTheSingleFlight) {
  const auto sweep = RunFlightTool({"sweep", "--angle", "15", "--side-spin", "1000:2000:500"});
  ASSERT_EQ(sweep.status, 0) << sweep.err;
  const auto lines = Lines(sweep.out);
  ASSERT_EQ(lines.size(), 4u);
  const auto row = Cells(lines[3]);
  const auto single = nlohmann::json::parse(RunFlightTool({"--side-spin", "2000", "--format", "json"}).out);
  EXPECT_EQ(row[9], std::to_string(single["ticks"].get<int>()));
  EXPECT_EQ(row[10], "ground");
  EXPECT_EQ(std::stod(row[11]), single["carry"].get<double>());
  EXPECT_EQ(std::strtod(row[12].c_str(), nullptr), single["distance"].get<double>());
  EXPECT_EQ(std::strtod(row[13].c_str(), nullptr), single["landing"]["y"].get<double>());
  EXPECT_EQ(std::strtod(row[14].c_str(), nullptr), single["apex"].get<double>());
}

TEST(Sweep, BestRow) {
  const auto all = RunFlightTool({"sweep", "--angle", "0:90:1"});
  const auto best = RunFlightTool({"sweep", "--angle", "0:90:1", "--best", "carry"});
  ASSERT_EQ(best.status, 0) << best.err;
  const auto lines = Lines(best.out);
  ASSERT_EQ(lines.size(), 2u);
  // The best carry by hand: ties on the carry go to the larger distance, then the earlier row.
  double bestCarry = -1, bestDistance = -1;
  std::string expected;
  for (const auto& line : Lines(all.out)) {
    const auto c = Cells(line);
    if (c[0] == "angle" || c[11].empty()) continue;
    const double carry = std::stod(c[11]), distance = std::stod(c[12]);
    if (carry > bestCarry || (carry == bestCarry && distance > bestDistance)) {
      bestCarry = carry;
      bestDistance = distance;
      expected = line;
    }
  }
  EXPECT_EQ(lines[1], expected);
  const auto apex = Lines(RunFlightTool({"sweep", "--angle", "0:90:1", "--best", "apex"}).out);
  EXPECT_EQ(Cells(apex[1])[0], "90") << "straight up flies highest";
}

}  // namespace
}  // namespace vendrel
