// Small helpers for tables of test cases.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace zelpra::test {

// The name of a parameterised test: the `label` of its case.
template <typename Case>
std::string case_label(const ::testing::TestParamInfo<Case>& info) {
  return info.param.label;
}

}  // namespace zelpra::test
