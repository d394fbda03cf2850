// The element-data block: the photon-interaction database in memory.
//
// Element rows 1..85 stand for atomic numbers 1..83, then 90 (row 84) and 92
// (row 85).  The photoelectric tables are indexed by atomic number 1..100,
// the K-shell tables by atomic number 1..74.  Arrays are indexed from 0: row
// r is element r-1, atomic number Z is element Z-1, segment j is element j-1.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace zelpra {

constexpr int kElementRows = 85;
constexpr int kPhotoElements = 100;
constexpr int kMaxSegments = 13;
constexpr int kKshellElements = 74;
constexpr int kAirPoints = 38;
constexpr int kInscatValues = 45;

struct ElementData {
  std::array<std::string, kElementRows> names{};          // 16 characters
  std::array<float, kElementRows> wghts{};                // atomic weight, g/mol
  std::array<std::array<float, 4>, kElementRows> sinc{};  // ln(sigma_inc/barn) = sum c_k (ln E)^(k-1)
  std::array<std::array<float, 4>, kElementRows> scoh{};  // the same for coherent scattering
  std::array<float, kElementRows> ek{};                   // K edge, keV
  std::array<float, kElementRows> el1{};                  // L1 edge, keV (0.01 or less: none)
  std::array<float, kElementRows> el3{};                  // L3 edge, keV (0.01 or less: none)
  std::array<float, kElementRows> em1{};
  std::array<float, kElementRows> xl{};
  std::array<float, kElementRows> xk{};
  std::array<float, kElementRows> wk{};
  std::array<float, kElementRows> wl{};
  std::array<std::array<float, kInscatValues>, kElementRows> inscat{};
  std::array<float, kInscatValues> v{};
  std::array<std::array<float, 4>, kKshellElements> ksha{};
  std::array<std::array<float, 4>, kKshellElements> kshb{};
  std::array<int32_t, kPhotoElements> npe{};  // segments per atomic number, 0..13
  // pe[Z-1][j-1] = {lower bound keV, A1, A2, A3, A4}: A1/E + A2/E^2 + A3/E^3 + A4/E^4 cm2/g
  std::array<std::array<std::array<float, 5>, kMaxSegments>, kPhotoElements> pe{};
  std::array<float, kAirPoints> airle{};  // log10(E / MeV), ascending
  std::array<float, kAirPoints> airlm{};  // log10(mu_en/rho of air / (cm2/g))
  std::array<float, kElementRows> kjump{};
  std::array<float, kElementRows> ljump{};
};

// The process-wide element-data block.
extern ElementData ELEMENT_DATA;

// Rows 1..83 are atomic numbers 1..83; thorium and uranium follow as rows 84
// and 85.  Polonium, astatine and the rest have no row.  Whatever needs the
// mapping, the test fixtures included, asks these two functions.
constexpr int kLastDirectRow = 83;
constexpr int32_t kThorium = 90;
constexpr int32_t kUranium = 92;

// The element row (1..85) of atomic number z, or 0 when z has none.
constexpr int element_row(int32_t z) {
  if (z == kThorium) return kLastDirectRow + 1;
  if (z == kUranium) return kLastDirectRow + 2;
  if (z >= 1 && z <= kLastDirectRow) return z;
  return 0;
}

// The atomic number of element row r (1..85).
constexpr int32_t row_atomic_number(int r) {
  if (r == kLastDirectRow + 1) return kThorium;
  if (r == kLastDirectRow + 2) return kUranium;
  return r;
}

}  // namespace zelpra
