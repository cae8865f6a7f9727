#include "platform/exchange_text.h"

#include "number_text/number_text.h"

std::string AfxNumberExpectedText() { return "数値を入力してください。"; }

std::string AfxRangeText(double minVal, double maxVal) {
  return vendrel::FormatNumber(minVal) + " 以上 " + vendrel::FormatNumber(maxVal) +
         " 以下の数値を入力してください。";
}
