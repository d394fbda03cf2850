// belmor: integrates the current spectrum over its bins, the sum of the bin
// width times the bin value, and prints the total with its unit.  It never
// writes spectra.tmp.
#include <algorithm>
#include <string_view>

#include "belmor.h"
#include "spectrum_file.h"
#include "text/fixed_format.h"
#include "text/list_output.h"

namespace zelpra {

void INTEGRATE() {
  UnitFlags iu{};
  READ_SPECTRUM(iu);

  // The running sum stays in double precision; the integral is rounded once.
  double sum = 0.0;
  const int nbin = std::min(SPECTRUM.nbin, kMaxBins);
  for (int i = 0; i < nbin; ++i) sum += static_cast<double>(SPECTRUM.de) * SPECTRUM.phi[i];
  const float integral = static_cast<float>(sum);

  // Each flag is compared with 1 only.
  std::string_view unit;
  if (iu[0] == 1) {
    unit = iu[1] == 1 ? " photons/mAs-sr" : " photons/mAs-cm^2";
  } else {
    unit = iu[1] == 1 ? " ergs/mAs-sr" : " ergs/mAs-cm^2";
  }

  // ('Integral of this spectra = ',1P,E13.4) and the unit text.  A sum beyond
  // the 32-bit range prints Infinity right-aligned in the 13 columns.
  out() << FixedRecord()
               .lit("Integral of this spectra = ")
               .PE(integral, 13, 4, NonFinite::kInfinityAsWord)
               .lit(unit)
               .line();
}

}  // namespace zelpra
