// atlune end to end: the real program in a scratch working directory with a
// synthetic database, a water material and a detector table.
//
// Water is hydrogen and oxygen by atom counts (2 and 1); both elements have
// smooth cubic scattering fits and photoelectric segments of their own (oxygen
// with an edge at 20 keV).  The detector "sid" has a point every keV from 1
// to 150 keV with the response E/(E + 30) to four decimals, so a bin at 25.5
// keV is interpolated and the others hit table points.
//
// The expected result lines were worked out separately, bin by bin, in 32-bit
// arithmetic with the same rounding points (element fits and totals, the
// mixture sum per element, the detector interpolation, the two running sums
// and the quotient).
#include "atlune_cases.h"

#include <cstdio>
#include <string>
#include <vector>

#include "db_fixture.h"
#include "padded.h"

namespace zelpra::test {
namespace atlune_e2e {

// spectra.tmp in its written layout, with two history entries.  The caption
// follows the first flag alone, per cm2 either way.
std::string spectrum_file(int flag1, int flag2, const Bins& bins) {
  return SpectrumText()
      .header(80, 2.5, 1, 17.0)
      .geometry(10.0, 100.0)
      .flags(flag1, flag2)
      .caption(writer_caption(flag1, 2))
      .bins(bins)
      .entry("Al", 0.25)
      .entry("Cu filter", 0.01)
      .str();
}

const Bins kPhotons = {{10, 1.2345E+05f}, {20, 3.4567E+05f}, {25.5f, 2.9876E+05f},
                      {30, 2.5E+05f},    {40, 1.1111E+05f}, {50, 4.4E+04f}};
// The same spectrum as energy fluence: phi E 1.602e-9 to five digits.
const Bins kErgs = {{10, 1.9777E-03f}, {20, 1.1075E-02f}, {25.5f, 1.2205E-02f},
                   {30, 1.2015E-02f}, {40, 7.1199E-03f}, {50, 3.5244E-03f}};
// The photon spectrum times 1000.
const Bins kScaled = {{10, 1.2345E+08f}, {20, 3.4567E+08f}, {25.5f, 2.9876E+08f},
                     {30, 2.5E+08f},    {40, 1.1111E+08f}, {50, 4.4E+07f}};

// A detector table from 1 to 150 keV in steps of 1 keV.
std::string detector_file(bool dark) {
  std::string s = "'Silicon diode'\nSID 1.0 150.0 1.0\n  E (keV)   response   other\n";
  char buf[64];
  for (int i = 1; i <= 150; ++i) {
    std::snprintf(buf, sizeof buf, "%d.0 %.4f 0.0\n", i, dark ? 0.0 : i / (i + 30.0));
    s += buf;
  }
  return s;
}

std::string report(const std::string& material, const std::string& detector) {
  return " # Effective attenuation coefficient, cm-1 \n"
         " #    Material: " + padded(material) + "\n"
         " #    Detector: " + padded(detector) + "\n"
         " #    Kaltrovin: 80   2.500  1   17.00\n"
         " #    Attenuation History:\n"
         " #        2\n"
         " #       Al                     2.5000E-01\n"
         " #       Cu filter              1.0000E-02\n"
         " # CM-1 =\n";
}

// The data directory: the fixture database with hydrogen and oxygen as above,
// the materials and the detectors.
void write_data(const ScratchDir& dir) {
  DbFixture db;
  ElementData& d = db.data;
  d.wghts[0] = 1.008f;
  d.sinc[0] = {-0.5f, 0.25f, -0.0625f, 0.0078125f};
  d.scoh[0] = {-3.0f, 0.5f, -0.125f, 0.01f};
  d.npe[0] = 1;
  d.pe[0][0] = {1.0f, 0.02f, 0.3f, 0.004f, 0.0001f};
  d.wghts[7] = 15.999f;
  d.sinc[7] = {1.2f, 0.1f, -0.05f, 0.003f};
  d.scoh[7] = {0.5f, 0.3f, -0.2f, 0.02f};
  d.npe[7] = 2;
  d.pe[7][0] = {1.0f, 0.5f, 20.0f, 150.0f, 3.0f};
  d.pe[7][1] = {20.0f, 1.0f, 30.0f, 900.0f, 10.0f};
  db.write(dir / "data");
  dir.write("data/_materials/water", "2   water by atom counts\n1 8\n2 1\n1.0\n");
  dir.write("data/_materials/dense water", "2\n1 8\n2 1\n2.5\n");
  dir.write("data/_materials/vapour", "2\n1 8\n2 1\n0.0013\n");
  dir.write("data/_materials/short", "2\n1 8\n0.5 0.48\n1.0\n");
  dir.write("data/_materials/oxypolonium", "2\n8 84\n0.5 0.5\n9.3\n");
  dir.write("data/_materials/halves", "2\n1 8\n0.5 0.5\n1.0\n");
  dir.write("data/_materials/halves_repeated", "2\n1 8\n2*0.5/ both halves\n1.0\n");
  dir.write("data/_detectors/sid", detector_file(false));
  dir.write("data/_detectors/dark", detector_file(true));
  dir.write("data/_detectors/reversed", "'backwards'\nREV 150.0 1.0 1.0\ncaption\n");
}

const std::string kPhotonSpectrum = spectrum_file(1, 2, kPhotons);
const std::string kWaterResult = "  0.3168913    \n";
// A slash right behind a repeat count ends the group after all its copies:
// the two materials are the same.
const std::string kHalvesResult = "  0.4478316    \n";

}  // namespace atlune_e2e

// Nothing goes to standard error unless the case says so, and spectra.tmp
// is never written.
const std::vector<E2eCase>& atlune_cases() {
  using namespace atlune_e2e;
  static const std::vector<E2eCase> cases = with_setup(write_data, {
    {"result_only", "atlune", kPhotonSpectrum, "water\nsid\n0\n", kWaterResult},
    {"report", "atlune", kPhotonSpectrum, "water\nsid\n1\n", report("water", "sid") + kWaterResult},
    {"report_quoted_names", "atlune", kPhotonSpectrum, "'dense water'\n\"sid\"\n1\n",
     report("dense water", "sid") + "  0.7922283    \n"},
    // A result below 0.1 prints in exponent form, eight digits.
    {"thin_material", "atlune", kPhotonSpectrum, "vapour\nsid\n0\n", "  4.1195875E-04\n"},
    {"thin_material_energy_fluence", "atlune", spectrum_file(2, 2, kErgs), "vapour\nsid\n0\n",
     "  4.1195838E-04\n"},
    {"flag_2_no_report", "atlune", kPhotonSpectrum, "water\nsid\n2\n", kWaterResult},
    {"flag_minus_1_no_report", "atlune", kPhotonSpectrum, "water\nsid\n-1\n", kWaterResult},
    // Only the first unit flag is looked at, and only 2 converts.
    {"per_steradian", "atlune", spectrum_file(1, 1, kPhotons), "water\nsid\n0\n", kWaterResult},
    {"flag_3_is_photons", "atlune", spectrum_file(3, 2, kPhotons), "water\nsid\n0\n",
     kWaterResult},
    {"flag_0_is_photons", "atlune", spectrum_file(0, 2, kPhotons), "water\nsid\n0\n",
     kWaterResult},
    {"energy_fluence", "atlune", spectrum_file(2, 2, kErgs), "water\nsid\n0\n",
     "  0.3168911    \n"},
    {"scaled_fluence", "atlune", spectrum_file(1, 2, kScaled), "water\nsid\n0\n", kWaterResult},
    // The weight-sum warning comes first; the fractions stay as read.
    {"warning_then_result", "atlune", kPhotonSpectrum, "short\nsid\n1\n",
     " WARNING: wtot.ne.1.0 --   0.9800000    \n" + report("short", "sid") + "  0.4422489    \n"},
    {"halves", "atlune", kPhotonSpectrum, "halves\nsid\n0\n", kHalvesResult},
    {"halves_repeated", "atlune", kPhotonSpectrum, "halves_repeated\nsid\n0\n", kHalvesResult},
    {"no_bins", "atlune", spectrum_file(1, 2, {}), "water\nsid\n0\n", "  0.0000000E+00\n"},
    {"zero_response", "atlune", kPhotonSpectrum, "water\ndark\n0\n", "  0.0000000E+00\n"},
    {"reversed_detector_range", "atlune", kPhotonSpectrum, "water\nreversed\n0\n",
     "  0.0000000E+00\n"},
    // A refusal by mu ends the run as a failure, before report and result.
    {"bin_below_1_keV", "atlune", spectrum_file(1, 2, {{10, 1.0E+05f}, {0.5f, 2.0E+05f}}),
     "water\nsid\n1\n", " error condition from mu: ierr =  3\n", "", 8},
    {"untabulated_element", "atlune", kPhotonSpectrum, "oxypolonium\nsid\n1\n",
     " error condition from mu: ierr =  1\n", "", 8},
    {"missing_material", "atlune", kPhotonSpectrum, "glass\nsid\n0\n",
     " ERROR: could not find material file " + padded("glass") + "\n", "", 8},
    {"missing_detector", "atlune", kPhotonSpectrum, "water\nccd\n0\n",
     " ERROR: could not find detector file " + padded("ccd") + "\n", "", 8},
    {"missing_report_flag", "atlune", kPhotonSpectrum, "water\nsid\n", "",
     "atlune: severe (24): end-of-file during read, unit 5, file stdin\n", 24},
    // The data directory and the spectrum come first.
    E2eCase("unset_data_directory", "atlune", {}, "water\nsid\n0\n",
            " ERROR: ZELPRA_DIR env. var. not found\n", "", 8)
        .unset("ZELPRA_DIR"),
    {"missing_spectrum", "atlune", {}, "water\nsid\n0\n",
     " ERROR: spectra.tmp DOES NOT EXIST: Aborting.\n", "", 8},
});
  return cases;
}

}  // namespace zelpra::test
