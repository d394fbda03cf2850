// quiset, brask, fendo and belmor, run as programs on a spectra.tmp in a
// scratch working directory: standard output, standard error, exit status
// and the rewritten file, byte for byte.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "harness.h"
#include "spectrum_text.h"

namespace zelpra::test {
namespace {

// ---- Fixtures -----------------------------------------------------------------

using Bins = std::vector<SpectrumBin>;

// The two bins: 1.0E+06 at 50 keV and 2.5E+03 at 51 keV ...
const Bins kBins = {{50, 1.0e6}, {51, 2.5e3}};
// ... times the energy and 1.602e-9 erg/keV,
const Bins kBinsInErgs = {{50, 8.01e-2}, {51, 2.0426e-4}};
// ... times 100 cm squared,
const Bins kBinsPerSr = {{50, 1.0e10}, {51, 2.5e7}};
// ... times (100 / 50) squared,
const Bins kBinsAt50 = {{50, 4.0e6}, {51, 1.0e4}};
// ... in ergs and then times 100 cm squared.
const Bins kBinsInErgsPerSr = {{50, 8.01e2}, {51, 2.0426}};

const std::vector<SpectrumEntry> kHistory = {{"Al 2.5 mm", 2.5}, {"Cu 0.1 mm, new tube", 0.1}};

// The header 80 2.500 1 12.50 and bin width 1.0 in every file here.
SpectrumText spectrum(double dist, int flag1, int flag2) {
  return SpectrumText().header(80, 2.5, 1, 12.5).geometry(1.0, dist).flags(flag1, flag2);
}

// At `dist` cm, the flags with the writer's caption, `bins` and the two
// history entries.
std::string file(double dist, int flag1, int flag2, const Bins& bins = kBins) {
  return spectrum(dist, flag1, flag2).bins(bins).history(kHistory).str();
}

// Odd flags as another program may leave them; the caption is not read.
const char kOtherCaption[] = "#  some caption";

// The two bins at 100 cm with odd flags.
std::string odd_flags(int flag1, int flag2) {
  return spectrum(100.0, flag1, flag2).caption(kOtherCaption).bins(kBins).history(kHistory).str();
}

// No bins and no history.
std::string empty(double dist, int flag1, int flag2) { return spectrum(dist, flag1, flag2).str(); }

// A photon spectrum per cm2 at 100 cm.
const std::string kSpectrum = file(100.0, 1, 2);

const std::string kNoFit =
    " ERROR: value does not fit its field in spectra.tmp\n"
    " Aborting.\n";
const std::string kMissing = " ERROR: spectra.tmp DOES NOT EXIST: Aborting.\n";

struct Run {
  const char* tool;
  std::string stdin_text;
};

RunResult run(const ScratchDir& dir, const Run& r) {
  RunOptions options;
  options.stdin_text = r.stdin_text;
  return run_tool(r.tool, dir.path(), options);
}

// ---- Conversions ----------------------------------------------------------------

struct Conversion {
  const char* name;
  Run run;
  std::string before;
  std::string after;
};

void PrintTo(const Conversion& c, std::ostream* os) { *os << c.name; }

class UnitToolConversion : public ::testing::TestWithParam<Conversion> {};

TEST_P(UnitToolConversion, RewritesTheSpectrumSilently) {
  const Conversion& c = GetParam();
  ScratchDir dir;
  dir.write("spectra.tmp", c.before);
  RunResult r = run(dir, c.run);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(dir.read("spectra.tmp"), c.after);
}

const Conversion kConversions[] = {
    // quiset: photons to ergs; the second flag and the distance stay.
    {"quiset_photons_per_cm2", {"quiset", ""}, kSpectrum, file(100.0, 2, 2, kBinsInErgs)},
    {"quiset_photons_per_sr", {"quiset", ""}, file(0.0, 1, 1), file(0.0, 2, 1, kBinsInErgs)},
    {"quiset_flags_0_5", {"quiset", ""}, odd_flags(0, 5), file(100.0, 2, 2, kBinsInErgs)},
    {"quiset_flags_3_1", {"quiset", ""}, odd_flags(3, 1), file(100.0, 2, 1, kBinsInErgs)},
    {"quiset_no_bins_no_history", {"quiset", ""}, empty(100.0, 1, 2), empty(100.0, 2, 2)},

    // brask: per cm2 to per steradian; the distance becomes 0.
    {"brask_photons_per_cm2", {"brask", ""}, kSpectrum, file(0.0, 1, 1, kBinsPerSr)},
    {"brask_energy_flags_2_3", {"brask", ""}, odd_flags(2, 3), file(0.0, 2, 1, kBinsPerSr)},
    {"brask_flags_5_0", {"brask", ""}, odd_flags(5, 0), file(0.0, 2, 1, kBinsPerSr)},
    {"brask_negative_distance", {"brask", ""}, file(-100.0, 1, 2), file(0.0, 1, 1, kBinsPerSr)},
    {"brask_no_bins_no_history", {"brask", ""}, empty(100.0, 1, 2), empty(0.0, 1, 1)},

    // fendo: to a new distance by the inverse square; the flags stay.
    {"fendo_to_50_cm", {"fendo", "50\n"}, kSpectrum, file(50.0, 1, 2, kBinsAt50)},
    {"fendo_to_the_same_distance", {"fendo", "  100.0 , 7\n"}, kSpectrum, kSpectrum},
    {"fendo_to_minus_50_cm", {"fendo", "-5.0E+01\n"}, kSpectrum, file(-50.0, 1, 2, kBinsAt50)},
    {"fendo_energy_per_cm2", {"fendo", "50\n"}, file(100.0, 2, 2), file(50.0, 2, 2, kBinsAt50)},
    {"fendo_flags_3_0", {"fendo", "50\n"}, odd_flags(3, 0), file(50.0, 2, 2, kBinsAt50)},
    {"fendo_no_bins_no_history", {"fendo", "\n\n50\n"}, empty(100.0, 1, 2), empty(50.0, 1, 2)},
};

INSTANTIATE_TEST_SUITE_P(Worked, UnitToolConversion, ::testing::ValuesIn(kConversions),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Refusals and errors: the file stays byte for byte --------------------------

struct Refusal {
  const char* name;
  Run run;
  std::string before;
  std::string out;
  std::string err;
  int status;
};

void PrintTo(const Refusal& c, std::ostream* os) { *os << c.name; }

class UnitToolRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(UnitToolRefusal, LeavesTheFileAsItWas) {
  const Refusal& c = GetParam();
  ScratchDir dir;
  dir.write("spectra.tmp", c.before);
  RunResult r = run(dir, c.run);
  EXPECT_EQ(r.out, c.out);
  EXPECT_EQ(r.err, c.err);
  EXPECT_EQ(r.status, c.status);
  EXPECT_EQ(dir.read("spectra.tmp"), c.before);
}

const std::string kInErgs =
    " ERROR in quiset:  spectrum already in ergs.\n"
    " Aborting.\n";
const std::string kAlreadySr =
    " ERROR in brask:  spectrum already in /sr. \n"
    " Aborting.\n";
const std::string kBraskAt0 =
    " ERROR in brask:  distance is 0 for a /cm^2 spectrum\n"
    " Aborting.\n";
const std::string kInputSr =
    " ERROR in fendo:  input spectrum in /sr. \n"
    " Aborting.\n";
const std::string kFendoAt0 =
    " ERROR in fendo:  distance is 0 for a /cm^2 spectrum\n"
    " Aborting.\n";
const std::string kNewDistance0 =
    " ERROR in fendo:  new distance is 0\n"
    " Aborting.\n";

// 3.0E+38 per cm2 at 99999 cm is beyond the 32-bit range per steradian.
const std::string kHugeAtFarDistance = spectrum(99999.0, 1, 2).bins({{50, 3.0e38}}).str();

const Refusal kRefusals[] = {
    {"quiset_energy_per_cm2", {"quiset", ""}, file(100.0, 2, 2), kInErgs, "", 8},
    {"quiset_energy_per_sr", {"quiset", ""}, file(0.0, 2, 1), kInErgs, "", 8},

    {"brask_per_sr", {"brask", ""}, file(0.0, 1, 1), kAlreadySr, "", 8},
    {"brask_energy_per_sr", {"brask", ""}, file(100.0, 2, 1), kAlreadySr, "", 8},
    {"brask_per_cm2_at_0", {"brask", ""}, file(0.0, 1, 2), kBraskAt0, "", 8},
    {"brask_per_cm2_at_minus_0", {"brask", ""}, file(-0.0, 2, 2), kBraskAt0, "", 8},
    {"brask_result_beyond_range", {"brask", ""}, kHugeAtFarDistance, kNoFit, "", 8},

    {"fendo_per_sr", {"fendo", "50\n"}, file(0.0, 1, 1), kInputSr, "", 8},
    {"fendo_per_cm2_at_0", {"fendo", "50\n"}, file(0.0, 1, 2), kFendoAt0, "", 8},
    {"fendo_per_cm2_at_minus_0", {"fendo", "50\n"}, file(-0.0, 1, 2), kFendoAt0, "", 8},
    {"fendo_new_distance_0", {"fendo", "0\n"}, kSpectrum, kNewDistance0, "", 8},
    {"fendo_new_distance_minus_0", {"fendo", "-0.0E+00\n"}, kSpectrum, kNewDistance0, "", 8},
    {"fendo_new_distance_left_out", {"fendo", "/\n"}, kSpectrum, kNewDistance0, "", 8},
    {"fendo_new_distance_100000", {"fendo", "100000\n"}, kSpectrum, kNoFit, "", 8},
    {"fendo_new_distance_minus_10000", {"fendo", "-10000\n"}, kSpectrum, kNoFit, "", 8},
    {"fendo_new_distance_tiny", {"fendo", "1.0E-20\n"}, kSpectrum, kNoFit, "", 8},
    // 0.0000 in the file, while the bins are scaled by 6.25E+12.
    {"fendo_new_distance_shown_as_0", {"fendo", "0.00004\n"}, kSpectrum, kNoFit, "", 8},
    {"fendo_new_distance_shown_as_minus_0", {"fendo", "-4.0E-05\n"}, kSpectrum, kNoFit, "", 8},
    {"fendo_no_answer", {"fendo", ""}, kSpectrum, "",
     "fendo: severe (24): end-of-file during read, unit 5, file stdin\n", 24},
    {"fendo_answer_not_a_number", {"fendo", "fifty\n"}, kSpectrum, "",
     "fendo: severe (59): list-directed I/O syntax error, unit 5, file stdin\n", 59},
};

INSTANTIATE_TEST_SUITE_P(Decided, UnitToolRefusal, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(UnitTools, MissingSpectrumIsRefusedAndNotCreated) {
  for (const char* tool : {"quiset", "brask", "fendo", "belmor"}) {
    SCOPED_TRACE(tool);
    ScratchDir dir;
    RunResult r = run(dir, {tool, "50\n"});
    EXPECT_EQ(r.out, kMissing);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 8);
    EXPECT_FALSE(dir.exists("spectra.tmp"));
  }
}

// ---- Standard input left unread by a refused fendo -------------------------------

// Runs fendo with standard input on a file whose read offset this process
// shares: afterwards the offset tells how much the program consumed.
struct StdinRun {
  int status = -1;
  off_t consumed = -1;
};

StdinRun run_fendo_sharing_stdin(const ScratchDir& dir, const std::string& answer) {
  const std::string input = dir / "answer.txt";
  dir.write("answer.txt", answer);
  StdinRun result;
  int fd = ::open(input.c_str(), O_RDONLY);
  if (fd < 0) return result;
  const std::string path = tool_path("fendo");
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.path().c_str()) != 0) _exit(127);
    dup2(fd, 0);
    int null = ::open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  result.consumed = lseek(fd, 0, SEEK_CUR);
  ::close(fd);
  return result;
}

TEST(UnitTools, RefusedFendoLeavesTheAnswerUnread) {
  struct Case {
    const char* name;
    std::string spectrum;
    int status;
    bool read;
  };
  const Case cases[] = {
      {"per_sr", file(0.0, 1, 1), 8, false},
      {"per_cm2_at_0", file(0.0, 1, 2), 8, false},
      {"converted", kSpectrum, 0, true},  // the control: a normal run reads it
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    dir.write("spectra.tmp", c.spectrum);
    StdinRun r = run_fendo_sharing_stdin(dir, "50\n");
    EXPECT_EQ(r.status, c.status);
    if (c.read) {
      EXPECT_GT(r.consumed, 0);
    } else {
      EXPECT_EQ(r.consumed, 0);
      EXPECT_EQ(dir.read("spectra.tmp"), c.spectrum);
    }
  }
}

// ---- belmor -------------------------------------------------------------------

struct Integral {
  const char* name;
  std::string spectrum;
  std::string line;
};

void PrintTo(const Integral& c, std::ostream* os) { *os << c.name; }

class BelmorIntegral : public ::testing::TestWithParam<Integral> {};

TEST_P(BelmorIntegral, PrintsTheTotalAndLeavesTheFile) {
  const Integral& c = GetParam();
  ScratchDir dir;
  dir.write("spectra.tmp", c.spectrum);
  RunResult r = run(dir, {"belmor", ""});
  EXPECT_EQ(r.out, c.line);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(dir.read("spectra.tmp"), c.spectrum);
}

// Two bins of 1.0E+03 and 2.0E+03 with the bin width `de`, at 100 cm.
SpectrumText thousands(double de, int flag1, int flag2) {
  return SpectrumText()
      .header(80, 2.5, 1, 12.5)
      .geometry(de, 100.0)
      .flags(flag1, flag2)
      .bins({{20, 1.0e3}, {21, 2.0e3}})
      .history(kHistory);
}

// Photons per cm2 at 100 cm with no history.
std::string bins(const Bins& b) { return spectrum(100.0, 1, 2).bins(b).str(); }

const Integral kIntegrals[] = {
    {"photons_per_cm2", thousands(1.0, 1, 2).str(),
     "Integral of this spectra =    3.0000E+03 photons/mAs-cm^2\n"},
    {"half_keV_bins", thousands(0.5, 1, 2).str(),
     "Integral of this spectra =    1.5000E+03 photons/mAs-cm^2\n"},
    {"photons_per_sr", thousands(1.0, 1, 1).str(),
     "Integral of this spectra =    3.0000E+03 photons/mAs-sr\n"},
    {"ergs_per_sr", thousands(1.0, 2, 1).str(),
     "Integral of this spectra =    3.0000E+03 ergs/mAs-sr\n"},
    {"ergs_per_cm2", thousands(1.0, 2, 2).str(),
     "Integral of this spectra =    3.0000E+03 ergs/mAs-cm^2\n"},
    {"flags_3_0", thousands(1.0, 3, 0).caption(kOtherCaption).str(),
     "Integral of this spectra =    3.0000E+03 ergs/mAs-cm^2\n"},
    {"flags_1_0", thousands(1.0, 1, 0).caption(kOtherCaption).str(),
     "Integral of this spectra =    3.0000E+03 photons/mAs-cm^2\n"},
    {"negative_width", thousands(-1.0, 1, 2).str(),
     "Integral of this spectra =   -3.0000E+03 photons/mAs-cm^2\n"},
    {"no_bins", empty(100.0, 1, 2),
     "Integral of this spectra =    0.0000E+00 photons/mAs-cm^2\n"},
    // The sum stays in double precision: in 32 bits 1.0E+08 + 3 is 1.0E+08.
    {"sum_in_double",
     bins({{20, 1.0e8}, {21, 3.0}, {22, -1.0e8}}),
     "Integral of this spectra =    3.0000E+00 photons/mAs-cm^2\n"},
    {"beyond_32_bits",
     bins({{20, 3.0e38}, {21, 3.0e38}, {22, 0.0}}),
     "Integral of this spectra =      Infinity photons/mAs-cm^2\n"},
    {"below_32_bits",
     bins({{20, -3.0e38}, {21, -3.0e38}, {22, 0.0}}),
     "Integral of this spectra =     -Infinity photons/mAs-cm^2\n"},
};

INSTANTIATE_TEST_SUITE_P(Worked, BelmorIntegral, ::testing::ValuesIn(kIntegrals),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Runs one after another on one file ----------------------------------------

struct Step {
  Run run;
  std::string out;
  int status;
  std::string file_after;
};

void run_steps(const std::string& start, const std::vector<Step>& steps) {
  ScratchDir dir;
  dir.write("spectra.tmp", start);
  int n = 0;
  for (const Step& step : steps) {
    SCOPED_TRACE("step " + std::to_string(++n) + ", " + step.run.tool);
    RunResult r = run(dir, step.run);
    EXPECT_EQ(r.out, step.out);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, step.status);
    EXPECT_EQ(dir.read("spectra.tmp"), step.file_after);
  }
}

TEST(UnitTools, EachToolRunTwice) {
  const std::string in_ergs = file(100.0, 2, 2, kBinsInErgs);
  run_steps(kSpectrum, {{{"quiset", ""}, "", 0, in_ergs}, {{"quiset", ""}, kInErgs, 8, in_ergs}});

  const std::string per_sr = file(0.0, 1, 1, kBinsPerSr);
  run_steps(kSpectrum, {{{"brask", ""}, "", 0, per_sr}, {{"brask", ""}, kAlreadySr, 8, per_sr}});

  // There and back: the factors 4 and 1/4 are exact.
  const std::string at50 = file(50.0, 1, 2, kBinsAt50);
  run_steps(kSpectrum, {{{"fendo", "50\n"}, "", 0, at50}, {{"fendo", "100\n"}, "", 0, kSpectrum}});

  const std::string line = "Integral of this spectra =    1.0025E+06 photons/mAs-cm^2\n";
  run_steps(kSpectrum, {{{"belmor", ""}, line, 0, kSpectrum}, {{"belmor", ""}, line, 0, kSpectrum}});
}

TEST(UnitTools, ChainQuisetBraskBelmor) {
  run_steps(kSpectrum,
            {{{"quiset", ""}, "", 0, file(100.0, 2, 2, kBinsInErgs)},
             {{"brask", ""}, "", 0, file(0.0, 2, 1, kBinsInErgsPerSr)},
             {{"belmor", ""},
              "Integral of this spectra =    8.0304E+02 ergs/mAs-sr\n",
              0,
              file(0.0, 2, 1, kBinsInErgsPerSr)}});
}

// ---- Two converters at once on one file ------------------------------------------

// The file after `first` and then `second`, one after the other.
std::string in_turn(const Run& first, const Run& second) {
  ScratchDir dir;
  dir.write("spectra.tmp", kSpectrum);
  run(dir, first);
  run(dir, second);
  return dir.read("spectra.tmp");
}

// Started together, two converters run one after the other: the second waits
// for the first and converts what it wrote, so neither conversion is lost,
// whichever comes first.
TEST(UnitTools, TwoConvertersStartedTogetherBothLand) {
  const test::Run pairs[][2] = {{{"quiset", ""}, {"fendo", "50\n"}}, {{"brask", ""}, {"quiset", ""}}};
  for (const auto& pair : pairs) {
    SCOPED_TRACE(std::string(pair[0].tool) + " and " + pair[1].tool);
    const std::string one_way = in_turn(pair[0], pair[1]);
    const std::string other_way = in_turn(pair[1], pair[0]);
    for (int round = 0; round < 25; ++round) {
      ScratchDir dir;
      dir.write("spectra.tmp", kSpectrum);
      RunResult results[2];
      std::thread second([&] { results[1] = run(dir, pair[1]); });
      results[0] = run(dir, pair[0]);
      second.join();
      for (const RunResult& r : results) {
        ASSERT_EQ(r.status, 0) << "round " << round << ": " << r.out << r.err;
      }
      const std::string after = dir.read("spectra.tmp");
      ASSERT_TRUE(after == one_way || after == other_way) << "round " << round << ":\n" << after;
      ASSERT_FALSE(dir.exists("spectra.tmp.new")) << "round " << round;
    }
  }
}

}  // namespace
}  // namespace zelpra::test
