// torvane end to end: the real program in a scratch working directory with a
// synthetic database and a one-element material whose coefficients are easy
// to follow by hand.
//
// The material "dense" is atomic number 8 with fraction 1.0 and density
// 11.35 g/cm3; in the fixture that element has atomic weight 16, flat
// scattering fits (ln sigma = 0.5 and -1.0 barn) and one photoelectric
// segment 4e5 / E^3 cm2/g from 1 keV, so mutot runs from about 50 cm2/g at
// 20 keV to 1.9 cm2/g at 60 keV.  The air table is 38 points at log10 E/MeV
// = -3 + 0.06 i with log10 mu_en = (40000 - 1500 i + 18 i^2) / 10000, a curve,
// so the five-point interpolation matters at every bin.
//
// The expected result lines were worked out separately, bin by bin, with the
// same 32-bit rounding points (running sums, L, the stored air weight in the
// estimate and transmission sums, x0, xt, hvl, trans).  Values 1 and 3 are
// small on purpose: in exponent form they print 8 significant digits, which
// shows more of the arithmetic than the fixed form does.
#include "torvane_cases.h"

#include <string>
#include <vector>

#include "db_fixture.h"
#include "spectrum_text.h"

namespace zelpra::test {
namespace {

using Bins = std::vector<SpectrumBin>;

// spectra.tmp in its written layout: header 80 2.500 1 12.00, the bins, and
// one history entry (Al, 0.25).  The caption follows the first flag alone,
// per cm2 either way.
std::string spectrum_file(int flag1, int flag2, float de, float dist, const Bins& bins) {
  SpectrumText text = SpectrumText().header(80, 2.5, 1, 12.0).entry("Al", 0.25);
  text.geometry(de, dist).flags(flag1, flag2).caption(writer_caption(flag1, 2));
  return text.bins(bins).str();
}

const Bins kPhotons = {{20, 20}, {30, 16}, {40, 37}, {50, 34}, {60, 66}};
const Bins kErgs = {
    {20, 9.8e-8f}, {30, 8.1e-8f}, {40, 9.5e-8f}, {50, 1.7e-8f}, {60, 7.8e-8f}};

std::string photon_spectrum() { return spectrum_file(1, 2, 10.0f, 100.0f, kPhotons); }
std::string erg_spectrum() { return spectrum_file(2, 2, 10.0f, 100.0f, kErgs); }

// The data directory: the fixture database with atomic number 8 and the air
// table as above, and the materials.
void write_data(const ScratchDir& dir) {
  DbFixture db;
  const int row = 8 - 1;  // atomic number 8
  db.data.wghts[row] = 16.0f;
  db.data.sinc[row] = {0.5f, 0.0f, 0.0f, 0.0f};
  db.data.scoh[row] = {-1.0f, 0.0f, 0.0f, 0.0f};
  db.data.npe[row] = 1;
  db.data.pe[row][0] = {1.0f, 0.0f, 0.0f, 400000.0f, 0.0f};
  for (int i = 0; i < kAirPoints; ++i) {
    db.data.airle[i] = static_cast<float>((-3000.0 + 60.0 * i) / 1000.0);
    db.data.airlm[i] = static_cast<float>((40000.0 - 1500.0 * i + 18.0 * i * i) / 10000.0);
  }
  db.write(dir / "data");
  dir.write("data/_materials/dense", "1   one element\n8\n1.0\n11.35\n");
  dir.write("data/_materials/dense-half", "1\n8\n0.5\n11.35\n");
  dir.write("data/_materials/void", "1\n8\n1.0\n0.0\n");
}

const char kReportHead[] =
    " # Half Value Layer (HVL) estimage, cm \n"
    " #    Material: dense-half                              \n"
    " #    Kaltrovin: 80   2.500  1   12.00\n"
    " #    Attenuation History:\n"
    " #        1\n"
    " #       Al                     2.5000E-01\n"
    " # HVL estimate:\n"
    " #   value 1 = HVL in cm\n"
    " #   value 2 = Transmission thru HVL\n"
    " #   value 3 = Exposure input to filter in mR/mAs\n";
const std::string kWarningAndReport = std::string(" WARNING: one element fw.ne.1\n") + kReportHead;

const std::string kPhotonResult = "  6.2514264E-03  0.6654842      2.4966707E-02\n";
const char kNoExposure[] = " ERROR in torvane:  exposure of the spectrum is 0\n";
const char kBelowOneKeV[] = " error condition from mu: ierr =  3\n";

}  // namespace

// Nothing goes to standard error unless the case says so, and spectra.tmp
// is never written.
const std::vector<E2eCase>& torvane_cases() {
  static const std::vector<E2eCase> cases = with_setup(write_data, {
    // The result line alone: value 1 is the estimate when the thickness is
    // 0, -0 or left null by a slash, and the given thickness otherwise.
    {"photons_estimate", "torvane", photon_spectrum(), "dense\n0\n0\n", kPhotonResult},
    {"photons_estimate_from_minus_0", "torvane", photon_spectrum(), "dense\n-0.0\n2\n",
     kPhotonResult},
    {"photons_estimate_from_a_null_thickness", "torvane", photon_spectrum(), "dense\n/\n0\n",
     kPhotonResult},
    {"photons_given", "torvane", photon_spectrum(), "dense\n0.005\n0\n",
     "  4.9999999E-03  0.7054011      2.4966707E-02\n"},
    {"photons_negative_thickness_lets_more_through", "torvane", photon_spectrum(),
     "dense\n-0.002\n0\n", " -2.0000001E-03   1.343176      2.4966707E-02\n"},
    {"photons_1e_30_is_a_thickness_not_a_request", "torvane", photon_spectrum(),
     "dense\n1e-30\n0\n", "  1.0000000E-30  0.9999998      2.4966707E-02\n"},
    {"ergs_estimate", "torvane", erg_spectrum(), "dense\n0\n0\n",
     "  2.3200677E-03  0.5752519      1.0276681E-03\n"},
    {"ergs_given", "torvane", erg_spectrum(), "dense\n0.005\n0\n",
     "  4.9999999E-03  0.3919428      1.0276681E-03\n"},
    // One bin: the estimate is ln 2 over that bin's coefficient, and the
    // layer lets one half through (per steradian is accepted as it is).
    {"one_photon_bin_per_steradian", "torvane", spectrum_file(1, 1, 5.0f, 0.0f, {{35, 2.0e5f}}),
     "dense\n0\n0\n", "  6.4931349E-03  0.5000001       13.73940    \n"},
    {"one_erg_bin", "torvane", spectrum_file(2, 2, 5.0f, 100.0f, {{35, 4.0e-3f}}),
     "dense\n0\n0\n", "  6.4931354E-03  0.5000000       4.900221    \n"},

    // The report comes after the material step's warning and before the
    // result line, and reads the same for an estimate and for a given
    // thickness.
    {"report_estimate", "torvane", photon_spectrum(), "dense-half\n0\n1\n",
     kWarningAndReport + kPhotonResult},
    {"report_given", "torvane", photon_spectrum(), "dense-half\n0.005\n1\n",
     kWarningAndReport + "  4.9999999E-03  0.7054011      2.4966707E-02\n"},

    // Refusals: one message line and status 8, with no report and no result
    // line even when the report was asked for.
    {"no_bins_thickness_given", "torvane", spectrum_file(1, 2, 10.0f, 100.0f, {}),
     "dense\n0.005\n1\n", kNoExposure, "", 8},
    {"every_value_zero_estimate", "torvane",
     spectrum_file(2, 2, 10.0f, 100.0f, {{20, 0}, {30, 0}}), "dense\n0\n1\n", kNoExposure, "", 8},
    {"density_0_estimate", "torvane", photon_spectrum(), "void\n0\n1\n",
     " ERROR in torvane:  mean attenuation coefficient is 0\n", "", 8},
    {"bin_below_1_keV_estimate", "torvane",
     spectrum_file(1, 2, 1.0f, 100.0f, {{0.5f, 10}, {20, 29}}), "dense\n0\n1\n", kBelowOneKeV,
     "", 8},
    {"bin_below_1_keV_thickness_given", "torvane",
     spectrum_file(1, 2, 1.0f, 100.0f, {{20, 29}, {0.5f, 10}}), "dense\n0.005\n1\n",
     kBelowOneKeV, "", 8},
    // A bin at 0 keV or below has no air weight; the spectrum's exposure is
    // then undefined, not zero, and the mixture routine refuses the bin.
    {"only_bin_at_0_keV", "torvane", spectrum_file(1, 2, 1.0f, 100.0f, {{0, 10}}),
     "dense\n0\n1\n", kBelowOneKeV, "", 8},
    {"bin_at_a_negative_energy", "torvane",
     spectrum_file(2, 2, 1.0f, 100.0f, {{20, 1e-6f}, {-5, 1e-6f}}), "dense\n0.005\n1\n",
     kBelowOneKeV, "", 8},

    // A missing material ends the run before the thickness is read: standard
    // input holding the name alone is no fatal error.  Once the material is
    // read, a missing thickness is.
    {"missing_material_before_the_thickness", "torvane", photon_spectrum(), "nosuch\n",
     " ERROR: could not find material file nosuch                                  \n", "", 8},
    {"missing_thickness", "torvane", photon_spectrum(), "dense\n", "",
     "torvane: severe (24): end-of-file during read, unit 5, file stdin\n", 24},

    // The data directory is looked up before the spectrum is read.
    E2eCase("unset_data_directory_before_missing_spectrum", "torvane", {}, "dense\n0\n0\n",
            " ERROR: ZELPRA_DIR env. var. not found\n", "", 8)
        .unset("ZELPRA_DIR"),
});
  return cases;
}

}  // namespace zelpra::test
