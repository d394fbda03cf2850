// The text of a spectra.tmp for tests, laid out by hand in the columns the
// spectrum writer uses.  It does not go through the writer, so tests of the
// reader and of the writer stay independent of it, and it can write what the
// writer never would: odd unit flags, another caption, counts that differ
// from the records that follow.
//
//   SpectrumText().header(80, 2.5, 1, 17.0).geometry(10.0, 100.0)
//       .flags(1, 2).bins({{10, 1.2345e5}, {20, 3.4567e5}})
//       .entry("Al", 0.25).str()
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zelpra::test {

// Record 4 as the writer chooses it from the two unit flags.
extern const char* const kCaptionPhotonsPerSr;   // flags 1 1
extern const char* const kCaptionPhotonsPerCm2;  // flags 1 2
extern const char* const kCaptionErgsPerSr;      // flags 2 1
extern const char* const kCaptionErgsPerCm2;     // flags 2 2

// The writer's caption: each flag is compared with 1 only.
std::string writer_caption(int first, int second);

struct SpectrumBin {
  double e;    // keV, written F7.3
  double phi;  // written 1PE13.4
};

struct SpectrumEntry {
  std::string name;  // padded or cut to 20 characters
  double value;      // written 1PE13.4
};

class SpectrumText {
 public:
  // Record 1, "# kaltrovin: " I2 2X F6.3 2X I1 2X F6.2.  Default 80 2.5 1 12.5.
  SpectrumText& header(int ihd1, double hd1, int ihd2, double hd2) {
    ihd1_ = ihd1;
    hd1_ = hd1;
    ihd2_ = ihd2;
    hd2_ = hd2;
    return *this;
  }
  // Record 2: bin width and distance.  Default 1.0 and 100.0.
  SpectrumText& geometry(double de, double dist) {
    de_ = de;
    dist_ = dist;
    return *this;
  }
  // The bin count in record 2; by default the number of bins given.
  SpectrumText& nbin(int count) {
    nbin_ = count;
    return *this;
  }
  // Record 3: the flags as written in columns 5-6 and 9-10.  Default 1 2.
  SpectrumText& flags(int first, int second) {
    flag1_ = first;
    flag2_ = second;
    return *this;
  }
  // Record 4, without its line end; by default writer_caption(flags).
  SpectrumText& caption(std::string line) {
    caption_ = std::move(line);
    return *this;
  }
  SpectrumText& bins(std::vector<SpectrumBin> bins) {
    bins_ = std::move(bins);
    return *this;
  }
  // The attenuation history; entry() adds one.
  SpectrumText& history(std::vector<SpectrumEntry> entries) {
    history_ = std::move(entries);
    return *this;
  }
  SpectrumText& entry(std::string name, double value) {
    history_.push_back({std::move(name), value});
    return *this;
  }
  // The history count; by default the number of entries given.
  SpectrumText& nhist(int count) {
    nhist_ = count;
    return *this;
  }

  std::string str() const;

 private:
  int ihd1_ = 80;
  double hd1_ = 2.5;
  int ihd2_ = 1;
  double hd2_ = 12.5;
  double de_ = 1.0;
  double dist_ = 100.0;
  std::optional<int> nbin_;
  int flag1_ = 1;
  int flag2_ = 2;
  std::optional<std::string> caption_;
  std::vector<SpectrumBin> bins_;
  std::vector<SpectrumEntry> history_;
  std::optional<int> nhist_;
};

}  // namespace zelpra::test
