#include "spectrum_text.h"

#include <cstdio>

namespace zelpra::test {

const char* const kCaptionPhotonsPerSr = "#  Energy       #/mAs-sr-keV";
const char* const kCaptionPhotonsPerCm2 = "#  Energy      #/mAs-cm^2-keV";
const char* const kCaptionErgsPerSr = "#  Energy     ergs/mAs-sr-keV";
const char* const kCaptionErgsPerCm2 = "#  Energy    ergs/mAs-cm^2-keV";

std::string writer_caption(int first, int second) {
  if (first == 1) return second == 1 ? kCaptionPhotonsPerSr : kCaptionPhotonsPerCm2;
  return second == 1 ? kCaptionErgsPerSr : kCaptionErgsPerCm2;
}

std::string SpectrumText::str() const {
  // Every record fits: the widest is a history entry of 35 characters.
  char buf[128];
  std::string s;
  std::snprintf(buf, sizeof buf, "# kaltrovin: %2d  %6.3f  %1d  %6.2f\n", ihd1_, hd1_, ihd2_, hd2_);
  s += buf;
  std::snprintf(buf, sizeof buf, "#   %3d  %7.4f  %10.4f\n",
                nbin_.value_or(static_cast<int>(bins_.size())), de_, dist_);
  s += buf;
  std::snprintf(buf, sizeof buf, "#   %2d  %2d  (unit flags)\n", flag1_, flag2_);
  s += buf;
  s += caption_.value_or(writer_caption(flag1_, flag2_)) + "\n";
  for (const SpectrumBin& b : bins_) {
    std::snprintf(buf, sizeof buf, "  %7.3f     %13.4E\n", b.e, b.phi);
    s += buf;
  }
  s += "#  Attenuation History:\n";
  std::snprintf(buf, sizeof buf, "# %2d\n", nhist_.value_or(static_cast<int>(history_.size())));
  s += buf;
  for (const SpectrumEntry& h : history_) {
    std::string name = h.name;
    name.resize(20, ' ');
    std::snprintf(buf, sizeof buf, "# %s%13.4E\n", name.c_str(), h.value);
    s += buf;
  }
  return s;
}

}  // namespace zelpra::test
