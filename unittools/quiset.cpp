// quiset: converts the current spectrum from photon fluence to energy
// fluence.  Every bin value, photons per keV per mAs, becomes ergs per keV per
// mAs (times the bin energy in keV and 1.602e-9 erg/keV), and spectra.tmp is
// rewritten with the first unit flag set to 2.
#include <algorithm>

#include "constants.h"
#include "quiset.h"
#include "spectrum_file.h"
#include "spectrum_writer.h"
#include "text/run_end.h"

namespace zelpra {

void TO_ENERGY() {
  // Held from before the read to after the rewrite (spectrum_writer.h).
  const SpectrumLock lock;
  UnitFlags iu{};
  READ_SPECTRUM(iu);

  if (iu[0] == 2) {
    refuse_aborting("ERROR in quiset:  spectrum already in ergs.");
  }
  iu[0] = 2;

  const int nbin = std::min(SPECTRUM.nbin, kMaxBins);
  for (int i = 0; i < nbin; ++i) {
    SPECTRUM.phi[i] = static_cast<float>(static_cast<double>(SPECTRUM.phi[i]) * SPECTRUM.ebin[i] *
                                         kErgPerKeV4Digits);
  }

  WRITE_SPECTRUM(iu, &lock);
}

}  // namespace zelpra
