// Material files and the mixture coefficient.
//
// Expected fractions and coefficients were worked out separately in 32-bit
// arithmetic from the atomic weights and fit coefficients set up here.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "case_table.h"
#include "cross_sections.h"
#include "element_data.h"
#include "harness.h"
#include "in_process.h"
#include "material.h"
#include "padded.h"
#include "text/run_end.h"

namespace zelpra {
namespace {

using test::case_label;
using test::padded;

// Two elements with hand-picked tables: hydrogen (row 1) and oxygen (row 8),
// plus the atomic weights of carbon, aluminium, thorium and uranium.
void set_up_elements() {
  ElementData& d = ELEMENT_DATA;
  d = ElementData{};
  d.wghts[0] = 1.008f;
  d.wghts[5] = 12.011f;
  d.wghts[7] = 15.999f;
  d.wghts[12] = 26.98f;
  d.wghts[83] = 232.04f;  // Th, row 84
  d.wghts[84] = 238.03f;  // U, row 85
  d.sinc[0] = {-0.5f, 0.25f, -0.0625f, 0.0078125f};
  d.scoh[0] = {-3.0f, 0.5f, -0.125f, 0.01f};
  d.npe[0] = 1;
  d.pe[0][0] = {1.0f, 0.02f, 0.3f, 0.004f, 0.0001f};
  d.sinc[7] = {1.2f, 0.1f, -0.05f, 0.003f};
  d.scoh[7] = {0.5f, 0.3f, -0.2f, 0.02f};
  d.npe[7] = 2;
  d.pe[7][0] = {1.0f, 0.5f, 20.0f, 150.0f, 3.0f};
  d.pe[7][1] = {20.0f, 1.0f, 30.0f, 900.0f, 10.0f};
}

class MaterialTest : public ::testing::Test {
 protected:
  void SetUp() override {
    set_up_elements();
    MATERIAL = Material{};
  }
  void TearDown() override { MATERIAL = Material{}; }

  // READ_MATERIAL with `answer` on standard input; the RunEnd if the run ended.
  std::optional<RunEnd> read(const std::string& answer, std::string& matname) {
    test::InProcessRun run =
        test::run_in_process([&] { READ_MATERIAL(dir_.path(), matname); }, answer);
    printed_ += run.out;
    return run.end;
  }

  // Writes the material file `name` and reads it by that name.
  std::optional<RunEnd> read_file(const std::string& content, const std::string& name = "mat") {
    dir_.write("_materials/" + name, content);
    std::string matname;
    return read(name + "\n", matname);
  }

  std::string path(const std::string& name) const { return dir_.path() + "/_materials/" + name; }

  test::ScratchDir dir_;
  std::string printed_;  // what the routines printed on standard output
};

// ---- Reading, conversion and the weight-sum check -------------------------

struct ReadCase {
  const char* label;
  std::string content;
  std::vector<int32_t> iz;
  std::vector<float> fw;
  float rho;
  std::string printed;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.label; }

class ReadMaterialCases : public MaterialTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReadMaterialCases, FillsTheBlock) {
  const ReadCase& c = GetParam();
  ASSERT_FALSE(read_file(c.content).has_value());
  ASSERT_EQ(MATERIAL.nz, static_cast<int32_t>(c.iz.size()));
  for (std::size_t i = 0; i < c.iz.size(); ++i) {
    EXPECT_EQ(MATERIAL.iz[i], c.iz[i]) << "element " << i + 1;
    EXPECT_EQ(MATERIAL.fw[i], c.fw[i]) << "element " << i + 1;
  }
  EXPECT_EQ(MATERIAL.rho, c.rho);
  EXPECT_EQ(printed_, c.printed);
}

const std::string kWtotWarning = " WARNING: wtot.ne.1.0 -- ";

INSTANTIATE_TEST_SUITE_P(
    Files, ReadMaterialCases,
    ::testing::Values(
        // Atom counts: fw = n A / sum(n A), W kept in double precision.
        ReadCase{"water_by_atom_counts", "2\n1 8\n2 1\n1.0\n", {1, 8},
                 {0.111906752f, 0.888093233f}, 1.0f, ""},
        // Remarks after the values of every group; a group running over lines.
        ReadCase{"remarks_and_split_groups",
                 "2   water, atom counts\n1\n8   H and O\n2,1 counts\n1.0 g/cm3\nmore\n",
                 {1, 8}, {0.111906752f, 0.888093233f}, 1.0f, ""},
        ReadCase{"one_to_one_counts", "2\n1 8\n1.0 1.0\n0.9\n", {1, 8},
                 {0.0592697151f, 0.940730274f}, 0.9f, ""},
        ReadCase{"thorium_uranium_rows", "2\n90 92\n1 1\n11.0\n", {90, 92},
                 {0.493628591f, 0.506371379f}, 11.0f, ""},
        // No element row: weight 0 in the conversion; mu refuses it later.
        ReadCase{"untabulated_counts", "2\n84 8\n1 1\n9.3\n", {84, 8}, {0.0f, 1.0f}, 9.3f, ""},
        // The first value alone decides: below 1.0 means weight fractions.
        ReadCase{"first_value_decides", "2\n1 8\n0.5 3\n1.0\n", {1, 8}, {0.5f, 3.0f}, 1.0f,
                 kWtotWarning + "   3.500000    \n"},
        ReadCase{"one_element_whole", "1\n13\n1.0\n2.699\n", {13}, {1.0f}, 2.699f, ""},
        ReadCase{"one_element_half", "1\n13\n0.5\n2.699\n", {13}, {1.0f}, 2.699f,
                 " WARNING: one element fw.ne.1\n"},
        ReadCase{"one_element_count", "1\n6\n2\n2.0\n", {6}, {1.0f}, 2.0f,
                 " WARNING: one element fw.ne.1\n"},
        ReadCase{"sum_0_98", "2\n6 8\n0.5 0.48\n1.5\n", {6, 8}, {0.5f, 0.48f}, 1.5f,
                 kWtotWarning + "  0.9800000    \n"},
        ReadCase{"sum_0_9995", "2\n6 8\n0.5 0.4995\n1.5\n", {6, 8}, {0.5f, 0.4995f}, 1.5f, ""},
        ReadCase{"sum_1_0008", "2\n6 8\n0.5 0.5008\n1.5\n", {6, 8}, {0.5f, 0.5008f}, 1.5f, ""},
        // The 32-bit sum is the float nearest 1.001: above 1 + 0.001f.
        ReadCase{"sum_float_1_001", "2\n6 8\n0.4 0.601\n1.5\n", {6, 8}, {0.4f, 0.601f}, 1.5f,
                 kWtotWarning + "   1.001000    \n"},
        // Just below the float nearest 1.001: no warning.
        ReadCase{"sum_below_float_1_001", "2\n6 8\n0.5 0.501\n1.5\n", {6, 8}, {0.5f, 0.501f}, 1.5f,
                 ""},
        // The sum is the float nearest 0.999: within 0.001f of 1.
        ReadCase{"sum_float_0_999", "2\n6 8\n0.5 0.499\n1.5\n", {6, 8}, {0.5f, 0.499f}, 1.5f, ""},
        ReadCase{"sum_below_float_0_999", "2\n6 8\n0.4 0.599\n1.5\n", {6, 8}, {0.4f, 0.599f}, 1.5f,
                 kWtotWarning + "  0.9990000    \n"},
        ReadCase{"ten_elements",
                 "10\n1 2 3 4 5\n6 7 8 9 10\n0.1 0.1 0.1 0.1 0.1 0.1 0.1 0.1 0.1 0.1\n2\n",
                 {1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
                 {0.1f, 0.1f, 0.1f, 0.1f, 0.1f, 0.1f, 0.1f, 0.1f, 0.1f, 0.1f}, 2.0f, ""}),
    case_label<ReadCase>);

TEST_F(MaterialTest, NameFromStandardInputIsPaddedAndNamesTheFile) {
  dir_.write("_materials/bone tissue", "1\n20\n1.0\n1.85\n");
  std::string matname;
  ASSERT_FALSE(read("'bone tissue'  remark\n", matname).has_value());
  EXPECT_EQ(matname, padded("bone tissue", 40));
  EXPECT_EQ(MATERIAL.iz[0], 20);
  EXPECT_EQ(MATERIAL.rho, 1.85f);
}

// ---- Refusals and fatal input errors ---------------------------------------

struct EndCase {
  const char* label;
  std::string content;
  int status;
  int io_error;          // 0 for a refusal
  std::string printed;   // standard output, warnings and RunEnd text together
};

void PrintTo(const EndCase& c, std::ostream* os) { *os << c.label; }

class ReadMaterialEnds : public MaterialTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(ReadMaterialEnds, EndsTheRun) {
  const EndCase& c = GetParam();
  const std::optional<RunEnd> end = read_file(c.content);
  ASSERT_TRUE(end.has_value());
  EXPECT_EQ(end->status, c.status);
  EXPECT_EQ(end->io_error, c.io_error);
  if (c.io_error != 0) {
    EXPECT_EQ(end->unit, kUnitData);
    EXPECT_EQ(end->file, path("mat"));
  }
  EXPECT_EQ(printed_ + end->out, c.printed);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ReadMaterialEnds,
    ::testing::Values(
        EndCase{"nz_zero", "0\n1\n1.0\n1.0\n", 8, 0, " ERROR: nz.lt.1\n"},
        EndCase{"nz_negative", "-2\n", 8, 0, " ERROR: nz.lt.1\n"},
        EndCase{"nz_eleven", "11\n1 2 3 4 5 6 7 8 9 10 11\n", 8, 0, " ERROR: nz.gt.10\n"},
        // Atom counts whose weighted sum is zero, before any fraction changes.
        EndCase{"zero_weight_untabulated", "2\n84 85\n1 1\n1.0\n", 8, 0,
                " ERROR: atom counts give zero weight sum\n"},
        EndCase{"zero_weight_negative_count", "2\n1 1\n1 -1\n1.0\n", 8, 0,
                " ERROR: atom counts give zero weight sum\n"},
        EndCase{"short_fractions", "2\n1 8\n0.5\n", 24, 24, ""},
        // The warning is out before the missing density is met.
        EndCase{"no_density", "1\n8\n0.5\n", 24, 24, " WARNING: one element fw.ne.1\n"},
        EndCase{"bad_atomic_number", "2\n1 x\n", 59, 59, ""},
        EndCase{"empty_file", "", 24, 24, ""}),
    case_label<EndCase>);

TEST_F(MaterialTest, MissingFileShowsTheNameAtFullLength) {
  std::string matname;
  const std::optional<RunEnd> end = read("nosuch\n", matname);
  ASSERT_TRUE(end.has_value());
  EXPECT_EQ(end->status, 8);
  EXPECT_EQ(end->io_error, 0);
  EXPECT_EQ(end->out, " ERROR: could not find material file " + padded("nosuch", 40) + "\n");
  EXPECT_EQ(printed_, "");
}

TEST_F(MaterialTest, DirectoryInPlaceOfTheFileIsMissing) {
  dir_.write("_materials/adir/x", "");
  std::string matname;
  const std::optional<RunEnd> end = read("adir\n", matname);
  ASSERT_TRUE(end.has_value());
  EXPECT_EQ(end->out, " ERROR: could not find material file " + padded("adir", 40) + "\n");
}

TEST_F(MaterialTest, NoAnswerOnStandardInput) {
  std::string matname;
  const std::optional<RunEnd> end = read("", matname);
  ASSERT_TRUE(end.has_value());
  EXPECT_EQ(end->io_error, 24);
  EXPECT_EQ(end->unit, kUnitStdin);
}

// ---- MIXTURE_MU -------------------------------------------------------------

struct MixtureCase {
  float e;
  float mutot;
  float mupi;
  float xpe;   // oxygen's, the last element
  float xinc;
};

void PrintTo(const MixtureCase& c, std::ostream* os) { *os << c.e << " keV"; }

class MixtureMu : public MaterialTest, public ::testing::WithParamInterface<MixtureCase> {};

// Water by weight: each element's total weighted and summed, rounded once
// per element.
TEST_P(MixtureMu, WeightedSumOfElementTotals) {
  const MixtureCase& c = GetParam();
  MATERIAL.nz = 2;
  MATERIAL.iz = {1, 8};
  MATERIAL.fw = {0.111906752f, 0.888093233f};
  float xinc = -1.0f, xpe = -1.0f, mutot = -1.0f, mupi = -1.0f;
  const test::InProcessRun run =
      test::run_in_process([&] { MIXTURE_MU(c.e, xinc, xpe, mutot, mupi); });
  ASSERT_FALSE(run.end.has_value());
  EXPECT_EQ(mutot, c.mutot);
  EXPECT_EQ(mupi, c.mupi);
  EXPECT_EQ(xpe, c.xpe);
  EXPECT_EQ(xinc, c.xinc);
  EXPECT_EQ(run.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Water, MixtureMu,
    ::testing::Values(MixtureCase{1.0f, 154.330826f, 154.272202f, 173.5f, 0.125104964f},
                      MixtureCase{19.5f, 0.297086358f, 0.251879603f, 0.0984883532f, 0.117057301f},
                      MixtureCase{20.0f, 0.420061529f, 0.375203371f, 0.237562507f, 0.116707474f},
                      MixtureCase{30.0f, 0.289568424f, 0.249985248f, 0.100012347f, 0.110820539f}));

struct RefusalCase {
  const char* label;
  std::vector<int32_t> iz;
  float e;
  std::string line;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.label; }

class MixtureMuRefusal : public MaterialTest, public ::testing::WithParamInterface<RefusalCase> {};

// A refusal of mu ends the run as a failure, not as success.
TEST_P(MixtureMuRefusal, EndsWithStatus8) {
  const RefusalCase& c = GetParam();
  MATERIAL.nz = static_cast<int32_t>(c.iz.size());
  for (std::size_t i = 0; i < c.iz.size(); ++i) {
    MATERIAL.iz[i] = c.iz[i];
    MATERIAL.fw[i] = 0.5f;
  }
  float xinc = 0.0f, xpe = 0.0f, mutot = 0.0f, mupi = 0.0f;
  const test::InProcessRun run =
      test::run_in_process([&] { MIXTURE_MU(c.e, xinc, xpe, mutot, mupi); });
  ASSERT_TRUE(run.end.has_value()) << "MIXTURE_MU returned";
  EXPECT_EQ(run.end->status, 8);
  EXPECT_EQ(run.end->io_error, 0);
  EXPECT_EQ(run.end->out, c.line);
  EXPECT_EQ(run.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Elements, MixtureMuRefusal,
    ::testing::Values(
        RefusalCase{"below_one_keV", {1, 8}, 0.99999994f, " error condition from mu: ierr =  3\n"},
        RefusalCase{"polonium_second", {8, 84}, 30.0f, " error condition from mu: ierr =  1\n"},
        RefusalCase{"atomic_number_zero", {0}, 30.0f, " error condition from mu: ierr =  2\n"}),
    case_label<RefusalCase>);

TEST_F(MaterialTest, MixtureOfNoElementsIsZero) {
  MATERIAL.nz = 0;
  float xinc = 7.0f, xpe = 8.0f, mutot = 9.0f, mupi = 9.0f;
  MIXTURE_MU(30.0f, xinc, xpe, mutot, mupi);
  EXPECT_EQ(mutot, 0.0f);
  EXPECT_EQ(mupi, 0.0f);
  EXPECT_EQ(xinc, 7.0f);
  EXPECT_EQ(xpe, 8.0f);
}

}  // namespace
}  // namespace zelpra
