// The end-to-end cases of quiset, brask, fendo and belmor: each run on a
// spectra.tmp in a scratch working directory, with standard output, standard
// error, exit status and the rewritten file compared byte for byte.
#include "unittools_cases.h"

#include <string>
#include <vector>

namespace zelpra::test {
namespace unittools_e2e {

// ---- Fixtures -----------------------------------------------------------------

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
std::string file(double dist, int flag1, int flag2, const Bins& bins) {
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


// The refusals.
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

}  // namespace unittools_e2e

// ---- Conversions: silent, spectra.tmp rewritten ------------------------------------

// Each row: label, tool, spectra.tmp before, standard input, standard output,
// standard error, exit status, spectra.tmp after.
const std::vector<E2eCase>& unittool_conversions() {
  using namespace unittools_e2e;
  static const std::vector<E2eCase> cases = {
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
  return cases;
}

// ---- Refusals and errors: the file stays byte for byte --------------------------

const std::vector<E2eCase>& unittool_refusals() {
  using namespace unittools_e2e;
  static const std::vector<E2eCase> cases = {
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
  return cases;
}

// ---- belmor: the integral, and the file left alone ------------------------------

const std::vector<E2eCase>& unittool_integrals() {
  using namespace unittools_e2e;
  static const std::vector<E2eCase> cases = {
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
  return cases;
}

}  // namespace zelpra::test
