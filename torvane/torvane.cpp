// torvane: the half-value layer of a material for the current spectrum.
//
// For the spectrum in spectra.tmp and a material named on standard input the
// tool prints one line of three values:
//   1. the half-value layer in cm, estimated as ln 2 over the exposure-weighted
//      mean linear attenuation coefficient of the material (one pass, no
//      iteration), or the layer thickness given in its place;
//   2. the fraction of the exposure transmitted through that layer, computed
//      bin by bin over the real spectrum (so not exactly one half in general);
//   3. the exposure of the unfiltered spectrum in mR/mAs.
//
// Answers on standard input, each read starting on a new line: the material
// name, the thickness in cm (0 asks for the estimate) and the report flag
// (1 prints the report).
//
// Every bin is weighted by its share of the exposure: the energy value of the
// bin times the mass energy-absorption coefficient of air, interpolated in
// the database's log-log air table.  A bin's term is carried in double
// precision; each running sum is stored as a 32-bit real after every bin.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "constants.h"
#include "data_dir.h"
#include "database.h"
#include "element_data.h"
#include "interp.h"
#include "material.h"
#include "report.h"
#include "spectrum_file.h"
#include "text/line_source.h"
#include "text/list_input.h"
#include "text/list_output.h"
#include "text/run_end.h"
#include "torvane.h"

namespace zelpra {

namespace {

// The air weight at e keV: the mass energy-absorption coefficient of air in
// cm2/g, 10 raised to the value interpolated in the 38-point table of log10
// MeV against log10 cm2/g, unrounded (the exposure sum takes it as it is).
//
// An energy of 0 or below has no logarithm and no air weight: the bin's
// weight is not a number, so the exposure of such a spectrum is undefined
// rather than zero, and the run ends when the mixture routine refuses the bin
// as the linear coefficients are computed.
double air_weight(float e) {
  if (e <= 0.0f) return std::numeric_limits<double>::quiet_NaN();
  const float l = static_cast<float>(std::log10(static_cast<double>(e) / kKeVPerMeV));
  const float log_mu =
      INTERP(ELEMENT_DATA.airle.data(), ELEMENT_DATA.airlm.data(), kAirPoints, l, 2, 4);
  return std::pow(10.0, static_cast<double>(log_mu));
}

// The air weight stored as a 32-bit real (the estimate and transmission sums).
float stored(double wair) { return static_cast<float>(wair); }

// The linear attenuation coefficient of the material at e keV, cm-1, as the
// double product of the mixture's mass coefficient and the density.
double linear_mu(float e) {
  float xinc = 0.0f;
  float xpe = 0.0f;
  float mutot = 0.0f;
  float mupi = 0.0f;
  MIXTURE_MU(e, xinc, xpe, mutot, mupi);
  return static_cast<double>(mutot) * MATERIAL.rho;
}

// One bin's share of an air-weighted energy sum, with a leading factor f
// (mu for the estimate, exp(-mu t) for the transmission).  Photon fluence is
// turned into ergs at 1.60219e-9 erg/keV.  The products are taken left to
// right in this order, all in double precision; the term is not rounded to
// 32 bits before it is added.
//
// The exposure sum takes f = 1: its own order, ebin x phi x wair x de x k
// for photons and wair x phi x de for energies, gives the same doubles, since
// a product with 1 is exact and a single product does not depend on the order
// of its two operands.
double weighted_term(double f, bool photons, float e, float phi, double wair, float de) {
  if (photons) return (((f * e) * phi) * wair) * de * static_cast<double>(kErgPerKeV6Digits);
  return ((f * phi) * wair) * de;
}

float add_stored(float sum, double term) {
  return static_cast<float>(static_cast<double>(sum) + term);
}

}  // namespace

// TORVANE: the main routine of torvane.
void TORVANE() {
  UnitFlags iu{};
  std::string matname;
  float hvl = 0.0f;
  int32_t iout = 0;

  const std::string datadir = GET_DATA_DIR();
  READ_SPECTRUM(iu);
  READ_DATABASE();
  READ_MATERIAL(datadir, matname);
  list_read(stdin_source(), {ListItem::real(hvl)});
  list_read(stdin_source(), {ListItem::integer(iout)});

  const bool photons = iu[0] == 1;
  const Spectrum& s = SPECTRUM;
  const int32_t nbin = std::min<int32_t>(s.nbin, kMaxBins);

  // A bin's air weight and linear coefficient depend on its energy alone:
  // each is computed once and taken by every sum that needs it.
  std::array<double, kMaxBins> wair{};
  std::array<double, kMaxBins> mu{};

  // Exposure of the unfiltered spectrum.
  float s1 = 0.0f;
  for (int32_t i = 0; i < nbin; ++i) {
    wair[i] = air_weight(s.ebin[i]);
    s1 = add_stored(s1, weighted_term(1.0, photons, s.ebin[i], s.phi[i], wair[i], s.de));
  }
  const float x0 = static_cast<float>(static_cast<double>(s1) / kTorvaneErgPerGramPerMilliroentgen);
  // Both the estimate and the transmission are shares of this exposure.
  if (x0 == 0.0f) refuse(list_text_line("ERROR in torvane:  exposure of the spectrum is 0"));
  // The linear coefficients come after that check, so a spectrum with no
  // exposure is refused for it before the mixture routine can refuse a bin.
  for (int32_t i = 0; i < nbin; ++i) mu[i] = linear_mu(s.ebin[i]);

  // Estimate: ln 2 over the exposure-weighted mean linear coefficient.
  if (hvl == 0.0f) {
    float s2 = 0.0f;
    for (int32_t i = 0; i < nbin; ++i) {
      s2 = add_stored(s2, weighted_term(mu[i], photons, s.ebin[i], s.phi[i],
                                        stored(wair[i]), s.de));
    }
    // The mean coefficient in cm-1 stays in double precision; a material
    // that attenuates nothing (density 0) has no half-value layer.
    const double mean_mu = (static_cast<double>(s2) / kTorvaneErgPerGramPerMilliroentgen) / x0;
    if (mean_mu == 0.0) {
      refuse(list_text_line("ERROR in torvane:  mean attenuation coefficient is 0"));
    }
    hvl = static_cast<float>(static_cast<double>(kLn2) / mean_mu);
  }

  // Exposure behind the layer.
  float s3 = 0.0f;
  for (int32_t i = 0; i < nbin; ++i) {
    const double t = std::exp(-(mu[i] * hvl));
    s3 = add_stored(s3, weighted_term(t, photons, s.ebin[i], s.phi[i], stored(wair[i]), s.de));
  }
  const float xt = static_cast<float>(static_cast<double>(s3) / kTorvaneErgPerGramPerMilliroentgen);

  if (iout == 1) {
    // The name as read, blank-padded to its full length.
    out() << ListLine().text("# Half Value Layer (HVL) estimage, cm ").str();
    out() << ListLine().text("#    Material: ").text(matname).str();
    REPORT_SPECTRUM();
    out() << list_text_line("# HVL estimate:");
    out() << list_text_line("#   value 1 = HVL in cm");
    out() << list_text_line("#   value 2 = Transmission thru HVL");
    out() << list_text_line("#   value 3 = Exposure input to filter in mR/mAs");
  }

  const float trans = static_cast<float>(static_cast<double>(xt) / x0);
  out() << ListLine().real(hvl).real(trans).real(x0).str();
}

}  // namespace zelpra
