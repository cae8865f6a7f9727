// Reading measured shots: columns, units at the edge, and refusals that name the
// file, the line and the column.
#include <gtest/gtest.h>

#include "cli/shots_csv.h"
#include "flight/parameters.h"

namespace vendrel::cli {
namespace {

TEST(ShotsCsv, ReadsColumnsAndConvertsOnlySpeedsAndLengths) {
  ShotsFile f;
  std::string error;
  const char* text =
      "# a comment at the top\n"
      "name,speed,angle,back_spin,distance,apex,lateral\r\n"
      "Driver, 100 ,10.5,2500,250,30,-4\n"
      "\n";
  ASSERT_TRUE(ParseShots(text, "t.csv", DefaultForm(), Units::Imperial, f, error)) << error;
  ASSERT_EQ(f.shots.size(), 1u);
  const Shot& s = f.shots[0];
  EXPECT_EQ(f.names[0], "Driver");
  EXPECT_EQ(f.lines[0], 3);
  EXPECT_EQ(s.form.launchSpeed, 100 * 0.44704);
  EXPECT_EQ(s.form.launchAngle, 10.5);
  EXPECT_EQ(s.form.backSpin, 2500.0);
  EXPECT_EQ(s.form.kPrime, DefaultForm().kPrime);  // a missing column takes the base value
  EXPECT_EQ(*s.measured[0], 250 * 0.9144);
  EXPECT_EQ(*s.measured[1], 30 * 0.9144);
  EXPECT_EQ(*s.measured[2], -4 * 0.9144);
}

TEST(ShotsCsv, RefusalsNameFileLineAndColumn) {
  struct Case {
    const char* name;
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"unknown column", "angle,spin\n10,2\n", "s.csv:1: column 'spin': unknown column"},
      {"missing value", "angle,distance\n10,100\n12,\n", "s.csv:3: column 'distance': missing value"},
      {"short row", "angle,distance,apex\n10,100\n", "s.csv:2: column 'apex': missing value"},
      {"long row", "angle,distance\n10,100,3\n", "s.csv:2: column 3: a value beyond"},
      {"not a number", "angle,distance\nten,100\n", "s.csv:2: column 'angle': 'ten' is not a number"},
      {"out of range", "# c\nspeed,distance\n101,100\n", "s.csv:3: column 'speed': '101' is out of range (allowed: 0 to 100 m/s)"},
      {"no target", "angle,carry\n10,100\n", "no target columns"},
      {"lateral alone", "angle,apex,lateral\n10,10,1\n", "column 'lateral': needs a distance column"},
      {"zero distance", "angle,distance\n10,0\n", "s.csv:2: column 'distance': '0' is out of range"},
      {"twice", "angle,angle,distance\n", "column 'angle': appears twice"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ShotsFile f;
    std::string error;
    EXPECT_FALSE(ParseShots(c.text, "s.csv", DefaultForm(), Units::Metric, f, error));
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace vendrel::cli
