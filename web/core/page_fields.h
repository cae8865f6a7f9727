#pragma once
// The page's names for the form's boxes: the edit box of each field (its control id
// in the dialog template), the name the page and the URL give it (the command line's
// option) and the key the JavaScript API takes.

#include <span>
#include <string_view>

#include "flight/flight_records.h"

namespace vendrel::web {

struct PageField {
  int id;                      ///< control id in dialog 102
  std::string_view name;       ///< input name and URL parameter: "side-spin"
  std::string_view key;        ///< API key: "side_spin"
  double FlightForm::*member;  ///< the form value the box edits
};

/// The nine edit boxes in the dialog's exchange order: mass, gravity, K, side spin,
/// back spin, K', angle, speed, time step.
std::span<const PageField> ExchangeOrder();

const PageField* FieldById(int id);
const PageField* FieldByName(std::string_view name);
const PageField* FieldByKey(std::string_view key);

}  // namespace vendrel::web
