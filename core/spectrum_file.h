// The current spectrum, spectra.tmp: the spectrum block, the unit flags and
// the reader.
//
// File layout, one record per line (columns 1-based):
//   1        ('# kaltrovin: ',I2,2X,F6.3,2X,I1,2X,F6.2)  ihd1 hd1 ihd2 hd2
//   2        ('# ',2X,I3,2X,F7.4,2X,F10.4)             nbin de dist
//   3        unit-flag line, flags in columns 5-6 and 9-10
//   4        caption line (skipped)
//   5..      (2X,F7.3,5X,1P,E13.4)                     ebin phi, one per bin
//   next     "#  Attenuation History:" (skipped)
//   next     ('# ',I2)                                 nhist
//   next..   ('# ',A20,1P,E13.4)                       hname hval (read without 1P)
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "text/line_source.h"

namespace zelpra {

constexpr int kMaxBins = 300;
constexpr int kMaxHistory = 20;
constexpr int kHistoryNameLength = 20;
inline constexpr const char* kSpectrumFileName = "spectra.tmp";

// Arrays are indexed from 0: bin i of the file (1-based) is element i-1.
struct Spectrum {
  int32_t ihd1 = 0;
  int32_t ihd2 = 0;
  float hd1 = 0.0f;
  float hd2 = 0.0f;
  float dist = 0.0f;  // cm; 0.0 for a per-steradian spectrum
  int32_t nbin = 0;
  float de = 0.0f;    // bin width, keV
  std::array<float, kMaxBins> ebin{};  // keV
  std::array<float, kMaxBins> phi{};   // per keV and mAs: photons or ergs, per sr or per cm2
  int32_t nhist = 0;
  std::array<std::string, kMaxHistory> hname{};  // 20 characters each once read
  std::array<float, kMaxHistory> hval{};
};

// The process-wide spectrum block.
extern Spectrum SPECTRUM;

// The unit flags: [0] 1 = photons, 2 = energy in ergs; [1] 1 = per
// steradian, 2 = per cm2 at dist.  Owned by each tool's main routine.
using UnitFlags = std::array<int32_t, 2>;

// Reads spectra.tmp in the working directory into SPECTRUM and `iu`.
void READ_SPECTRUM(UnitFlags& iu);

// The record reading of READ_SPECTRUM on an open source.
void read_spectrum_records(LineSource& source, UnitFlags& iu);

}  // namespace zelpra
