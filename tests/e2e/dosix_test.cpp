// dosix end to end: the program run in a scratch working directory on a
// spectra.tmp of its own; standard output, standard error, the exit status
// and the untouched spectra.tmp compared byte for byte.  The expected
// exposures were worked out separately, bin by bin, in 32-bit arithmetic.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "harness.h"
#include "spectrum_text.h"

namespace zelpra::test {
namespace {

using Bins = std::vector<SpectrumBin>;

// spectra.tmp in its written layout but with the photon caption whatever the
// flags: dosix does not read the caption.
std::string spectrum_file(int iu1, int iu2, double de, double dist, const Bins& bins) {
  return SpectrumText()
      .header(80, 2.5, 1, 1.5)
      .geometry(de, dist)
      .flags(iu1, iu2)
      .caption(kCaptionPhotonsPerCm2)
      .bins(bins)
      .entry("Aluminium", 0.25)
      .str();
}

struct Case {
  const char* name;
  std::string spectrum;
  std::string out;
  std::string err;
  int status;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class Dosix : public ::testing::TestWithParam<Case> {};

TEST_P(Dosix, PrintsExactlyThisAndLeavesTheSpectrumAlone) {
  const Case& c = GetParam();
  ScratchDir dir;
  dir.write("spectra.tmp", c.spectrum);
  const RunResult r = run_tool("dosix", dir.path());
  EXPECT_EQ(c.out, r.out);
  EXPECT_EQ(c.err, r.err);
  EXPECT_EQ(c.status, r.status);
  EXPECT_EQ(c.spectrum, dir.read("spectra.tmp"));
}

const std::string kRefusal =
    " ERROR in dosix:  units in /sr, not /cm^2\n"
    " Aborting.\n";

// An energy-fluence spectrum and its exposure.
const Bins kErgBins = {{15.5, 1.5e-3}, {42.125, 2.0e-3}, {88.0, 3.5e-4}, {199.9, 1.0e-4}};
const std::string kErgExposure = " Exposure =   4.0055543E-02  mR/mAs at    75.50000      cm.\n";

const std::string kConversion =
    "dosix: severe (64): input conversion error, unit 10, file spectra.tmp\n";

std::string truncated() {
  std::string s = spectrum_file(1, 2, 0.5, 100.0, {{10.25, 2.5e5}, {20.0, 3.1e5}});
  return s.substr(0, s.find("   20.000"));
}

std::string with_asterisks() {
  std::string s = spectrum_file(1, 2, 0.5, 100.0, {{10.25, 2.5e5}, {20.0, 3.1e5}});
  const std::size_t at = s.find("   3.1000E+05");
  return s.replace(at, 13, "*************");
}

std::string too_many_bins() {
  std::string s = spectrum_file(1, 2, 0.5, 100.0, {});
  const std::size_t at = s.find("    0   0.5000");
  return s.replace(at, 5, "  301");
}

// One bin, and the offsets of its integer fields: ihd1 and ihd2 in the first
// record, nbin in the second, the first unit flag in the third, nhist further
// on.
const std::string kOneBin = spectrum_file(1, 2, 0.5, 100.0, {{20.0, 3.1e5}});
const std::size_t kIhd1 = 13;
const std::size_t kIhd2 = 25;
const std::size_t kNbin = kOneBin.find('\n') + 1 + 4;
const std::size_t kFlag1 = kOneBin.find("#    1   2") + 4;
const std::size_t kNhist = kOneBin.find("# ", kOneBin.find("History")) + 2;

// `base` with the columns from `at` on replaced by `field`.
std::string with_field(std::size_t at, const std::string& field, std::string base = kOneBin) {
  return base.replace(at, field.size(), field);
}

INSTANTIATE_TEST_SUITE_P(
    Spectra, Dosix,
    ::testing::Values(
        Case{"photons",
             spectrum_file(1, 2, 0.5, 100.0,
                           {{10.25, 2.5e5}, {20.0, 3.1e5}, {33.333, 4.0e5}, {150.75, 1.25e4}}),
             " Exposure =   0.1235835      mR/mAs at    100.0000      cm.\n", "", 0},
        Case{"ergs", spectrum_file(2, 2, 2.0, 75.5, kErgBins), kErgExposure, "", 0},
        // Each bin's term is formed in double precision; in 32-bit arithmetic
        // this would print 5.7320241E-02.
        Case{"photon_terms_in_double",
             spectrum_file(1, 2, 0.5, 100.0,
                           {{95.321, 7.676e5}, {126.85, 7.9835e5}, {99.101, 9.108e5}}),
             " Exposure =   5.7320233E-02  mR/mAs at    100.0000      cm.\n", "", 0},
        // Rounding each term to 32 bits before it is added would print
        // 1.6820622E-03.
        Case{"energy_terms_in_double",
             spectrum_file(2, 2, 0.5, 100.0,
                           {{57.429, 3.2358e-4}, {106.354, 3.1968e-3}, {81.153, 8.8761e-3}}),
             " Exposure =   1.6820621E-03  mR/mAs at    100.0000      cm.\n", "", 0},
        // Any first flag but 1 is taken as ergs.
        Case{"first_flag_3", spectrum_file(3, 2, 2.0, 75.5, kErgBins), kErgExposure, "", 0},
        // Whole keV take the table values: (0.28375 + 0.139 + 0.268) / 0.0869.
        Case{"whole_kev",
             spectrum_file(2, 2, 1.0, 100.0, {{1.0, 1.0e-4}, {30.0, 1.0}, {200.0, 10.0}}),
             " Exposure =    7.948792      mR/mAs at    100.0000      cm.\n", "", 0},
        // Below 1 keV and above 200 keV the end polynomials are extrapolated.
        Case{"outside_the_table", spectrum_file(1, 2, 1.0, 30.0, {{0.8, 1.0e2}, {201.5, 7.0e3}}),
             " Exposure =   6.4205672E-03  mR/mAs at    30.00000      cm.\n", "", 0},
        Case{"no_bins", spectrum_file(1, 2, 0.5, 100.0, {}),
             " Exposure =   0.0000000E+00  mR/mAs at    100.0000      cm.\n", "", 0},
        Case{"distance_zero", spectrum_file(2, 2, 1.0, 0.0, {{50.0, 2.0}}),
             " Exposure =   0.8653625      mR/mAs at   0.0000000E+00  cm.\n", "", 0},
        Case{"per_steradian", spectrum_file(1, 1, 0.5, 0.0, {{20.0, 3.1e5}}), kRefusal, "", 8},
        Case{"second_flag_3", spectrum_file(2, 3, 0.5, 100.0, {{20.0, 3.1e5}}), kRefusal, "", 8},
        Case{"truncated", truncated(), "",
             "dosix: severe (24): end-of-file during read, unit 10, file spectra.tmp\n", 24},
        Case{"empty", "", "",
             "dosix: severe (24): end-of-file during read, unit 10, file spectra.tmp\n", 24},
        Case{"asterisks", with_asterisks(), "", kConversion, 64},
        Case{"nbin_301", too_many_bins(), " ERROR: spectra.tmp nbin.gt.300: Aborting.\n", "", 8},
        // A sign alone in an integer field holds no number.
        Case{"lone_sign_nbin", with_field(kNbin, "  +", spectrum_file(1, 2, 0.5, 100.0, {})), "",
             kConversion, 64},
        Case{"lone_sign_nhist", with_field(kNhist, " -"), "", kConversion, 64},
        Case{"lone_sign_flag", with_field(kFlag1, " +"), "", kConversion, 64},
        Case{"lone_sign_ihd1", with_field(kIhd1, " -"), "", kConversion, 64},
        Case{"lone_sign_ihd2", with_field(kIhd2, "+"), "", kConversion, 64}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(DosixSpectrumFile, MissingOrADirectoryIsTheOneMessage) {
  const std::string message = " ERROR: spectra.tmp DOES NOT EXIST: Aborting.\n";
  {
    ScratchDir dir;
    const RunResult r = run_tool("dosix", dir.path());
    EXPECT_EQ(message, r.out);
    EXPECT_EQ("", r.err);
    EXPECT_EQ(8, r.status);
    EXPECT_FALSE(dir.exists("spectra.tmp"));
  }
  {
    ScratchDir dir;
    dir.write("spectra.tmp/inside", "");
    const RunResult r = run_tool("dosix", dir.path());
    EXPECT_EQ(message, r.out);
    EXPECT_EQ("", r.err);
    EXPECT_EQ(8, r.status);
  }
}

}  // namespace
}  // namespace zelpra::test
