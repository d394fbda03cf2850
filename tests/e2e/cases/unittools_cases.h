// The end-to-end cases of quiset, brask, fendo and belmor
// (unittools_cases.cpp): run by the end-to-end tests and written as seeds of
// the tools' fuzz targets.
#pragma once

#include <string>
#include <vector>

#include "e2e_case.h"
#include "spectrum_text.h"

namespace zelpra::test {

// Silent conversions that rewrite spectra.tmp.
const std::vector<E2eCase>& unittool_conversions();
// Refusals and errors, which leave spectra.tmp byte for byte.
const std::vector<E2eCase>& unittool_refusals();
// belmor's integrals.
const std::vector<E2eCase>& unittool_integrals();

// What the cases share, for the tests that run the tools themselves.
namespace unittools_e2e {

using Bins = std::vector<SpectrumBin>;

// The two bins at 50 and 51 keV, and what the tools make of them: in ergs,
// per steradian, at 50 cm, in ergs per steradian.
extern const Bins kBins;
extern const Bins kBinsInErgs;
extern const Bins kBinsPerSr;
extern const Bins kBinsAt50;
extern const Bins kBinsInErgsPerSr;

// At `dist` cm, the flags with the writer's caption, `bins` and two history
// entries.
std::string file(double dist, int flag1, int flag2, const Bins& bins = kBins);
// A photon spectrum per cm2 at 100 cm.
extern const std::string kSpectrum;

// The refusals of quiset and brask for what is already converted.
extern const std::string kInErgs;
extern const std::string kAlreadySr;

}  // namespace unittools_e2e
}  // namespace zelpra::test
