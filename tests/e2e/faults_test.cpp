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

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <regex>
#include <string>
#include <vector>

#include "db_fixture.h"
#include "fault_run.h"
#include "harness.h"

namespace zelpra::test {
namespace {

namespace fs = std::filesystem;

const char kSpectrumMissing[] = " ERROR: spectra.tmp DOES NOT EXIST: Aborting.\n";
const char* const kAllTools[] = {"atlune", "torvane", "dosix", "quiset", "brask", "fendo", "belmor"};

// A per-cm2 photon spectrum at 100 cm in the written layout; `bins` bins
// from 10 keV up in steps of 1 keV.
std::string spectrum_file(int bins = 40) {
  char buf[128];
  std::string s = "# kaltrovin: 80   2.500  1   17.00\n";
  std::snprintf(buf, sizeof buf, "#   %3d  %7.4f  %10.4f\n", bins, 1.0, 100.0);
  s += buf;
  s += "#    1   2  (unit flags)\n";
  s += "#  Energy      #/mAs-cm^2-keV\n";
  for (int i = 0; i < bins; ++i) {
    std::snprintf(buf, sizeof buf, "  %7.3f     %13.4E\n", 10.0 + i, 1.0e5 + 2.5e3 * i);
    s += buf;
  }
  s += "#  Attenuation History:\n";
  s += "#  1\n";
  s += "# Aluminium              2.5000E-01\n";
  return s;
}

std::string padded(std::string s, std::size_t n) {
  s.resize(n, ' ');
  return s;
}

// What each tool needs on standard input to get past its reads.
std::string answers(const std::string& tool) {
  if (tool == "atlune") return "water\nflat\n0\n";
  if (tool == "torvane") return "water\n0\n0\n";
  if (tool == "fendo") return "50.0\n";
  return "";
}

// A working directory with spectra.tmp and a complete data directory: the
// synthetic database, the material "water" and the detector "flat".
struct World {
  ScratchDir dir;
  std::string data = dir / "data";
  std::string spectrum = spectrum_file();

  World() {
    DbFixture().write(data);
    dir.write("data/_materials/water", "2\n1 8\n0.111894 0.888106\n1.0\n");
    std::string det = "'Flat detector'\nFLAT 1.0 150.0 1.0\ncaption\n";
    for (int e = 1; e <= 150; ++e) det += std::to_string(e) + ".0 1.0 0.0\n";
    dir.write("data/_detectors/flat", det);
    dir.write("spectra.tmp", spectrum);
  }

  RunOptions options(const std::string& tool) const {
    RunOptions o;
    o.stdin_text = answers(tool);
    o.env["ZELPRA_DIR"] = data;
    return o;
  }

  // Nothing but spectra.tmp, the data directory and what a test put there.
  std::vector<std::string> leftovers() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.path())) {
      const std::string name = e.path().filename().string();
      if (name.rfind("spectra.tmp.", 0) == 0) names.push_back(name);
    }
    return names;
  }
};

std::string severe(const std::string& tool, int n, const std::string& message) {
  return tool + ": severe (" + std::to_string(n) + "): " + message + "\n";
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
  World w;
  const RunResult r = run_tool(tool, w.dir.path(), w.options(tool));
  EXPECT_EQ(r.status, 0) << tool << ": " << r.out << r.err;
  return w.dir.read("spectra.tmp");
}

long new_size(const std::string& tool) { return static_cast<long>(converted(tool).size()); }

void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.tool << " limit " << c.limit; }

class FailingWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(FailingWrite, LeavesTheOldSpectrumAndEndsWithTheOutputError) {
  const WriteCase& c = GetParam();
  const long size = new_size(c.tool);
  World w;
  Faults faults;
  faults.file_size_limit = c.limit >= 0 ? c.limit : size + c.limit;
  ASSERT_LT(*faults.file_size_limit, size);
  const RunResult r = run_tool_with_faults(c.tool, w.dir.path(), w.options(c.tool), faults);
  EXPECT_EQ(r.status, 38);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, severe(c.tool, 38, "error during write, unit 10, file spectra.tmp"));
  EXPECT_EQ(w.dir.read("spectra.tmp"), w.spectrum);
  EXPECT_EQ(w.leftovers(), std::vector<std::string>{}) << "the temporary file was not removed";
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
  World w;
  Faults faults;
  faults.file_size_limit = 64 * 1024;
  const RunResult r = run_tool_with_faults("quiset", w.dir.path(), w.options("quiset"), faults);
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(w.dir.read("spectra.tmp"), w.spectrum);
  EXPECT_EQ(w.leftovers(), std::vector<std::string>{});
}

// ---- The rewrite: what stands around spectra.tmp ----------------------------

// What a run killed part way, or anyone, may have left at the name of the
// temporary file.
struct Squatter {
  const char* label;
  void (*put)(const World& w, const std::string& temp);
};

void PrintTo(const Squatter& c, std::ostream* os) { *os << c.label; }

class TemporaryName : public ::testing::TestWithParam<Squatter> {};

// A converter holds the lock on spectra.tmp, under which the temporary name
// is spectra.tmp.new.  What stands there never blocks the run and is never
// written through: the rewrite removes it and creates its own file.
TEST_P(TemporaryName, WhatStandsThereIsRemovedNotWrittenThrough) {
  World w;
  w.dir.write("other", "another file\n");
  GetParam().put(w, w.dir / "spectra.tmp.new");
  RunOptions o = w.options("quiset");
  o.timeout_seconds = 5;
  const RunResult r = run_tool("quiset", w.dir.path(), o);
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(w.dir.read("spectra.tmp"), converted("quiset"));
  EXPECT_EQ(w.dir.read("other"), "another file\n");
  EXPECT_EQ(w.leftovers(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Left, TemporaryName,
    ::testing::Values(
        Squatter{"stale_file",
                 [](const World& w, const std::string&) { w.dir.write("spectra.tmp.new", "# kaltro"); }},
        Squatter{"named_pipe",
                 [](const World&, const std::string& t) { ASSERT_EQ(mkfifo(t.c_str(), 0644), 0); }},
        Squatter{"hard_link_to_another_file",
                 [](const World& w, const std::string& t) { fs::create_hard_link(w.dir / "other", t); }},
        Squatter{"symbolic_link_to_another_file",
                 [](const World& w, const std::string& t) { fs::create_symlink(w.dir / "other", t); }}),
    [](const ::testing::TestParamInfo<Squatter>& p) { return std::string(p.param.label); });

// A directory at the temporary name cannot be removed: the rewrite passes it
// by for a name of its own and leaves the directory as it was.
TEST(TemporaryNameTaken, ADirectoryThereIsPassedBy) {
  World w;
  w.dir.write("spectra.tmp.new/inside", "kept\n");
  const RunResult r = run_tool("quiset", w.dir.path(), w.options("quiset"));
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(w.dir.read("spectra.tmp"), converted("quiset"));
  EXPECT_EQ(w.dir.read("spectra.tmp.new/inside"), "kept\n");
  EXPECT_EQ(w.leftovers(), std::vector<std::string>{"spectra.tmp.new"});
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
    World w;
    ScratchDir other;
    other.write("tube.spec", w.spectrum);
    fs::permissions(other / "tube.spec", fs::perms(0640));
    fs::remove(w.dir / "spectra.tmp");
    const std::string target =
        c.relative ? "../" + fs::path(other.path()).filename().string() + "/tube.spec"
                   : other / "tube.spec";
    fs::create_symlink(target, c.chain ? w.dir / "link" : w.dir / "spectra.tmp");
    if (c.chain) fs::create_symlink("link", w.dir / "spectra.tmp");
    for (const char* tool : {"quiset", "belmor"}) {
      const RunResult r = run_tool(tool, w.dir.path(), w.options(tool));
      EXPECT_EQ(r.status, 0) << tool << ": " << r.out << r.err;
    }
    EXPECT_EQ(other.read("tube.spec"), converted("quiset"));
    EXPECT_EQ(fs::status(other / "tube.spec").permissions(), fs::perms(0640));
    EXPECT_TRUE(fs::is_symlink(w.dir / "spectra.tmp"));
    EXPECT_EQ(fs::read_symlink(w.dir / (c.chain ? "link" : "spectra.tmp")).string(), target);
    EXPECT_EQ(w.leftovers(), std::vector<std::string>{});
    std::vector<std::string> in_other;
    for (const auto& e : fs::directory_iterator(other.path())) in_other.push_back(e.path().filename());
    EXPECT_EQ(in_other, std::vector<std::string>{"tube.spec"});
  }
}

// A link to nothing reads as a missing spectra.tmp, and nothing is created.
TEST(SymbolicLink, ADanglingOneReadsAsAMissingSpectrum) {
  World w;
  fs::remove(w.dir / "spectra.tmp");
  fs::create_symlink("gone.spec", w.dir / "spectra.tmp");
  for (const char* tool : kAllTools) {
    const RunResult r = run_tool(tool, w.dir.path(), w.options(tool));
    EXPECT_EQ(r.status, 8) << tool;
    EXPECT_EQ(r.out, kSpectrumMissing) << tool;
    EXPECT_EQ(r.err, "") << tool;
  }
  EXPECT_TRUE(fs::is_symlink(w.dir / "spectra.tmp"));
  EXPECT_FALSE(w.dir.exists("gone.spec"));
}

// A file system that keeps no permission bits or owners refuses fchmod and
// fchown (here a preloaded library does): keeping them is best effort, and
// the rewrite goes through.
TEST(Rewrite, ARefusedChmodDoesNotFailIt) {
  World w;
  fs::permissions(w.dir / "spectra.tmp", fs::perms(0640));
  RunOptions o = w.options("quiset");
  o.env["LD_PRELOAD"] = ZELPRA_REFUSE_CHMOD_LIB;
  // Under AddressSanitizer its runtime is then not the first library loaded.
  const char* asan = std::getenv("ASAN_OPTIONS");
  o.env["ASAN_OPTIONS"] = std::string(asan != nullptr ? asan : "") + ":verify_asan_link_order=0";
  const RunResult r = run_tool("quiset", w.dir.path(), o);
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(w.dir.read("spectra.tmp"), converted("quiset"));
  EXPECT_NE(fs::status(w.dir / "spectra.tmp").permissions(), fs::perms(0640))
      << "the preloaded library did not refuse fchmod";
  EXPECT_EQ(w.leftovers(), std::vector<std::string>{});
}

// ---- Standard output that cannot be written ---------------------------------

// A result that cannot be printed (a full disk behind a redirection) must
// not end as a success: it is the fatal output error.
TEST(StandardOutput, AFullDeviceIsTheFatalOutputError) {
  for (const char* tool : {"belmor", "dosix", "atlune", "torvane"}) {
    World w;
    Faults faults;
    faults.stdout_path = "/dev/full";
    const RunResult r = run_tool_with_faults(tool, w.dir.path(), w.options(tool), faults);
    EXPECT_EQ(r.status, 38) << tool;
    EXPECT_EQ(r.err.rfind(std::string(tool) + ": severe (38): error during write, unit ", 0), 0u)
        << tool << ": " << r.err;
  }
}

// A read of standard input that fails (here: it is a directory) is the
// fatal read error, not the end of the answers.
TEST(StandardInput, AFailedReadIsTheReadError) {
  World w;
  Faults faults;
  faults.stdin_path = w.dir.path();
  const RunResult r = run_tool_with_faults("fendo", w.dir.path(), w.options("fendo"), faults);
  EXPECT_EQ(r.status, 39);
  EXPECT_EQ(r.err, severe("fendo", 39, "error during read, unit 5, file stdin"));
}

// ---- Permissions, met as a plain user ---------------------------------------

class AsPlainUser : public ::testing::Test {
 protected:
  void SetUp() override {
    user_ = plain_user();
    if (!user_.available) GTEST_SKIP() << user_.why_not;
    // The plain user must reach the scratch tree and read the data.
    for (const auto& e : fs::recursive_directory_iterator(w_.dir.path())) {
      fs::permissions(e.path(), e.is_directory() ? fs::perms(0755) : fs::perms(0644));
    }
    fs::permissions(w_.dir.path(), fs::perms(0755));
    // The scratch directory lies under TMPDIR, which that user may not enter.
    if (run("belmor").status == kCouldNotStart) {
      GTEST_SKIP() << "uid 65534 cannot enter " << w_.dir.path();
    }
  }
  RunResult run(const std::string& tool) const {
    Faults faults;
    faults.uid = user_.uid;
    faults.gid = user_.gid;
    return run_tool_with_faults(tool, w_.dir.path(), w_.options(tool), faults);
  }

  World w_;
  PlainUser user_;
};

// The working directory may not be written: the temporary file cannot be
// created, although spectra.tmp itself may be written.
TEST_F(AsPlainUser, NoTemporaryFileInAReadOnlyDirectory) {
  fs::permissions(w_.dir / "spectra.tmp", fs::perms(0666));
  fs::permissions(w_.dir.path(), fs::perms(0555));
  for (const char* tool : {"quiset", "brask", "fendo"}) {
    const RunResult r = run(tool);
    EXPECT_EQ(r.status, 9) << tool;
    EXPECT_EQ(r.out, "") << tool;
    EXPECT_EQ(r.err, severe(tool, 9, "permission to access file denied, unit 10, file spectra.tmp"));
    EXPECT_EQ(w_.dir.read("spectra.tmp"), w_.spectrum) << tool;
  }
}

// spectra.tmp may be read but not written: refused before anything is made.
TEST_F(AsPlainUser, ReadOnlySpectrumIsRefusedBeforeAnythingIsCreated) {
  fs::permissions(w_.dir / "spectra.tmp", fs::perms(0444));
  fs::permissions(w_.dir.path(), fs::perms(0777));
  for (const char* tool : {"quiset", "brask", "fendo"}) {
    const RunResult r = run(tool);
    EXPECT_EQ(r.status, 9) << tool;
    EXPECT_EQ(r.err, severe(tool, 9, "permission to access file denied, unit 10, file spectra.tmp"));
    EXPECT_EQ(w_.dir.read("spectra.tmp"), w_.spectrum) << tool;
    EXPECT_EQ(w_.leftovers(), std::vector<std::string>{}) << tool;
  }
}

// An unreadable spectra.tmp does not open: the reader's own message.
TEST_F(AsPlainUser, UnreadableSpectrumGivesTheReadersMessage) {
  fs::permissions(w_.dir / "spectra.tmp", fs::perms(0000));
  for (const char* tool : kAllTools) {
    const RunResult r = run(tool);
    EXPECT_EQ(r.status, 8) << tool;
    EXPECT_EQ(r.out, kSpectrumMissing) << tool;
    EXPECT_EQ(r.err, "") << tool;
  }
  fs::permissions(w_.dir / "spectra.tmp", fs::perms(0644));
  EXPECT_EQ(w_.dir.read("spectra.tmp"), w_.spectrum);
}

// ---- spectra.tmp that is not a spectrum file --------------------------------

TEST(SpectrumFile, ADirectoryGivesTheReadersMessage) {
  World w;
  fs::remove(w.dir / "spectra.tmp");
  fs::create_directory(w.dir / "spectra.tmp");
  for (const char* tool : kAllTools) {
    const RunResult r = run_tool(tool, w.dir.path(), w.options(tool));
    EXPECT_EQ(r.status, 8) << tool;
    EXPECT_EQ(r.out, kSpectrumMissing) << tool;
    EXPECT_EQ(r.err, "") << tool;
    EXPECT_TRUE(fs::is_directory(w.dir / "spectra.tmp")) << tool;
  }
}

// A spectra.tmp that is not a regular file (a named pipe nobody writes to)
// must not block the tool for ever: it does not open, like a missing one.
TEST(SpectrumFile, ANamedPipeDoesNotHang) {
  World w;
  fs::remove(w.dir / "spectra.tmp");
  ASSERT_EQ(mkfifo((w.dir / "spectra.tmp").c_str(), 0644), 0);
  for (const char* tool : {"belmor", "quiset"}) {
    RunOptions o = w.options(tool);
    o.timeout_seconds = 3;
    const RunResult r = run_tool(tool, w.dir.path(), o);
    EXPECT_EQ(r.status, 8) << tool;
    EXPECT_EQ(r.out, kSpectrumMissing) << tool;
  }
}

TEST(SpectrumFile, AnEmptyOneIsTheEndOfFileError) {
  World w;
  w.dir.write("spectra.tmp", "");
  for (const char* tool : kAllTools) {
    const RunResult r = run_tool(tool, w.dir.path(), w.options(tool));
    EXPECT_EQ(r.status, 24) << tool;
    EXPECT_EQ(r.out, "") << tool;
    EXPECT_EQ(r.err, severe(tool, 24, "end-of-file during read, unit 10, file spectra.tmp"));
    EXPECT_EQ(w.dir.read("spectra.tmp"), "") << tool;
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

TEST(SpectrumFile, BinaryJunkIsAFatalInputErrorNeverACrash) {
  const std::regex line("(\\w+): severe \\((\\d+)\\): "
                        "(end-of-file during read|input conversion error), unit 10, file spectra.tmp\n");
  for (unsigned seed : {1u, 2u, 3u}) {
    World w;
    const std::string bytes = junk(4096, seed);
    w.dir.write("spectra.tmp", bytes);
    for (const char* tool : kAllTools) {
      const RunResult r = run_tool(tool, w.dir.path(), w.options(tool));
      std::smatch m;
      ASSERT_TRUE(std::regex_match(r.err, m, line)) << tool << ": " << r.err << " status " << r.status;
      EXPECT_EQ(m[1].str(), tool);
      EXPECT_EQ(r.status, std::stoi(m[2].str())) << tool;
      EXPECT_EQ(r.out, "") << tool;
      EXPECT_EQ(w.dir.read("spectra.tmp"), bytes) << tool;
    }
  }
}

// A header that reads, then binary junk where the bins should be.
TEST(SpectrumFile, JunkAfterAValidHeaderIsAFatalInputError) {
  World w;
  std::string text = spectrum_file(3);
  text = text.substr(0, text.find("   10.000")) + junk(512, 7);
  w.dir.write("spectra.tmp", text);
  for (const char* tool : kAllTools) {
    const RunResult r = run_tool(tool, w.dir.path(), w.options(tool));
    EXPECT_TRUE(r.status == 24 || r.status == 64) << tool << " status " << r.status;
    EXPECT_NE(r.err.find(": severe ("), std::string::npos) << tool << ": " << r.err;
    EXPECT_EQ(w.dir.read("spectra.tmp"), text) << tool;
  }
}

// ---- Data files that are directories or empty -------------------------------

struct DataFileCase {
  const char* label;
  const char* tool;
  const char* relative;  // under the data directory
};

void PrintTo(const DataFileCase& c, std::ostream* os) { *os << c.label; }

class DataFile : public ::testing::TestWithParam<DataFileCase> {};

// The message each tool prints when the file does not open.
std::string open_failure(const World& w, const DataFileCase& c) {
  const std::string rel = c.relative;
  if (rel.rfind("_database/", 0) == 0) {
    const std::string path = padded(w.data + "/" + rel, 80);
    return " ERROR opening data file in input\\n\n " + path.substr(0, 79) + "\n " + path.substr(79) + "\n";
  }
  if (rel.rfind("_materials/", 0) == 0) {
    return " ERROR: could not find material file " + padded("water", 40) + "\n";
  }
  return " ERROR: could not find detector file " + padded("flat", 40) + "\n";
}

TEST_P(DataFile, ADirectoryGivesTheOpenFailureMessage) {
  const DataFileCase& c = GetParam();
  World w;
  const std::string path = w.data + "/" + c.relative;
  fs::remove(path);
  fs::create_directory(path);
  const RunResult r = run_tool(c.tool, w.dir.path(), w.options(c.tool));
  EXPECT_EQ(r.status, 8);
  EXPECT_EQ(r.out, open_failure(w, c));
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(w.dir.read("spectra.tmp"), w.spectrum);
}

TEST_P(DataFile, AnEmptyOneIsTheEndOfFileError) {
  const DataFileCase& c = GetParam();
  World w;
  const std::string path = w.data + "/" + c.relative;
  w.dir.write(std::string("data/") + c.relative, "");
  const RunResult r = run_tool(c.tool, w.dir.path(), w.options(c.tool));
  const int unit = std::string(c.relative).rfind("_database/", 0) == 0 ? 4 : 10;
  EXPECT_EQ(r.status, 24);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, severe(c.tool, 24, "end-of-file during read, unit " + std::to_string(unit) +
                                          ", file " + path));
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
    [](const ::testing::TestParamInfo<DataFileCase>& p) { return std::string(p.param.label); });

// ---- Standard input closed, empty, or ending part way -----------------------

struct StdinCase {
  const char* label;
  const char* tool;
  bool closed;
  const char* text;
};

void PrintTo(const StdinCase& c, std::ostream* os) { *os << c.label; }

class StandardInput : public ::testing::TestWithParam<StdinCase> {};

TEST_P(StandardInput, EndsWithTheEndOfFileErrorOnUnit5) {
  const StdinCase& c = GetParam();
  World w;
  RunOptions o = w.options(c.tool);
  o.close_stdin = c.closed;
  o.stdin_text = c.text;
  const RunResult r = run_tool(c.tool, w.dir.path(), o);
  EXPECT_EQ(r.status, 24);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, severe(c.tool, 24, "end-of-file during read, unit 5, file stdin"));
  EXPECT_EQ(w.dir.read("spectra.tmp"), w.spectrum);
}

INSTANTIATE_TEST_SUITE_P(
    Tools, StandardInput,
    ::testing::Values(StdinCase{"atlune_closed", "atlune", true, ""},
                      StdinCase{"atlune_empty", "atlune", false, ""},
                      StdinCase{"atlune_blank_lines", "atlune", false, "\n  \n\t\n"},
                      StdinCase{"atlune_after_material", "atlune", false, "water\n"},
                      StdinCase{"atlune_after_detector", "atlune", false, "water\nflat\n"},
                      StdinCase{"torvane_closed", "torvane", true, ""},
                      StdinCase{"torvane_empty", "torvane", false, ""},
                      StdinCase{"torvane_after_material", "torvane", false, "water\n"},
                      StdinCase{"torvane_after_thickness", "torvane", false, "water\n0.1\n"},
                      StdinCase{"fendo_closed", "fendo", true, ""},
                      StdinCase{"fendo_empty", "fendo", false, ""},
                      StdinCase{"fendo_blank_lines", "fendo", false, "\n\n"}),
    [](const ::testing::TestParamInfo<StdinCase>& p) { return std::string(p.param.label); });

}  // namespace
}  // namespace zelpra::test
