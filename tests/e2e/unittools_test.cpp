// quiset, brask, fendo and belmor, run as programs on a spectra.tmp in a
// scratch working directory: standard output, standard error, exit status
// and the rewritten file, byte for byte.
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "case_table.h"
#include "e2e_case.h"
#include "spectrum_text.h"

namespace zelpra::test {
namespace {

// ---- Fixtures -----------------------------------------------------------------

using Bins = std::vector<SpectrumBin>;

// The two bins: 1.0E+06 at 50 keV and 2.5E+03 at 51 keV ...
const Bins kBins = {{50, 1.0e6}, {51, 2.5e3}};
// ... times the energy and 1.602e-9 erg/keV,
const Bins kBinsInErgs = {{50, 8.01e-2}, {51, 2.0426e-4}};
// ... times 100 cm squared,
const Bins kBinsPerSr = {{50, 1.0e10}, {51, 2.5e7}};
// ... times (100 / 50) squared,
const Bins kBinsAt50 = {{50, 4.0e6}, {51, 1.0e4}};
// ... in ergs and then times 100 cm squared.
const Bins kBinsInErgsPerSr = {{50, 8.01e2}, {51, 2.0426}};

const std::vector<SpectrumEntry> kHistory = {{"Al 2.5 mm", 2.5}, {"Cu 0.1 mm, new tube", 0.1}};

// The header 80 2.500 1 12.50 and bin width 1.0 in every file here.
SpectrumText spectrum(double dist, int flag1, int flag2) {
  return SpectrumText().header(80, 2.5, 1, 12.5).geometry(1.0, dist).flags(flag1, flag2);
}

// At `dist` cm, the flags with the writer's caption, `bins` and the two
// history entries.
std::string file(double dist, int flag1, int flag2, const Bins& bins = kBins) {
  return spectrum(dist, flag1, flag2).bins(bins).history(kHistory).str();
}

// Odd flags as another program may leave them; the caption is not read.
const char kOtherCaption[] = "#  some caption";

// The two bins at 100 cm with odd flags.
std::string odd_flags(int flag1, int flag2) {
  return spectrum(100.0, flag1, flag2).caption(kOtherCaption).bins(kBins).history(kHistory).str();
}

// No bins and no history.
std::string empty(double dist, int flag1, int flag2) { return spectrum(dist, flag1, flag2).str(); }

// A photon spectrum per cm2 at 100 cm.
const std::string kSpectrum = file(100.0, 1, 2);

const std::string kNoFit =
    " ERROR: value does not fit its field in spectra.tmp\n"
    " Aborting.\n";
const std::string kMissing = " ERROR: spectra.tmp DOES NOT EXIST: Aborting.\n";

// ---- Conversions: silent, spectra.tmp rewritten ------------------------------------

// Each row: label, tool, spectra.tmp before, standard input, standard output,
// standard error, exit status, spectra.tmp after.
const E2eCase kConversions[] = {
    // quiset: photons to ergs; the second flag and the distance stay.
    {"quiset_photons_per_cm2", "quiset", kSpectrum, "", "", "", 0, file(100.0, 2, 2, kBinsInErgs)},
    {"quiset_photons_per_sr", "quiset", file(0.0, 1, 1), "", "", "", 0,
     file(0.0, 2, 1, kBinsInErgs)},
    {"quiset_flags_0_5", "quiset", odd_flags(0, 5), "", "", "", 0, file(100.0, 2, 2, kBinsInErgs)},
    {"quiset_flags_3_1", "quiset", odd_flags(3, 1), "", "", "", 0, file(100.0, 2, 1, kBinsInErgs)},
    {"quiset_no_bins_no_history", "quiset", empty(100.0, 1, 2), "", "", "", 0, empty(100.0, 2, 2)},

    // brask: per cm2 to per steradian; the distance becomes 0.
    {"brask_photons_per_cm2", "brask", kSpectrum, "", "", "", 0, file(0.0, 1, 1, kBinsPerSr)},
    {"brask_energy_flags_2_3", "brask", odd_flags(2, 3), "", "", "", 0, file(0.0, 2, 1, kBinsPerSr)},
    {"brask_flags_5_0", "brask", odd_flags(5, 0), "", "", "", 0, file(0.0, 2, 1, kBinsPerSr)},
    {"brask_negative_distance", "brask", file(-100.0, 1, 2), "", "", "", 0,
     file(0.0, 1, 1, kBinsPerSr)},
    {"brask_no_bins_no_history", "brask", empty(100.0, 1, 2), "", "", "", 0, empty(0.0, 1, 1)},

    // fendo: to a new distance by the inverse square; the flags stay.  A
    // normal run reads its answer.
    E2eCase("fendo_to_50_cm", "fendo", kSpectrum, "50\n", "", "", 0, file(50.0, 1, 2, kBinsAt50))
        .reading_stdin(true),
    {"fendo_to_the_same_distance", "fendo", kSpectrum, "  100.0 , 7\n", "", "", 0, kSpectrum},
    {"fendo_to_minus_50_cm", "fendo", kSpectrum, "-5.0E+01\n", "", "", 0,
     file(-50.0, 1, 2, kBinsAt50)},
    {"fendo_energy_per_cm2", "fendo", file(100.0, 2, 2), "50\n", "", "", 0,
     file(50.0, 2, 2, kBinsAt50)},
    {"fendo_flags_3_0", "fendo", odd_flags(3, 0), "50\n", "", "", 0, file(50.0, 2, 2, kBinsAt50)},
    {"fendo_no_bins_no_history", "fendo", empty(100.0, 1, 2), "\n\n50\n", "", "", 0,
     empty(50.0, 1, 2)},
};

INSTANTIATE_TEST_SUITE_P(Conversions, EndToEnd, ::testing::ValuesIn(kConversions),
                         case_label<E2eCase>);

// ---- Refusals and errors: the file stays byte for byte --------------------------

const std::string kInErgs =
    " ERROR in quiset:  spectrum already in ergs.\n"
    " Aborting.\n";
const std::string kAlreadySr =
    " ERROR in brask:  spectrum already in /sr. \n"
    " Aborting.\n";
const std::string kBraskAt0 =
    " ERROR in brask:  distance is 0 for a /cm^2 spectrum\n"
    " Aborting.\n";
const std::string kInputSr =
    " ERROR in fendo:  input spectrum in /sr. \n"
    " Aborting.\n";
const std::string kFendoAt0 =
    " ERROR in fendo:  distance is 0 for a /cm^2 spectrum\n"
    " Aborting.\n";
const std::string kNewDistance0 =
    " ERROR in fendo:  new distance is 0\n"
    " Aborting.\n";

// 3.0E+38 per cm2 at 99999 cm is beyond the 32-bit range per steradian.
const std::string kHugeAtFarDistance = spectrum(99999.0, 1, 2).bins({{50, 3.0e38}}).str();

const E2eCase kRefusals[] = {
    {"quiset_energy_per_cm2", "quiset", file(100.0, 2, 2), "", kInErgs, "", 8},
    {"quiset_energy_per_sr", "quiset", file(0.0, 2, 1), "", kInErgs, "", 8},

    {"brask_per_sr", "brask", file(0.0, 1, 1), "", kAlreadySr, "", 8},
    {"brask_energy_per_sr", "brask", file(100.0, 2, 1), "", kAlreadySr, "", 8},
    {"brask_per_cm2_at_0", "brask", file(0.0, 1, 2), "", kBraskAt0, "", 8},
    {"brask_per_cm2_at_minus_0", "brask", file(-0.0, 2, 2), "", kBraskAt0, "", 8},
    {"brask_result_beyond_range", "brask", kHugeAtFarDistance, "", kNoFit, "", 8},

    // Both refusals before the answer leave it unread on standard input.
    E2eCase("fendo_per_sr", "fendo", file(0.0, 1, 1), "50\n", kInputSr, "", 8).reading_stdin(false),
    E2eCase("fendo_per_cm2_at_0", "fendo", file(0.0, 1, 2), "50\n", kFendoAt0, "", 8)
        .reading_stdin(false),
    {"fendo_per_cm2_at_minus_0", "fendo", file(-0.0, 1, 2), "50\n", kFendoAt0, "", 8},
    {"fendo_new_distance_0", "fendo", kSpectrum, "0\n", kNewDistance0, "", 8},
    {"fendo_new_distance_minus_0", "fendo", kSpectrum, "-0.0E+00\n", kNewDistance0, "", 8},
    {"fendo_new_distance_left_out", "fendo", kSpectrum, "/\n", kNewDistance0, "", 8},
    {"fendo_new_distance_100000", "fendo", kSpectrum, "100000\n", kNoFit, "", 8},
    {"fendo_new_distance_minus_10000", "fendo", kSpectrum, "-10000\n", kNoFit, "", 8},
    {"fendo_new_distance_tiny", "fendo", kSpectrum, "1.0E-20\n", kNoFit, "", 8},
    // 0.0000 in the file, while the bins are scaled by 6.25E+12.
    {"fendo_new_distance_shown_as_0", "fendo", kSpectrum, "0.00004\n", kNoFit, "", 8},
    {"fendo_new_distance_shown_as_minus_0", "fendo", kSpectrum, "-4.0E-05\n", kNoFit, "", 8},
    {"fendo_no_answer", "fendo", kSpectrum, "", "",
     "fendo: severe (24): end-of-file during read, unit 5, file stdin\n", 24},
    {"fendo_answer_not_a_number", "fendo", kSpectrum, "fifty\n", "",
     "fendo: severe (59): list-directed I/O syntax error, unit 5, file stdin\n", 59},

    // A missing spectra.tmp is refused, and none is made.
    {"quiset_no_spectrum", "quiset", {}, "50\n", kMissing, "", 8},
    {"brask_no_spectrum", "brask", {}, "50\n", kMissing, "", 8},
    {"fendo_no_spectrum", "fendo", {}, "50\n", kMissing, "", 8},
    {"belmor_no_spectrum", "belmor", {}, "50\n", kMissing, "", 8},
};

INSTANTIATE_TEST_SUITE_P(Refusals, EndToEnd, ::testing::ValuesIn(kRefusals), case_label<E2eCase>);

// ---- belmor: the integral, and the file left alone ------------------------------

// Two bins of 1.0E+03 and 2.0E+03 with the bin width `de`, at 100 cm.
SpectrumText thousands(double de, int flag1, int flag2) {
  return SpectrumText()
      .header(80, 2.5, 1, 12.5)
      .geometry(de, 100.0)
      .flags(flag1, flag2)
      .bins({{20, 1.0e3}, {21, 2.0e3}})
      .history(kHistory);
}

// Photons per cm2 at 100 cm with no history.
std::string bins(const Bins& b) { return spectrum(100.0, 1, 2).bins(b).str(); }

const E2eCase kIntegrals[] = {
    {"photons_per_cm2", "belmor", thousands(1.0, 1, 2).str(), "",
     "Integral of this spectra =    3.0000E+03 photons/mAs-cm^2\n"},
    {"half_keV_bins", "belmor", thousands(0.5, 1, 2).str(), "",
     "Integral of this spectra =    1.5000E+03 photons/mAs-cm^2\n"},
    {"photons_per_sr", "belmor", thousands(1.0, 1, 1).str(), "",
     "Integral of this spectra =    3.0000E+03 photons/mAs-sr\n"},
    {"ergs_per_sr", "belmor", thousands(1.0, 2, 1).str(), "",
     "Integral of this spectra =    3.0000E+03 ergs/mAs-sr\n"},
    {"ergs_per_cm2", "belmor", thousands(1.0, 2, 2).str(), "",
     "Integral of this spectra =    3.0000E+03 ergs/mAs-cm^2\n"},
    {"flags_3_0", "belmor", thousands(1.0, 3, 0).caption(kOtherCaption).str(), "",
     "Integral of this spectra =    3.0000E+03 ergs/mAs-cm^2\n"},
    {"flags_1_0", "belmor", thousands(1.0, 1, 0).caption(kOtherCaption).str(), "",
     "Integral of this spectra =    3.0000E+03 photons/mAs-cm^2\n"},
    {"negative_width", "belmor", thousands(-1.0, 1, 2).str(), "",
     "Integral of this spectra =   -3.0000E+03 photons/mAs-cm^2\n"},
    {"no_bins", "belmor", empty(100.0, 1, 2), "",
     "Integral of this spectra =    0.0000E+00 photons/mAs-cm^2\n"},
    // The sum stays in double precision: in 32 bits 1.0E+08 + 3 is 1.0E+08.
    {"sum_in_double", "belmor", bins({{20, 1.0e8}, {21, 3.0}, {22, -1.0e8}}), "",
     "Integral of this spectra =    3.0000E+00 photons/mAs-cm^2\n"},
    {"beyond_32_bits", "belmor", bins({{20, 3.0e38}, {21, 3.0e38}, {22, 0.0}}), "",
     "Integral of this spectra =      Infinity photons/mAs-cm^2\n"},
    {"below_32_bits", "belmor", bins({{20, -3.0e38}, {21, -3.0e38}, {22, 0.0}}), "",
     "Integral of this spectra =     -Infinity photons/mAs-cm^2\n"},
};

INSTANTIATE_TEST_SUITE_P(Integrals, EndToEnd, ::testing::ValuesIn(kIntegrals),
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
