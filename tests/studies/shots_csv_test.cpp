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
      {"lateral alone", "angle,apex,lateral\n10,10,1\n", "s.csv:1: column 'lateral' needs a distance column"},
      {"zero distance", "angle,distance\n10,0\n", "s.csv:2: column 'distance': '0' is out of range"},
      {"twice", "angle,angle,distance\n", "column 'angle': appears twice"},
      {"unclosed quote", "name,distance\n\"a,100\nb,120\n", "s.csv:2: a quoted value is not closed"},
      {"after closing quote", "name,distance\n\"a\"b,100\n", "s.csv:2: text after the closing quote"},
      // A quoted line break moves the lines of what follows.
      {"line after a quoted break", "name,distance\n\"a\nb\",100\nc,x\n", "s.csv:4: column 'distance': 'x' is not"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ShotsFile f;
    std::string error;
    EXPECT_FALSE(ParseShots(c.text, "s.csv", DefaultForm(), Units::Metric, f, error));
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
  }
}

TEST(ShotsCsv, ReadsQuotedCellsLineEndingsAndAByteOrderMark) {
  ShotsFile f;
  std::string error;
  const std::string text =
      "\xEF\xBB\xBFname,distance,apex\r\n"
      "\"Driver, 10.5\xC2\xB0\",250,30\r\n"
      " \"say \"\"hi\"\"\" ,\"200\", 20\r\n"
      "\"two\r\nlines\",180,\"25\"\r\n"
      "\"\"\"\",170,24";  // a name that is one quote; no line break at the end
  ASSERT_TRUE(ParseShots(text, "q.csv", DefaultForm(), Units::Metric, f, error)) << error;
  ASSERT_EQ(f.names.size(), 4u);
  EXPECT_EQ(f.names[0], "Driver, 10.5\xC2\xB0");
  EXPECT_EQ(f.names[1], "say \"hi\"");
  EXPECT_EQ(f.names[2], "two\r\nlines");
  EXPECT_EQ(f.names[3], "\"");
  EXPECT_EQ(f.lines, (std::vector<int>{2, 3, 4, 6}));
  EXPECT_EQ(*f.shots[1].measured[0], 200.0);
  EXPECT_EQ(*f.shots[2].measured[1], 25.0);
}

TEST(ShotsCsv, RefusalsQuoteBinaryBytesEscaped) {
  ShotsFile f;
  std::string error;
  // Control characters, a terminal's escape sequence, a lone continuation byte, a
  // truncated sequence and a C1 control (U+009B) in a column name and in a value.
  const std::string header = "angle\x1b[2J\x80\xE3\x81,distance\n";
  EXPECT_FALSE(ParseShots(header, "b.csv", DefaultForm(), Units::Metric, f, error));
  EXPECT_NE(error.find("column 'angle\\x1B[2J\\x80\\xE3\\x81': unknown column"), std::string::npos) << error;
  constexpr char kValue[] = "name,distance\nx,1\x00\x07\xC2\x9B\t\xE6\x97\xA5\n";
  const std::string value(kValue, sizeof kValue - 1);
  EXPECT_FALSE(ParseShots(value, "b.csv", DefaultForm(), Units::Metric, f, error));
  EXPECT_NE(error.find("'1\\x00\\x07\\xC2\\x9B\\x09\xE6\x97\xA5' is not a number"), std::string::npos) << error;
  // A huge cell is cut.
  EXPECT_FALSE(ParseShots("distance\n" + std::string(5000, 'z') + "\n", "b.csv", DefaultForm(), Units::Metric, f, error));
  EXPECT_LT(error.size(), 200u);
  EXPECT_NE(error.find("zzz...' is not a number"), std::string::npos) << error;
}

}  // namespace
}  // namespace vendrel::cli
