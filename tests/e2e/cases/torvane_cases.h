// The end-to-end cases of torvane (torvane_cases.cpp): run by the end-to-end
// tests and written as seeds of its fuzz target.
#pragma once

#include <vector>

#include "e2e_case.h"

namespace zelpra::test {

const std::vector<E2eCase>& torvane_cases();

}  // namespace zelpra::test
