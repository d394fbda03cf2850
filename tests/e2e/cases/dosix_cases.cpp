// dosix end to end: the program run on a spectra.tmp of its own; standard
// output, standard error, the exit status and the untouched spectra.tmp
// compared byte for byte.  The expected exposures were worked out
// separately, bin by bin, in 32-bit arithmetic.
#include "dosix_cases.h"

#include <string>
#include <vector>

#include "spectrum_text.h"

namespace zelpra::test {
namespace {

using Bins = std::vector<SpectrumBin>;

// spectra.tmp in its written layout, all with one header and one history
// entry, but with the photon caption whatever the flags: dosix does not read
// the caption.
std::string spectrum_file(int iu1, int iu2, double de, double dist, const Bins& bins) {
  SpectrumText text = SpectrumText().header(80, 2.5, 1, 1.5).entry("Aluminium", 0.25);
  return text.geometry(de, dist).flags(iu1, iu2).caption(kCaptionPhotonsPerCm2).bins(bins).str();
}

const std::string kRefusal =
    " ERROR in dosix:  units in /sr, not /cm^2\n"
    " Aborting.\n";

// An energy-fluence spectrum and its exposure.
const Bins kErgBins = {{15.5, 1.5e-3}, {42.125, 2.0e-3}, {88.0, 3.5e-4}, {199.9, 1.0e-4}};
const std::string kErgExposure = " Exposure =   4.0055543E-02  mR/mAs at    75.50000      cm.\n";

const std::string kConversion =
    "dosix: severe (64): input conversion error, unit 10, file spectra.tmp\n";
const std::string kEndOfFile =
    "dosix: severe (24): end-of-file during read, unit 10, file spectra.tmp\n";
const std::string kMissing = " ERROR: spectra.tmp DOES NOT EXIST: Aborting.\n";

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

}  // namespace

// Standard input is never read; every case leaves spectra.tmp as it was.
const std::vector<E2eCase>& dosix_cases() {
  static const std::vector<E2eCase> cases = {
    {"photons", "dosix",
     spectrum_file(1, 2, 0.5, 100.0,
                   {{10.25, 2.5e5}, {20.0, 3.1e5}, {33.333, 4.0e5}, {150.75, 1.25e4}}),
     "", " Exposure =   0.1235835      mR/mAs at    100.0000      cm.\n"},
    {"ergs", "dosix", spectrum_file(2, 2, 2.0, 75.5, kErgBins), "", kErgExposure},
    // Each bin's term is formed in double precision; in 32-bit arithmetic
    // this would print 5.7320241E-02.
    {"photon_terms_in_double", "dosix",
     spectrum_file(1, 2, 0.5, 100.0, {{95.321, 7.676e5}, {126.85, 7.9835e5}, {99.101, 9.108e5}}),
     "", " Exposure =   5.7320233E-02  mR/mAs at    100.0000      cm.\n"},
    // Rounding each term to 32 bits before it is added would print
    // 1.6820622E-03.
    {"energy_terms_in_double", "dosix",
     spectrum_file(2, 2, 0.5, 100.0,
                   {{57.429, 3.2358e-4}, {106.354, 3.1968e-3}, {81.153, 8.8761e-3}}),
     "", " Exposure =   1.6820621E-03  mR/mAs at    100.0000      cm.\n"},
    // Any first flag but 1 is taken as ergs.
    {"first_flag_3", "dosix", spectrum_file(3, 2, 2.0, 75.5, kErgBins), "", kErgExposure},
    // Whole keV take the table values: (0.28375 + 0.139 + 0.268) / 0.0869.
    {"whole_kev", "dosix",
     spectrum_file(2, 2, 1.0, 100.0, {{1.0, 1.0e-4}, {30.0, 1.0}, {200.0, 10.0}}), "",
     " Exposure =    7.948792      mR/mAs at    100.0000      cm.\n"},
    // Below 1 keV and above 200 keV the end polynomials are extrapolated.
    {"outside_the_table", "dosix", spectrum_file(1, 2, 1.0, 30.0, {{0.8, 1.0e2}, {201.5, 7.0e3}}),
     "", " Exposure =   6.4205672E-03  mR/mAs at    30.00000      cm.\n"},
    {"no_bins", "dosix", spectrum_file(1, 2, 0.5, 100.0, {}), "",
     " Exposure =   0.0000000E+00  mR/mAs at    100.0000      cm.\n"},
    {"distance_zero", "dosix", spectrum_file(2, 2, 1.0, 0.0, {{50.0, 2.0}}), "",
     " Exposure =   0.8653625      mR/mAs at   0.0000000E+00  cm.\n"},
    {"per_steradian", "dosix", spectrum_file(1, 1, 0.5, 0.0, {{20.0, 3.1e5}}), "", kRefusal, "", 8},
    {"second_flag_3", "dosix", spectrum_file(2, 3, 0.5, 100.0, {{20.0, 3.1e5}}), "", kRefusal, "",
     8},
    {"truncated", "dosix", truncated(), "", "", kEndOfFile, 24},
    {"empty", "dosix", "", "", "", kEndOfFile, 24},
    {"asterisks", "dosix", with_asterisks(), "", "", kConversion, 64},
    {"nbin_301", "dosix", too_many_bins(), "", " ERROR: spectra.tmp nbin.gt.300: Aborting.\n", "",
     8},
    // A sign alone in an integer field holds no number.
    {"lone_sign_nbin", "dosix", with_field(kNbin, "  +", spectrum_file(1, 2, 0.5, 100.0, {})), "",
     "", kConversion, 64},
    {"lone_sign_nhist", "dosix", with_field(kNhist, " -"), "", "", kConversion, 64},
    {"lone_sign_flag", "dosix", with_field(kFlag1, " +"), "", "", kConversion, 64},
    {"lone_sign_ihd1", "dosix", with_field(kIhd1, " -"), "", "", kConversion, 64},
    {"lone_sign_ihd2", "dosix", with_field(kIhd2, "+"), "", "", kConversion, 64},
    // A missing spectra.tmp, or a directory in its place, is the one message
    // (and none is made).
    {"missing_spectrum", "dosix", {}, "", kMissing, "", 8},
    E2eCase("spectrum_is_a_directory", "dosix", {}, "", kMissing, "", 8)
        .file("spectra.tmp/inside", ""),
};
  return cases;
}

}  // namespace zelpra::test
