// The one runner of end-to-end cases (e2e_case.h): sets a case up in a
// scratch working directory, runs it and checks it.
#pragma once

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "e2e_case.h"
#include "harness.h"

namespace zelpra::test {

// A case as it ran: the ends of the run and the working directory around it.
struct E2eRun {
  RunResult result;
  // What stands at spectra.tmp: its bytes, or "(none)", "(directory)",
  // "(not a regular file)", "(unreadable)".
  std::string spectrum_before;
  std::string spectrum_after;
  std::set<std::string> names_before;  // of the working directory
  std::set<std::string> names_after;
};

// Sets the case up in `dir` (setup, spectra.tmp, files) and runs it there,
// with nothing checked.
E2eRun run_case(const E2eCase& c, const ScratchDir& dir);

// What every run must leave behind: spectra.tmp as the case says, no file
// made or removed in the working directory, and standard input read or not
// as the case says.
void expect_left_behind(const E2eCase& c, const E2eRun& run);

// run_case, expect_left_behind, and the exact standard output, standard
// error and exit status; in `dir`, or in a fresh scratch directory.
void expect_case(const E2eCase& c, const ScratchDir& dir);
void expect_case(const E2eCase& c);

// The cases one after another in one fresh scratch directory, each checked
// as expect_case does.
void expect_steps(const std::vector<E2eCase>& steps);

// The test body that every table of cases runs through (tests/e2e).
class EndToEnd : public ::testing::TestWithParam<E2eCase> {};

}  // namespace zelpra::test
