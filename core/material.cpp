// Material files and the mixture coefficient.
//
// A material file holds four free-form groups, each starting on a new line:
// the element count, the atomic numbers, the fractions (weight fractions, or
// atom counts when the first value is 1.0 or more) and the density.  Anything
// after the last value of a group on its line is a remark and is skipped.
#include "material.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "cross_sections.h"
#include "data_dir.h"
#include "element_data.h"
#include "text/fixed_format.h"
#include "text/line_source.h"
#include "text/list_input.h"
#include "text/list_output.h"
#include "text/run_end.h"

namespace zelpra {

Material MATERIAL;

namespace {

// Atomic weight of atomic number z from the element-data block; an atomic
// number with no element row weighs nothing here (mu refuses it later).
double atomic_weight(int32_t z) {
  const int row = element_row(z);
  if (row < 1 || row > kElementRows) return 0.0;
  return ELEMENT_DATA.wghts[row - 1];
}

// Atom counts to weight fractions: fw(i) := fw(i) A(iz(i)) / W with
// W = sum fw(i) A(iz(i)) kept in double precision.
void atom_counts_to_weights(Material& m) {
  double w = 0.0;
  for (int i = 0; i < m.nz; ++i) w = w + static_cast<double>(m.fw[i]) * atomic_weight(m.iz[i]);
  if (w == 0.0) refuse(ListLine().text("ERROR: atom counts give zero weight sum").str());
  for (int i = 0; i < m.nz; ++i) {
    m.fw[i] = static_cast<float>(static_cast<double>(m.fw[i]) * atomic_weight(m.iz[i]) / w);
  }
}

// The four groups of an open material file into MATERIAL.
void read_material_file(LineSource& source) {
  Material& m = MATERIAL;
  m = Material{};
  list_read(source, {ListItem::integer(m.nz)});
  if (m.nz < 1) refuse(ListLine().text("ERROR: nz.lt.1").str());
  if (m.nz > kMaxElements) refuse(ListLine().text("ERROR: nz.gt.10").str());

  std::vector<ListItem> items;
  for (int i = 0; i < m.nz; ++i) items.push_back(ListItem::integer(m.iz[i]));
  list_read(source, items);
  items.clear();
  for (int i = 0; i < m.nz; ++i) items.push_back(ListItem::real(m.fw[i]));
  list_read(source, items);

  if (m.nz == 1) {
    // One element is the whole material, whatever fraction the file gives.
    if (!(m.fw[0] == 1.0f)) {
      m.fw[0] = 1.0f;
      out() << ListLine().text("WARNING: one element fw.ne.1").str();
    }
  } else {
    if (m.fw[0] >= 1.0f) atom_counts_to_weights(m);
    float wtot = 0.0f;
    for (int i = 0; i < m.nz; ++i) wtot = static_cast<float>(static_cast<double>(wtot) + m.fw[i]);
    if (std::fabs(static_cast<double>(wtot) - 1.0) > static_cast<double>(0.001f)) {
      out() << ListLine().text("WARNING: wtot.ne.1.0 -- ").real(wtot).str();
    }
  }

  list_read(source, {ListItem::real(m.rho)});
}

}  // namespace

// READ_MATERIAL: the material name from standard input, then its file from
// <datadir>/_materials into MATERIAL.
void READ_MATERIAL(const std::string& datadir, std::string& matname) {
  read_named_data_file(datadir, "_materials", "ERROR: could not find material file ", matname,
                       read_material_file);
}

// MIXTURE_MU: mass attenuation coefficient (cm2/g) of MATERIAL at e keV, the
// fw-weighted sum of the element totals from mu; mupi the same sum of the
// photoelectric plus incoherent parts.  xinc and xpe keep the last element's
// values.  An element or energy that mu refuses ends the run.
void MIXTURE_MU(float e, float& xinc, float& xpe, float& mutot, float& mupi) {
  const Material& m = MATERIAL;
  mutot = 0.0f;
  mupi = 0.0f;
  const int nz = std::min<int32_t>(m.nz, kMaxElements);
  const float x = scattering_log_energy(e);
  for (int i = 0; i < nz; ++i) {
    int32_t ierr = kMuSuccess;
    float xcoh = 0.0f;
    float xtot = 0.0f;
    mu_at_log_energy(e, x, m.iz[i], ierr, xpe, xinc, xcoh, xtot);
    if (ierr != kMuSuccess) {
      refuse(FixedRecord().lit(" error condition from mu: ierr = ").I(ierr, 2).line());
    }
    mutot = static_cast<float>(static_cast<double>(xtot) * m.fw[i] + mutot);
    mupi = static_cast<float>((static_cast<double>(xpe) + xinc) * m.fw[i] + mupi);
  }
}

}  // namespace zelpra
