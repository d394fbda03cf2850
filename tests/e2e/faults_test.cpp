// Faults end to end: the real programs with a write that fails part way, a
// working directory they may not write in, a spectra.tmp that is a
// directory, unreadable, empty or binary junk, data files that are
// directories or empty, and standard input closed or empty.  Every such run
// must end with the tool's own message or the fatal input/output error,
// never a crash, and must leave spectra.tmp byte for byte as it was.  Also
// the rewrite among what stands around spectra.tmp: something at the
// temporary name, a symbolic link, a file system that refuses fchmod.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstddef>
#include <filesystem>
#include <ostream>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "case_table.h"
#include "db_fixture.h"
#include "e2e_runner.h"
#include "harness.h"
#include "padded.h"
#include "spectrum_text.h"

namespace zelpra::test {
namespace {

namespace fs = std::filesystem;

const char kSpectrumMissing[] = " ERROR: spectra.tmp DOES NOT EXIST: Aborting.\n";
const char* const kAllTools[] = {"atlune", "torvane", "dosix", "quiset", "brask", "fendo", "belmor"};

// A per-cm2 photon spectrum at 100 cm in the written layout; `bins` bins
// from 10 keV up in steps of 1 keV.
std::string spectrum_file(int bins = 40) {
  std::vector<SpectrumBin> b;
  for (int i = 0; i < bins; ++i) b.push_back({10.0 + i, 1.0e5 + 2.5e3 * i});
  return SpectrumText().header(80, 2.5, 1, 17.0).bins(b).entry("Aluminium", 0.25).str();
}

const std::string kSpectrum = spectrum_file();

// What each tool needs on standard input to get past its reads.
std::string answers(const std::string& tool) {
  if (tool == "atlune") return "water\nflat\n0\n";
  if (tool == "torvane") return "water\n0\n0\n";
  if (tool == "fendo") return "50.0\n";
  return "";
}

// The data directory of every run here: the synthetic database, the
// material "water" and the detector "flat".
void write_data(const ScratchDir& dir) {
  DbFixture().write(dir / "data");
  dir.write("data/_materials/water", "2\n1 8\n0.111894 0.888106\n1.0\n");
  std::string det = "'Flat detector'\nFLAT 1.0 150.0 1.0\ncaption\n";
  for (int e = 1; e <= 150; ++e) det += std::to_string(e) + ".0 1.0 0.0\n";
  dir.write("data/_detectors/flat", det);
}

// `tool` on the spectrum above with its answers, labelled `label` (the tool
// by default); each test fills in the ends it expects.
E2eCase in_world(const std::string& tool, const std::string& label = "") {
  E2eCase c(label.empty() ? tool : label, tool, kSpectrum, answers(tool));
  c.setup = write_data;
  return c;
}

std::string severe(const std::string& tool, int n, const std::string& message) {
  return tool + ": severe (" + std::to_string(n) + "): " + message + "\n";
}

// The case `c` expecting the fatal error `n` with `message`, and nothing on
// standard output.
E2eCase ending_with(E2eCase c, int n, const std::string& message) {
  c.out = "";
  c.err = severe(c.tool, n, message);
  c.status = n;
  return c;
}

// The case `c` expecting the tool's own refusal `out`.
E2eCase refused(E2eCase c, const std::string& out) {
  c.out = out;
  c.err = "";
  c.status = 8;
  return c;
}

// ---- The writer: a write that fails part way -------------------------------

struct WriteCase {
  const char* tool;
  // Bytes the new file may take: this many, or, when negative, the size of
  // the whole new file less this many.  The limit holds for every file the
  // program writes, its standard error among them (a file here), so it stays
  // above the length of the error line.
  long limit;
};

// The file `tool` writes from the test spectrum.
std::string converted(const std::string& tool) {
  ScratchDir dir;
  const E2eRun run = run_case(in_world(tool), dir);
  EXPECT_EQ(run.result.status, 0) << tool << ": " << run.result.out << run.result.err;
  return run.spectrum_after;
}

long new_size(const std::string& tool) { return static_cast<long>(converted(tool).size()); }

void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.tool << " limit " << c.limit; }

class FailingWrite : public ::testing::TestWithParam<WriteCase> {};

// The old spectrum stays, the temporary file goes, and the run ends with the
// output error.
TEST_P(FailingWrite, LeavesTheOldSpectrumAndEndsWithTheOutputError) {
  const WriteCase& c = GetParam();
  const long size = new_size(c.tool);
  Faults faults;
  faults.file_size_limit = c.limit >= 0 ? c.limit : size + c.limit;
  ASSERT_LT(*faults.file_size_limit, size);
  expect_case(ending_with(in_world(c.tool).with_faults(faults), 38,
                          "error during write, unit 10, file spectra.tmp"));
}

INSTANTIATE_TEST_SUITE_P(
    Writers, FailingWrite,
    ::testing::Values(WriteCase{"quiset", 100}, WriteCase{"quiset", 600}, WriteCase{"quiset", -1},
                      WriteCase{"brask", 700}, WriteCase{"brask", -1}, WriteCase{"fendo", 100},
                      WriteCase{"fendo", -1}),
    [](const ::testing::TestParamInfo<WriteCase>& p) {
      return std::string(p.param.tool) + "_limit_" +
             (p.param.limit >= 0 ? std::to_string(p.param.limit)
                                 : "size_less_" + std::to_string(-p.param.limit));
    });

// The limit itself does not get in the way of a write that fits under it.
TEST(FailingWrite, AWriteUnderTheLimitSucceeds) {
  Faults faults;
  faults.file_size_limit = 64 * 1024;
  ScratchDir dir;
  const E2eCase c = in_world("quiset").with_faults(faults);
  const E2eRun run = run_case(c, dir);
  EXPECT_EQ(run.result.status, 0) << run.result.out << run.result.err;
  EXPECT_NE(run.spectrum_after, kSpectrum);
  EXPECT_EQ(run.names_after, run.names_before);
}

// ---- The rewrite: what stands around spectra.tmp ----------------------------

// `tool` on the test spectrum as it stands in the directory, a normal run
// that ends silently with the file as `tool` converts it.
E2eCase converting(const std::string& tool) {
  E2eCase c = in_world(tool);
  c.spectrum.reset();
  c.spectrum_after = converted(tool);
  return c;
}

// What a run killed part way, or anyone, may have left at the name of the
// temporary file.
struct Squatter {
  const char* label;
  void (*put)(const ScratchDir& dir, const std::string& temp);
};

void PrintTo(const Squatter& c, std::ostream* os) { *os << c.label; }

class TemporaryName : public ::testing::TestWithParam<Squatter> {};

// A converter holds the lock on spectra.tmp, under which the temporary name
// is spectra.tmp.new.  What stands there never blocks the run and is never
// written through: the rewrite removes it and creates its own file.
TEST_P(TemporaryName, WhatStandsThereIsRemovedNotWrittenThrough) {
  ScratchDir dir;
  dir.write("spectra.tmp", kSpectrum);
  dir.write("other", "another file\n");
  GetParam().put(dir, dir / "spectra.tmp.new");
  const E2eCase c = converting("quiset").timeout(5);
  const E2eRun run = run_case(c, dir);
  EXPECT_EQ(run.result.status, 0) << run.result.out << run.result.err;
  EXPECT_EQ(run.spectrum_after, *c.spectrum_after);
  EXPECT_EQ(dir.read("other"), "another file\n");
  std::set<std::string> names = run.names_before;
  names.erase("spectra.tmp.new");
  EXPECT_EQ(run.names_after, names);
}

INSTANTIATE_TEST_SUITE_P(
    Left, TemporaryName,
    ::testing::Values(
        Squatter{"stale_file",
                 [](const ScratchDir& dir, const std::string&) {
                   dir.write("spectra.tmp.new", "# kaltro");
                 }},
        Squatter{"named_pipe",
                 [](const ScratchDir&, const std::string& t) {
                   ASSERT_EQ(mkfifo(t.c_str(), 0644), 0);
                 }},
        Squatter{"hard_link_to_another_file",
                 [](const ScratchDir& dir, const std::string& t) {
                   fs::create_hard_link(dir / "other", t);
                 }},
        Squatter{"symbolic_link_to_another_file",
                 [](const ScratchDir& dir, const std::string& t) {
                   fs::create_symlink(dir / "other", t);
                 }}),
    case_label<Squatter>);

// A directory at the temporary name cannot be removed: the rewrite passes it
// by for a name of its own and leaves the directory as it was.
TEST(TemporaryNameTaken, ADirectoryThereIsPassedBy) {
  ScratchDir dir;
  dir.write("spectra.tmp", kSpectrum);
  expect_case(converting("quiset").file("spectra.tmp.new/inside", "kept\n"), dir);
  EXPECT_EQ(dir.read("spectra.tmp.new/inside"), "kept\n");
}

// spectra.tmp as a symbolic link into another directory, directly or by a
// chain of links, absolute or relative: the file it names is rewritten (with
// its permission bits), the temporary file goes beside it, and the link stays.
TEST(SymbolicLink, TheFileItNamesIsRewrittenAndTheLinkStays) {
  struct Case {
    const char* label;
    bool relative;
    bool chain;
  };
  const Case cases[] = {{"absolute", false, false}, {"relative", true, false}, {"chain", true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    ScratchDir dir;
    ScratchDir other;
    other.write("tube_80kvp.txt", kSpectrum);
    fs::permissions(other / "tube_80kvp.txt", fs::perms(0640));
    const std::string target =
        c.relative ? "../" + fs::path(other.path()).filename().string() + "/tube_80kvp.txt"
                   : other / "tube_80kvp.txt";
    fs::create_symlink(target, c.chain ? dir / "link" : dir / "spectra.tmp");
    if (c.chain) fs::create_symlink("link", dir / "spectra.tmp");
    for (const char* tool : {"quiset", "belmor"}) {
      E2eCase run_of_tool = in_world(tool);
      run_of_tool.spectrum.reset();
      const E2eRun run = run_case(run_of_tool, dir);
      EXPECT_EQ(run.result.status, 0) << tool << ": " << run.result.out << run.result.err;
      EXPECT_EQ(run.names_after, run.names_before) << tool;
    }
    EXPECT_EQ(other.read("tube_80kvp.txt"), converted("quiset"));
    EXPECT_EQ(fs::status(other / "tube_80kvp.txt").permissions(), fs::perms(0640));
    EXPECT_TRUE(fs::is_symlink(dir / "spectra.tmp"));
    EXPECT_EQ(fs::read_symlink(dir / (c.chain ? "link" : "spectra.tmp")).string(), target);
    std::vector<std::string> in_other;
    for (const auto& e : fs::directory_iterator(other.path())) in_other.push_back(e.path().filename());
    EXPECT_EQ(in_other, std::vector<std::string>{"tube_80kvp.txt"});
  }
}

// A link to nothing reads as a missing spectra.tmp, and nothing is created.
TEST(SymbolicLink, ADanglingOneReadsAsAMissingSpectrum) {
  ScratchDir dir;
  fs::create_symlink("gone.txt", dir / "spectra.tmp");
  for (const char* tool : kAllTools) {
    E2eCase c = refused(in_world(tool), kSpectrumMissing);
    c.spectrum.reset();
    expect_case(c, dir);
  }
  EXPECT_TRUE(fs::is_symlink(dir / "spectra.tmp"));
  EXPECT_FALSE(dir.exists("gone.txt"));
}

// A file system that keeps no permission bits or owners refuses fchmod and
// fchown (here a system-call filter does): keeping them is best effort, and
// the rewrite goes through.
TEST(Rewrite, ARefusedChmodDoesNotFailIt) {
  if (!can_refuse_chmod()) GTEST_SKIP() << "no system-call filter on this machine";
  ScratchDir dir;
  dir.write("spectra.tmp", kSpectrum);
  fs::permissions(dir / "spectra.tmp", fs::perms(0640));
  Faults refusing;
  refusing.refuse_chmod = true;
  expect_case(converting("quiset").with_faults(refusing), dir);
  EXPECT_NE(fs::status(dir / "spectra.tmp").permissions(), fs::perms(0640))
      << "the filter did not refuse fchmod";
}

// ---- Standard streams that fail ---------------------------------------------

std::vector<E2eCase> failing_streams() {
  std::vector<E2eCase> cases;
  // A result that cannot be printed (a full disk behind a redirection) must
  // not end as a success: it is the fatal output error.
  Faults full;
  full.stdout_path = "/dev/full";
  for (const char* tool : {"belmor", "dosix", "atlune", "torvane"}) {
    cases.push_back(ending_with(in_world(tool, std::string(tool) + "_full_stdout").with_faults(full),
                                38, "error during write, unit 6, file stdout"));
  }
  // A read of standard input that fails (here: it is the working directory)
  // is the fatal read error, not the end of the answers.
  Faults directory;
  directory.stdin_path = ".";
  cases.push_back(ending_with(in_world("fendo", "fendo_stdin_a_directory").with_faults(directory),
                              39, "error during read, unit 5, file stdin"));
  // Standard input closed, empty, or ending before the last answer.
  auto ending = [](const char* tool, const char* label, const char* text) {
    E2eCase c = in_world(tool, label);
    c.stdin_text = text;
    return ending_with(c, 24, "end-of-file during read, unit 5, file stdin");
  };
  auto closed = [](const char* tool, const char* label) {
    return ending_with(in_world(tool, label).stdin_closed(), 24,
                       "end-of-file during read, unit 5, file stdin");
  };
  cases.push_back(closed("atlune", "atlune_closed"));
  cases.push_back(ending("atlune", "atlune_empty", ""));
  cases.push_back(ending("atlune", "atlune_blank_lines", "\n  \n\t\n"));
  cases.push_back(ending("atlune", "atlune_after_material", "water\n"));
  cases.push_back(ending("atlune", "atlune_after_detector", "water\nflat\n"));
  cases.push_back(closed("torvane", "torvane_closed"));
  cases.push_back(ending("torvane", "torvane_empty", ""));
  cases.push_back(ending("torvane", "torvane_after_material", "water\n"));
  cases.push_back(ending("torvane", "torvane_after_thickness", "water\n0.1\n"));
  cases.push_back(closed("fendo", "fendo_closed"));
  cases.push_back(ending("fendo", "fendo_empty", ""));
  cases.push_back(ending("fendo", "fendo_blank_lines", "\n\n"));
  return cases;
}

INSTANTIATE_TEST_SUITE_P(StandardStreams, EndToEnd, ::testing::ValuesIn(failing_streams()),
                         case_label<E2eCase>);

// ---- Permissions, met as a plain user ---------------------------------------

class AsPlainUser : public ::testing::Test {
 protected:
  void SetUp() override {
    write_data(dir_);
    dir_.write("spectra.tmp", kSpectrum);
    // The plain user must reach the scratch tree and read the data.
    for (const auto& e : fs::recursive_directory_iterator(dir_.path())) {
      fs::permissions(e.path(), e.is_directory() ? fs::perms(0755) : fs::perms(0644));
    }
    fs::permissions(dir_.path(), fs::perms(0755));
    // The scratch directory lies under TMPDIR, and the programs under the
    // build directory, which that user may not enter.
    if (run_case(as_user("belmor"), dir_).result.status == kCouldNotStart) {
      GTEST_SKIP() << "uid 65534 cannot enter " << dir_.path() << " or run the programs";
    }
  }

  // `tool` run as the plain user on what the directory holds.
  E2eCase as_user(const std::string& tool) const {
    E2eCase c(tool, tool, {}, answers(tool));
    c.faults = as_plain_user();
    return c;
  }

  ScratchDir dir_;
};

struct ReadOnlyCase {
  const char* label;
  fs::perms spectrum;   // of spectra.tmp
  fs::perms directory;  // of the working directory
};

void PrintTo(const ReadOnlyCase& c, std::ostream* os) { *os << c.label; }

class ReadOnly : public AsPlainUser, public ::testing::WithParamInterface<ReadOnlyCase> {};

// The converters end with the permission error before anything is made,
// and spectra.tmp stays as it was.
TEST_P(ReadOnly, ConvertersEndWithThePermissionError) {
  fs::permissions(dir_ / "spectra.tmp", GetParam().spectrum);
  fs::permissions(dir_.path(), GetParam().directory);
  for (const char* tool : {"quiset", "brask", "fendo"}) {
    expect_case(ending_with(as_user(tool), 9,
                            "permission to access file denied, unit 10, file spectra.tmp"),
                dir_);
  }
}

INSTANTIATE_TEST_SUITE_P(
    PlainUser, ReadOnly,
    ::testing::Values(
        // The temporary file cannot be created, although spectra.tmp itself
        // may be written.
        ReadOnlyCase{"directory", fs::perms(0666), fs::perms(0555)},
        // spectra.tmp may be read but not written.
        ReadOnlyCase{"spectrum", fs::perms(0444), fs::perms(0777)}),
    case_label<ReadOnlyCase>);

// An unreadable spectra.tmp does not open: the reader's own message.
TEST_F(AsPlainUser, UnreadableSpectrumGivesTheReadersMessage) {
  fs::permissions(dir_ / "spectra.tmp", fs::perms(0000));
  for (const char* tool : kAllTools) expect_case(refused(as_user(tool), kSpectrumMissing), dir_);
  fs::permissions(dir_ / "spectra.tmp", fs::perms(0644));
  EXPECT_EQ(dir_.read("spectra.tmp"), kSpectrum);
}

// ---- spectra.tmp that is not a spectrum file --------------------------------

std::vector<E2eCase> odd_spectrum_files() {
  std::vector<E2eCase> cases;
  for (const char* tool : kAllTools) {
    E2eCase directory = in_world(tool, std::string(tool) + "_directory").file("spectra.tmp/", "");
    directory.spectrum.reset();
    cases.push_back(refused(directory, kSpectrumMissing));

    E2eCase empty = in_world(tool, std::string(tool) + "_empty");
    empty.spectrum = "";
    cases.push_back(
        ending_with(empty, 24, "end-of-file during read, unit 10, file spectra.tmp"));
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(SpectrumFile, EndToEnd, ::testing::ValuesIn(odd_spectrum_files()),
                         case_label<E2eCase>);

// A spectra.tmp that is not a regular file (a named pipe nobody writes to)
// must not block the tool for ever: it does not open, like a missing one.
TEST(SpectrumFile, ANamedPipeDoesNotHang) {
  ScratchDir dir;
  ASSERT_EQ(mkfifo((dir / "spectra.tmp").c_str(), 0644), 0);
  for (const char* tool : {"belmor", "quiset"}) {
    E2eCase c = refused(in_world(tool), kSpectrumMissing).timeout(3);
    c.spectrum.reset();
    expect_case(c, dir);
  }
}

// Bytes of every value, NUL and line ends among them, in a fixed sequence.
std::string junk(std::size_t n, unsigned seed) {
  std::string s;
  unsigned x = seed;
  for (std::size_t i = 0; i < n; ++i) {
    x = x * 1103515245u + 12345u;
    s += static_cast<char>((x >> 16) & 0xFF);
  }
  return s;
}

// Whichever fatal input error the run of `c` met on spectra.tmp: one line on
// standard error naming the tool, the error number as the exit status,
// nothing on standard output, spectra.tmp left alone.
void expect_fatal_spectrum_error(const E2eCase& c) {
  SCOPED_TRACE(c.label);
  static const std::regex line(
      "(\\w+): severe \\((\\d+)\\): "
      "(end-of-file during read|input conversion error), unit 10, file spectra.tmp\n");
  ScratchDir dir;
  const E2eRun run = run_case(c, dir);
  std::smatch m;
  ASSERT_TRUE(std::regex_match(run.result.err, m, line))
      << run.result.err << " status " << run.result.status;
  EXPECT_EQ(m[1].str(), c.tool);
  EXPECT_EQ(run.result.status, std::stoi(m[2].str()));
  EXPECT_EQ(run.result.out, "");
  expect_left_behind(c, run);
}

TEST(SpectrumFile, BinaryJunkIsAFatalInputErrorNeverACrash) {
  for (unsigned seed : {1u, 2u, 3u}) {
    for (const char* tool : kAllTools) {
      E2eCase c = in_world(tool, std::string(tool) + " seed " + std::to_string(seed));
      c.spectrum = junk(4096, seed);
      expect_fatal_spectrum_error(c);
    }
  }
}

// A header that reads, then binary junk where the bins should be.
TEST(SpectrumFile, JunkAfterAValidHeaderIsAFatalInputError) {
  std::string text = spectrum_file(3);
  text = text.substr(0, text.find("   10.000")) + junk(512, 7);
  for (const char* tool : kAllTools) {
    E2eCase c = in_world(tool);
    c.spectrum = text;
    expect_fatal_spectrum_error(c);
  }
}

// ---- Data files that are directories or empty -------------------------------

struct DataFileCase {
  const char* label;
  const char* tool;
  const char* relative;  // under the data directory
};

void PrintTo(const DataFileCase& c, std::ostream* os) { *os << c.label; }

class DataFile : public ::testing::TestWithParam<DataFileCase> {
 protected:
  bool in_database() const { return std::string(GetParam().relative).rfind("_database/", 0) == 0; }
  std::string path() const { return dir_ / "data" + "/" + GetParam().relative; }

  ScratchDir dir_;
};

// The message each tool prints when the file does not open.
TEST_P(DataFile, ADirectoryGivesTheOpenFailureMessage) {
  const DataFileCase& p = GetParam();
  const std::string rel = p.relative;
  std::string message;
  if (in_database()) {
    const std::string shown = padded(path(), 80);
    message = " ERROR opening data file in input\\n\n " + shown.substr(0, 79) + "\n " +
              shown.substr(79) + "\n";
  } else if (rel.rfind("_materials/", 0) == 0) {
    message = " ERROR: could not find material file " + padded("water", 40) + "\n";
  } else {
    message = " ERROR: could not find detector file " + padded("flat", 40) + "\n";
  }
  expect_case(refused(in_world(p.tool).file("data/" + rel + "/", ""), message), dir_);
}

TEST_P(DataFile, AnEmptyOneIsTheEndOfFileError) {
  const DataFileCase& p = GetParam();
  const std::string unit = in_database() ? "4" : "10";
  expect_case(ending_with(in_world(p.tool).file(std::string("data/") + p.relative, ""), 24,
                          "end-of-file during read, unit " + unit + ", file " + path()),
              dir_);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DataFile,
    ::testing::Values(DataFileCase{"atlune_names", "atlune", "_database/names"},
                      DataFileCase{"atlune_inscat", "atlune", "_database/inscat"},
                      DataFileCase{"atlune_air", "atlune", "_database/air"},
                      DataFileCase{"torvane_photoe", "torvane", "_database/photoe.data"},
                      DataFileCase{"torvane_kshell", "torvane", "_database/kshell_data"},
                      DataFileCase{"atlune_material", "atlune", "_materials/water"},
                      DataFileCase{"torvane_material", "torvane", "_materials/water"},
                      DataFileCase{"atlune_detector", "atlune", "_detectors/flat"}),
    case_label<DataFileCase>);

}  // namespace
}  // namespace zelpra::test
