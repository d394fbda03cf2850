// Interpolation in a table of ascending abscissae.
#pragma once

#include <cstdint>

namespace zelpra {

constexpr int32_t kInterpMaxPoints = 10000;

// The ordinate at xp of the table (x[k], y[k]), k = 0..n-1: bisection to the
// bracketing interval, then the polynomial of degree ndeg through the window
// of ndeg+1 points that begins nback points below the lower bracketing point
// (shifted inwards at the ends of the table), by Neville's algorithm.
float INTERP(const float* x, const float* y, int32_t n, float xp, int32_t nback, int32_t ndeg);

}  // namespace zelpra
