#include "web/core/page_form.h"

#include "flight/parameters.h"
#include "number_text/number_text.h"
#include "platform/exchange_text.h"
#include "web/core/page_fields.h"

namespace vendrel::web {

void PageForm::SetText(int id, std::string text) { texts_[id] = std::move(text); }

std::optional<Refusal> PageForm::Check(int id, std::string_view text, double& value) const {
  const PageField* field = FieldById(id);
  if (field == nullptr) return Refusal{id, AfxNumberExpectedText()};
  const std::optional<double> parsed = ParseNumber(text);
  if (!parsed) return Refusal{id, AfxNumberExpectedText()};
  const Parameter& range = ParameterFor(field->member);
  if (!range.InRange(*parsed)) return Refusal{id, AfxRangeText(range.min, range.max)};
  value = *parsed;
  return std::nullopt;
}

std::optional<Refusal> PageForm::Save(FlightForm& form) const {
  for (const PageField& field : ExchangeOrder()) {
    const auto it = texts_.find(field.id);
    const std::string text = it != texts_.end() ? it->second : Text(form.*(field.member));
    double value = 0.0;
    if (auto refusal = Check(field.id, text, value)) return refusal;
    form.*(field.member) = value;
  }
  return std::nullopt;
}

void PageForm::Load(const FlightForm& form) {
  for (const PageField& field : ExchangeOrder()) texts_[field.id] = Text(form.*(field.member));
}

std::string PageForm::Text(double value) { return FormatNumber(value); }

}  // namespace vendrel::web
