#include "tests/support/same_bits.h"

#include <cmath>

namespace vendrel::test {

bool SameBits(double a, double b) {
  if (std::isnan(a) && std::isnan(b)) return true;
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace vendrel::test
