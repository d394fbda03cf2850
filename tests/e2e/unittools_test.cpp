// quiset, brask, fendo and belmor end to end: the cases of
// cases/unittools_cases.cpp through the one runner, and runs one after
// another or at once on one file.
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "case_table.h"
#include "cases/unittools_cases.h"
#include "e2e_runner.h"

namespace zelpra::test {
namespace {

using namespace unittools_e2e;

INSTANTIATE_TEST_SUITE_P(Conversions, EndToEnd, ::testing::ValuesIn(unittool_conversions()),
                         case_label<E2eCase>);
INSTANTIATE_TEST_SUITE_P(Refusals, EndToEnd, ::testing::ValuesIn(unittool_refusals()),
                         case_label<E2eCase>);
INSTANTIATE_TEST_SUITE_P(Integrals, EndToEnd, ::testing::ValuesIn(unittool_integrals()),
                         case_label<E2eCase>);

// ---- Runs one after another on one file ----------------------------------------
// Each step after the first takes the file as the step before left it.

TEST(UnitTools, EachToolRunTwice) {
  const std::string in_ergs = file(100.0, 2, 2, kBinsInErgs);
  expect_steps({{"first", "quiset", kSpectrum, "", "", "", 0, in_ergs},
                {"second", "quiset", {}, "", kInErgs, "", 8}});

  const std::string per_sr = file(0.0, 1, 1, kBinsPerSr);
  expect_steps({{"first", "brask", kSpectrum, "", "", "", 0, per_sr},
                {"second", "brask", {}, "", kAlreadySr, "", 8}});

  // There and back: the factors 4 and 1/4 are exact.
  const std::string at50 = file(50.0, 1, 2, kBinsAt50);
  expect_steps({{"there", "fendo", kSpectrum, "50\n", "", "", 0, at50},
                {"back", "fendo", {}, "100\n", "", "", 0, kSpectrum}});

  const std::string line = "Integral of this spectra =    1.0025E+06 photons/mAs-cm^2\n";
  expect_steps({{"first", "belmor", kSpectrum, "", line}, {"second", "belmor", {}, "", line}});
}

TEST(UnitTools, ChainQuisetBraskBelmor) {
  expect_steps({{"quiset", "quiset", kSpectrum, "", "", "", 0, file(100.0, 2, 2, kBinsInErgs)},
                {"brask", "brask", {}, "", "", "", 0, file(0.0, 2, 1, kBinsInErgsPerSr)},
                {"belmor", "belmor", {}, "", "Integral of this spectra =    8.0304E+02 ergs/mAs-sr\n"}});
}

// ---- Two converters at once on one file ------------------------------------------

// The file after `first` and then `second`, one after the other, from the
// photon spectrum.
std::string in_turn(const E2eCase& first, const E2eCase& second) {
  ScratchDir dir;
  dir.write("spectra.tmp", kSpectrum);
  run_case(first, dir);
  return run_case(second, dir).spectrum_after;
}

// Started together, two converters run one after the other: the second waits
// for the first and converts what it wrote, so neither conversion is lost,
// whichever comes first.
TEST(UnitTools, TwoConvertersStartedTogetherBothLand) {
  const E2eCase pairs[][2] = {{{"quiset", "quiset"}, {"fendo", "fendo", {}, "50\n"}},
                              {{"brask", "brask"}, {"quiset", "quiset"}}};
  for (const auto& pair : pairs) {
    SCOPED_TRACE(pair[0].tool + " and " + pair[1].tool);
    const std::string one_way = in_turn(pair[0], pair[1]);
    const std::string other_way = in_turn(pair[1], pair[0]);
    for (int round = 0; round < 25; ++round) {
      ScratchDir dir;
      dir.write("spectra.tmp", kSpectrum);
      E2eRun runs[2];
      std::thread second([&] { runs[1] = run_case(pair[1], dir); });
      runs[0] = run_case(pair[0], dir);
      second.join();
      for (const E2eRun& r : runs) {
        ASSERT_EQ(r.result.status, 0) << "round " << round << ": " << r.result.out << r.result.err;
      }
      const std::string after = dir.read("spectra.tmp");
      ASSERT_TRUE(after == one_way || after == other_way) << "round " << round << ":\n" << after;
      ASSERT_FALSE(dir.exists("spectra.tmp.new")) << "round " << round;
    }
  }
}

}  // namespace
}  // namespace zelpra::test
