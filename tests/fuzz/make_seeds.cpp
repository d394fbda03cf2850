// Writes the seed corpora of the fuzz targets into <dir>/<target>/: spectra,
// material and detector files and answers like those of the tests, the
// 17 files of the synthetic test database, and free-form and fixed-column
// samples of every rule the readers follow.
//
//   fuzz_make_seeds tests/fuzz/corpus
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz_entries.h"

namespace {

namespace fs = std::filesystem;

void put(const fs::path& dir, const std::string& name, const std::string& content) {
  fs::create_directories(dir);
  std::ofstream f(dir / name, std::ios::binary | std::ios::trunc);
  f.write(content.data(), static_cast<std::streamsize>(content.size()));
}

// Program steps of the list_input target (see fuzz_entries.cpp): byte % 8
// is the step, (byte / 8) % 6 the text length of a text step.
char integer() { return 0; }
char real() { return 1; }
char text(int length_index, bool preset = false) {
  return static_cast<char>(length_index * 8 + (preset ? 3 : 2));
}
char end() { return 4; }
char skip() { return 6; }

std::string program(std::initializer_list<char> steps) { return std::string(steps) + "\n"; }

struct Bin {
  double e;
  double phi;
};

std::string spectrum(int iu1, int iu2, double de, double dist, const std::vector<Bin>& bins,
                     const std::vector<std::pair<std::string, double>>& history) {
  char buf[128];
  std::string s = "# kaltrovin: 80   2.500  1    1.50\n";
  std::snprintf(buf, sizeof buf, "#   %3d  %7.4f  %10.4f\n", static_cast<int>(bins.size()), de, dist);
  s += buf;
  std::snprintf(buf, sizeof buf, "#    %d   %d  (unit flags)\n", iu1, iu2);
  s += buf;
  s += "#  Energy      #/mAs-cm^2-keV\n";
  for (const Bin& b : bins) {
    std::snprintf(buf, sizeof buf, "  %7.3f     %13.4E\n", b.e, b.phi);
    s += buf;
  }
  s += "#  Attenuation History:\n";
  std::snprintf(buf, sizeof buf, "# %2d\n", static_cast<int>(history.size()));
  s += buf;
  for (const auto& [name, value] : history) {
    std::snprintf(buf, sizeof buf, "# %-20.20s%13.4E\n", name.c_str(), value);
    s += buf;
  }
  return s;
}

std::string field_seed(int d, bool scale, int first, int width, float written, const std::string& line) {
  std::string s;
  s += static_cast<char>(d + (scale ? 10 : 0));
  s += static_cast<char>(first - 1);
  s += static_cast<char>(width);
  char bytes[4];
  std::memcpy(bytes, &written, 4);
  s.append(bytes, 4);
  return s + line;
}

std::string detector_file(double emin, double emax, double step) {
  std::string s = "'Test detector, flat'\n";
  char buf[128];
  std::snprintf(buf, sizeof buf, "FLAT01 %.1f %.1f %.1f\n", emin, emax, step);
  s += buf;
  s += "  energy  response  other\n";
  int n = static_cast<int>((emax - emin) / step + 1.0);
  for (int i = 0; i < n; ++i) {
    double e = emin + step * i;
    std::snprintf(buf, sizeof buf, "%8.3f %10.6f %10.6f\n", e, 0.5 + 0.002 * e, 1.0);
    s += buf;
  }
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus dir>\n", argv[0]);
    return 2;
  }
  const fs::path root = argv[1];

  // Free-form reads.
  const fs::path li = root / "list_input";
  put(li, "int_real_text", program({integer(), real(), text(4)}) + "12, 3.5, 'it''s'\n");
  put(li, "slash", program({integer(), integer(), integer(), integer()}) + "1 2 / 4\n");
  put(li, "nulls", program({integer(), real(), text(1, true)}) + ", ,5\n");
  put(li, "repeat_nulls", program({integer(), integer(), integer(), real()}) + "3* 2.5\n");
  put(li, "repeat_values", program({integer(), integer(), text(4), text(4)}) + "2*7 2*'ab'\n");
  put(li, "empty_lines", program({integer(), end(), real()}) + "\n\n  42  remark\n\t-1.25E+2\n");
  put(li, "continued_text", program({text(4), integer()}) + "'multi\nline' 1\n");
  put(li, "real_forms",
      program({real(), real(), real(), real(), real()}) + "1.0+05 1.5D-3 -.5e2 7 3.4028235E+38\n");
  put(li, "double_quotes", program({text(2), integer(), integer()}) + "\"dq\"\"x\" ,, 7/\n");
  put(li, "undelimited", program({text(4), text(1), real()}) + "water,CsI 2.0\n");
  put(li, "skip_lines", program({skip(), skip(), integer()}) + "caption\nheading\n  9\n");
  put(li, "crlf", program({integer(), end(), text(3)}) + "5\r\nname\r\n");
  put(li, "long_text", program({text(5)}) + "'" + std::string(2049, 'x') + "'\n");
  put(li, "bad_values", program({integer(), end(), integer(), end(), real()}) + "1.5\n1e3\nNaN\n");
  put(li, "eof_in_text", program({text(4)}) + "'never closed\n");

  // Fixed-column fields.
  const fs::path ff = root / "fixed_field";
  put(ff, "ebin", field_seed(3, false, 3, 7, 10.25f, "   10.250      2.5000E+05"));
  put(ff, "phi_1p", field_seed(4, true, 15, 13, 2.5e5f, "   10.250      2.5000E+05"));
  put(ff, "no_point", field_seed(3, false, 18, 6, 1.5f, "# kaltrovin: 12    1500  3    1025"));
  put(ff, "int_field", field_seed(0, false, 5, 3, 0.0f, "#   300   0.5000    100.0000"));
  put(ff, "signed_exponent", field_seed(5, false, 1, 13, -1.0e-3f, "  1.0+05     "));
  put(ff, "d_exponent", field_seed(5, false, 1, 13, 9.99e37f, " -3.25D-02   "));
  put(ff, "blanks_inside", field_seed(2, false, 1, 10, 0.0f, " 1 2. 5 E 1"));
  put(ff, "asterisks", field_seed(4, true, 1, 13, 1.0e30f, "*************"));
  put(ff, "mantissa_only_sign", field_seed(4, false, 1, 6, 0.1f, "  +   "));
  put(ff, "exponent_no_digits", field_seed(4, false, 1, 6, 0.1f, " 1.0E "));
  put(ff, "huge", field_seed(0, false, 1, 23, 3.4028235e38f, "9999999999999999999999E99"));
  put(ff, "tiny", field_seed(0, false, 1, 23, 1.0e-45f, "1E-46"));

  // spectra.tmp.
  const fs::path sp = root / "spectrum";
  put(sp, "photons_cm2", spectrum(1, 2, 0.5, 100.0, {{10.25, 2.5e5}, {20.0, 3.1e5}, {30.0, 1.2e4}},
                                  {{"Aluminium", 0.25}}));
  put(sp, "ergs_sr", spectrum(2, 1, 1.0, 0.0, {{15.0, 8.01e-2}, {16.0, 7.5e-2}},
                              {{"Aluminium", 0.25}, {"Copper", 0.01}}));
  put(sp, "no_bins", spectrum(1, 2, 0.5, 100.0, {}, {}));
  put(sp, "odd_flags", spectrum(3, 0, 0.5, 50.0, {{50.0, 1.0e6}}, {{"Water", 2.0}}));
  {
    std::string s = spectrum(1, 2, 0.5, 100.0, {{10.25, 2.5e5}, {20.0, 3.1e5}}, {{"Al", 0.25}});
    put(sp, "truncated", s.substr(0, s.find("   20.000")));
    std::string crlf;
    for (char c : s) {
      if (c == '\n') crlf += '\r';
      crlf += c;
    }
    put(sp, "crlf", crlf);
    std::string stars = s;
    stars.replace(stars.find("   3.1000E+05"), 13, "*************");
    put(sp, "asterisks", stars);
  }
  put(sp, "too_many_bins", "# kaltrovin: 80   2.500  1    1.50\n#   301   0.5000    100.0000\n");

  // Material files: the answer, a NUL byte, the file.
  const std::string nul(1, '\0');
  const fs::path ma = root / "material";
  put(ma, "water_atoms", "m\n" + nul + "2\n1 8\n2.0 1.0\n1.0\n");
  put(ma, "weights", "'m'\n" + nul + "3   remark\n6 7 8\n0.5, 0.3, 0.2\n1.2\n");
  put(ma, "one_element", "m\n" + nul + "1\n29\n0.5\n8.96\n");
  put(ma, "wtot_warning", "m\n" + nul + "2\n13 29\n0.5 0.48\n2.7\n");
  put(ma, "thorium_uranium", "m\n" + nul + "2\n90 92\n0.5 0.5\n11.0\n");
  put(ma, "untabulated", "m\n" + nul + "1\n84\n1.0\n9.3\n");
  put(ma, "nz_zero", "m\n" + nul + "0\n");
  put(ma, "missing", "absent\n" + nul + "1\n1\n1.0\n1.0\n");
  put(ma, "short", "m\n" + nul + "3\n1 6\n");
  put(ma, "no_answer", "");

  // Detector files.
  const fs::path de = root / "detector";
  put(de, "flat_15", "d\n" + nul + detector_file(10.0, 150.0, 10.0));
  put(de, "quoted_name", "'d'\n" + nul + detector_file(1.0, 20.0, 1.0));
  put(de, "reversed", "d\n" + nul + "title\nREV 150.0 10.0 10.0\ncaption\n");
  put(de, "zero_step", "d\n" + nul + "title\nZ 10.0 150.0 0.0\ncaption\n");
  put(de, "short", "d\n" + nul + "title\nS 10.0 150.0 10.0\ncaption\n10.0 0.5 1.0\n");
  put(de, "equal_abscissae", "d\n" + nul + "t\nE 1 5 1\nc\n1 1 1\n1 2 1\n1 3 1\n1 4 1\n1 5 1\n");
  put(de, "missing", "nothere\n" + nul);

  // The database, one file at a time.
  const fs::path db = root / "database";
  const auto& names = zelpra::fuzz::database_file_names();
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string text = zelpra::fuzz::database_file_text(names[i]);
    put(db, names[i], std::string(1, static_cast<char>(i)) + text);
    put(db, names[i] + ".half", std::string(1, static_cast<char>(i)) + text.substr(0, text.size() / 2));
  }
  return 0;
}
