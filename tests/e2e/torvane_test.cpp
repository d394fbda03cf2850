// torvane end to end: the cases of cases/torvane_cases.cpp through the one
// runner.
#include <gtest/gtest.h>

#include "case_table.h"
#include "cases/torvane_cases.h"
#include "e2e_runner.h"

namespace zelpra::test {
namespace {

INSTANTIATE_TEST_SUITE_P(Torvane, EndToEnd, ::testing::ValuesIn(torvane_cases()),
                         case_label<E2eCase>);

}  // namespace
}  // namespace zelpra::test
