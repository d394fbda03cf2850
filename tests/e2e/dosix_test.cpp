// dosix end to end: the cases of cases/dosix_cases.cpp through the one runner.
#include <gtest/gtest.h>

#include "case_table.h"
#include "cases/dosix_cases.h"
#include "e2e_runner.h"

namespace zelpra::test {
namespace {

INSTANTIATE_TEST_SUITE_P(Dosix, EndToEnd, ::testing::ValuesIn(dosix_cases()), case_label<E2eCase>);

}  // namespace
}  // namespace zelpra::test
