// The text of numbers in edit boxes: what is shown, and what is read back.
#include "number_text/number_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

using vendrel::FormatNumber;
using vendrel::ParseNumber;

// A double and the text it is shown as.
struct Shown {
  const char* name;
  double value;
  const char* text;
};

void PrintTo(const Shown& row, std::ostream* os) { *os << row.name; }

class NumberShown : public testing::TestWithParam<Shown> {};

TEST_P(NumberShown, AsPeopleWriteIt) {
  EXPECT_EQ(FormatNumber(GetParam().value), GetParam().text);
  EXPECT_EQ(ParseNumber(GetParam().text), GetParam().value) << "reads back";
}

const Shown kShown[] = {
    {"Whole", 46.0, "46"},
    {"Fraction", 0.01, "0.01"},
    {"Zero", 0.0, "0"},
    {"NegativeZero", -0.0, "-0"},
    {"ShortestOfTheRoundTrips", 0.1 + 0.2, "0.30000000000000004"},
    {"HundredThousandInFull", 100000.0, "100000"},
    {"NegativeHundredThousand", -100000.0, "-100000"},
    {"FourZerosAfterThePoint", 0.00001, "0.00001"},
    {"FiveZerosAfterThePoint", 0.000001, "1e-06"},
    {"FiveZerosWithMoreDigits", 0.0000025, "2.5e-06"},
    {"SeventeenDigitsWhole", 1e16, "10000000000000000"},
    {"EighteenDigitsWhole", 1e17, "1e+17"},
    {"SeventeenSignificantDigits", 123456789.12345679, "123456789.12345679"},
    {"SmallWithSeventeenDigits", 0.00012345678901234567, "0.00012345678901234567"},
    {"LargestDouble", 1.7976931348623157e308, "1.7976931348623157e+308"},
    {"Subnormal", 5e-324, "5e-324"},
};

INSTANTIATE_TEST_SUITE_P(Rows, NumberShown, testing::ValuesIn(kShown),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(NumberText, NonFiniteValuesHaveWords) {
  EXPECT_EQ(FormatNumber(std::nan("")), "nan");
  EXPECT_EQ(FormatNumber(-std::nan("")), "nan") << "whatever the sign bit";
  EXPECT_EQ(FormatNumber(-INFINITY), "-inf");
  char buffer[vendrel::kNumberTextMax];
  EXPECT_EQ(vendrel::WriteNumber(buffer, -2.2250738585072014e-308) - buffer, 24) << "the longest text fits";
}

TEST(NumberText, ReadsDecimalFormsWhateverTheLocale) {
  EXPECT_EQ(ParseNumber("45"), 45.0);
  EXPECT_EQ(ParseNumber("+45"), 45.0);
  EXPECT_EQ(ParseNumber("-1500"), -1500.0);
  EXPECT_EQ(ParseNumber("0.01"), 0.01);
  EXPECT_EQ(ParseNumber(".5"), 0.5);
  EXPECT_EQ(ParseNumber("5."), 5.0);
  EXPECT_EQ(ParseNumber("1e-05"), 0.00001);
  EXPECT_EQ(ParseNumber("1E+2"), 100.0);
  EXPECT_EQ(ParseNumber("  7\t"), 7.0);
}

// A program that calls setlocale (Qt does) gets a decimal comma under a German locale;
// the boxes, the files and the messages must not.
TEST(NumberText, ADecimalCommaLocaleChangesNothing) {
  struct Restore {
    ~Restore() { std::setlocale(LC_ALL, "C"); }
  } restore;
  ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr)
      << "no de_DE.UTF-8 locale here: tools/install-deps generates it";
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  EXPECT_EQ(ParseNumber("9.8"), 9.8);
  EXPECT_EQ(ParseNumber("1e-05"), 0.00001);
  EXPECT_FALSE(ParseNumber("9,8").has_value());
  EXPECT_EQ(FormatNumber(9.8), "9.8");
  EXPECT_EQ(FormatNumber(-0.30000000000000004), "-0.30000000000000004");
  EXPECT_EQ(FormatNumber(1e-06), "1e-06");
}

TEST(NumberText, ReadsWhatAJapaneseInputMethodTypes) {
  EXPECT_EQ(ParseNumber("６０"), 60.0);
  EXPECT_EQ(ParseNumber("－１．５"), -1.5);
  EXPECT_EQ(ParseNumber("＋２ｅ３"), 2000.0);
  EXPECT_EQ(ParseNumber("１Ｅ－２"), 0.01);
  EXPECT_EQ(ParseNumber("\u3000４５\u3000"), 45.0);  // full-width blanks around it
  EXPECT_EQ(ParseNumber("4５.０"), 45.0);            // half and full width mixed
}

TEST(NumberText, RefusesAnythingElse) {
  for (const char* text :
       {"", " ", "\u3000", "abc", "nan", "NaN", "inf", "-inf", "infinity", "0x10", "1e999",
        "-1e999", "1,5", "1.5.2", "--1", "+-1", "1e", "1e+", "e5", ".", "-.", "1 2", "12abc",
        "１２ａ", "45°", "\xff", "\xe3\x80", "\xc0\x80", "1\n"}) {
    EXPECT_FALSE(ParseNumber(text).has_value()) << '"' << text << '"';
  }
}

// Whole numbers as the command line takes them (tick counts, seeds): plain digits and
// a '+', within the bounds given, nothing else; a refusal leaves the value alone.
TEST(NumberText, WholeNumbersWithinTheirBounds) {
  std::int64_t v = -7;
  EXPECT_TRUE(vendrel::ParseWhole("+42", 1, 100, v));
  EXPECT_EQ(v, 42);
  EXPECT_TRUE(vendrel::ParseWhole("9223372036854775807", 0, INT64_MAX, v));
  EXPECT_EQ(v, INT64_MAX);
  v = -7;
  for (const char* text : {"", "+", "-1", " 5", "5 ", "0x10", "1e3", "5.0", "101", "0",
                           "9223372036854775808", "++5", "５"}) {
    EXPECT_FALSE(vendrel::ParseWhole(text, 1, 100, v)) << '"' << text << '"';
    EXPECT_EQ(v, -7) << '"' << text << '"';
  }
  std::string json;
  vendrel::AppendNumber(json, 0.1);
  EXPECT_EQ(json + "," + vendrel::FormatJsonNumber(-INFINITY) + "," +
                vendrel::FormatJsonNumber(std::nan("")) + "," + vendrel::FormatJsonNumber(2000),
            "0.1,null,null,2000");
}

// What the boxes hold goes through the dialog both ways: every double shown reads back
// to itself, and nothing read is ever infinite or not a number.
TEST(NumberText, RoundTripsAndStaysFiniteOverRandomInput) {
  std::mt19937_64 random(20261208);
  for (int i = 0; i < 20000; ++i) {
    const std::uint64_t bits = random();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value)) continue;
    const auto back = ParseNumber(FormatNumber(value));
    ASSERT_TRUE(back.has_value()) << FormatNumber(value);
    EXPECT_EQ(std::memcmp(&*back, &value, sizeof value), 0) << FormatNumber(value);
  }
  static const char alphabet[] = "0123456789+-.eE x,\t";
  static const char* const wide[] = {"０", "９", "＋", "－", "．", "ｅ", "Ｅ", "\u3000", "ａ"};
  for (int i = 0; i < 50000; ++i) {
    std::string text;
    const int length = static_cast<int>(random() % 12);
    for (int j = 0; j < length; ++j) {
      if (random() % 4 == 0) {
        text += wide[random() % std::size(wide)];
      } else {
        text += alphabet[random() % (sizeof alphabet - 1)];
      }
    }
    if (const auto v = ParseNumber(text)) {
      ASSERT_TRUE(std::isfinite(*v)) << text;
    }
  }
}
