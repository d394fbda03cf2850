// Physical constants and unit factors, each stored as the nearest 32-bit real
// of the decimal value that the tools have always used.
//
// Two values of ergs per keV and two exposure divisors stand side by side on
// purpose.  They are not copies of one number to be made equal: each one is
// part of the results that its tools print (quiset's bin values, atlune's and
// dosix's photon conversion, torvane's exposure and half-value layer), and
// changing any of them to match another changes printed digits.
#pragma once

namespace zelpra {

// Ergs per keV to four significant digits: quiset's photons-to-ergs factor,
// atlune's ergs-to-photons divisor and dosix's photon energy.
constexpr float kErgPerKeV4Digits = 1.602e-9f;

// Ergs per keV to six significant digits: torvane's photon energy.
constexpr float kErgPerKeV6Digits = 1.60219e-9f;

// Ergs absorbed per gram of air per milliroentgen, as dosix divides its
// energy sum by it.
constexpr float kDosixErgPerGramPerMilliroentgen = 0.0869f;

// Ergs absorbed per gram of air per milliroentgen, as torvane divides its
// exposure sums by it.
constexpr float kTorvaneErgPerGramPerMilliroentgen = 0.087643f;

// Avogadro's number times 1E-24 cm2 per barn: barns per atom to cm2 per mole.
constexpr float kAvogadroBarn = 0.60226f;

// ln 2: the half-value layer is ln 2 over the linear attenuation coefficient.
constexpr float kLn2 = 0.6931472f;

constexpr float kKeVPerMeV = 1000.0f;

}  // namespace zelpra
