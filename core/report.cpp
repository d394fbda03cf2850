// The spectrum report block: the generation header and the attenuation
// history of the current spectrum as comment lines.
#include "report.h"

#include <algorithm>
#include <string>

#include "spectrum_file.h"
#include "text/fixed_format.h"
#include "text/list_output.h"

namespace zelpra {

// REPORT_SPECTRUM: 3 + nhist fixed-column lines on standard output.
void REPORT_SPECTRUM() {
  const Spectrum& s = SPECTRUM;
  std::string text;
  text += FixedRecord()
              .lit(" #    Kaltrovin: ")
              .I(s.ihd1, 2)
              .X(2)
              .F(s.hd1, 6, 3)
              .X(2)
              .I(s.ihd2, 1)
              .X(2)
              .F(s.hd2, 6, 2)
              .line();
  text += FixedRecord().lit(" #    Attenuation History:").line();
  text += FixedRecord().lit(" #       ").I(s.nhist, 2).line();
  // The block holds at most kMaxHistory entries.
  const int n = std::min<int32_t>(s.nhist, kMaxHistory);
  for (int j = 0; j < n; ++j) {
    text += FixedRecord().lit(" #       ").A(s.hname[j], 20).PE(s.hval[j], 13, 4).line();
  }
  out() << text;
}

}  // namespace zelpra
