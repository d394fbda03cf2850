// brask: converts a spectrum given per cm2 at the distance dist into the
// same spectrum per steradian.  Every bin value is multiplied by dist squared
// (cm2 per steradian), the distance becomes 0.0 and the second unit flag 1.
#include <algorithm>

#include "brask.h"
#include "spectrum_file.h"
#include "spectrum_writer.h"
#include "text/run_end.h"

namespace zelpra {

void TO_PER_SR() {
  // Held from before the read to after the rewrite (spectrum_writer.h).
  const SpectrumLock lock;
  UnitFlags iu{};
  READ_SPECTRUM(iu);

  if (iu[1] == 1) {
    refuse_aborting("ERROR in brask:  spectrum already in /sr. ");
  }
  // A per-cm2 spectrum at distance 0 would silently become all zeros.
  if (SPECTRUM.dist == 0.0f) {
    refuse_aborting("ERROR in brask:  distance is 0 for a /cm^2 spectrum");
  }
  iu[1] = 1;

  const double dist = SPECTRUM.dist;
  const int nbin = std::min(SPECTRUM.nbin, kMaxBins);
  for (int i = 0; i < nbin; ++i) {
    SPECTRUM.phi[i] = static_cast<float>(static_cast<double>(SPECTRUM.phi[i]) * dist * dist);
  }
  SPECTRUM.dist = 0.0f;

  WRITE_SPECTRUM(iu, &lock);
}

}  // namespace zelpra
