#include "platform/exchange_text.h"

#include "platform/number_text.h"

std::string AfxNumberExpectedText() { return "数値を入力してください。"; }

std::string AfxRangeText(double minVal, double maxVal) {
  return afx::FormatNumber(minVal) + " 以上 " + afx::FormatNumber(maxVal) +
         " 以下の数値を入力してください。";
}
