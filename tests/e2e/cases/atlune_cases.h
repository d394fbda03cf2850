// The end-to-end cases of atlune (atlune_cases.cpp): run by the end-to-end
// tests and written as seeds of its fuzz target.
#pragma once

#include <string>
#include <vector>

#include "e2e_case.h"
#include "harness.h"
#include "spectrum_text.h"

namespace zelpra::test {

const std::vector<E2eCase>& atlune_cases();

// What the cases share, for the tests that run atlune themselves.
namespace atlune_e2e {

using Bins = std::vector<SpectrumBin>;

// spectra.tmp in its written layout, with two history entries.
std::string spectrum_file(int flag1, int flag2, const Bins& bins);
// One photon spectrum, the same as energy fluence, and the photons times 1000.
extern const Bins kPhotons;
extern const Bins kErgs;
extern const Bins kScaled;
extern const std::string kPhotonSpectrum;  // kPhotons per cm2
// The data directory: the database, the materials and the detectors.
void write_data(const ScratchDir& dir);

}  // namespace atlune_e2e
}  // namespace zelpra::test
