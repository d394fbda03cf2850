// Interpolation in a table of ascending abscissae.
//
// Bisection finds the lower bracketing point; a tabulated abscissa met on the
// way returns its ordinate at once.  The window of ndeg+1 points begins nback
// points below the bracketing point, shifted inwards at either end of the
// table (so the same polynomial extrapolates below x[0] and above x[n-1]).
// The polynomial is evaluated with Neville's algorithm in its correction
// form: the columns C and D of the tableau are updated in place, starting
// from the window point nearest to xp.  The tableau is local to the call (on the
// stack for the usual few points) and holds one value per window point in
// each column.
//
// Precision: the steps run in double precision on 32-bit operands; the
// distances ho and hp, the difference w, the divisor den, the corrections in
// C and D and the running result r are stored as 32-bit reals, while the
// quotient q stays in double.  The nearest point is chosen on the distances
// in double precision.

#include "interp.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "text/list_output.h"
#include "text/run_end.h"

namespace zelpra {

namespace {

float round32(double v) { return static_cast<float>(v); }

}  // namespace

float INTERP(const float* x, const float* y, int32_t n, float xp, int32_t nback, int32_t ndeg) {
  if (n > kInterpMaxPoints) refuse(list_text_line(" ERROR in INTERP: N > 10000"));

  // A table of one point, or none, gives its first ordinate.
  if (n <= 1) return y[0];

  // Bisection, 1-based: x(k) is x[k-1].
  auto X = [x](int32_t k) { return x[k - 1]; };
  auto Y = [y](int32_t k) { return y[k - 1]; };
  int32_t lo = 1;
  int32_t hi = n;
  int32_t mid = n / 2;
  int32_t found = 0;
  bool bracketed = false;
  for (int32_t pass = 0; pass < n; ++pass) {
    if (xp == X(mid)) return Y(mid);
    if (xp < X(mid)) {
      hi = mid;
    } else {
      lo = mid;
    }
    if (hi - lo == 1) {
      if (xp == X(hi)) return Y(hi);
      if (xp == X(lo)) return Y(lo);
      found = lo;
      bracketed = true;
      break;
    }
    mid = (lo + hi) / 2;
  }
  // Only below x(1) in a table of two or three points do the passes run out,
  // with lo = hi = mid = 1.
  if (!bracketed) found = mid;

  // The window start..end, shifted inwards at the ends of the table.
  int32_t start = found - nback;
  int32_t end = start + ndeg;
  if (start <= 0) {
    start = 1;
    end = ndeg + 1 < n ? ndeg + 1 : n;
  } else if (end > n) {
    end = n;
    start = n - ndeg > 0 ? n - ndeg : 1;
  }
  const int32_t npts = end - start + 1;
  const float* WX = x + (start - 1);  // window position k is WX[k-1]
  const float* WY = y + (start - 1);

  // The columns C and D of the tableau: index k-1 holds window position k.
  // The usual window of a few points keeps them on the stack.
  const std::size_t columns = static_cast<std::size_t>(std::max<int32_t>(npts, 0));
  constexpr std::size_t kStackColumns = 16;
  float c_stack[kStackColumns] = {};
  float d_stack[kStackColumns] = {};
  std::vector<float> c_heap;
  std::vector<float> d_heap;
  float* C = c_stack;
  float* D = d_stack;
  if (columns > kStackColumns) {
    c_heap.resize(columns);
    d_heap.resize(columns);
    C = c_heap.data();
    D = d_heap.data();
  }

  // The window point nearest to xp (the first of equally near points), and
  // the first column of the tableau.
  int32_t ns = 1;
  double dif = std::fabs(static_cast<double>(xp) - WX[0]);
  for (int32_t k = 1; k <= npts; ++k) {
    const double dift = std::fabs(static_cast<double>(xp) - WX[k - 1]);
    if (dift < dif) {
      ns = k;
      dif = dift;
    }
    C[k - 1] = WY[k - 1];
    D[k - 1] = WY[k - 1];
  }

  float r = WY[ns - 1];
  ns = ns - 1;
  for (int32_t m = 1; m <= npts - 1; ++m) {
    for (int32_t i = 1; i <= npts - m; ++i) {
      const float ho = round32(static_cast<double>(WX[i - 1]) - xp);
      const float hp = round32(static_cast<double>(WX[i + m - 1]) - xp);
      const float w = round32(static_cast<double>(C[i]) - D[i - 1]);
      const float den = round32(static_cast<double>(ho) - hp);
      if (den == 0.0f) {
        refuse(ListLine()
                   .text(" ERROR in INTERP:  x(")
                   .integer(i)
                   .text(") = x(")
                   .integer(i + m)
                   .text(")")
                   .str());
      }
      const double q = static_cast<double>(w) / den;
      D[i - 1] = round32(hp * q);
      C[i - 1] = round32(ho * q);
    }
    float dy;
    if (2 * ns < npts - m) {
      dy = C[ns];  // C(ns+1)
    } else {
      dy = D[ns - 1];  // D(ns)
      ns = ns - 1;
    }
    r = round32(static_cast<double>(r) + dy);
  }
  return r;
}

}  // namespace zelpra
