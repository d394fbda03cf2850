// fendo: moves a per-cm2 spectrum from its distance to a new one, read from
// standard input in cm, by the inverse-square law: every bin value is
// multiplied by (old distance / new distance) squared.  The unit flags stay
// as they are.
#include <algorithm>

#include "fendo.h"
#include "spectrum_file.h"
#include "spectrum_writer.h"
#include "text/line_source.h"
#include "text/list_input.h"
#include "text/run_end.h"

namespace zelpra {

void RESCALE_DISTANCE() {
  // Held from before the read to after the rewrite (spectrum_writer.h).
  const SpectrumLock lock;
  UnitFlags iu{};
  READ_SPECTRUM(iu);

  // Both refusals come before the answer is read: it stays on standard input.
  if (iu[1] == 1) {
    refuse_aborting("ERROR in fendo:  input spectrum in /sr. ");
  }
  // At distance 0 every bin would silently become 0.
  if (SPECTRUM.dist == 0.0f) {
    refuse_aborting("ERROR in fendo:  distance is 0 for a /cm^2 spectrum");
  }

  float dnew = 0.0f;
  list_read(stdin_source(), {ListItem::real(dnew)});
  if (dnew == 0.0f) {
    refuse_aborting("ERROR in fendo:  new distance is 0");
  }

  // The factor stays in double precision, formed in this order: dividing by
  // dnew twice is not the same as dividing once by dnew squared.
  const double factor = static_cast<double>(SPECTRUM.dist) * SPECTRUM.dist / dnew / dnew;
  const int nbin = std::min(SPECTRUM.nbin, kMaxBins);
  for (int i = 0; i < nbin; ++i) {
    SPECTRUM.phi[i] = static_cast<float>(factor * SPECTRUM.phi[i]);
  }
  SPECTRUM.dist = dnew;

  WRITE_SPECTRUM(iu, &lock);
}

}  // namespace zelpra
