#include "cross_sections.h"

#include <cmath>

#include "constants.h"
#include "element_data.h"

namespace zelpra {

namespace {

// ln E at 1 keV is taken as about ln 1.01, so that the fits at the lower end
// of the table are evaluated just inside it.
constexpr float kLogAtOneKeV = 0.009950321f;
// An energy this close above the start of a segment counts as on the edge.
constexpr float kEdgeWidth = 0.02f;
// An L edge energy of this or less means the element has none.
constexpr float kNoEdge = 0.01f;

// exp(c1 + c2 x + c3 x^2 + c4 x^3) barns per atom as cm2/g; the running sum
// is stored (rounded to 32 bits) after every term.
float scattering_fit(const std::array<float, 4>& c, float x, float weight) {
  const double xd = x;
  const double power[4] = {1.0, xd, xd * xd, xd * (xd * xd)};
  float s = 0.0f;
  for (int k = 0; k < 4; ++k) s = static_cast<float>(power[k] * c[k] + s);
  return static_cast<float>(std::exp(static_cast<double>(s)) * kAvogadroBarn / weight);
}

// Fills kjump (the ratio of the photoelectric cross sections just below and
// at the K edge) and ljump (the L3 edge against the L1 edge) of every row.
void initialise_edge_ratios() {
  ElementData& d = ELEMENT_DATA;
  for (int r = 1; r <= kElementRows; ++r) {
    const int i = r - 1;
    const int32_t z = row_atomic_number(r);
    const float a = static_cast<float>(PHOTOELECTRIC(d.ek[i], z, 0));
    float b = static_cast<float>(PHOTOELECTRIC(d.ek[i], z, -1));
    const float p = d.el1[i] > kNoEdge ? static_cast<float>(PHOTOELECTRIC(d.el1[i], z, 0)) : 1.0f;
    double q = d.el3[i] > kNoEdge ? PHOTOELECTRIC(d.el3[i], z, -1) : 0.0;
    if (z < 11) b = 0.0f;
    if (z < 30) q = 0.0;
    // Segments that vanish at an edge would divide by zero; the ratio is
    // then taken as 0.
    d.kjump[i] = a == 0.0f ? 0.0f : static_cast<float>(static_cast<double>(b) / a);
    d.ljump[i] = p == 0.0f ? 0.0f : static_cast<float>(q / p);
  }
}

}  // namespace

float scattering_log_energy(float e) {
  return e == 1.0f ? kLogAtOneKeV : static_cast<float>(std::log(static_cast<double>(e)));
}

void mu(float e, int32_t izel, int32_t& ierr, float& xpe, float& xinc, float& xcoh, float& xtot) {
  if (ierr == kMuInitialise) {
    initialise_edge_ratios();
    return;
  }
  mu_at_log_energy(e, scattering_log_energy(e), izel, ierr, xpe, xinc, xcoh, xtot);
}

void mu_at_log_energy(float e, float x, int32_t izel, int32_t& ierr, float& xpe, float& xinc,
                      float& xcoh, float& xtot) {
  xpe = 0.0f;
  xinc = 0.0f;
  xcoh = 0.0f;
  xtot = 0.0f;
  ierr = kMuSuccess;
  // An atomic number of 0 or below is no element; polonium, astatine and
  // the others without an element row are not tabulated.
  const int row = element_row(izel);
  if (row == 0) {
    ierr = izel <= 0 ? kMuBadAtomicNumber : kMuNotTabulated;
    return;
  }
  if (e < 1.0f) {
    ierr = kMuBelowOneKeV;
    return;
  }
  const ElementData& d = ELEMENT_DATA;
  const int i = row - 1;
  xinc = scattering_fit(d.sinc[i], x, d.wghts[i]);
  xcoh = scattering_fit(d.scoh[i], x, d.wghts[i]);
  // The photoelectric segments are by atomic number and take the energy as
  // it is, 1 keV included.
  const double pe = PHOTOELECTRIC(e, izel, 0);
  xpe = static_cast<float>(pe);
  xtot = static_cast<float>((pe + xinc) + xcoh);
}

double PHOTOELECTRIC(float e, int32_t izel, int32_t iside) {
  if (izel < 1 || izel > kPhotoElements) return 0.0;
  const ElementData& d = ELEMENT_DATA;
  const auto& seg = d.pe[izel - 1];
  int n = d.npe[izel - 1];
  if (n > kMaxSegments) n = kMaxSegments;
  // The last segment whose lower bound is at or below e.
  int c = n;
  for (int j = 1; j <= n; ++j) {
    if (e < seg[j - 1][0]) {
      c = j - 1;
      break;
    }
  }
  // On the low side of an edge: just above the start of a segment, take the
  // segment below it.
  if (c > 1 && (iside & 1) != 0 &&
      std::fabs(static_cast<double>(e) - seg[c - 1][0]) < static_cast<double>(kEdgeWidth)) {
    c = c - 1;
  }
  // Below the first segment, or no segments at all: no photoelectric term.
  if (c <= 0) return 0.0;
  const auto& s = seg[c - 1];
  const double ed = e;
  const double e2 = ed * ed;
  const double e3 = ed * e2;
  const double e4 = e2 * e2;
  return ((s[1] / ed + 0.0) + s[2] / e2) + s[3] / e3 + s[4] / e4;
}

}  // namespace zelpra
