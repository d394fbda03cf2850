// The spectrum report block: exact columns of its four layouts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "case_table.h"
#include "in_process.h"
#include "report.h"
#include "spectrum_file.h"

namespace zelpra {
namespace {

using test::case_label;

struct HistoryEntry {
  std::string name;  // padded to 20 by the test
  float value;
};

struct ReportCase {
  const char* label;
  int32_t ihd1;
  float hd1;
  int32_t ihd2;
  float hd2;
  std::vector<HistoryEntry> history;
  std::string expected;
};

void PrintTo(const ReportCase& c, std::ostream* os) { *os << c.label; }

class ReportSpectrum : public ::testing::TestWithParam<ReportCase> {
 protected:
  void TearDown() override { SPECTRUM = Spectrum{}; }
};

TEST_P(ReportSpectrum, PrintsTheBlock) {
  const ReportCase& c = GetParam();
  SPECTRUM = Spectrum{};
  SPECTRUM.ihd1 = c.ihd1;
  SPECTRUM.hd1 = c.hd1;
  SPECTRUM.ihd2 = c.ihd2;
  SPECTRUM.hd2 = c.hd2;
  SPECTRUM.nhist = static_cast<int32_t>(c.history.size());
  for (std::size_t j = 0; j < c.history.size(); ++j) {
    std::string name = c.history[j].name;
    name.resize(20, ' ');
    SPECTRUM.hname[j] = name;
    SPECTRUM.hval[j] = c.history[j].value;
  }
  const test::InProcessRun run = test::run_in_process(REPORT_SPECTRUM);
  ASSERT_FALSE(run.end.has_value());
  EXPECT_EQ(run.out, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ReportSpectrum,
    ::testing::Values(
        ReportCase{"header_no_history", 12, 1.5f, 3, 10.0f, {},
                   " #    Kaltrovin: 12   1.500  3   10.00\n"
                   " #    Attenuation History:\n"
                   " #        0\n"},
        ReportCase{"entries", 80, 2.5f, 1, 17.0f,
                   {{"Al", 0.25f}, {"ABCDEFGHIJKLMNOPQRST", 1234.5f}, {"Cu  filter", -3.5e-7f},
                    {"", 0.0f}},
                   " #    Kaltrovin: 80   2.500  1   17.00\n"
                   " #    Attenuation History:\n"
                   " #        4\n"
                   " #       Al                     2.5000E-01\n"
                   " #       ABCDEFGHIJKLMNOPQRST   1.2345E+03\n"
                   " #       Cu  filter            -3.5000E-07\n"
                   " #                              0.0000E+00\n"},
        // Values that do not fit their fields keep the columns; a negative
        // value that rounds to zero keeps its sign.
        ReportCase{"overflowing_fields", 123, -0.0004f, 12, 99.999f, {},
                   " #    Kaltrovin: **  -0.000  *  100.00\n"
                   " #    Attenuation History:\n"
                   " #        0\n"},
        ReportCase{"wide_values", -5, 99.9999f, 9, -99.999f, {},
                   " #    Kaltrovin: -5  ******  9  ******\n"
                   " #    Attenuation History:\n"
                   " #        0\n"}),
    case_label<ReportCase>);

}  // namespace
}  // namespace zelpra
