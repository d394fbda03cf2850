// Writes the seed corpora of the fuzz targets into <dir>/<target>/: spectra,
// material and detector files and answers like those of the tests, edits of
// the synthetic test database and of the example data, free-form and
// fixed-column samples of every rule the readers follow, and for each tool
// the cases of its end-to-end tests (tests/e2e/cases, the very tables the
// tests run), in the input layout of the tool targets (fuzz_entries.h).
//
//   fuzz_make_seeds tests/fuzz/corpus
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "cases/atlune_cases.h"
#include "cases/dosix_cases.h"
#include "cases/torvane_cases.h"
#include "cases/unittools_cases.h"
#include "e2e_case.h"
#include "fuzz_entries.h"
#include "harness.h"
#include "spectrum_text.h"

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

using zelpra::test::SpectrumBin;
using zelpra::test::SpectrumEntry;
using zelpra::test::SpectrumText;
using Bins = std::vector<SpectrumBin>;

// A spectra.tmp with the header 80 2.500 1 1.50.
std::string spectrum(int iu1, int iu2, double de, double dist, const Bins& bins,
                     const std::vector<SpectrumEntry>& history) {
  return SpectrumText()
      .header(80, 2.5, 1, 1.5)
      .geometry(de, dist)
      .flags(iu1, iu2)
      .bins(bins)
      .history(history)
      .str();
}

std::string field_seed(int d, bool scale, int first, int width, float written,
                       const std::string& line) {
  std::string s;
  s += static_cast<char>(d + (scale ? 10 : 0));
  s += static_cast<char>(first - 1);
  s += static_cast<char>(width);
  char bytes[4];
  std::memcpy(bytes, &written, 4);
  s.append(bytes, 4);
  return s + line;
}

// A detector table from emin to emax keV; a dark one responds with 0.
std::string detector_file(double emin, double emax, double step, bool dark = false) {
  std::string s = "'Test detector, flat'\n";
  char buf[128];
  std::snprintf(buf, sizeof buf, "FLAT01 %.1f %.1f %.1f\n", emin, emax, step);
  s += buf;
  s += "  energy  response  other\n";
  int n = static_cast<int>((emax - emin) / step + 1.0);
  for (int i = 0; i < n; ++i) {
    double e = emin + step * i;
    std::snprintf(buf, sizeof buf, "%8.3f %10.6f %10.6f\n", e, dark ? 0.0 : 0.5 + 0.002 * e, 1.0);
    s += buf;
  }
  return s;
}

// An edit of the database target: the file byte, the line number in two
// bytes, the text.
std::string edit(char file, int line, const std::string& text) {
  return std::string{file, static_cast<char>(line / 256), static_cast<char>(line % 256)} + text;
}

// ---- Whole runs of the tools -------------------------------------------------

using zelpra::test::E2eCase;

using zelpra::fuzz::Condition;
using zelpra::fuzz::slurp;

// The data directory of a tool run: the fixture or the example data.
constexpr bool kExample = true;

// One input of a tool target: spectra.tmp (none: the settings byte alone),
// the answers, and the files _materials/m and _detectors/d.
struct Run {
  std::optional<std::string> spectrum;
  std::string answers;
  std::string material;
  std::string detector;
  bool example_data = false;
  Condition condition = Condition::kPlain;
};

std::string run_input(const Run& r) {
  const std::string settings(1, zelpra::fuzz::settings_byte(r.example_data, r.condition));
  if (!r.spectrum) return settings;
  return settings + *r.spectrum + '\0' + r.answers + '\0' + r.material + '\0' + r.detector;
}

// Where the name on line `line` of the answers stands: inside its quotes, or
// up to a blank, comma or slash.  npos when the answers have no such line.
std::pair<std::size_t, std::size_t> name_on_line(const std::string& answers, int line) {
  std::size_t at = 0;
  for (int i = 0; i < line && at != std::string::npos; ++i) {
    at = answers.find('\n', at);
    if (at != std::string::npos) ++at;
  }
  if (at == std::string::npos || at >= answers.size()) return {std::string::npos, 0};
  at = answers.find_first_not_of(" \t", at);
  if (at == std::string::npos) return {at, 0};
  const char quote = answers[at];
  const std::size_t end = quote == '\'' || quote == '"' ? answers.find(quote, ++at)
                                                        : answers.find_first_of(" \t,/\n", at);
  return {at, (end == std::string::npos ? answers.size() : end) - at};
}

// An end-to-end case as an input of its tool's target.  Its data directory
// (what its setup and files put in _materials and _detectors) gives the
// material and detector files of the names it answers, renamed m and d; the
// database is the target's own fixture.  What the layout cannot say (other
// files, faults, a changed database) is left out.
Run run_of(const E2eCase& c) {
  Run r;
  r.spectrum = c.spectrum;
  r.answers = c.stdin_text;
  const auto dir = c.env.find("ZELPRA_DIR");
  if (dir != c.env.end() && !dir->second) r.condition = Condition::kNoDataDir;

  std::map<std::string, std::string> data;  // by path below data/
  if (c.setup != nullptr) {
    zelpra::test::ScratchDir scratch;
    c.setup(scratch);
    for (const char* sub : {"_materials", "_detectors"}) {
      const fs::path d = fs::path(scratch / "data") / sub;
      if (!fs::is_directory(d)) continue;
      for (const auto& entry : fs::directory_iterator(d)) {
        data[std::string(sub) + "/" + entry.path().filename().string()] = slurp(entry.path());
      }
    }
  }
  for (const auto& [path, text] : c.files) {
    if (path.rfind("data/", 0) == 0) data[path.substr(5)] = text;
  }

  // The detector name (atlune's second answer) first, so that the place of
  // the material name stays.
  const bool atlune = c.tool == "atlune";
  const bool torvane = c.tool == "torvane";
  const std::pair<int, const char*> names[] = {{1, "_detectors/"}, {0, "_materials/"}};
  for (const auto& [line, sub] : names) {
    if (!(atlune || (torvane && line == 0))) continue;
    const auto [at, size] = name_on_line(r.answers, line);
    if (at == std::string::npos) continue;
    const auto file = data.find(sub + r.answers.substr(at, size));
    if (file == data.end()) continue;
    (line == 0 ? r.material : r.detector) = file->second;
    r.answers.replace(at, size, line == 0 ? "m" : "d");
  }
  return r;
}

// The cases of each tool target, by the tool they run.
std::map<std::string, std::vector<E2eCase>> cases_by_tool() {
  std::map<std::string, std::vector<E2eCase>> by_tool;
  for (const auto* table :
       {&zelpra::test::atlune_cases(), &zelpra::test::torvane_cases(), &zelpra::test::dosix_cases(),
        &zelpra::test::unittool_conversions(), &zelpra::test::unittool_refusals(),
        &zelpra::test::unittool_integrals()}) {
    for (const E2eCase& c : *table) by_tool[c.tool].push_back(c);
  }
  return by_tool;
}

void tool_seeds(const fs::path& root) {
  const auto by_tool = cases_by_tool();
  for (const auto& [tool, cases] : by_tool) {
    for (const E2eCase& c : cases) put(root / tool, c.label, run_input(run_of(c)));
  }

  // What the cases do not say: the shipped example data, and the conditions
  // of the target around a normal run of each tool (its first case that ends
  // with status 0).
  const std::string example_spectrum =
      slurp(fs::path(ZELPRA_SOURCE_DIR) / "examples" / "spectra" / "w_80kvp_2.5mmal");
  // nbin 300 and every bin record blank: each bin reads as 0 at 0 keV, and
  // the rewritten file is longer than the file size limit.
  const std::string blank_bins =
      "# kaltrovin: 80   2.500  1   12.00\n#   300   1.0000    100.0000\n"
      "#    1   2  (unit flags)\ncaption\n" +
      std::string(300, '\n') + "#  Attenuation History:\n#  0\n";
  auto example = [&](const std::string& answers) {
    Run r;
    r.spectrum = example_spectrum;
    r.answers = answers;
    r.example_data = kExample;
    return r;
  };
  const std::vector<std::tuple<std::string, std::string, std::string>> examples = {
      {"atlune", "example_water_ideal", "water\nideal\n1\n"},
      {"atlune", "example_bone_csi", "cortical_bone\ncsi_600um\n0\n"},
      {"torvane", "example_water", "water\n0\n1\n"},
      {"torvane", "example_lead_given", "lead\n0.01\n0\n"},
      {"dosix", "example", ""},
      {"quiset", "example", "75\n"},
      {"brask", "example", "75\n"},
      {"fendo", "example", "75\n"},
      {"belmor", "example", "75\n"},
  };
  for (const auto& [tool, name, answers] : examples) {
    put(root / tool, name, run_input(example(answers)));
  }

  for (const auto& [tool, cases] : by_tool) {
    const auto normal = std::find_if(cases.begin(), cases.end(),
                                     [](const E2eCase& c) { return c.status == 0 && c.spectrum; });
    if (normal == cases.end()) continue;
    const Run plain = run_of(*normal);
    auto with = [&](Condition condition, bool example_data = false) {
      Run r = plain;
      r.condition = condition;
      r.example_data = example_data;
      return run_input(r);
    };
    if (tool == "atlune" || tool == "torvane") {
      put(root / tool, "example_own_files", with(Condition::kPlain, kExample));
      continue;
    }
    put(root / tool, "linked", with(Condition::kLinkedSpectrum));
    if (tool == "dosix") continue;
    put(root / tool, "file_size_limit_small", with(Condition::kFileSizeLimit));
    put(root / tool, "temporary_taken", with(Condition::kTemporaryTaken));
    put(root / tool, "temporaries_taken", with(Condition::kTemporariesTaken));
    Run blank = plain;
    blank.spectrum = blank_bins;
    blank.condition = Condition::kFileSizeLimit;
    put(root / tool, "file_size_limit", run_input(blank));
  }
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
  put(sp, "photons_cm2",
      spectrum(1, 2, 0.5, 100.0, {{10.25, 2.5e5}, {20.0, 3.1e5}, {30.0, 1.2e4}},
               {{"Aluminium", 0.25}}));
  put(sp, "ergs_sr",
      spectrum(2, 1, 1.0, 0.0, {{15.0, 8.01e-2}, {16.0, 7.5e-2}},
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

  // The database: edits of the fixture (first byte 0) and of the example
  // data (1), one file at a time and several at once.
  const fs::path db = root / "database";
  const auto& names = zelpra::fuzz::database_file_names();
  put(db, "fixture", std::string(1, '\0'));
  put(db, "example", std::string(1, '\1'));
  for (std::size_t i = 0; i < names.size(); ++i) {
    const char f = static_cast<char>(i);
    const std::string base(1, static_cast<char>(i % 2));
    put(db, names[i] + ".cut", base + edit(static_cast<char>(f | 0x40), 2, ""));
    put(db, names[i] + ".junk", base + edit(f, 3, "  1.5E+00x  junk, 'text' */\n"));
    put(db, names[i] + ".gone",
        std::string(1, static_cast<char>(1 - i % 2)) + std::string(1, static_cast<char>(f | 0x80)));
  }
  put(db, "several",
      std::string(1, '\1') + edit(0, 1, "\n") + '\0' + edit(15, 40, "-1.0 2.0\n") + '\0' +
          edit(16, 9, "-3.0 99.0\n"));
  put(db, "stars",
      std::string(1, '\0') + edit(1, 0, "*************\n") + '\0' +
          edit(4, 5, "   1.2345E+01   1.0E+38\n"));

  tool_seeds(root);
  return 0;
}
