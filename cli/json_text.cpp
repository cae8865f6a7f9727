#include "cli/json_text.h"

#include <cmath>

#include "number_text/number_text.h"

namespace vendrel::cli {
namespace {

void Append(std::string& s, const Json& v) {
  switch (v.type()) {
    case Json::value_t::object: {
      s += '{';
      bool first = true;
      for (const auto& [key, item] : v.items()) {
        if (!first) s += ", ";
        first = false;
        s += Json(key).dump(-1, ' ', false, Json::error_handler_t::replace);
        s += ": ";
        Append(s, item);
      }
      s += '}';
      return;
    }
    case Json::value_t::array: {
      s += '[';
      for (std::size_t i = 0; i < v.size(); ++i) {
        if (i) s += ", ";
        Append(s, v[i]);
      }
      s += ']';
      return;
    }
    case Json::value_t::number_float:
      s += FormatJsonNumber(v.get<double>());
      return;
    default:  // strings, whole numbers, booleans, null: as the library writes them
      s += v.dump(-1, ' ', false, Json::error_handler_t::replace);
      return;
  }
}

}  // namespace

Json JsonNumber(double v) { return std::isfinite(v) ? Json(v) : Json(nullptr); }

std::string JsonText(const Json& value) {
  std::string s;
  Append(s, value);
  return s;
}

}  // namespace vendrel::cli
