// Detector files: the records, the table size and the refusals.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>

#include "case_table.h"
#include "detector.h"
#include "harness.h"
#include "in_process.h"
#include "padded.h"
#include "text/run_end.h"

namespace zelpra {
namespace {

using test::case_label;
using test::padded;

// A detector file with range line `range` and `records` table records
// (energy 1 + i, response 0.01 i, third value 2 i).
std::string detector_file(const std::string& range, int records) {
  std::string text = "'Test chamber'\n" + range + "\n  E(keV)  response  other\n";
  for (int i = 1; i <= records; ++i) {
    char line[64];
    std::snprintf(line, sizeof line, "%d. %.2f %d.\n", i, 0.01 * i, 2 * i);
    text += line;
  }
  return text;
}

class DetectorTest : public ::testing::Test {
 protected:
  void TearDown() override { DETECTOR = Detector{}; }

  // READ_DETECTOR with `answer` on standard input; the RunEnd if the run ended.
  std::optional<RunEnd> read(const std::string& answer, std::string& detname) {
    test::InProcessRun run =
        test::run_in_process([&] { READ_DETECTOR(dir_.path(), detname); }, answer);
    printed_ += run.out;
    return run.end;
  }

  std::optional<RunEnd> read_file(const std::string& content) {
    dir_.write("_detectors/det", content);
    std::string detname;
    return read("det\n", detname);
  }

  std::string path() const { return dir_.path() + "/_detectors/det"; }

  test::ScratchDir dir_;
  std::string printed_;  // what the reads printed on standard output
};

struct SizeCase {
  const char* label;
  std::string range;
  int32_t ndet;
};

void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.label; }

class DetectorSize : public DetectorTest, public ::testing::WithParamInterface<SizeCase> {};

// The count is (demax - demin)/dstep + 1 in double precision, truncated; a
// file with exactly that many records reads whole, and one record fewer is
// the end-of-file error.
TEST_P(DetectorSize, ReadsExactlyTheCountedRecords) {
  const SizeCase& c = GetParam();
  ASSERT_FALSE(read_file(detector_file(c.range, c.ndet)).has_value());
  EXPECT_EQ(DETECTOR.ndet, c.ndet);
  EXPECT_EQ(DETECTOR.edet[c.ndet - 1], static_cast<float>(c.ndet));
  EXPECT_EQ(DETECTOR.rdet[c.ndet - 1], static_cast<float>(0.01 * c.ndet));
  EXPECT_EQ(DETECTOR.xdet[c.ndet - 1], static_cast<float>(2 * c.ndet));
  if (c.ndet < kMaxDetectorPoints) {
    EXPECT_EQ(DETECTOR.edet[c.ndet], 0.0f);
  }

  const std::optional<RunEnd> end = read_file(detector_file(c.range, c.ndet - 1));
  ASSERT_TRUE(end.has_value());
  EXPECT_EQ(end->io_error, kEndOfFile);
  EXPECT_EQ(end->unit, kUnitData);
  EXPECT_EQ(end->file, path());
  EXPECT_EQ(printed_, "");
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, DetectorSize,
    ::testing::Values(SizeCase{"tenth_keV_steps", "SI 1.0 10.0 0.1", 90},
                      SizeCase{"one_keV_steps", "SI 1.0 150.0 1.0", 150},
                      SizeCase{"capacity", "SI 0.5 150.0 0.5", 300},
                      SizeCase{"single_point", "SI 5.0 5.0 1.0", 1},
                      SizeCase{"truncated_third", "SI 1.0 2.0 0.3", 4}),
    case_label<SizeCase>);

TEST_F(DetectorTest, ReversedRangeReadsNoRecord) {
  ASSERT_FALSE(read_file("title\nSI 10.0 1.0 1.0\ncaption\n").has_value());
  EXPECT_EQ(DETECTOR.ndet, -8);
  for (float v : DETECTOR.rdet) ASSERT_EQ(v, 0.0f);
}

TEST_F(DetectorTest, RecordsAndNames) {
  // Extra values on a record and records beyond the count are passed over.
  const std::string content =
      "'Ion chamber, type 7'  remark\n"
      "SOLIDSTATE, 10.0, 12.0 1.0 more\n"
      "anything / at all\n"
      "10.0 0.5 1.0 9.9 9.9\n"
      "11.0 0.625\n"
      "3.0\n"
      "12.0 0.75 3.0\n"
      "13.0 junk\n";
  dir_.write("_detectors/my det", content);
  std::string detname;
  ASSERT_FALSE(read("\"my det\"\n", detname).has_value());
  EXPECT_EQ(detname, padded("my det", 40));
  EXPECT_EQ(DETECTOR.dtitle, padded("Ion chamber, type 7", 40));
  EXPECT_EQ(DETECTOR.dcode, "SOLIDS");
  EXPECT_EQ(DETECTOR.demin, 10.0f);
  EXPECT_EQ(DETECTOR.demax, 12.0f);
  EXPECT_EQ(DETECTOR.dstep, 1.0f);
  ASSERT_EQ(DETECTOR.ndet, 3);
  EXPECT_EQ(DETECTOR.edet[0], 10.0f);
  EXPECT_EQ(DETECTOR.rdet[1], 0.625f);
  EXPECT_EQ(DETECTOR.xdet[1], 3.0f);  // the record continues on the next line
  EXPECT_EQ(DETECTOR.edet[2], 12.0f);
  EXPECT_EQ(DETECTOR.rdet[2], 0.75f);
}

TEST_F(DetectorTest, UndelimitedTitleEndsAtTheFirstBlank) {
  ASSERT_FALSE(read_file("Ion chamber\nSI 1.0 1.0 1.0\n\n1.0 1.0 0.0\n").has_value());
  EXPECT_EQ(DETECTOR.dtitle, padded("Ion", 40));
}

struct RefusalCase {
  const char* label;
  std::string range;
  std::string line;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.label; }

class DetectorRefusal : public DetectorTest, public ::testing::WithParamInterface<RefusalCase> {};

// Checked after record 3, before any table record is read.
TEST_P(DetectorRefusal, RefusesTheTableSize) {
  const RefusalCase& c = GetParam();
  const std::optional<RunEnd> end = read_file("title\n" + c.range + "\ncaption\n");
  ASSERT_TRUE(end.has_value());
  EXPECT_EQ(end->status, 8);
  EXPECT_EQ(end->io_error, 0);
  EXPECT_EQ(end->out, c.line);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, DetectorRefusal,
    ::testing::Values(
        RefusalCase{"zero_step", "SI 1.0 10.0 0.0", " ERROR: detector energy step is 0\n"},
        RefusalCase{"negative_zero_step", "SI 1.0 10.0 -0.0",
                    " ERROR: detector energy step is 0\n"},
        RefusalCase{"zero_step_empty_range", "SI 1.0 1.0 0", " ERROR: detector energy step is 0\n"},
        RefusalCase{"huge_count", "SI 1.0 1.0E30 1.0E-30",
                    " ERROR: detector table size out of range\n"},
        RefusalCase{"huge_negative_count", "SI 1.0E30 1.0 1.0E-30",
                    " ERROR: detector table size out of range\n"},
        RefusalCase{"beyond_32_bits", "SI 0.0 3.0E9 1.0",
                    " ERROR: detector table size out of range\n"},
        RefusalCase{"count_301", "SI 0.5 150.5 0.5", " ERROR: ndet.gt.300\n"},
        RefusalCase{"count_1001", "SI 0.0 1000.0 1.0", " ERROR: ndet.gt.300\n"}),
    case_label<RefusalCase>);

TEST_F(DetectorTest, MissingFileShowsTheNameAtFullLength) {
  std::string detname;
  const std::optional<RunEnd> end = read("nosuch\n", detname);
  ASSERT_TRUE(end.has_value());
  EXPECT_EQ(end->status, 8);
  EXPECT_EQ(end->io_error, 0);
  const std::string expected =
      " ERROR: could not find detector file " + padded("nosuch", 40) + "\n";
  EXPECT_EQ(expected.size(), 78u);
  EXPECT_EQ(end->out, expected);
}

TEST_F(DetectorTest, MalformedRecordsAreFatal) {
  std::optional<RunEnd> end = read_file("title\nSI 1.0 3.0 1.0\ncaption\n1.0 0.5 0.0\n2.0 x 0.0\n");
  ASSERT_TRUE(end.has_value());
  EXPECT_EQ(end->io_error, kSyntaxError);
  end = read_file("title\nSI 1.0 3.0\n");  // range record runs into the end
  ASSERT_TRUE(end.has_value());
  EXPECT_EQ(end->io_error, kEndOfFile);
  end = read_file("title\nSI 1.0 3.0 1.0\n");  // no record 3
  ASSERT_TRUE(end.has_value());
  EXPECT_EQ(end->io_error, kEndOfFile);
}

}  // namespace
}  // namespace zelpra
