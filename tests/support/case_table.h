// Small helpers for tables of test cases.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

namespace zelpra::test {

// The name of a parameterised test: the `label` of its case.
template <typename Case>
std::string case_label(const ::testing::TestParamInfo<Case>& info) {
  return info.param.label;
}

// `s` padded with blanks, or cut, to `n` characters: a name as the messages
// show it in its 40 columns.
inline std::string padded(std::string s, std::size_t n = 40) {
  s.resize(n, ' ');
  return s;
}

}  // namespace zelpra::test
