// The spectrum writer, in-process: the layout of every record, the flag
// lines, the fields that do not fit, the failures of the replacement, what
// stands at the temporary name, the owner kept, and a write-read-write round
// trip over random spectra.
#include "spectrum_writer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <optional>
#include <random>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "harness.h"
#include "in_process.h"
#include "spectrum_file.h"
#include "text/run_end.h"

namespace zelpra {
namespace {

namespace fs = std::filesystem;
using test::ScratchDir;

const char* const kNoFitLines =
    " ERROR: value does not fit its field in spectra.tmp\n"
    " Aborting.\n";

// Runs the test with the scratch directory as the working directory.
class InDir {
 public:
  explicit InDir(const ScratchDir& dir) : old_(fs::current_path()) { fs::current_path(dir.path()); }
  ~InDir() { fs::current_path(old_); }

 private:
  fs::path old_;
};

std::set<std::string> files_in(const ScratchDir& dir) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

// A small spectrum of two bins and two history entries.
Spectrum sample_spectrum() {
  Spectrum s;
  s.ihd1 = 80;
  s.hd1 = 2.5f;
  s.ihd2 = 1;
  s.hd2 = 12.5f;
  s.nbin = 2;
  s.de = 1.0f;
  s.dist = 100.0f;
  s.ebin[0] = 50.0f;
  s.phi[0] = 1.0e6f;
  s.ebin[1] = 51.0f;
  s.phi[1] = 2.5e3f;
  s.nhist = 2;
  s.hname[0] = "Al 2.5 mm           ";
  s.hval[0] = 2.5f;
  s.hname[1] = "Cu 0.1 mm, new tube ";
  s.hval[1] = 0.1f;
  return s;
}

const char* const kSampleFile =
    "# kaltrovin: 80   2.500  1   12.50\n"
    "#     2   1.0000    100.0000\n"
    "#    1   2  (unit flags)\n"
    "#  Energy      #/mAs-cm^2-keV\n"
    "   50.000        1.0000E+06\n"
    "   51.000        2.5000E+03\n"
    "#  Attenuation History:\n"
    "#  2\n"
    "# Al 2.5 mm              2.5000E+00\n"
    "# Cu 0.1 mm, new tube    1.0000E-01\n";

// Writes `s` with flags `iu` in the working directory.
void write(const Spectrum& s, const UnitFlags& iu) {
  SPECTRUM = s;
  WRITE_SPECTRUM(iu);
}

// Writes `s` with flags 1 2, which must end the run: how it ended.
RunEnd run_end_of_write(const Spectrum& s) {
  const std::optional<RunEnd> end = test::run_in_process([&s] { write(s, {1, 2}); }).end;
  if (end) return *end;
  ADD_FAILURE() << "the spectrum was written";
  return {};
}

TEST(SpectrumWriter, WritesEveryRecord) {
  ScratchDir dir;
  InDir in(dir);
  write(sample_spectrum(), {1, 2});
  EXPECT_EQ(dir.read("spectra.tmp"), kSampleFile);
  EXPECT_EQ(files_in(dir), std::set<std::string>{"spectra.tmp"});
}

TEST(SpectrumWriter, WritesTheLimitsOfEachField) {
  Spectrum s;
  s.ihd1 = -9;
  s.hd1 = -9.999f;
  s.ihd2 = 0;
  s.hd2 = 999.99f;
  s.nbin = 5;
  s.de = 99.9999f;
  s.dist = 99999.9f;  // the float 99999.8984
  const float ebin[] = {999.999f, -99.999f, 0.0f, -0.0f, 0.0005f};
  const float phi[] = {std::numeric_limits<float>::max(), std::numeric_limits<float>::denorm_min(),
                       -0.0f, 0.0f, -1.0e-10f};
  for (int i = 0; i < 5; ++i) {
    s.ebin[i] = ebin[i];
    s.phi[i] = phi[i];
  }
  s.nhist = 1;
  s.hname[0] = "x";  // padded to 20 characters
  s.hval[0] = -std::numeric_limits<float>::max();

  ScratchDir dir;
  InDir in(dir);
  write(s, {2, 1});
  EXPECT_EQ(dir.read("spectra.tmp"),
            "# kaltrovin: -9  -9.999  0  999.99\n"
            "#     5  99.9999  99999.8984\n"
            "#    2   1  (unit flags)\n"
            "#  Energy     ergs/mAs-sr-keV\n"
            "  999.999        3.4028E+38\n"
            "  -99.999        1.4013E-45\n"
            "    0.000       -0.0000E+00\n"
            "   -0.000        0.0000E+00\n"
            "    0.001       -1.0000E-10\n"
            "#  Attenuation History:\n"
            "#  1\n"
            "# x                     -3.4028E+38\n");
}

// Each flag is compared with 1 only; anything else is written as 2.
TEST(SpectrumWriter, ChoosesTheFlagLinesByComparingWithOne) {
  struct Case {
    UnitFlags iu;
    const char* lines;
  };
  const Case cases[] = {
      {{1, 1}, "#    1   1  (unit flags)\n#  Energy       #/mAs-sr-keV\n"},
      {{1, 2}, "#    1   2  (unit flags)\n#  Energy      #/mAs-cm^2-keV\n"},
      {{2, 1}, "#    2   1  (unit flags)\n#  Energy     ergs/mAs-sr-keV\n"},
      {{2, 2}, "#    2   2  (unit flags)\n#  Energy    ergs/mAs-cm^2-keV\n"},
      {{0, 5}, "#    2   2  (unit flags)\n#  Energy    ergs/mAs-cm^2-keV\n"},
      {{3, 1}, "#    2   1  (unit flags)\n#  Energy     ergs/mAs-sr-keV\n"},
      {{1, -1}, "#    1   2  (unit flags)\n#  Energy      #/mAs-cm^2-keV\n"},
      {{-2, 0}, "#    2   2  (unit flags)\n#  Energy    ergs/mAs-cm^2-keV\n"},
  };
  ScratchDir dir;
  InDir in(dir);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.iu[0]) + "," + std::to_string(c.iu[1]));
    write(sample_spectrum(), c.iu);
    const std::string text = dir.read("spectra.tmp");
    const std::size_t second = text.find('\n') + 1;
    const std::size_t third = text.find('\n', second) + 1;
    const std::size_t fifth = text.find('\n', text.find('\n', third) + 1) + 1;
    EXPECT_EQ(text.substr(third, fifth - third), c.lines);
  }
}

// No bins and no history; an existing longer file is replaced whole, and its
// permission bits stay.
TEST(SpectrumWriter, ReplacesALongerFileWholeWithNoBinsAndNoHistory) {
  ScratchDir dir;
  InDir in(dir);
  dir.write("spectra.tmp", std::string(kSampleFile) + "trailing text\n");
  ASSERT_EQ(::chmod("spectra.tmp", 0640), 0);
  Spectrum s = sample_spectrum();
  s.nbin = 0;
  s.nhist = 0;
  write(s, {1, 1});
  EXPECT_EQ(dir.read("spectra.tmp"),
            "# kaltrovin: 80   2.500  1   12.50\n"
            "#     0   1.0000    100.0000\n"
            "#    1   1  (unit flags)\n"
            "#  Energy       #/mAs-sr-keV\n"
            "#  Attenuation History:\n"
            "#  0\n");
  struct stat st {};
  ASSERT_EQ(::stat("spectra.tmp", &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(files_in(dir), std::set<std::string>{"spectra.tmp"});
}

// A negative count writes no record of its kind.
TEST(SpectrumWriter, NegativeCountsWriteNoRecords) {
  ScratchDir dir;
  InDir in(dir);
  Spectrum s = sample_spectrum();
  s.nbin = -5;
  s.nhist = -1;
  write(s, {1, 2});
  EXPECT_EQ(dir.read("spectra.tmp"),
            "# kaltrovin: 80   2.500  1   12.50\n"
            "#    -5   1.0000    100.0000\n"
            "#    1   2  (unit flags)\n"
            "#  Energy      #/mAs-cm^2-keV\n"
            "#  Attenuation History:\n"
            "# -1\n");
}

// A value that would be written as asterisks is refused before anything is
// touched: the old file stays byte for byte, and nothing else is created.
TEST(SpectrumWriter, RefusesAValueThatDoesNotFitItsField) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    const char* name;
    std::function<void(Spectrum&)> change;
  };
  const Case cases[] = {
      {"ihd1 100", [](Spectrum& s) { s.ihd1 = 100; }},
      {"ihd1 -10", [](Spectrum& s) { s.ihd1 = -10; }},
      {"ihd2 10", [](Spectrum& s) { s.ihd2 = 10; }},
      {"ihd2 -1", [](Spectrum& s) { s.ihd2 = -1; }},
      {"hd1 rounds to 100.000", [](Spectrum& s) { s.hd1 = 99.9996f; }},
      {"hd1 -10", [](Spectrum& s) { s.hd1 = -10.0f; }},
      {"hd2 1000", [](Spectrum& s) { s.hd2 = 1000.0f; }},
      {"hd2 nan", [nan](Spectrum& s) { s.hd2 = nan; }},
      {"nbin -100", [](Spectrum& s) { s.nbin = -100; }},
      {"nbin beyond the block", [](Spectrum& s) { s.nbin = kMaxBins + 1; }},
      {"de 100", [](Spectrum& s) { s.de = 100.0f; }},
      {"dist 100000", [](Spectrum& s) { s.dist = 100000.0f; }},
      {"dist -10000", [](Spectrum& s) { s.dist = -10000.0f; }},
      {"dist infinite", [inf](Spectrum& s) { s.dist = inf; }},
      {"ebin 1000", [](Spectrum& s) { s.ebin[1] = 1000.0f; }},
      {"ebin rounds to 1000.000", [](Spectrum& s) { s.ebin[1] = 999.9996f; }},
      {"ebin -100", [](Spectrum& s) { s.ebin[0] = -100.0f; }},
      // A non-zero value that would show as zero would read back as 0.
      {"hd1 shows as 0.000", [](Spectrum& s) { s.hd1 = 0.0004f; }},
      {"hd2 shows as -0.00", [](Spectrum& s) { s.hd2 = -0.004f; }},
      {"de shows as 0.0000", [](Spectrum& s) { s.de = 1.0e-30f; }},
      {"dist shows as 0.0000", [](Spectrum& s) { s.dist = 0.00004f; }},
      {"dist shows as -0.0000", [](Spectrum& s) { s.dist = -0.00004f; }},
      {"ebin shows as -0.000", [](Spectrum& s) { s.ebin[1] = -0.0004f; }},
      {"phi infinite", [inf](Spectrum& s) { s.phi[1] = inf; }},
      {"phi -infinite", [inf](Spectrum& s) { s.phi[0] = -inf; }},
      {"phi nan", [nan](Spectrum& s) { s.phi[1] = nan; }},
      {"nhist 100", [](Spectrum& s) { s.nhist = 100; }},
      {"nhist beyond the block", [](Spectrum& s) { s.nhist = kMaxHistory + 1; }},
      {"hval infinite", [inf](Spectrum& s) { s.hval[1] = inf; }},
      {"hval nan", [nan](Spectrum& s) { s.hval[0] = nan; }},
  };
  ScratchDir dir;
  InDir in(dir);
  const std::string old = "old content\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dir.write("spectra.tmp", old);
    Spectrum s = sample_spectrum();
    c.change(s);
    const RunEnd end = run_end_of_write(s);
    EXPECT_EQ(end.status, 8);
    EXPECT_EQ(end.io_error, 0);
    EXPECT_EQ(end.out, kNoFitLines);
    EXPECT_EQ(dir.read("spectra.tmp"), old);
    EXPECT_EQ(files_in(dir), std::set<std::string>{"spectra.tmp"});
  }
}

// ---- Failures of the replacement -------------------------------------------

const char* const kOld = "the old spectrum\n";

// WRITE_SPECTRUM of the sample spectrum, run as quiset's main routine runs
// it, in a child process in `dir` with `faults`: what it printed and its exit
// status.
test::RunResult write_in_child(const ScratchDir& dir, const test::Faults& faults) {
  test::RunOptions options;
  options.faults = faults;
  return test::run_in_child(dir.path(), options, [] {
    return run_tool("quiset", [] {
      SPECTRUM = sample_spectrum();
      WRITE_SPECTRUM({1, 2});
    });
  });
}

struct PermissionCase {
  const char* label;
  mode_t file_mode;  // of the existing spectra.tmp
  mode_t dir_mode;   // of the working directory
};

void PrintTo(const PermissionCase& c, std::ostream* os) { *os << c.label; }

class SpectrumWriterPermission : public ::testing::TestWithParam<PermissionCase> {};

// Either the existing file or the directory that the replacement goes into
// may not be written.  Permission checks do not hold for the superuser: the
// child runs as a plain user.
TEST_P(SpectrumWriterPermission, IsError9) {
  const PermissionCase& c = GetParam();
  ScratchDir dir;
  dir.write("spectra.tmp", kOld);
  ASSERT_EQ(::chmod((dir / "spectra.tmp").c_str(), c.file_mode), 0);
  ASSERT_EQ(::chmod(dir.path().c_str(), c.dir_mode), 0);
  const test::RunResult r = write_in_child(dir, test::as_plain_user());
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err,
            "quiset: severe (9): permission to access file denied, unit 10, file spectra.tmp\n");
  EXPECT_EQ(r.status, 9);
  EXPECT_EQ(dir.read("spectra.tmp"), kOld);
  EXPECT_EQ(files_in(dir), std::set<std::string>{"spectra.tmp"});
}

INSTANTIATE_TEST_SUITE_P(
    MayNotBeWritten, SpectrumWriterPermission,
    ::testing::Values(PermissionCase{"existing_file", 0444, 0777},
                      PermissionCase{"directory", 0666, 0555}),
    [](const ::testing::TestParamInfo<PermissionCase>& info) {
      return std::string(info.param.label);
    });

// A write past the file-size limit, with SIGXFSZ at its default action (as
// a shell leaves it), does not end the process by the signal: the short write
// is the fatal error, the temporary file goes, the old spectrum stays.
TEST(SpectrumWriterFailure, ShortWriteIsError38) {
  ScratchDir dir;
  dir.write("spectra.tmp", kOld);
  test::Faults faults;
  faults.file_size_limit = 100;
  const test::RunResult r = write_in_child(dir, faults);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "quiset: severe (38): error during write, unit 10, file spectra.tmp\n");
  EXPECT_EQ(r.status, 38);
  EXPECT_EQ(dir.read("spectra.tmp"), kOld);
  EXPECT_EQ(files_in(dir), std::set<std::string>{"spectra.tmp"});
}

// The temporary name is taken by a directory: the create fails (30) and the
// directory, which the writer did not make, is left alone.
TEST(SpectrumWriterFailure, TemporaryFileThatCannotBeCreatedIsError30) {
  ScratchDir dir;
  InDir in(dir);
  dir.write("spectra.tmp", kOld);
  const std::string temp = "spectra.tmp." + std::to_string(getpid()) + ".new";
  fs::create_directory(temp);
  const RunEnd end = run_end_of_write(sample_spectrum());
  EXPECT_EQ(end.stderr_line("fendo"),
            "fendo: severe (30): open failure, unit 10, file spectra.tmp\n");
  EXPECT_EQ(end.status, 30);
  EXPECT_EQ(end.out, "");
  EXPECT_EQ(dir.read("spectra.tmp"), kOld);
  EXPECT_EQ(files_in(dir), (std::set<std::string>{"spectra.tmp", temp}));
}

// spectra.tmp is a directory with something in it: the rename fails (38)
// and the temporary file is removed.
TEST(SpectrumWriterFailure, FailedRenameIsError38) {
  ScratchDir dir;
  InDir in(dir);
  dir.write("spectra.tmp/keep", kOld);
  const RunEnd end = run_end_of_write(sample_spectrum());
  EXPECT_EQ(end.stderr_line("brask"),
            "brask: severe (38): error during write, unit 10, file spectra.tmp\n");
  EXPECT_EQ(end.status, 38);
  EXPECT_EQ(dir.read("spectra.tmp/keep"), kOld);
  EXPECT_EQ(files_in(dir), std::set<std::string>{"spectra.tmp"});
}

// ---- The temporary file -----------------------------------------------------

// What may stand at the temporary name before a rewrite.
struct Squatter {
  const char* label;
  // Puts it at `temp` in the working directory, beside the file "other".
  std::function<void(const std::string& temp)> put;
};

const Squatter kSquatters[] = {
    {"stale file", [](const std::string& temp) { std::ofstream(temp) << "half a spectrum"; }},
    {"named pipe", [](const std::string& temp) { ASSERT_EQ(::mkfifo(temp.c_str(), 0644), 0); }},
    {"hard link", [](const std::string& temp) { ASSERT_EQ(::link("other", temp.c_str()), 0); }},
    {"symbolic link", [](const std::string& temp) { ASSERT_EQ(::symlink("other", temp.c_str()), 0); }},
};

// Whatever stands at the temporary name is removed, never written through
// and never in the way.  Without the lock (which the converters hold, and
// under which the name is spectra.tmp.new) the name is spectra.tmp.<pid>.new.
TEST(SpectrumWriterTemporaryFile, WhatStandsAtItsNameIsReplaced) {
  for (const Squatter& squatter : kSquatters) {
    SCOPED_TRACE(squatter.label);
    ScratchDir dir;
    InDir in(dir);
    dir.write("spectra.tmp", kOld);
    dir.write("other", "another file\n");
    squatter.put("spectra.tmp." + std::to_string(getpid()) + ".new");
    write(sample_spectrum(), {1, 2});
    EXPECT_EQ(dir.read("spectra.tmp"), kSampleFile);
    EXPECT_EQ(dir.read("other"), "another file\n");
    EXPECT_EQ(files_in(dir), (std::set<std::string>{"spectra.tmp", "other"}));
  }
}

// The superuser rewriting another user's file gives it back to that user
// with its permission bits, so that the user's next rewrite is not refused.
TEST(SpectrumWriter, KeepsTheOwnerAndGroupOfTheOldFile) {
  if (geteuid() != 0) GTEST_SKIP() << "only the superuser may give a file to another user";
  ScratchDir dir;
  InDir in(dir);
  dir.write("spectra.tmp", kOld);
  ASSERT_EQ(::chown("spectra.tmp", 65534, 65534), 0);
  ASSERT_EQ(::chmod("spectra.tmp", 0604), 0);
  write(sample_spectrum(), {1, 2});
  struct stat st {};
  ASSERT_EQ(::stat("spectra.tmp", &st), 0);
  EXPECT_EQ(st.st_uid, 65534u);
  EXPECT_EQ(st.st_gid, 65534u);
  EXPECT_EQ(st.st_mode & 07777, 0604u);
  EXPECT_EQ(dir.read("spectra.tmp"), kSampleFile);
}

// ---- Round trip -------------------------------------------------------------

// A random finite 32-bit real from its bits, with the special values mixed in.
float random_real(std::mt19937& rng) {
  static const float special[] = {0.0f,
                                  -0.0f,
                                  1.0f,
                                  std::numeric_limits<float>::denorm_min(),
                                  -std::numeric_limits<float>::min(),
                                  std::numeric_limits<float>::max(),
                                  -std::numeric_limits<float>::max()};
  if (rng() % 8 == 0) return special[rng() % (sizeof special / sizeof special[0])];
  for (;;) {
    uint32_t bits = static_cast<uint32_t>(rng());
    float value;
    std::memcpy(&value, &bits, sizeof value);
    if (std::isfinite(value)) return value;
  }
}

// A value in [lo, hi] as the nearest float, sometimes exactly zero.
float random_in(std::mt19937& rng, double lo, double hi) {
  if (rng() % 16 == 0) return rng() % 2 ? 0.0f : -0.0f;
  return static_cast<float>(std::uniform_real_distribution<double>(lo, hi)(rng));
}

Spectrum random_spectrum(std::mt19937& rng) {
  Spectrum s;
  auto integer = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  s.ihd1 = integer(-9, 99);
  s.hd1 = random_in(rng, -9.999, 99.999);
  s.ihd2 = integer(0, 9);
  s.hd2 = random_in(rng, -99.99, 999.99);
  s.nbin = rng() % 10 == 0 ? 0 : integer(1, kMaxBins);
  s.de = random_in(rng, -9.9999, 99.9999);
  // Values of up to 7 significant digits read back to the same float.
  s.dist = random_in(rng, -9999.99, 99999.89);
  for (int i = 0; i < s.nbin; ++i) {
    s.ebin[i] = random_in(rng, -99.999, 999.999);
    s.phi[i] = random_real(rng);
  }
  s.nhist = rng() % 10 == 0 ? 0 : integer(1, kMaxHistory);
  for (int i = 0; i < s.nhist; ++i) {
    std::string name;
    for (int k = 0; k < kHistoryNameLength; ++k) {
      // Printable characters, frequent blanks, and some bytes above 127.
      int c = integer(0x21, 0x7e);
      if (rng() % 4 == 0) c = ' ';
      else if (rng() % 8 == 0) c = integer(0x80, 0xff);
      name += static_cast<char>(c);
    }
    s.hname[i] = name;
    s.hval[i] = random_real(rng);
  }
  return s;
}

TEST(SpectrumWriter, WriteReadWriteGivesTheSameFile) {
  ScratchDir dir;
  InDir in(dir);
  std::mt19937 rng(20261210);
  const int32_t flags[] = {1, 2, 0, 3, -1, 5};
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const Spectrum s = random_spectrum(rng);
    const UnitFlags iu = {flags[rng() % 6], flags[rng() % 6]};
    write(s, iu);
    const std::string first = dir.read("spectra.tmp");

    SPECTRUM = Spectrum();
    UnitFlags read_iu = {7, 7};
    READ_SPECTRUM(read_iu);
    EXPECT_EQ(read_iu[0], iu[0] == 1 ? 1 : 2);
    EXPECT_EQ(read_iu[1], iu[1] == 1 ? 1 : 2);
    ASSERT_EQ(SPECTRUM.nbin, s.nbin);
    ASSERT_EQ(SPECTRUM.nhist, s.nhist);
    for (int i = 0; i < s.nhist; ++i) EXPECT_EQ(SPECTRUM.hname[i], s.hname[i]);

    WRITE_SPECTRUM(read_iu);
    ASSERT_EQ(dir.read("spectra.tmp"), first);
  }
}

}  // namespace
}  // namespace zelpra
