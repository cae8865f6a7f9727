#pragma once
// The wording of the data exchange's two refusals. No Qt: the page's form refuses
// with the same words as the dialog.

#include <string>

/// A box whose text is not a number.
std::string AfxNumberExpectedText();
/// A number outside [minVal, maxVal].
std::string AfxRangeText(double minVal, double maxVal);
