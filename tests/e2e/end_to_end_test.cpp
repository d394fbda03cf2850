// The one test body of every table of end-to-end cases: each case is run as
// tests/support/e2e_case.h describes and checked byte for byte.
#include <gtest/gtest.h>

#include "e2e_runner.h"

namespace zelpra::test {
namespace {

TEST_P(EndToEnd, RunsAsTheCaseSays) { expect_case(GetParam()); }

}  // namespace
}  // namespace zelpra::test
