#pragma once
// Tables of cases as named rows: each row is its own test, reported and run by its name
// (--gtest_filter='*/Refusals.*/AngleNaN'). A row is a struct with a `name`; give it
// a PrintTo that prints the name, so that lists and failures show it, not bytes.

#include <gtest/gtest.h>

#include <string>

namespace vendrel::test {

/// The name of a row, for INSTANTIATE_TEST_SUITE_P.
struct RowName {
  template <class Row>
  std::string operator()(const ::testing::TestParamInfo<Row>& row) const {
    return row.param.name;
  }
};

}  // namespace vendrel::test
