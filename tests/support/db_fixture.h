// A synthetic interaction database for tests: the 17 files of _database,
// written in their exact layouts from tables that a test can change.
//
// Usage:
//   zelpra::test::DbFixture db;          // every table filled with defaults
//   db.data.wghts[0] = 1.25f;            // change any value before writing
//   db.overrides["air"] = std::nullopt;  // leave one file out
//   db.overrides["v"] = "short\n";       // or give it any text of its own
//   db.write(dir);                       // creates dir/_database/<17 files>
//
// The files, in reading order (DbFixture::file_names()):
//   names wghts sinc scoh ek el1 el3 em1 xl xk wk wl inscat v   fixed columns
//   kshell_data photoe.data air                                  free form
//
// Fixed-column values go in 13-column fields (E13.5 position).  Each value is
// written with the fewest digits that read back as the same 32-bit real, with
// a decimal point, in fixed or exponent form (the exponent may be a sign and
// digits alone, "-.11754944-37").  Every value of up to 8 significant digits,
// and every value that is not negative, fits, so it reads back exactly; only
// a negative value that needs 9 digits is written rounded to 8 (e13() shows
// the text used).
// Free-form reals are written with 9 significant digits, so they read back
// exactly.
//
// The defaults (see the constructor) are smooth and finite everywhere:
//   names[r]   "ELEMENT <Z>", padded to 16
//   wghts[r]   2 Z + 0.5
//   sinc[r]    {-1.5 + 0.05 r, 0.75, -0.125, 0.0078125}   (r = row 1..85)
//   scoh[r]    {-2 + 0.06 r, 0.5, -0.25, 0.015625}
//   ek[r]      0.0102 (Z - 1)^2 keV, 0.0136 for Z = 1, to 4 digits
//   el1[r]     0.0026 (Z - 3.5)^2 keV to 4 digits for Z >= 11, else 0 (no edge)
//   el3[r]     0.0021 (Z - 3.5)^2 keV to 4 digits for Z >= 11, else 0 (no edge)
//   em1, xl, xk, wk, wl, inscat, v: simple positive values
//   kshell_z   {6, 13, 29, 74}; ksha/kshb of those Z: {Z, 2Z, 3Z, 4Z} / 100
//              and {1, 2, 3, 4} / Z (to 6 digits); all other entries zero
//   npe/pe     every atomic number 1..100 (ek by the formula above):
//              Z < 11: one segment from 1.0 keV;
//              Z >= 11: two, from 1.0 keV and from ek(Z).
//              Segment 1: {1.0, 0.01 Z, 0.1 Z, 0.002 Z^3, 0.0001 Z^4}
//              segment 2: the same coefficients times 6 (to 6 digits).
//   photoe_first[Z-1] = Z (the first integer of each count line)
//   air_header eight lines of free text; airle[i] = -3 + 2.3 i / 37 (i =
//              0..37, to 4 decimals), airlm[i] = 3.5 - 1.7 (airle[i] + 3)
//              (to 4 decimals)
// kjump and ljump of `data` are not written anywhere.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "element_data.h"

namespace zelpra::test {

struct DbFixture {
  DbFixture();  // fills every table with the defaults above

  // The tables that the files are written from.
  ElementData data;
  // The atomic numbers of the four kshell_data records, in file order; the
  // values of record i are data.ksha[Z-1] and data.kshb[Z-1].  A Z outside
  // 1..74 is written as given, with zeros for its eight values.
  std::array<int32_t, 4> kshell_z{};
  // The first integer of each photoe.data count line (read and not used).
  std::array<int32_t, kPhotoElements> photoe_first{};
  // The eight lines at the head of air, skipped by the reader.
  std::array<std::string, 8> air_header;

  // Per file name ("names", ..., "air"): a text written in place of the
  // generated one, or std::nullopt to leave the file out.
  std::map<std::string, std::optional<std::string>> overrides;

  // The 17 file names, in reading order.
  static const std::array<std::string, 17>& file_names();

  // The generated text of one file from the tables, overrides not applied.
  std::string file_text(const std::string& name) const;

  // Creates <datadir>/_database (and datadir itself) and writes the 17
  // files: the override where there is one, else the generated text.
  void write(const std::string& datadir) const;

  // The 13 columns used for one fixed-column value.
  static std::string e13(float value);
};

}  // namespace zelpra::test
