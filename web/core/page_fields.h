#pragma once
// The page's edit boxes: the control id of each form value's box in the dialog
// template. What the page, its links and the API call each value comes from the
// parameter table (flight/parameters.h): the link's name is the option, the API's the key.

#include <span>
#include <string_view>

#include "flight/parameters.h"

namespace vendrel::web {

struct PageField {
  int id;                      ///< control id in dialog 102
  double FlightForm::*member;  ///< the form value the box edits

  const Parameter& parameter() const { return ParameterFor(member); }
  std::string_view name() const { return parameter().option; }  ///< input name and link parameter: "side-spin"
};

/// The nine edit boxes in the dialog's exchange order: mass, gravity, K, side spin,
/// back spin, K', angle, speed, time step.
std::span<const PageField> ExchangeOrder();

const PageField* FieldById(int id);
/// The box of the form value whose option is `name`.
const PageField* FieldByName(std::string_view name);

}  // namespace vendrel::web
