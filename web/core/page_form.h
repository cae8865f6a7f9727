#pragma once
// The page's form as the dialog's data exchange sees it: the text in each edit box,
// read into the form in the dialog's order with its checks and refusals, and the
// form's values written back as text.

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "flight/flight_records.h"

namespace vendrel::web {

struct Refusal {
  int id = 0;           ///< the refused box
  std::string message;  ///< the dialog's message for it
};

class PageForm {
 public:
  /// The text a box holds, as typed. Boxes never set read as their value's text.
  void SetText(int id, std::string text);

  /// Save direction: every box in exchange order into `form`, each checked against
  /// its range. The first refusal ends the exchange: the boxes before it have reached
  /// the form, the refused one and those after it have not.
  std::optional<Refusal> Save(FlightForm& form) const;

  /// Checks a text as box `id` would (the URL's values); `value` takes it if it passes.
  std::optional<Refusal> Check(int id, std::string_view text, double& value) const;

  /// Load direction: the form's values become the boxes' texts.
  void Load(const FlightForm& form);
  /// The text of a value in a box: the shortest that reads back to it.
  static std::string Text(double value);

 private:
  std::map<int, std::string> texts_;
};

}  // namespace vendrel::web
