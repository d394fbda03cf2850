// The interaction database reader, the data directory and the path rule,
// against synthetic databases written by DbFixture.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cross_sections.h"
#include "data_dir.h"
#include "database.h"
#include "db_fixture.h"
#include "element_data.h"
#include "harness.h"
#include "text/fixed_format.h"
#include "text/run_end.h"

namespace zelpra {
namespace {

namespace fs = std::filesystem;
using test::DbFixture;
using test::ScratchDir;

const char kNoDirMessage[] = " ERROR: ZELPRA_DIR env. var. not found\n";
const char kKshellRefusal[] = " ERROR: kshell_data atomic number not in 1..74\n";
const char kPhotoeRefusal[] = " ERROR: photoe.data npe.gt.13\n";

// Sets ZELPRA_DIR (or removes it) for one test and restores it afterwards.
class ZelpraDir {
 public:
  explicit ZelpraDir(const std::optional<std::string>& value) {
    if (const char* old = std::getenv("ZELPRA_DIR")) saved_ = old;
    if (value) {
      setenv("ZELPRA_DIR", value->c_str(), 1);
    } else {
      unsetenv("ZELPRA_DIR");
    }
  }
  ~ZelpraDir() {
    if (saved_) {
      setenv("ZELPRA_DIR", saved_->c_str(), 1);
    } else {
      unsetenv("ZELPRA_DIR");
    }
  }

 private:
  std::optional<std::string> saved_;
};

// Runs READ_DATABASE and returns how the run ended, if it did.
std::optional<RunEnd> read_database() {
  try {
    READ_DATABASE();
  } catch (const RunEnd& end) {
    return end;
  }
  return std::nullopt;
}

// Writes `db` into a fresh directory and reads it back with ZELPRA_DIR set.
std::optional<RunEnd> read_fixture(const DbFixture& db) {
  ScratchDir dir;
  db.write(dir.path());
  ZelpraDir env(dir.path());
  return read_database();
}

// The message for a database file that does not open, laid out by hand: the
// path padded to 80 columns, or whole when longer, continued on lines that
// begin with a blank.
std::string open_failure(std::string path) {
  if (path.size() < 80) path.resize(80, ' ');
  std::string text = " ERROR opening data file in input\\n\n";
  for (std::size_t at = 0; at < path.size(); at += 79) text += " " + path.substr(at, 79) + "\n";
  return text;
}

// The text with its line `index` (from 0) replaced, or removed when
// `replacement` is empty.
std::string with_line(const std::string& text, std::size_t index,
                      const std::optional<std::string>& replacement) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i == index) {
      if (replacement) out += *replacement + "\n";
    } else {
      out += lines[i] + "\n";
    }
  }
  return out;
}

std::string without_last_line(const std::string& text) {
  std::size_t end = text.rfind('\n', text.size() - 2);
  return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

// The tables that database file `name` fills, compared between two blocks.
bool same_tables(const std::string& name, const ElementData& a, const ElementData& b) {
  if (name == "names") return a.names == b.names;
  if (name == "wghts") return a.wghts == b.wghts;
  if (name == "sinc") return a.sinc == b.sinc;
  if (name == "scoh") return a.scoh == b.scoh;
  if (name == "ek") return a.ek == b.ek;
  if (name == "el1") return a.el1 == b.el1;
  if (name == "el3") return a.el3 == b.el3;
  if (name == "em1") return a.em1 == b.em1;
  if (name == "xl") return a.xl == b.xl;
  if (name == "xk") return a.xk == b.xk;
  if (name == "wk") return a.wk == b.wk;
  if (name == "wl") return a.wl == b.wl;
  if (name == "inscat") return a.inscat == b.inscat;
  if (name == "v") return a.v == b.v;
  if (name == "kshell_data") return a.ksha == b.ksha && a.kshb == b.kshb;
  if (name == "photoe.data") return a.npe == b.npe && a.pe == b.pe;
  if (name == "air") return a.airle == b.airle && a.airlm == b.airlm;
  ADD_FAILURE() << "no database file " << name;
  return false;
}

TEST(ReadDatabase, CompleteFixtureReadsEveryTableAndTheEdgeRatios) {
  DbFixture db;
  // Hand-checkable edge ratio for row 26: below the K edge at 6.375 keV a
  // pure 1/E^3 term of 1000, above it 8000, so kjump is exactly 1/8.
  db.data.ek[25] = 6.375f;
  db.data.pe[25][0] = {1.0f, 0.0f, 0.0f, 1000.0f, 0.0f};
  db.data.pe[25][1] = {6.375f, 0.0f, 0.0f, 8000.0f, 0.0f};
  ASSERT_EQ(read_fixture(db), std::nullopt);
  for (const std::string& name : DbFixture::file_names()) {
    EXPECT_TRUE(same_tables(name, ELEMENT_DATA, db.data)) << name;
  }
  EXPECT_EQ(ELEMENT_DATA.kjump[25], 0.125f);
  EXPECT_EQ(ELEMENT_DATA.ljump[25], 0.0f);  // below atomic number 30
  for (int r = 1; r <= 10; ++r) EXPECT_EQ(ELEMENT_DATA.kjump[r - 1], 0.0f) << r;
  // The K-shell entries of atomic numbers no record names stay zero.
  EXPECT_EQ(ELEMENT_DATA.ksha[0], (std::array<float, 4>{}));
  EXPECT_EQ(ELEMENT_DATA.kshb[72], (std::array<float, 4>{}));
}

// Files written on another platform (CR before every line end, no line end
// after the last line) read the same.
TEST(ReadDatabase, CarriageReturnsAndAMissingFinalLineEnd) {
  DbFixture db;
  for (const std::string& name : DbFixture::file_names()) {
    std::string text;
    for (char c : db.file_text(name)) text += c == '\n' ? std::string("\r\n") : std::string(1, c);
    text.resize(text.size() - 2);
    db.overrides[name] = text;
  }
  ASSERT_EQ(read_fixture(db), std::nullopt);
  for (const std::string& name : DbFixture::file_names()) {
    EXPECT_TRUE(same_tables(name, ELEMENT_DATA, db.data)) << name;
  }
}

class MissingFile : public ::testing::TestWithParam<int> {};

// Each file in turn missing: the files before it are read, the message names
// it, the run ends with status 8, and nothing after it is read.
TEST_P(MissingFile, GivesTheOpenMessageAfterTheEarlierFiles) {
  const int missing = GetParam();
  const std::string name = DbFixture::file_names()[missing];
  ScratchDir dir;
  DbFixture db;
  db.overrides[name] = std::nullopt;
  db.write(dir.path());
  ZelpraDir env(dir.path());
  auto end = read_database();
  ASSERT_TRUE(end.has_value());
  EXPECT_EQ(end->status, 8);
  EXPECT_EQ(end->io_error, 0);
  EXPECT_EQ(end->out, open_failure(dir.path() + "/_database/" + name));
  const ElementData zero{};
  for (int i = 0; i < 17; ++i) {
    const std::string other = DbFixture::file_names()[i];
    const ElementData& want = i < missing ? db.data : zero;
    EXPECT_TRUE(same_tables(other, ELEMENT_DATA, want)) << other;
  }
  // The edge ratios are not computed.
  EXPECT_EQ(ELEMENT_DATA.kjump, zero.kjump);
}

INSTANTIATE_TEST_SUITE_P(EachFile, MissingFile, ::testing::Range(0, 17),
                         [](const ::testing::TestParamInfo<int>& info) {
                           std::string n = DbFixture::file_names()[info.param];
                           for (char& c : n) {
                             if (c == '.') c = '_';
                           }
                           return n;
                         });

TEST(ReadDatabase, DirectoryInPlaceOfAFileGivesTheOpenMessage) {
  ScratchDir dir;
  DbFixture db;
  db.overrides["ek"] = std::nullopt;
  db.write(dir.path());
  fs::create_directory(dir.path() + "/_database/ek");
  ZelpraDir env(dir.path());
  auto end = read_database();
  ASSERT_TRUE(end.has_value());
  EXPECT_EQ(end->status, 8);
  EXPECT_EQ(end->out, open_failure(dir.path() + "/_database/ek"));
}

TEST(ReadDatabase, UnreadableFileGivesTheOpenMessage) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  ScratchDir dir;
  DbFixture db;
  db.write(dir.path());
  const std::string path = dir.path() + "/_database/xl";
  ASSERT_EQ(chmod(path.c_str(), 0), 0);
  ZelpraDir env(dir.path());
  auto end = read_database();
  ASSERT_TRUE(end.has_value());
  EXPECT_EQ(end->status, 8);
  EXPECT_EQ(end->out, open_failure(path));
}

TEST(ReadDatabase, UnsetOrBlankDirectoryIsRefusedBeforeAnyFile) {
  for (const std::optional<std::string>& value :
       {std::optional<std::string>(), std::optional<std::string>(""),
        std::optional<std::string>("     ")}) {
    ZelpraDir env(value);
    auto end = read_database();
    ASSERT_TRUE(end.has_value());
    EXPECT_EQ(end->status, 8);
    EXPECT_EQ(end->io_error, 0);
    EXPECT_EQ(end->out, kNoDirMessage);
  }
}

TEST(ReadDatabase, TrailingBlanksAndAFinalSeparatorStillFindTheFiles) {
  ScratchDir dir;
  DbFixture db;
  db.write(dir.path());
  for (const std::string& value : {dir.path() + "   ", dir.path() + "/", dir.path() + "//  "}) {
    ZelpraDir env(value);
    EXPECT_EQ(read_database(), std::nullopt) << "[" << value << "]";
    EXPECT_EQ(ELEMENT_DATA.wghts, db.data.wghts);
  }
}

TEST(ReadDatabase, MessagePathKeepsLeadingBlanksAndDoubledSeparators) {
  ScratchDir dir;
  {
    // Nothing there: the path is shown as formed.
    ZelpraDir env("  " + dir.path() + "/");
    auto end = read_database();
    ASSERT_TRUE(end.has_value());
    EXPECT_EQ(end->out, open_failure("  " + dir.path() + "//_database/names"));
  }
  {
    // A tab is not a blank: it is kept as part of the name.
    ZelpraDir env("\t");
    auto end = read_database();
    ASSERT_TRUE(end.has_value());
    EXPECT_EQ(end->out, open_failure("\t/_database/names"));
  }
}

// Restores the working directory at the end of a test.
class WorkingDir {
 public:
  explicit WorkingDir(const std::string& path) : saved_(fs::current_path()) {
    fs::current_path(path);
  }
  ~WorkingDir() { fs::current_path(saved_); }

 private:
  fs::path saved_;
};

TEST(ReadDatabase, LeadingBlanksArePartOfTheDirectoryName) {
  ScratchDir dir;
  DbFixture db;
  db.data.wghts[0] = 3.25f;
  db.write(dir.path() + "/  db");
  WorkingDir cwd(dir.path());
  ZelpraDir env("  db ");
  EXPECT_EQ(read_database(), std::nullopt);
  EXPECT_EQ(ELEMENT_DATA.wghts[0], 3.25f);
}

// Paths are not cut at 80 characters: a cut path would open another file.
TEST(ReadDatabase, LongPathsAreUsedWholeAndShownWhole) {
  ScratchDir base;
  // Trimmed directory of 59 characters: the kshell_data and photoe.data
  // paths have 81.
  const std::string dir = base.path() + "/" + std::string(58 - base.path().size(), 'd');
  ASSERT_EQ(dir.size(), 59u);
  DbFixture db;
  db.write(dir);
  {
    ZelpraDir env(dir);
    EXPECT_EQ(read_database(), std::nullopt);
    EXPECT_EQ(ELEMENT_DATA.npe, db.data.npe);
  }
  db.overrides["kshell_data"] = std::nullopt;
  db.write(dir);
  {
    ZelpraDir env(dir + "  ");
    auto end = read_database();
    ASSERT_TRUE(end.has_value());
    const std::string path = dir + "/_database/kshell_data";
    ASSERT_EQ(path.size(), 81u);
    EXPECT_EQ(end->out, " ERROR opening data file in input\\n\n " + path.substr(0, 79) + "\n " +
                            path.substr(79) + "\n");
  }
  // A directory value of more than 80 characters is used whole.
  const std::string deep = dir + "/" + std::string(40, 'e');
  db.overrides.clear();
  db.write(deep);
  ZelpraDir env(deep);
  EXPECT_EQ(read_database(), std::nullopt);
}

// A file that ends early is the fatal end-of-file error on unit 4, naming
// the path as opened.
class ShortFile : public ::testing::TestWithParam<int> {};

TEST_P(ShortFile, LastLineMissingIsEndOfFile) {
  const std::string name = DbFixture::file_names()[GetParam()];
  ScratchDir dir;
  DbFixture db;
  db.overrides[name] = without_last_line(db.file_text(name));
  db.write(dir.path());
  ZelpraDir env(dir.path());
  auto end = read_database();
  ASSERT_TRUE(end.has_value());
  EXPECT_EQ(end->io_error, kEndOfFile);
  EXPECT_EQ(end->status, 24);
  EXPECT_EQ(end->unit, 4);
  EXPECT_EQ(end->file, dir.path() + "/_database/" + name);
  EXPECT_EQ(end->out, "");
}

INSTANTIATE_TEST_SUITE_P(EachFile, ShortFile, ::testing::Range(0, 17),
                         [](const ::testing::TestParamInfo<int>& info) {
                           std::string n = DbFixture::file_names()[info.param];
                           for (char& c : n) {
                             if (c == '.') c = '_';
                           }
                           return n;
                         });

struct MalformedCase {
  const char* file;
  std::size_t line;  // from 0
  const char* text;
  int error;
};

TEST(ReadDatabase, MalformedValuesAreFatalOnUnit4) {
  const MalformedCase cases[] = {
      {"wghts", 3, "          0.12345E+0x", kConversionError},
      {"sinc", 84, "          " "          1.0" "  " "         1.0E", kConversionError},
      {"inscat", 11, " *", kConversionError},
      {"kshell_data", 1, "6.5 1 2 3 4 5 6 7 8", kSyntaxError},
      {"photoe.data", 0, "1 one", kSyntaxError},
      {"air", 8, "-3.0 abc", kSyntaxError},
  };
  for (const MalformedCase& c : cases) {
    ScratchDir dir;
    DbFixture db;
    db.overrides[c.file] = with_line(db.file_text(c.file), c.line, std::string(c.text));
    db.write(dir.path());
    ZelpraDir env(dir.path());
    auto end = read_database();
    ASSERT_TRUE(end.has_value()) << c.file;
    EXPECT_EQ(end->io_error, c.error) << c.file;
    EXPECT_EQ(end->unit, 4) << c.file;
    EXPECT_EQ(end->file, dir.path() + "/_database/" + c.file);
  }
  // An empty file.
  ScratchDir dir;
  DbFixture db;
  db.overrides["names"] = "";
  db.write(dir.path());
  ZelpraDir env(dir.path());
  auto end = read_database();
  ASSERT_TRUE(end.has_value());
  EXPECT_EQ(end->io_error, kEndOfFile);
  EXPECT_EQ(end->file, dir.path() + "/_database/names");
}

TEST(ReadDatabase, FixedColumnLayouts) {
  DbFixture db;
  // Names: columns 12 to 27, padded when the record is short, cut after 27.
  std::string names = db.file_text("names");
  names = with_line(names, 0, std::string("xxxxxxxxxxxHydrogen"));
  names = with_line(names, 1, std::string("           Helium__________0123456789"));
  db.overrides["names"] = names;
  // E13.5 without a point takes the last five digits as decimals; text
  // after column 23 is ignored; extra records are ignored.
  std::string wghts = db.file_text("wghts");
  wghts = with_line(wghts, 0, std::string("          ") + "      1234567" + "99999");
  wghts += "          12345678.0\n";
  db.overrides["wghts"] = wghts;
  // sinc: four fields at columns 11, 26, 41 and 56; columns 1-10 and the
  // two blanks before each field are not read.
  std::string sinc = db.file_text("sinc");
  sinc = with_line(sinc, 4, std::string("ABCDEFGHIJ") + "          1.5" + "XY" + "         -2.5" +
                                "XY" + "       0.0625" + "XY" + "         1.E3" + "tail");
  db.overrides["sinc"] = sinc;
  ASSERT_EQ(read_fixture(db), std::nullopt);
  EXPECT_EQ(ELEMENT_DATA.names[0], "Hydrogen        ");
  EXPECT_EQ(ELEMENT_DATA.names[1], "Helium__________");
  EXPECT_EQ(ELEMENT_DATA.names[2], db.data.names[2]);
  EXPECT_EQ(ELEMENT_DATA.wghts[0], 12.34567f);
  EXPECT_EQ(ELEMENT_DATA.wghts[84], db.data.wghts[84]);
  EXPECT_EQ(ELEMENT_DATA.sinc[4], (std::array<float, 4>{1.5f, -2.5f, 0.0625f, 1000.0f}));
  EXPECT_EQ(ELEMENT_DATA.inscat, db.data.inscat);
}

TEST(ReadDatabase, PhotoelectricCountsOfZeroAndOddFirstIntegers) {
  DbFixture db;
  db.photoe_first[0] = 999;
  db.photoe_first[1] = -5;
  db.photoe_first[2] = 0;
  db.data.npe[2] = 0;   // Z = 3: its count line is followed by that of Z = 4
  db.data.npe[49] = -1;  // a negative count reads no segment either
  db.data.pe[2] = {};
  db.data.pe[49] = {};
  db.data.npe[99] = 13;  // the full capacity
  for (int j = 0; j < 13; ++j) {
    db.data.pe[99][j] = {1.0f + j, 0.5f * j, 2.0f, 3.0f, -4.0f - j};
  }
  ASSERT_EQ(read_fixture(db), std::nullopt);
  EXPECT_EQ(ELEMENT_DATA.npe, db.data.npe);
  EXPECT_EQ(ELEMENT_DATA.pe, db.data.pe);
  EXPECT_EQ(ELEMENT_DATA.airle, db.data.airle);
}

TEST(ReadDatabase, KshellRecordsInAnyOrderLandAtTheirAtomicNumbers) {
  DbFixture db;
  db.data.ksha = {};
  db.data.kshb = {};
  db.kshell_z = {74, 1, 40, 13};
  for (int32_t z : db.kshell_z) {
    db.data.ksha[z - 1] = {0.5f * z, 1.0f, 2.0f, 3.0f};
    db.data.kshb[z - 1] = {4.0f, 5.0f, 6.0f, -1.0f * z};
  }
  ASSERT_EQ(read_fixture(db), std::nullopt);
  EXPECT_EQ(ELEMENT_DATA.ksha, db.data.ksha);
  EXPECT_EQ(ELEMENT_DATA.kshb, db.data.kshb);

  // A later record of the same atomic number overwrites the earlier one; a
  // record may run over several lines.
  db.overrides["kshell_data"] =
      "5 1 2 3 4 5 6 7 8\n"
      "5 10 20 30 40\n 50 60 70 80\n"
      "6,1.5,2.5,3.5,4.5,5.5,6.5,7.5,8.5\n"
      "7 1 1 1 1 1 1 1 1 and the rest of the line is ignored\n";
  ASSERT_EQ(read_fixture(db), std::nullopt);
  EXPECT_EQ(ELEMENT_DATA.ksha[4], (std::array<float, 4>{10, 20, 30, 40}));
  EXPECT_EQ(ELEMENT_DATA.kshb[4], (std::array<float, 4>{50, 60, 70, 80}));
  EXPECT_EQ(ELEMENT_DATA.kshb[5], (std::array<float, 4>{5.5f, 6.5f, 7.5f, 8.5f}));
  EXPECT_EQ(ELEMENT_DATA.ksha[6], (std::array<float, 4>{1, 1, 1, 1}));
  EXPECT_EQ(ELEMENT_DATA.ksha[73], (std::array<float, 4>{}));
}

TEST(ReadDatabase, CapacitiesAreRefused) {
  struct Case {
    const char* file;
    std::string text;
    const char* message;
  };
  DbFixture db;
  const std::string photoe = db.file_text("photoe.data");
  const Case cases[] = {
      {"kshell_data", "6 1 2 3 4 5 6 7 8\n0 1 2 3 4 5 6 7 8\n", kKshellRefusal},
      {"kshell_data", "75 1 2 3 4 5 6 7 8\n", kKshellRefusal},
      {"kshell_data", "-1 1 2 3 4 5 6 7 8\n", kKshellRefusal},
      // Refused as soon as the atomic number is read, before the record ends.
      {"kshell_data", "6 1 2 3 4 5 6 7 8\n100\n", kKshellRefusal},
      {"photoe.data", with_line(photoe, 0, "1 14"), kPhotoeRefusal},
      // Refused as soon as the count is read, before any segment.
      {"photoe.data", "1 1\n1.0 1 2 3 4\n2 99\n", kPhotoeRefusal},
  };
  for (const Case& c : cases) {
    DbFixture d;
    d.overrides[c.file] = c.text;
    auto end = read_fixture(d);
    ASSERT_TRUE(end.has_value()) << c.text;
    EXPECT_EQ(end->status, 8);
    EXPECT_EQ(end->io_error, 0);
    EXPECT_EQ(end->out, c.message);
  }
}

// The fixture's fields read back as the values given: any value with at most
// 8 significant digits, and any value that is not negative.
TEST(DbFixtureFields, ReadBackExactly) {
  const float values[] = {0.0f,        -0.0f,        1.0f,         -1.2345678f,  123456789.0f,
                          1.2345678e-9f, -1.2345678e-9f, -9.8765432e8f, 3.4028235e38f,
                          -1.1754944e-38f, 0.0078125f, 6.375f,       -17.988f,     1e-30f,
                          1.17549435e-38f, 1e-45f, 0.123456789f, 3.33333333e-20f, -3.4028235e38f};
  for (float v : values) {
    const std::string field = DbFixture::e13(v);
    ASSERT_EQ(field.size(), 13u) << v;
    float back = 0;
    ASSERT_TRUE(parse_real_field(field, 5, false, back)) << "[" << field << "]";
    EXPECT_EQ(back, v) << "[" << field << "]";
    EXPECT_EQ(std::signbit(back), std::signbit(v)) << "[" << field << "]";
  }
}

TEST(DataDir, ValueIsUsedWholeUnlessBlank) {
  const std::string long_value = "/" + std::string(120, 'x') + "  ";
  for (const std::string& value : {std::string("/data"), std::string("  /data  "), long_value,
                                   std::string("\t")}) {
    ZelpraDir env(value);
    EXPECT_EQ(GET_DATA_DIR(), value);
  }
  ZelpraDir env(std::string(100, ' '));
  try {
    GET_DATA_DIR();
    ADD_FAILURE() << "a blank value was accepted";
  } catch (const RunEnd& end) {
    EXPECT_EQ(end.status, 8);
    EXPECT_EQ(end.out, kNoDirMessage);
  }
}

TEST(DataDir, PathRule) {
  struct Case {
    std::string dir, sub, name, path;
  };
  const std::string name40 = "water" + std::string(35, ' ');
  const std::string long_dir = "/" + std::string(90, 'y');
  const Case cases[] = {
      {"/d", "_database", "names", "/d/_database/names"},
      {"/d   ", "_database", "kshell_data", "/d/_database/kshell_data"},
      {"  /d", "_database", "air", "  /d/_database/air"},
      {"/d/", "_materials", name40, "/d//_materials/water"},
      {"/d", "_detectors", "  ion chamber  ", "/d/_detectors/  ion chamber"},
      {"/d\t ", "_database", "v", "/d\t/_database/v"},
      {long_dir + " ", "_materials", name40, long_dir + "/_materials/water"},
  };
  for (const Case& c : cases) EXPECT_EQ(data_path(c.dir, c.sub, c.name), c.path);
}

}  // namespace
}  // namespace zelpra
