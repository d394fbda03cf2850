#include "spectrum_text.h"

#include <cstdio>
#include <utility>

namespace zelpra::test {

const char* const kCaptionPhotonsPerSr = "#  Energy       #/mAs-sr-keV";
const char* const kCaptionPhotonsPerCm2 = "#  Energy      #/mAs-cm^2-keV";
const char* const kCaptionErgsPerSr = "#  Energy     ergs/mAs-sr-keV";
const char* const kCaptionErgsPerCm2 = "#  Energy    ergs/mAs-cm^2-keV";

std::string writer_caption(int first, int second) {
  if (first == 1) return second == 1 ? kCaptionPhotonsPerSr : kCaptionPhotonsPerCm2;
  return second == 1 ? kCaptionErgsPerSr : kCaptionErgsPerCm2;
}

SpectrumText& SpectrumText::header(int ihd1, double hd1, int ihd2, double hd2) {
  ihd1_ = ihd1;
  hd1_ = hd1;
  ihd2_ = ihd2;
  hd2_ = hd2;
  return *this;
}

SpectrumText& SpectrumText::geometry(double de, double dist) {
  de_ = de;
  dist_ = dist;
  return *this;
}

SpectrumText& SpectrumText::nbin(int count) {
  nbin_ = count;
  return *this;
}

SpectrumText& SpectrumText::flags(int first, int second) {
  flag1_ = first;
  flag2_ = second;
  return *this;
}

SpectrumText& SpectrumText::caption(std::string line) {
  caption_ = std::move(line);
  return *this;
}

SpectrumText& SpectrumText::bins(std::vector<SpectrumBin> bins) {
  bins_ = std::move(bins);
  return *this;
}

SpectrumText& SpectrumText::history(std::vector<SpectrumEntry> entries) {
  history_ = std::move(entries);
  return *this;
}

SpectrumText& SpectrumText::entry(std::string name, double value) {
  history_.push_back({std::move(name), value});
  return *this;
}

SpectrumText& SpectrumText::nhist(int count) {
  nhist_ = count;
  return *this;
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
