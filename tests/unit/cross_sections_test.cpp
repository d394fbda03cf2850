// Element cross sections: mu in its normal and initialisation modes, and the
// photoelectric segments.  The expected values were worked out by hand in
// single precision (each stored value rounded to 32 bits, the arithmetic of a
// step in double), independently of this code.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <utility>

#include "cross_sections.h"
#include "element_data.h"

namespace zelpra {
namespace {

using Segment = std::array<float, 5>;

// A small block: rows 1, 26, 83, 84 (thorium) and 85 (uranium), with
// segments for the same atomic numbers, and decoy segments at atomic numbers
// 84 and 85 that a mix-up of rows and atomic numbers would pick up.
class MuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ElementData& d = ELEMENT_DATA;
    d = ElementData{};
    row(1, 1.0079f, {-0.3f, 0.2f, -0.05f, 0.001f}, {-3.0f, 0.4f, -0.3f, 0.02f});
    row(26, 55.847f, {-1.2f, 0.9f, -0.11f, 0.004f}, {-0.5f, 0.3f, -0.2f, 0.012f});
    row(83, 208.98f, {0.7f, 1.0f, -0.15f, 0.006f}, {1.4f, 0.2f, -0.21f, 0.012f});
    row(84, 232.04f, {0.8f, 1.1f, -0.15f, 0.006f}, {1.5f, 0.2f, -0.22f, 0.013f});
    row(85, 238.03f, {0.85f, 1.05f, -0.14f, 0.0055f}, {1.6f, 0.25f, -0.23f, 0.0135f});
    segments(1, {{1.0f, 0.0f, 0.0f, 7.0f, 0.0f}});
    segments(26, {{1.0f, 2.5f, 400.0f, 9000.0f, -1500.0f},
                  {7.112f, 10.0f, -300.0f, 60000.0f, 25000.0f},
                  {20.0f, 0.5f, 150.0f, 40000.0f, 1000.0f}});
    segments(83, {{1.0f, 4.0f, 650.0f, 85000.0f, 7000.0f}});
    segments(90, {{1.0f, 5.0f, 700.0f, 90000.0f, 8000.0f}});
    segments(92, {{1.0f, 6.0f, 800.0f, 95000.0f, 9000.0f}});
    segments(84, {{1.0f, 1.0e6f, 1.0e6f, 1.0e6f, 1.0e6f}});
    segments(85, {{1.0f, 1.0e6f, 1.0e6f, 1.0e6f, 1.0e6f}});
  }

  static void row(int r, float weight, std::array<float, 4> sinc, std::array<float, 4> scoh) {
    ELEMENT_DATA.wghts[r - 1] = weight;
    ELEMENT_DATA.sinc[r - 1] = sinc;
    ELEMENT_DATA.scoh[r - 1] = scoh;
  }

  static void segments(int z, std::initializer_list<Segment> segs) {
    ELEMENT_DATA.npe[z - 1] = static_cast<int32_t>(segs.size());
    int j = 0;
    for (const Segment& s : segs) ELEMENT_DATA.pe[z - 1][j++] = s;
  }
};

struct MuCase {
  float e;
  int32_t izel;
  float xpe, xinc, xcoh, xtot;
};

TEST_F(MuTest, CrossSectionsFromTheFitsAndSegments) {
  const MuCase cases[] = {
      {10.0f, 26, 60.5f, 0.015120076f, 0.00523290318f, 60.5203514f},         // segment 2
      {150.0f, 26, 0.0218538269f, 0.0308498293f, 0.000877711864f, 0.0535813682f},  // last
      {7.112f, 26, 172.039017f, 0.0128139388f, 0.00597444316f, 172.0578f},   // at a bound
      {7.111f, 26, 32.7047386f, 0.0128130112f, 0.00597473374f, 32.723526f},  // just below it
      // Fits at ln 1.01 by the constant, photoelectric at 1 keV itself.
      {1.0f, 26, 7902.5f, 0.00327729294f, 0.00656031584f, 7902.50977f},
      // Thorium and uranium: fits of rows 84 and 85, segments of 90 and 92.
      {50.0f, 90, 1.10127997f, 0.0615981743f, 0.00191099069f, 1.1647892f},
      {50.0f, 92, 1.20143998f, 0.0587122291f, 0.00221362454f, 1.26236582f},
      {20.0f, 1, 0.000875000027f, 0.528546631f, 0.0114328191f, 0.540854454f},
      {20.0f, 83, 12.4937496f, 0.0354928374f, 0.00446196785f, 12.5337048f},
  };
  for (const MuCase& c : cases) {
    int32_t ierr = 10;
    float xpe = -1, xinc = -1, xcoh = -1, xtot = -1;
    mu(c.e, c.izel, ierr, xpe, xinc, xcoh, xtot);
    SCOPED_TRACE(::testing::Message() << "e " << c.e << " Z " << c.izel);
    EXPECT_EQ(ierr, 10);
    EXPECT_EQ(xpe, c.xpe);
    EXPECT_EQ(xinc, c.xinc);
    EXPECT_EQ(xcoh, c.xcoh);
    EXPECT_EQ(xtot, c.xtot);
  }
}

TEST_F(MuTest, StatusesInTheOrderOfTheTests) {
  const struct {
    float e;
    int32_t izel;
    int32_t status;
  } cases[] = {
      {10.0f, 84, 1}, {10.0f, 85, 1}, {10.0f, 86, 1}, {10.0f, 89, 1}, {10.0f, 91, 1},
      {10.0f, 93, 1}, {10.0f, 100, 1}, {10.0f, 0, 2}, {10.0f, -3, 2},
      {0.5f, 84, 1},  // the atomic number is tested before the energy
      {0.5f, 0, 2},
      {0.5f, 26, 3},
      {0.99999994f, 26, 3},  // the largest float below 1 keV
      {0.0f, 26, 3}, {-5.0f, 1, 3},
  };
  for (const auto& c : cases) {
    int32_t ierr = 10;
    float xpe = 7, xinc = 7, xcoh = 7, xtot = 7;
    mu(c.e, c.izel, ierr, xpe, xinc, xcoh, xtot);
    SCOPED_TRACE(::testing::Message() << "e " << c.e << " Z " << c.izel);
    EXPECT_EQ(ierr, c.status);
    EXPECT_EQ(xpe, 0.0f);
    EXPECT_EQ(xinc, 0.0f);
    EXPECT_EQ(xcoh, 0.0f);
    EXPECT_EQ(xtot, 0.0f);
  }
}

TEST_F(MuTest, AnyStatusOnEntryButTwentySelectsTheNormalMode) {
  for (int32_t entry : {0, 1, 3, 19, 21, -20}) {
    int32_t ierr = entry;
    float xpe = 0, xinc = 0, xcoh = 0, xtot = 0;
    mu(10.0f, 26, ierr, xpe, xinc, xcoh, xtot);
    EXPECT_EQ(ierr, 10) << entry;
    EXPECT_EQ(xtot, 60.5203514f) << entry;
  }
}

TEST_F(MuTest, NotANumberEnergyPassesWithNotANumberResults) {
  int32_t ierr = 10;
  float xpe = 0, xinc = 0, xcoh = 0, xtot = 0;
  mu(std::numeric_limits<float>::quiet_NaN(), 26, ierr, xpe, xinc, xcoh, xtot);
  EXPECT_EQ(ierr, 10);
  EXPECT_TRUE(std::isnan(xpe));
  EXPECT_TRUE(std::isnan(xinc));
  EXPECT_TRUE(std::isnan(xcoh));
  EXPECT_TRUE(std::isnan(xtot));
}

TEST_F(MuTest, InitialisationModeLeavesItsArgumentsAlone) {
  int32_t ierr = 20;
  float xpe = 1.5f, xinc = 2.5f, xcoh = 3.5f, xtot = 4.5f;
  mu(10.0f, 26, ierr, xpe, xinc, xcoh, xtot);
  EXPECT_EQ(ierr, 20);
  EXPECT_EQ(xpe, 1.5f);
  EXPECT_EQ(xinc, 2.5f);
  EXPECT_EQ(xcoh, 3.5f);
  EXPECT_EQ(xtot, 4.5f);
}

struct EdgeCase {
  float e;
  bool iside;
  double expected;
};

// Atomic number 26: segments from 1.0, 7.112 and 20.0 keV.
TEST_F(MuTest, PhotoelectricSegmentAndEdgeSide) {
  const EdgeCase cases[] = {
      {1.0f, true, 7902.5},  // segment 1 never steps down
      {7.1f, false, 32.84268386181702},
      {7.1f, true, 32.84268386181702},
      {7.112f, false, 172.03900930720758},  // a bound belongs to its segment
      {7.112f, true, 32.69223740111591},    // ... but on the edge side to the one below
      {7.131f, false, 170.6334273911653},
      {7.131f, true, 32.45598856333054},    // 0.019 above
      // 7.132f - 7.112f is 0.01999998 in float, below 0.02f: still the edge side.
      {7.132f, true, 32.443621320022736},
      {20.0f, true, 7.40625},
      {20.019f, true, 7.385272620634345},
      {20.02f, false, 5.390480800718981},
      {20.02f, true, 5.390480800718981},  // 20.02f - 20 is above 0.02f
      {150.0f, true, 0.021853827160493826},  // above every bound: the last segment
  };
  for (const EdgeCase& c : cases) {
    EXPECT_EQ(PHOTOELECTRIC(c.e, 26, c.iside ? -1 : 0), c.expected)
        << "e " << c.e << " iside " << c.iside;
  }
  // The width is the float nearest 0.02: an energy exactly that far above a
  // bound (0.05125f - 0.03125 is 0.02f exactly) is off the edge, one float
  // below it is on the edge.
  segments(3, {{0.001f, 1, 2, 3, 4}, {0.03125f, 5, 6, 7, 8}});
  EXPECT_EQ(PHOTOELECTRIC(0.05125f, 3, -1), 1214000.3497427772);
  EXPECT_EQ(PHOTOELECTRIC(std::nextafter(0.05125f, 0.0f), 3, -1), 602875.9566263341);
  // Only the lowest bit of the flag counts.
  EXPECT_EQ(PHOTOELECTRIC(7.112f, 26, 1), 32.69223740111591);
  EXPECT_EQ(PHOTOELECTRIC(7.112f, 26, 2), 172.03900930720758);
}

TEST_F(MuTest, PhotoelectricWithNoApplicableSegmentIsZero) {
  EXPECT_EQ(PHOTOELECTRIC(0.5f, 26, 0), 0.0);   // below the first bound
  EXPECT_EQ(PHOTOELECTRIC(0.5f, 26, -1), 0.0);
  EXPECT_EQ(PHOTOELECTRIC(50.0f, 2, 0), 0.0);   // no segments
  ELEMENT_DATA.npe[1] = -4;
  EXPECT_EQ(PHOTOELECTRIC(50.0f, 2, 0), 0.0);
  // An element whose first segment starts above 1 keV: mu still succeeds.
  ELEMENT_DATA.pe[0][0][0] = 2.0f;
  int32_t ierr = 10;
  float xpe = -1, xinc = 0, xcoh = 0, xtot = 0;
  mu(1.5f, 1, ierr, xpe, xinc, xcoh, xtot);
  EXPECT_EQ(ierr, 10);
  EXPECT_EQ(xpe, 0.0f);
  EXPECT_EQ(xtot, static_cast<float>(static_cast<double>(xinc) + xcoh));
}

// The edge ratios of a few rows.  Rows not set up have no segments and get 0.
TEST(MuInitialisation, EdgeRatios) {
  ElementData& d = ELEMENT_DATA;
  d = ElementData{};
  auto set = [&d](int r, int z, float ek, float el1, float el3, std::initializer_list<Segment> segs) {
    d.ek[r - 1] = ek;
    d.el1[r - 1] = el1;
    d.el3[r - 1] = el3;
    d.npe[z - 1] = static_cast<int32_t>(segs.size());
    int j = 0;
    for (const Segment& s : segs) d.pe[z - 1][j++] = s;
  };
  // Below atomic number 11: no K ratio.
  set(5, 5, 0.188f, 0.0f, 0.0f, {{0.1f, 1, 10, 100, 1}, {0.188f, 2, 40, 600, 5}});
  // 11 to 29: the K ratio, but no L ratio although both L edges are there.
  set(20, 20, 4.038f, 0.4378f, 0.3463f, {{0.1f, 1, 50, 2000, 10}, {4.038f, 3, 200, 15000, 80}});
  // A K segment starting 0.01 below the edge; L1 and L3 at segment bounds.
  set(40, 40, 17.998f, 2.532f, 2.223f,
      {{0.1f, 1.5f, 60, 3000, 20}, {2.223f, 2.5f, 90, 5000, 30}, {2.532f, 3.5f, 120, 7000, 40},
       {17.988f, 9, 500, 40000, 300}});
  // No L1 edge (0.01 is none): the L ratio is divided by 1.
  set(41, 41, 18.986f, 0.01f, 2.371f,
      {{0.1f, 1.6f, 61, 3100, 21}, {2.371f, 2.6f, 91, 5100, 31}, {18.986f, 9.5f, 510, 41000, 310}});
  // No L3 edge: L ratio 0.  The K segment starts 0.03 below the edge, so
  // both sides of the edge use it: ratio 1.
  set(42, 42, 20.0f, 2.866f, 0.01f,
      {{0.1f, 1.7f, 62, 3200, 22}, {2.866f, 2.7f, 92, 5200, 32}, {19.97f, 9.7f, 520, 42000, 320}});
  // Edges below the first segment: zero divisors give 0.
  set(43, 43, 0.05f, 0.05f, 2.0f, {{0.1f, 1.8f, 63, 3300, 23}});
  // Row 84 is thorium: the segments of atomic number 90.
  set(84, 90, 109.65f, 20.472f, 16.3f,
      {{1.0f, 5, 700, 90000, 8000}, {16.3f, 6, 900, 95000, 9000}, {20.472f, 7, 1000, 99000, 9900},
       {109.65f, 20, 3000, 300000, 30000}});
  d.npe[83] = 1;  // decoy at atomic number 84
  d.pe[83][0] = {1.0f, 1e6f, 1e6f, 1e6f, 1e6f};

  int32_t ierr = 20;
  float scratch[4] = {};
  mu(10.0f, 10, ierr, scratch[0], scratch[1], scratch[2], scratch[3]);

  const struct {
    int row;
    float kjump, ljump;
  } expected[] = {
      {5, 0.0f, 0.0f},
      {20, 0.139873758f, 0.0f},
      {40, 0.198257804f, 0.633921325f},
      {41, 0.143496931f, 244.767365f},
      {42, 1.0f, 0.0f},
      {43, 0.0f, 0.0f},
      {84, 0.336790651f, 1.66420472f},
      {1, 0.0f, 0.0f},
      {60, 0.0f, 0.0f},
  };
  for (const auto& c : expected) {
    EXPECT_EQ(d.kjump[c.row - 1], c.kjump) << "row " << c.row;
    EXPECT_EQ(d.ljump[c.row - 1], c.ljump) << "row " << c.row;
  }
}

TEST(ElementRow, AtomicNumbersToRows) {
  const std::pair<int32_t, int> cases[] = {{1, 1},  {83, 83}, {90, 84}, {92, 85}, {84, 0},
                                           {85, 0}, {89, 0},  {91, 0},  {93, 0},  {0, 0},
                                           {-1, 0}};
  for (const auto& [z, r] : cases) EXPECT_EQ(element_row(z), r) << z;
  EXPECT_EQ(row_atomic_number(84), 90);
  EXPECT_EQ(row_atomic_number(85), 92);
  for (int r = 1; r <= kElementRows; ++r) EXPECT_EQ(element_row(row_atomic_number(r)), r) << r;
}

}  // namespace
}  // namespace zelpra
