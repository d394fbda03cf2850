// End-to-end cases: one shape for every run of a real program of the package
// in a scratch working directory.  The runner that sets a case up, runs it
// and checks it is e2e_runner.h; the fuzz seed maker reads the same cases
// without it.
//
// A case names the program, what its working directory holds before the run
// (spectra.tmp and any other file; the data directory is `data` in it, and
// ZELPRA_DIR names it unless the case says otherwise), what standard input
// holds, and everything the run must leave behind: standard output, standard
// error and exit status byte for byte, spectra.tmp (as it was, unless the
// case gives the rewritten text), and no file made or removed beside it.
//
// A table of cases runs through the one test body, EndToEnd:
//
//   const E2eCase kCases[] = {
//       {"ergs", "dosix", erg_spectrum, "", " Exposure = ...\n"},
//       {"per_steradian", "dosix", per_sr_spectrum, "", kRefusal, "", 8},
//       {"to_50_cm", "fendo", at_100_cm, "50\n", "", "", 0, at_50_cm},
//   };
//   INSTANTIATE_TEST_SUITE_P(Dosix, EndToEnd, ::testing::ValuesIn(kCases),
//                            case_label<E2eCase>);
//
// Cases that share a data directory get it from their `setup` (with_setup).
// A test that checks more than the exact ends of a run, prepares the
// directory in a way no file can say, or runs programs one after another on
// one directory calls the runner itself: run_case, expect_left_behind,
// expect_case, expect_steps.
#pragma once

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "harness.h"

namespace zelpra::test {

// Writes what the cases of a suite share (a data directory, say) into the
// scratch directory of a case.
using CaseSetup = void (*)(const ScratchDir& dir);

struct E2eCase {
  E2eCase(std::string label, std::string tool, std::optional<std::string> spectrum = {},
          std::string stdin_text = "", std::string out = "", std::string err = "", int status = 0,
          std::optional<std::string> spectrum_after = {});

  std::string label;  // the test's name: letters, digits and underscores
  std::string tool;
  // spectra.tmp before the run; none: nothing is written there (a fresh
  // directory then has no spectra.tmp).
  std::optional<std::string> spectrum;
  std::string stdin_text;
  std::string out;
  std::string err;
  int status = 0;
  // spectra.tmp after the run; none: exactly as it was before the run.
  std::optional<std::string> spectrum_after;

  // More files of the working directory by relative path, written after the
  // setup and spectra.tmp, each in place of whatever stood there; a path
  // ending in '/' is made an empty directory.
  std::map<std::string, std::string> files;
  // Changes to the environment after ZELPRA_DIR is set to <dir>/data: a
  // value sets a variable, none removes it.
  std::map<std::string, std::optional<std::string>> env;
  bool close_stdin = false;
  Faults faults;
  int timeout_seconds = RunOptions{}.timeout_seconds;
  // When set, whether the program may read any of its standard input
  // (false: it must leave all of it unread).
  std::optional<bool> reads_stdin;
  CaseSetup setup = nullptr;

  E2eCase& file(const std::string& path, const std::string& text);
  E2eCase& unset(const std::string& variable);
  E2eCase& stdin_closed();
  E2eCase& with_faults(const Faults& f);
  E2eCase& timeout(int seconds);
  E2eCase& reading_stdin(bool reads);
};

void PrintTo(const E2eCase& c, std::ostream* os);

// `cases`, each with `setup`.
std::vector<E2eCase> with_setup(CaseSetup setup, std::vector<E2eCase> cases);

}  // namespace zelpra::test
