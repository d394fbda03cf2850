// Reading spectra.tmp: the columns of each record, the counts, the records
// that are passed over, and what ends the run.

#include "spectrum_file.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "spectrum_text.h"
#include "text/run_end.h"

namespace zelpra {
namespace {

// A file as the spectrum writer lays it out.
const char* const kWriterFile =
    "# kaltrovin: 12   0.500  3   10.25\n"
    "#     3   1.0000    100.0000\n"
    "#    1   2  (unit flags)\n"
    "#  Energy      #/mAs-cm^2-keV\n"
    "   10.500        1.2345E+05\n"
    "   11.500       -2.0000E-03\n"
    "  150.250        3.0000E+10\n"
    "#  Attenuation History:\n"
    "#  2\n"
    "# Aluminium              2.5000E+00\n"
    "# Copper 0.1 mm         -1.0000E-01\n";

struct Result {
  Spectrum s;
  UnitFlags iu;
};

Result read_text(const std::string& text) {
  SPECTRUM = Spectrum{};
  std::istringstream in(text);
  LineSource source(in, kUnitData, kSpectrumFileName);
  UnitFlags iu{-99, -99};
  read_spectrum_records(source, iu);
  return {SPECTRUM, iu};
}

RunEnd run_end_of(const std::string& text) {
  try {
    read_text(text);
  } catch (const RunEnd& end) {
    return end;
  }
  ADD_FAILURE() << "the file read without ending the run:\n" << text;
  return {};
}

std::string replace_line(const std::string& text, int index, const std::string& line) {
  std::istringstream in(text);
  std::string out, l;
  for (int i = 0; std::getline(in, l); ++i) out += (i == index ? line : l) + "\n";
  return out;
}

std::string first_lines(const std::string& text, int count) {
  std::size_t pos = 0;
  for (int i = 0; i < count; ++i) pos = text.find('\n', pos) + 1;
  return text.substr(0, pos);
}

// Records 1 to 3 as read: the header values, the counts and the flags.
struct Head {
  int32_t ihd1;
  float hd1;
  int32_t ihd2;
  float hd2;
  int32_t nbin;
  float de;
  float dist;
  UnitFlags iu;
};

void expect_head(const Head& expected, const Result& r) {
  EXPECT_EQ(expected.ihd1, r.s.ihd1);
  EXPECT_EQ(expected.hd1, r.s.hd1);
  EXPECT_EQ(expected.ihd2, r.s.ihd2);
  EXPECT_EQ(expected.hd2, r.s.hd2);
  EXPECT_EQ(expected.nbin, r.s.nbin);
  EXPECT_EQ(expected.de, r.s.de);
  EXPECT_EQ(expected.dist, r.s.dist);
  EXPECT_EQ(expected.iu, r.iu);
}

void expect_same_block(const Result& a, const Result& b) {
  expect_head({a.s.ihd1, a.s.hd1, a.s.ihd2, a.s.hd2, a.s.nbin, a.s.de, a.s.dist, a.iu}, b);
  EXPECT_EQ(a.s.ebin, b.s.ebin);
  EXPECT_EQ(a.s.phi, b.s.phi);
  EXPECT_EQ(a.s.nhist, b.s.nhist);
  EXPECT_EQ(a.s.hname, b.s.hname);
  EXPECT_EQ(a.s.hval, b.s.hval);
}

struct Bin {
  float e;
  float phi;
};

// The first bins as read, in order.
void expect_bins(const std::vector<Bin>& expected, const Result& r) {
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE("bin " + std::to_string(i + 1));
    EXPECT_EQ(expected[i].e, r.s.ebin[i]);
    EXPECT_EQ(expected[i].phi, r.s.phi[i]);
  }
}

TEST(ReadSpectrum, WriterLayoutFillsBlockAndFlags) {
  const Result r = read_text(kWriterFile);
  expect_head({12, 0.5f, 3, 10.25f, 3, 1.0f, 100.0f, {1, 2}}, r);
  // Values with an exponent read as written, the scale factor notwithstanding.
  expect_bins({{10.5f, 1.2345e5f}, {11.5f, -2.0e-3f}, {150.25f, 3.0e10f}}, r);
  EXPECT_EQ(0.0f, r.s.phi[3]);
  EXPECT_EQ(2, r.s.nhist);
  EXPECT_EQ("Aluminium           ", r.s.hname[0]);
  EXPECT_EQ("Copper 0.1 mm       ", r.s.hname[1]);
  EXPECT_EQ(2.5f, r.s.hval[0]);
  EXPECT_EQ(-0.1f, r.s.hval[1]);
}

TEST(ReadSpectrum, CrLfLineEndsAndAMissingLastLineEndReadTheSame) {
  const Result lf = read_text(kWriterFile);
  std::string crlf;
  for (const char* p = kWriterFile; *p != '\0'; ++p) crlf += (*p == '\n') ? "\r\n" : std::string(1, *p);
  expect_same_block(lf, read_text(crlf));
  std::string unterminated = kWriterFile;
  unterminated.pop_back();
  expect_same_block(lf, read_text(unterminated));
}

TEST(ReadSpectrum, LiteralTextIsNotLookedAtAndZeroCountsReadNothing) {
  // Another generator's word, any caption and title, flag 3, no bins, no
  // history, and lines after the count.
  const std::string text =
      "# other-gen:  7   1.250  1    0.50\n"
      "#     0   0.5000      0.0000\n"
      "xx   3   1  anything at all\n"
      "caption of another kind\n"
      "history title of another kind\n"
      "#  0\n"
      "a line after the last entry\n"
      "*************\n";
  SPECTRUM = Spectrum{};
  std::istringstream in(text);
  LineSource source(in, kUnitData, kSpectrumFileName);
  UnitFlags iu{};
  read_spectrum_records(source, iu);
  EXPECT_EQ(7, SPECTRUM.ihd1);
  EXPECT_EQ(1.25f, SPECTRUM.hd1);
  EXPECT_EQ(1, SPECTRUM.ihd2);
  EXPECT_EQ(0.5f, SPECTRUM.hd2);
  EXPECT_EQ(0, SPECTRUM.nbin);
  EXPECT_EQ(0.5f, SPECTRUM.de);
  EXPECT_EQ((UnitFlags{3, 1}), iu);
  EXPECT_EQ(0, SPECTRUM.nhist);
  // The reader stopped right after the count record.
  std::string next;
  ASSERT_TRUE(source.next_line(next));
  EXPECT_EQ("a line after the last entry", next);

  // Negative counts read no record either.
  const Result neg = read_text(
      "# kaltrovin:  1   1.000  1    1.00\n"
      "#    -1   0.5000     50.0000\n"
      "#    1   2  (unit flags)\n"
      "#  Energy      #/mAs-cm^2-keV\n"
      "#  Attenuation History:\n"
      "# -2\n"
      "*************\n");
  EXPECT_EQ(-1, neg.s.nbin);
  EXPECT_EQ(50.0f, neg.s.dist);
  EXPECT_EQ(-2, neg.s.nhist);

  // A file may end with the count record.
  EXPECT_EQ(0, read_text(first_lines(text, 6)).s.nhist);
}

TEST(ReadSpectrum, NumbersWithoutPointOrExponent) {
  const Result r = read_text(
      "# kaltrovin: 12    1500  3    1025\n"  // hd1: 3 decimals, hd2: 2
      "#     4    15000     1000000\n"        // de, dist: 4 decimals
      "#    2   2  (unit flags)\n"
      "#  Energy    ergs/mAs-cm^2-keV\n"
      "    10500             12345\n"         // no point, 1P: 1.2345 / 10
      "    1 0.5               2.5\n"         // blanks passed over; point, 1P
      "   12.000         25000E-01\n"         // no point, exponent: 2.5E-01
      "   13.000            1.0+05\n"         // exponent sign alone
      "#  Attenuation History:\n"
      "#  2\n"
      "# no scale factor               2.5\n"
      "# implied decimals            25000\n");
  EXPECT_EQ(1.5f, r.s.hd1);
  EXPECT_EQ(10.25f, r.s.hd2);
  EXPECT_EQ(1.5f, r.s.de);
  EXPECT_EQ(100.0f, r.s.dist);
  EXPECT_EQ(10.5f, r.s.ebin[0]);
  EXPECT_EQ(0.12345f, r.s.phi[0]);
  EXPECT_EQ(10.5f, r.s.ebin[1]);
  EXPECT_EQ(0.25f, r.s.phi[1]);
  EXPECT_EQ(0.25f, r.s.phi[2]);
  EXPECT_EQ(1.0e5f, r.s.phi[3]);
  EXPECT_EQ(2.5f, r.s.hval[0]);
  EXPECT_EQ(2.5f, r.s.hval[1]);
}

TEST(ReadSpectrum, ShortRecordsArePaddedWithBlanks) {
  const Result r = read_text(
      "# kaltrovin: 12\n"
      "#     2\n"
      "#    2   2\n"
      "\n"
      "   10.500\n"
      "   11.5\n"
      "\n"
      "#  2\n"
      "# Al\n"
      "#\n");
  expect_head({12, 0.0f, 0, 0.0f, 2, 0.0f, 0.0f, {2, 2}}, r);
  expect_bins({{10.5f, 0.0f}, {11.5f, 0.0f}}, r);
  EXPECT_EQ(2, r.s.nhist);
  EXPECT_EQ("Al                  ", r.s.hname[0]);
  EXPECT_EQ(std::string(20, ' '), r.s.hname[1]);
  EXPECT_EQ(0.0f, r.s.hval[0]);
}

// `bins_written` bins (0.5 keV apart, 10 per keV) and `entries_written`
// history entries under counts that may say otherwise.
std::string file_with_counts(int nbin, int bins_written, int nhist, int entries_written) {
  test::SpectrumText text;
  text.header(12, 0.5, 3, 10.25).geometry(1.0, 100.0).flags(1, 2).nbin(nbin).nhist(nhist);
  std::vector<test::SpectrumBin> bins;
  for (int i = 1; i <= bins_written; ++i) bins.push_back({i * 0.5, i * 10.0});
  text.bins(bins);
  for (int i = 1; i <= entries_written; ++i) text.entry("filter", 1.0);
  return text.str();
}

TEST(ReadSpectrum, CountsUpToCapacityReadAndBeyondAreRefused) {
  const Result full = read_text(file_with_counts(300, 300, 20, 20));
  EXPECT_EQ(300, full.s.nbin);
  EXPECT_EQ(150.0f, full.s.ebin[299]);
  EXPECT_EQ(3000.0f, full.s.phi[299]);
  EXPECT_EQ(20, full.s.nhist);
  EXPECT_EQ(1.0f, full.s.hval[19]);

  // Refused as soon as the count is read: no bin or entry record follows here.
  const RunEnd bins = run_end_of(file_with_counts(301, 0, 0, 0));
  EXPECT_EQ(8, bins.status);
  EXPECT_EQ(0, bins.io_error);
  EXPECT_EQ(" ERROR: spectra.tmp nbin.gt.300: Aborting.\n", bins.out);

  const RunEnd hist = run_end_of(file_with_counts(2, 2, 21, 0));
  EXPECT_EQ(8, hist.status);
  EXPECT_EQ(0, hist.io_error);
  EXPECT_EQ(" ERROR: spectra.tmp nhist.gt.20: Aborting.\n", hist.out);
}

TEST(ReadSpectrum, FileEndingBeforeTheLastRecordIsEndOfFile) {
  // 11 lines; cut after any of the first 10 the reader runs past the end.
  for (int lines = 0; lines <= 10; ++lines) {
    SCOPED_TRACE(lines);
    const RunEnd end = run_end_of(first_lines(kWriterFile, lines));
    EXPECT_EQ(kEndOfFile, end.io_error);
    EXPECT_EQ(24, end.status);
    EXPECT_EQ(kUnitData, end.unit);
    EXPECT_EQ("spectra.tmp", end.file);
    EXPECT_EQ("", end.out);
  }
}

TEST(ReadSpectrum, FieldThatIsNoNumberIsConversionError) {
  struct Case {
    int line;  // 0-based
    const char* text;
  };
  const Case cases[] = {
      {0, "# kaltrovin: 1.   0.500  3   10.25"},  // point in an integer field
      {0, "# kaltrovin: 12  ******  3   10.25"},
      {1, "#   ***   1.0000    100.0000"},
      {2, "#    1   x  (unit flags)"},
      {4, "   10.500     *************"},         // a value that did not fit
      {5, "   11.5\t0      -2.0000E-03"},         // a tab
      {9, "# Aluminium           ************"},
      {10, "# Copper 0.1 mm         -1.0000E"},    // exponent letter, no digits
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::string text = replace_line(kWriterFile, c.line, c.text);
    const RunEnd end = run_end_of(text);
    EXPECT_EQ(kConversionError, end.io_error);
    EXPECT_EQ(64, end.status);
    EXPECT_EQ(kUnitData, end.unit);
    EXPECT_EQ("spectra.tmp", end.file);
  }
}

}  // namespace
}  // namespace zelpra
