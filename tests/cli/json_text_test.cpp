// The one JSON writer: the program's number text for doubles, keys in the order set,
// and valid JSON whatever bytes a string holds.
#include <gtest/gtest.h>

#include <limits>

#include "cli/json_text.h"

namespace vendrel::cli {
namespace {

TEST(JsonText, NumbersKeysAndStrings) {
  Json j;
  j["z"] = JsonNumber(100000.0);  // the library would write 100000.0
  j["a"] = JsonNumber(1e-06);
  j["n"] = JsonNumber(std::numeric_limits<double>::quiet_NaN());
  j["i"] = std::int64_t{-7};
  j["list"] = {JsonNumber(0.1), true, nullptr};
  j["o"] = Json::object();
  // A quote, a backslash, a control character, Japanese, and a byte that is not UTF-8.
  j["s"] = std::string("\"\\\x01ドライバー\xff");
  EXPECT_EQ(JsonText(j),
            "{\"z\": 100000, \"a\": 1e-06, \"n\": null, \"i\": -7, \"list\": [0.1, true, null], \"o\": {}, "
            "\"s\": \"\\\"\\\\\\u0001ドライバー\xEF\xBF\xBD\"}");
  EXPECT_EQ(Json::parse(JsonText(j))["s"], "\"\\\x01ドライバー\xEF\xBF\xBD");
}

}  // namespace
}  // namespace vendrel::cli
