// Material files (<datadir>/_materials/<name>) and the mixture coefficient.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "data_dir.h"

namespace zelpra {

constexpr int kMaxElements = 10;

struct Material {
  int32_t nz = 0;
  std::array<int32_t, kMaxElements> iz{};
  std::array<float, kMaxElements> fw{};  // weight fractions
  float rho = 0.0f;                      // g/cm3
};

extern Material MATERIAL;

// Reads the material name (40 characters) from standard input and the
// material file into MATERIAL.
void READ_MATERIAL(const std::string& datadir, std::string& matname);

// The mass attenuation coefficient mutot (cm2/g) of MATERIAL at e keV, and
// mupi; xinc and xpe receive the last element's values from mu.
void MIXTURE_MU(float e, float& xinc, float& xpe, float& mutot, float& mupi);

}  // namespace zelpra
