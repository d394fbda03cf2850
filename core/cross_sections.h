// Photon cross sections of one element at one energy, in cm2/g.
#pragma once

#include <cstdint>

namespace zelpra {

// Status values of mu's ierr.
constexpr int32_t kMuSuccess = 10;
constexpr int32_t kMuNotTabulated = 1;
constexpr int32_t kMuBadAtomicNumber = 2;
constexpr int32_t kMuBelowOneKeV = 3;
constexpr int32_t kMuInitialise = 20;

// Normal mode (ierr other than 20 on entry): the photoelectric, incoherent,
// coherent and total cross sections of atomic number izel at e keV, and the
// status in ierr.  Initialisation mode (ierr = 20): fills kjump and ljump of
// ELEMENT_DATA and leaves everything else alone.
void mu(float e, int32_t izel, int32_t& ierr, float& xpe, float& xinc, float& xcoh, float& xtot);

// ln E of e keV as the scattering fits take it (e of 1 keV as about ln 1.01).
float scattering_log_energy(float e);

// mu in normal mode, with x = scattering_log_energy(e) given: a mixture
// takes the logarithm once for all its elements.
void mu_at_log_energy(float e, float x, int32_t izel, int32_t& ierr, float& xpe, float& xinc,
                      float& xcoh, float& xtot);

// The photoelectric cross section of atomic number izel at e keV from its
// segments, unrounded.  iside is a truth value (0 false, -1 true; its lowest
// bit counts): true takes the segment below an edge when e lies less than
// 0.02 keV above the start of a segment.
double PHOTOELECTRIC(float e, int32_t izel, int32_t iside);

}  // namespace zelpra
