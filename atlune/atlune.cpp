// atlune: the effective linear attenuation coefficient (cm-1) of a material
// for the current spectrum as a detector sees it.
//
// Standard input: the material name, the detector name, the report flag
// (1 = print the report).  Each bin is weighted by the energy it carries
// times the detector response there:
//   mueff = sum(mutot rho E eta phi de) / sum(eta E phi de).
#include <algorithm>
#include <cstdint>
#include <string>

#include "atlune.h"
#include "constants.h"
#include "data_dir.h"
#include "database.h"
#include "detector.h"
#include "interp.h"
#include "material.h"
#include "report.h"
#include "spectrum_file.h"
#include "text/line_source.h"
#include "text/list_input.h"
#include "text/list_output.h"

namespace zelpra {

// EFF_ATTEN: the main routine of atlune.
void EFF_ATTEN() {
  const std::string datadir = GET_DATA_DIR();
  UnitFlags iu{};
  READ_SPECTRUM(iu);
  READ_DATABASE();
  std::string matname(kNameLength, ' ');
  READ_MATERIAL(datadir, matname);
  std::string detname(kNameLength, ' ');
  READ_DETECTOR(datadir, detname);
  int32_t iout = 0;
  list_read(stdin_source(), {ListItem::integer(iout)});

  Spectrum& sp = SPECTRUM;
  const float rho = MATERIAL.rho;
  const float de = sp.de;
  float s1 = 0.0f;  // attenuation-weighted sum
  float s2 = 0.0f;  // sum of the weights
  const int nbin = std::min<int32_t>(sp.nbin, kMaxBins);
  for (int i = 0; i < nbin; ++i) {
    const float e = sp.ebin[i];
    // Energy fluence (ergs) to photons: divide by the photon energy in ergs.
    if (iu[0] == 2) {
      sp.phi[i] = static_cast<float>(static_cast<double>(sp.phi[i]) / e /
                                     static_cast<double>(kErgPerKeV4Digits));
    }
    float xinc = 0.0f;
    float xpe = 0.0f;
    float mutot = 0.0f;
    float mupi = 0.0f;
    MIXTURE_MU(e, xinc, xpe, mutot, mupi);
    const float eta =
        INTERP(DETECTOR.edet.data(), DETECTOR.rdet.data(), DETECTOR.ndet, e, 2, 4);
    const double phi = sp.phi[i];
    s1 = static_cast<float>(static_cast<double>(s1) +
                            static_cast<double>(mutot) * rho * e * eta * phi * de);
    s2 = static_cast<float>(static_cast<double>(s2) + static_cast<double>(eta) * e * phi * de);
  }
  const float mueff = (s2 == 0.0f) ? 0.0f : static_cast<float>(static_cast<double>(s1) / s2);

  if (iout == 1) {
    out() << ListLine().text("# Effective attenuation coefficient, cm-1 ").str();
    out() << ListLine().text("#    Material: ").text(matname).str();
    out() << ListLine().text("#    Detector: ").text(detname).str();
    REPORT_SPECTRUM();
    out() << ListLine().text("# CM-1 =").str();
  }
  out() << ListLine().real(mueff).str();
}

}  // namespace zelpra
