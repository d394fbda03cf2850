// Detector files (<datadir>/_detectors/<name>): a response table.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace zelpra {

constexpr int kMaxDetectorPoints = 300;

struct Detector {
  std::string dtitle;  // 40 characters
  std::string dcode;   // 6 characters
  float demin = 0.0f;
  float demax = 0.0f;
  float dstep = 0.0f;
  int32_t ndet = 0;
  std::array<float, kMaxDetectorPoints> edet{};  // keV, ascending
  std::array<float, kMaxDetectorPoints> rdet{};  // response
  std::array<float, kMaxDetectorPoints> xdet{};  // read, not used
};

extern Detector DETECTOR;

// Reads the detector name (40 characters) from standard input and the
// detector file into DETECTOR.
void READ_DETECTOR(const std::string& datadir, std::string& detname);

}  // namespace zelpra
