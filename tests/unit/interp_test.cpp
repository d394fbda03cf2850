// INTERP: bisection, the five-point window and Neville's tableau with its
// 32-bit stores.  Reference values were worked out with a separate
// float-by-float model of the routine and checked against the exact
// Lagrange polynomial through the same window.

#include "interp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "text/run_end.h"

namespace zelpra {
namespace {

// x = 1..10, y = 1/k as 32-bit reals.
struct TableA {
  float x[10];
  float y[10];
  TableA() {
    for (int k = 0; k < 10; ++k) {
      x[k] = static_cast<float>(k + 1);
      y[k] = static_cast<float>(1.0 / (k + 1));
    }
  }
};

uint32_t bits(float v) {
  uint32_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

#define EXPECT_SAME_FLOAT(expected, actual) \
  EXPECT_EQ(bits(expected), bits(actual)) << "expected " << (expected) << ", got " << (actual)

RunEnd run_end_of(const std::vector<float>& x, const std::vector<float>& y, int32_t n, float xp) {
  try {
    INTERP(x.data(), y.data(), n, xp, 2, 4);
  } catch (const RunEnd& end) {
    return end;
  }
  ADD_FAILURE() << "INTERP returned instead of ending the run";
  return {};
}

TEST(Interp, TabulatedAbscissaReturnsItsOrdinateExactly) {
  TableA t;
  for (int k = 0; k < 10; ++k) {
    SCOPED_TRACE(k);
    EXPECT_SAME_FLOAT(t.y[k], INTERP(t.x, t.y, 10, t.x[k], 2, 4));
  }
}

// A table that is zero but for a single 1 at index j: the result is non-zero
// exactly when point j is in the window, so the window can be read off.
TEST(Interp, WindowIsThreePointsBelowAndTwoAboveShiftedInwardsAtTheEnds) {
  struct Case {
    float xp;
    int first, last;  // 1-based window
  };
  const Case cases[] = {
      {-4.0f, 1, 5}, {0.5f, 1, 5}, {1.5f, 1, 5}, {2.5f, 1, 5}, {3.5f, 1, 5},
      {4.5f, 2, 6},  {5.9f, 3, 7}, {6.1f, 4, 8}, {8.5f, 6, 10}, {9.5f, 6, 10},
      {10.5f, 6, 10}, {40.0f, 6, 10},
  };
  float x[10];
  for (int k = 0; k < 10; ++k) x[k] = static_cast<float>(k + 1);
  for (const Case& c : cases) {
    for (int j = 1; j <= 10; ++j) {
      float y[10] = {};
      y[j - 1] = 1.0f;
      const float r = INTERP(x, y, 10, c.xp, 2, 4);
      const bool in_window = j >= c.first && j <= c.last;
      EXPECT_EQ(in_window, r != 0.0f) << "xp " << c.xp << ", point " << j << ", result " << r;
    }
  }
}

TEST(Interp, PolynomialValuesInsideAndBeyondBothEnds) {
  // y = x^4 is reproduced by the degree-4 window, up to the 32-bit stores.
  float x[10], y[10];
  for (int k = 0; k < 10; ++k) {
    x[k] = static_cast<float>(k + 1);
    y[k] = std::pow(x[k], 4.0f);
  }
  for (float xp : {0.5f, -2.0f, 3.25f, 7.75f, 10.5f, 12.0f}) {
    const double exact = std::pow(static_cast<double>(xp), 4.0);
    EXPECT_NEAR(exact, INTERP(x, y, 10, xp, 2, 4), 1e-5 * std::fabs(exact) + 1e-6) << xp;
  }
}

TEST(Interp, BitExactResults) {
  TableA t;
  struct Case {
    float xp;
    float expected;
  };
  const Case cases[] = {
      {0.5f, 0x1.82p+0f},        // below x(1): points 1..5
      {-3.0f, 0x1.255558p+4f},
      {10.5f, 0x1.8679e4p-4f},   // above x(n): points 6..10
      {13.0f, 0x1.5554e8p-4f},
      {4.25f, 0x1.e27ffep-3f},
      {5.9f, 0x1.5b319cp-3f},
      {6.1f, 0x1.4fc1e8p-3f},
      {4.5f, 0x1.c8p-3f},
      // Midway between window points 3 and 4: the tableau starts at the
      // lower one (starting at the upper one gives 0x1.280002p-2).
      {3.5f, 0x1.28p-2f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.xp);
    EXPECT_SAME_FLOAT(c.expected, INTERP(t.x, t.y, 10, c.xp, 2, 4));
  }
}

TEST(Interp, SmallTablesAreUsedWhole) {
  // Three points: the quadratic through all of them, y = x^2.
  const float x3[] = {1.0f, 2.0f, 4.0f};
  const float y3[] = {1.0f, 4.0f, 16.0f};
  EXPECT_SAME_FLOAT(9.0f, INTERP(x3, y3, 3, 3.0f, 2, 4));
  EXPECT_SAME_FLOAT(25.0f, INTERP(x3, y3, 3, 5.0f, 2, 4));
  EXPECT_SAME_FLOAT(0.25f, INTERP(x3, y3, 3, 0.5f, 2, 4));
  EXPECT_SAME_FLOAT(2.25f, INTERP(x3, y3, 3, 1.5f, 2, 4));

  // Two points: the line; below x(1) the search runs out of passes.
  const float x2[] = {2.0f, 4.0f};
  const float y2[] = {10.0f, 20.0f};
  EXPECT_SAME_FLOAT(5.0f, INTERP(x2, y2, 2, 1.0f, 2, 4));
  EXPECT_SAME_FLOAT(15.0f, INTERP(x2, y2, 2, 3.0f, 2, 4));
  EXPECT_SAME_FLOAT(25.0f, INTERP(x2, y2, 2, 5.0f, 2, 4));
  EXPECT_SAME_FLOAT(20.0f, INTERP(x2, y2, 2, 4.0f, 2, 4));

  // One point, no point or a negative count: the first ordinate, whatever xp.
  const float x1[] = {3.0f};
  const float y1[] = {7.5f};
  for (int32_t n : {1, 0, -1}) {
    for (float xp : {-1.0f, 3.0f, 1e6f}) {
      EXPECT_SAME_FLOAT(7.5f, INTERP(x1, y1, n, xp, 2, 4)) << "n " << n << ", xp " << xp;
    }
  }
}

TEST(Interp, TenThousandPointsAcceptedOneMoreRefused) {
  std::vector<float> x(10001), y(10001);
  for (int k = 0; k < 10001; ++k) {
    x[k] = static_cast<float>((k + 1) * 0.125);
    y[k] = static_cast<float>(std::sqrt((k + 1) * 0.125));
  }
  struct Case {
    float xp;
    float expected;
  };
  const Case cases[] = {
      {0.05f, 0x1.e8e74ep-3f},
      {3.3f, 0x1.d10c0cp+0f},
      {617.4f, 0x1.8d8f82p+4f},
      {1249.97f, 0x1.1ad6dep+5f},
      {1250.5f, 0x1.1ae4b8p+5f},  // beyond the last of the 10000 points
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.xp);
    EXPECT_SAME_FLOAT(c.expected, INTERP(x.data(), y.data(), 10000, c.xp, 2, 4));
  }

  const RunEnd end = run_end_of(x, y, 10001, 5.0f);
  EXPECT_EQ(8, end.status);
  EXPECT_EQ(0, end.io_error);
  EXPECT_EQ("  ERROR in INTERP: N > 10000\n", end.out);
}

TEST(Interp, EqualAbscissaeEndTheRunWithTheirWindowPositions) {
  struct Case {
    std::vector<float> x;
    float xp;
    std::string out;
  };
  const Case cases[] = {
      {{1, 2, 2, 3, 4}, 1.5f,
       "  ERROR in INTERP:  x(           2 ) = x(           3 )\n"},
      // Table points 6 and 7 are positions 4 and 5 of the window 3..7.
      {{1, 2, 3, 4, 5, 6, 6, 8, 9, 10}, 5.5f,
       "  ERROR in INTERP:  x(           4 ) = x(           5 )\n"},
  };
  for (const Case& c : cases) {
    std::vector<float> y(c.x.size(), 1.0f);
    const RunEnd end = run_end_of(c.x, y, static_cast<int32_t>(c.x.size()), c.xp);
    EXPECT_EQ(8, end.status);
    EXPECT_EQ(0, end.io_error);
    EXPECT_EQ(c.out, end.out);
  }
}

}  // namespace
}  // namespace zelpra
