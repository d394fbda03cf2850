// atlune end to end: the cases of cases/atlune_cases.cpp through the one
// runner, and the runs that check more than the exact ends.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "case_table.h"
#include "cases/atlune_cases.h"
#include "e2e_runner.h"

namespace zelpra::test {
namespace {

using namespace atlune_e2e;

INSTANTIATE_TEST_SUITE_P(Atlune, EndToEnd, ::testing::ValuesIn(atlune_cases()),
                         case_label<E2eCase>);

// Photons and ergs describe the same spectrum to the five digits of the
// file, and a constant factor cancels.
TEST(Atlune, UnitsAndScaleDoNotChangeTheResult) {
  auto result = [](const std::string& spectrum) {
    E2eCase c("", "atlune", spectrum, "water\nsid\n0\n");
    c.setup = write_data;
    ScratchDir dir;
    const E2eRun run = run_case(c, dir);
    expect_left_behind(c, run);
    return std::atof(run.result.out.c_str());
  };
  const double photons = result(kPhotonSpectrum);
  const double ergs = result(spectrum_file(2, 2, kErgs));
  const double scaled = result(spectrum_file(1, 1, kScaled));
  EXPECT_GT(photons, 0.3);
  EXPECT_NEAR(ergs / photons, 1.0, 2e-5);
  EXPECT_NEAR(scaled / photons, 1.0, 1e-6);
}

TEST(Atlune, ShortDetectorFileIsAFatalEndOfFile) {
  ScratchDir dir;
  E2eCase c("short_detector", "atlune", kPhotonSpectrum, "water\ncut\n0\n", "",
            "atlune: severe (24): end-of-file during read, unit 10, file " + (dir / "data") +
                "/_detectors/cut\n",
            24);
  c.setup = write_data;
  c.file("data/_detectors/cut", "'cut'\nSID 1.0 150.0 1.0\ncaption\n1.0 0.5 0.0\n");
  expect_case(c, dir);
}

}  // namespace
}  // namespace zelpra::test
