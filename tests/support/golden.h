#pragma once
// Reads the reference values of the flight model. Every double there is given as an
// exact hex literal; tests compare bit for bit.

#include <string>

#include <nlohmann/json.hpp>

#include "flight/flight_records.h"
#include "tests/support/same_bits.h"

namespace vendrel::test {

/// The whole reference file.
const nlohmann::json& Golden();

/// The double an entry {repr, hex} stands for, read from the hex.
double Hex(const nlohmann::json& entry);

/// A three-component entry as a flight vector (indices 1..3; 0 and 4 stay 0).
Vec5 HexVec(const nlohmann::json& entries);
/// A plain three-number input list as a flight vector.
Vec5 PlainVec(const nlohmann::json& numbers);

/// A readable form of a double with its hex, for failure messages.
std::string Describe(double v);

}  // namespace vendrel::test

#define EXPECT_BITS(actual, expected)                                            \
  EXPECT_TRUE(::vendrel::test::SameBits((actual), (expected)))                   \
      << #actual " = " << ::vendrel::test::Describe(actual)                      \
      << "\n  expected " << ::vendrel::test::Describe(expected)
