// Writes the seed corpora of the fuzz targets into <dir>/<target>/: spectra,
// material and detector files and answers like those of the tests, edits of
// the synthetic test database and of the example data, free-form and
// fixed-column samples of every rule the readers follow, and for each tool
// the runs of its end-to-end tests (tests/e2e), in the input layout of the
// tool targets (fuzz_entries.cpp).
//
//   fuzz_make_seeds tests/fuzz/corpus
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_entries.h"
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

struct Bin {
  double e;
  double phi;
};

std::string spectrum(int iu1, int iu2, double de, double dist, const std::vector<Bin>& bins,
                     const std::vector<std::pair<std::string, double>>& history) {
  char buf[128];
  std::string s = "# kaltrovin: 80   2.500  1    1.50\n";
  std::snprintf(buf, sizeof buf, "#   %3d  %7.4f  %10.4f\n", static_cast<int>(bins.size()), de,
                dist);
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

using zelpra::test::SpectrumBin;
using zelpra::test::SpectrumText;
using Bins = std::vector<SpectrumBin>;

// The settings byte of a tool run (fuzz_entries.cpp): the data directory and
// the condition.
enum Data { kFixture = 0, kExample = 1 };
enum Condition {
  kPlain = 0,
  kTemporaryTaken = 3,
  kLinked = 4,
  kNoDataDir = 5,
  kSizeLimit = 6,
  kTemporariesTaken = 7
};

struct Run {
  Run(std::string spectrum_, std::string answers_ = "", std::string material_ = "",
      std::string detector_ = "", Data data_ = kFixture, Condition condition_ = kPlain)
      : spectrum(std::move(spectrum_)),
        answers(std::move(answers_)),
        material(std::move(material_)),
        detector(std::move(detector_)),
        data(data_),
        condition(condition_) {}
  std::string spectrum;
  std::string answers;
  std::string material;
  std::string detector;
  Data data;
  Condition condition;
};

std::string run_input(const Run& r) {
  const char settings = static_cast<char>(r.data | (r.condition << 1));
  return std::string(1, settings) + r.spectrum + '\0' + r.answers + '\0' + r.material + '\0' +
         r.detector;
}

std::string slurp(const fs::path& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

std::string spectrum_text(int flag1, int flag2, double de, double dist, const Bins& bins) {
  return SpectrumText().geometry(de, dist).flags(flag1, flag2).bins(bins).entry("Al", 0.25).str();
}

void tool_seeds(const fs::path& root) {
  const std::string example_spectrum =
      slurp(fs::path(ZELPRA_SOURCE_DIR) / "examples" / "spectra" / "w_80kvp_2.5mmal");
  // nbin 300 and every bin record blank: each bin reads as 0 at 0 keV, and
  // the rewritten file is longer than the file size limit.
  std::string blank_bins =
      "# kaltrovin: 80   2.500  1   12.00\n#   300   1.0000    100.0000\n"
      "#    1   2  (unit flags)\ncaption\n" +
      std::string(300, '\n') + "#  Attenuation History:\n#  0\n";

  // atlune: water by atom counts and a detector every keV, as its tests have them.
  const Bins photons = {{10, 1.2345e5}, {20, 3.4567e5}, {25.5, 2.9876e5},
                        {30, 2.5e5},    {40, 1.1111e5}, {50, 4.4e4}};
  const Bins ergs = {{10, 1.9777e-3}, {20, 1.1075e-2}, {25.5, 1.2205e-2},
                     {30, 1.2015e-2}, {40, 7.1199e-3}, {50, 3.5244e-3}};
  const std::string p = spectrum_text(1, 2, 10.0, 100.0, photons);
  const std::string water = "2   water by atom counts\n1 8\n2 1\n1.0\n";
  const std::string sid = detector_file(1.0, 150.0, 1.0);
  const std::vector<std::pair<std::string, Run>> atlune = {
      {"result_only", {p, "m\nd\n0\n", water, sid}},
      {"report", {p, "m\nd\n1\n", water, sid}},
      {"quoted_names", {p, "'m'\n\"d\"\n1\n", water, sid}},
      {"energy_fluence", {spectrum_text(2, 2, 10.0, 100.0, ergs), "m\nd\n0\n", water, sid}},
      {"odd_flags", {spectrum_text(3, 1, 10.0, 100.0, photons), "m\nd\n-1\n", water, sid}},
      {"wtot_warning", {p, "m\nd\n1\n", "2\n1 8\n0.5 0.48\n1.0\n", sid}},
      {"repeat_before_slash", {p, "m\nd\n0\n", "2\n1 8\n2*0.5/ both halves\n1.0\n", sid}},
      {"no_bins", {spectrum_text(1, 2, 10.0, 100.0, {}), "m\nd\n0\n", water, sid}},
      {"zero_response", {p, "m\nd\n0\n", water, detector_file(1.0, 150.0, 1.0, true)}},
      {"reversed_detector", {p, "m\nd\n0\n", water, "'backwards'\nREV 150.0 1.0 1.0\ncaption\n"}},
      {"short_detector",
       {p, "m\nd\n0\n", water, "'cut'\nSID 1.0 150.0 1.0\ncaption\n1.0 0.5 0.0\n"}},
      {"bin_below_1_keV",
       {spectrum_text(1, 2, 1.0, 100.0, {{10, 1.0e5}, {0.5, 2.0e5}}), "m\nd\n1\n", water, sid}},
      {"untabulated_element", {p, "m\nd\n1\n", "2\n8 84\n0.5 0.5\n9.3\n", sid}},
      {"missing_material", {p, "glass\nd\n0\n", water, sid}},
      {"missing_detector", {p, "m\nccd\n0\n", water, sid}},
      {"missing_report_flag", {p, "m\nd\n", water, sid}},
      {"no_spectrum", {"", "m\nd\n0\n", water, sid}},
      {"no_data_dir", {p, "m\nd\n0\n", water, sid, kFixture, kNoDataDir}},
      {"example_water_ideal", {example_spectrum, "water\nideal\n1\n", "", "", kExample}},
      {"example_bone_csi", {example_spectrum, "cortical_bone\ncsi_600um\n0\n", "", "", kExample}},
      {"example_own_files", {example_spectrum, "m\nd\n0\n", water, sid, kExample}},
  };

  // torvane: oxygen at 11.35 g/cm3, as its tests have it.
  const Bins few = {{20, 20}, {30, 16}, {40, 37}, {50, 34}, {60, 66}};
  const Bins few_ergs = {{20, 9.8e-8}, {30, 8.1e-8}, {40, 9.5e-8}, {50, 1.7e-8}, {60, 7.8e-8}};
  const std::string t = spectrum_text(1, 2, 10.0, 100.0, few);
  const std::string dense = "1   one element\n8\n1.0\n11.35\n";
  const std::vector<std::pair<std::string, Run>> torvane = {
      {"estimate", {t, "m\n0\n0\n", dense}},
      {"estimate_from_minus_0", {t, "m\n-0.0\n2\n", dense}},
      {"estimate_from_null", {t, "m\n/\n0\n", dense}},
      {"given", {t, "m\n0.005\n0\n", dense}},
      {"negative_thickness", {t, "m\n-0.002\n0\n", dense}},
      {"tiny_thickness", {t, "m\n1e-30\n0\n", dense}},
      {"ergs_estimate", {spectrum_text(2, 2, 10.0, 100.0, few_ergs), "m\n0\n0\n", dense}},
      {"one_bin_per_sr", {spectrum_text(1, 1, 5.0, 0.0, {{35, 2.0e5}}), "m\n0\n0\n", dense}},
      {"report_with_warning", {t, "m\n0\n1\n", "1\n8\n0.5\n11.35\n"}},
      {"no_bins", {spectrum_text(1, 2, 10.0, 100.0, {}), "m\n0.005\n1\n", dense}},
      {"zero_values", {spectrum_text(2, 2, 10.0, 100.0, {{20, 0}, {30, 0}}), "m\n0\n1\n", dense}},
      {"density_0", {t, "m\n0\n1\n", "1\n8\n1.0\n0.0\n"}},
      {"bin_below_1_keV",
       {spectrum_text(1, 2, 1.0, 100.0, {{0.5, 10}, {20, 29}}), "m\n0\n1\n", dense}},
      {"bin_at_0_keV", {spectrum_text(1, 2, 1.0, 100.0, {{0, 10}}), "m\n0\n1\n", dense}},
      {"negative_energy",
       {spectrum_text(2, 2, 1.0, 100.0, {{20, 1e-6}, {-5, 1e-6}}), "m\n0.005\n1\n", dense}},
      {"missing_material", {t, "nosuch\n", dense}},
      {"missing_thickness", {t, "m\n", dense}},
      {"no_data_dir", {t, "m\n0\n0\n", dense, "", kFixture, kNoDataDir}},
      {"example_water", {example_spectrum, "water\n0\n1\n", "", "", kExample}},
      {"example_lead_given", {example_spectrum, "lead\n0.01\n0\n", "", "", kExample}},
  };

  // dosix, from its tests.
  const std::string one_bin = spectrum_text(1, 2, 0.5, 100.0, {{20.0, 3.1e5}});
  std::string truncated = spectrum_text(1, 2, 0.5, 100.0, {{10.25, 2.5e5}, {20.0, 3.1e5}});
  std::string asterisks = truncated;
  truncated = truncated.substr(0, truncated.find("   20.000"));
  asterisks.replace(asterisks.find("   3.1000E+05"), 13, "*************");
  std::string lone_sign = one_bin;
  lone_sign.replace(lone_sign.find("#    1   2") + 4, 2, " +");
  const std::vector<std::pair<std::string, Run>> dosix = {
      {"photons",
       {spectrum_text(1, 2, 0.5, 100.0,
                      {{10.25, 2.5e5}, {20.0, 3.1e5}, {33.333, 4.0e5}, {150.75, 1.25e4}})}},
      {"ergs",
       {spectrum_text(2, 2, 2.0, 75.5,
                      {{15.5, 1.5e-3}, {42.125, 2.0e-3}, {88.0, 3.5e-4}, {199.9, 1.0e-4}})}},
      {"whole_kev", {spectrum_text(2, 2, 1.0, 100.0, {{1.0, 1.0e-4}, {30.0, 1.0}, {200.0, 10.0}})}},
      {"outside_the_table", {spectrum_text(1, 2, 1.0, 30.0, {{0.8, 1.0e2}, {201.5, 7.0e3}})}},
      {"no_bins", {spectrum_text(1, 2, 0.5, 100.0, {})}},
      {"per_steradian", {spectrum_text(1, 1, 0.5, 0.0, {{20.0, 3.1e5}})}},
      {"second_flag_3", {spectrum_text(2, 3, 0.5, 100.0, {{20.0, 3.1e5}})}},
      {"truncated", {truncated}},
      {"empty", {""}},
      {"asterisks", {asterisks}},
      {"lone_sign_flag", {lone_sign}},
      {"nbin_301", {"# kaltrovin: 80   2.500  1    1.50\n#   301   0.5000    100.0000\n"}},
      {"no_spectrum", {""}},
      {"example", {example_spectrum}},
      {"linked", {one_bin, "", "", "", kFixture, kLinked}},
  };

  // The unit tools, from their tests: two bins at 50 and 51 keV.
  const Bins two = {{50, 1.0e6}, {51, 2.5e3}};
  auto unit = [](double dist, int flag1, int flag2, const Bins& bins) {
    return SpectrumText()
        .header(80, 2.5, 1, 12.5)
        .geometry(1.0, dist)
        .flags(flag1, flag2)
        .bins(bins)
        .entry("Al 2.5 mm", 2.5)
        .entry("Cu 0.1 mm, new tube", 0.1)
        .str();
  };
  const std::string u = unit(100.0, 1, 2, two);
  const std::string odd =
      SpectrumText().geometry(1.0, 100.0).flags(3, 0).caption("#  some caption").bins(two).str();
  const std::string huge_far = SpectrumText().geometry(1.0, 99999.0).bins({{50, 3.0e38}}).str();
  const std::string empty_unit = SpectrumText().geometry(1.0, 100.0).str();
  auto converter = [&](const std::string& tool) {
    std::vector<std::pair<std::string, Run>> runs = {
        {"photons_per_cm2", {u, "50\n"}},
        {"photons_per_sr", {unit(0.0, 1, 1, two), "50\n"}},
        {"ergs_per_cm2", {unit(100.0, 2, 2, two), "50\n"}},
        {"ergs_per_sr", {unit(0.0, 2, 1, two), "50\n"}},
        {"odd_flags", {odd, "50\n"}},
        {"per_cm2_at_0", {unit(0.0, 1, 2, two), "50\n"}},
        {"per_cm2_at_minus_0", {unit(-0.0, 1, 2, two), "50\n"}},
        {"negative_distance", {unit(-100.0, 1, 2, two), "50\n"}},
        {"beyond_range", {huge_far, "50\n"}},
        {"no_bins_no_history", {empty_unit, "\n\n50\n"}},
        {"missing", {""}},
        {"example", {example_spectrum, "75\n"}},
        {"linked", {u, "50\n", "", "", kFixture, kLinked}},
        {"file_size_limit", {blank_bins, "50\n", "", "", kFixture, kSizeLimit}},
        {"file_size_limit_small", {u, "50\n", "", "", kFixture, kSizeLimit}},
        {"temporary_taken", {u, "50\n", "", "", kFixture, kTemporaryTaken}},
        {"temporaries_taken", {u, "50\n", "", "", kFixture, kTemporariesTaken}},
    };
    if (tool == "fendo") {
      const std::pair<const char*, const char*> answers[] = {{"remark", "  100.0 , 7\n"},
                                                             {"exponent", "-5.0E+01\n"},
                                                             {"zero", "0\n"},
                                                             {"minus_zero", "-0.0E+00\n"},
                                                             {"null", "/\n"},
                                                             {"far", "100000\n"},
                                                             {"minus_far", "-10000\n"},
                                                             {"tiny", "1.0E-20\n"},
                                                             {"none", ""},
                                                             {"not_a_number", "fifty\n"}};
      for (const auto& [label, answer] : answers)
        runs.push_back({std::string("answer_") + label, {u, answer}});
    }
    return runs;
  };

  std::vector<std::pair<std::string, Run>> belmor = converter("belmor");
  const Bins sums = {{20, 1.0e8}, {21, 3.0}, {22, -1.0e8}};
  belmor.push_back({"sum_in_double", {spectrum_text(1, 2, 1.0, 100.0, sums)}});
  belmor.push_back(
      {"beyond_32_bits", {spectrum_text(1, 2, 1.0, 100.0, {{20, 3.0e38}, {21, 3.0e38}})}});
  belmor.push_back(
      {"below_32_bits", {spectrum_text(1, 2, 1.0, 100.0, {{20, -3.0e38}, {21, -3.0e38}})}});

  const std::vector<std::pair<std::string, std::vector<std::pair<std::string, Run>>>> tools = {
      {"atlune", atlune},
      {"torvane", torvane},
      {"dosix", dosix},
      {"quiset", converter("quiset")},
      {"brask", converter("brask")},
      {"fendo", converter("fendo")},
      {"belmor", belmor}};
  for (const auto& [tool, runs] : tools) {
    for (const auto& [name, run] : runs) {
      put(root / tool, name,
          name == "no_spectrum" || name == "missing"
              ? std::string(1, static_cast<char>(run.data | (run.condition << 1)))
              : run_input(run));
    }
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
