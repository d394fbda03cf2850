// Fixed-column fields: output forms with asterisks, input with implied
// decimals, the 1P scale factor, blanks and conversion errors.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <cstring>
#include <random>

#include "text/fixed_format.h"

namespace zelpra {
namespace {

TEST(FixedOutput, Fields) {
  EXPECT_EQ(FixedRecord().lit("# kaltrovin: ").I(12, 2).X(2).F(1.5f, 6, 3).X(2).I(3, 1).X(2).F(10.0f, 6, 2).str(),
            "# kaltrovin: 12   1.500  3   10.00");
  EXPECT_EQ(FixedRecord().PE(2.5f, 13, 4).str(), "   2.5000E+00");
  EXPECT_EQ(FixedRecord().PE(-2.5f, 13, 4).str(), "  -2.5000E+00");
  EXPECT_EQ(FixedRecord().PE(0.0f, 13, 4).str(), "   0.0000E+00");
  EXPECT_EQ(FixedRecord().PE(1.4e-45f, 13, 4).str(), "   1.4013E-45");
  EXPECT_EQ(FixedRecord().E(2.5f, 11, 5).str(), "0.25000E+01");
  EXPECT_EQ(FixedRecord().E(2.5f, 10, 5).str(), ".25000E+01");  // the 0 goes only when needed
  EXPECT_EQ(FixedRecord().F(-0.0001f, 6, 3).str(), "-0.000");
  EXPECT_EQ(FixedRecord().F(0.5f, 4, 3).str(), ".500");
  EXPECT_EQ(FixedRecord().F(0.125f, 5, 2).str(), " 0.12");  // ties to even on the binary value
  EXPECT_EQ(FixedRecord().A("Al", 4).str(), "  Al");
  EXPECT_EQ(FixedRecord().A("Aluminium", 4).str(), "Alum");
}

TEST(FixedOutput, ValuesThatDoNotFitAreAsterisks) {
  struct {
    FixedRecord rec;
    const char* text;
  } cases[] = {
      {FixedRecord().I(100, 2).lit("|"), "**|"},
      {FixedRecord().I(-10, 2).lit("|"), "**|"},
      {FixedRecord().I(-9, 2).lit("|"), "-9|"},
      {FixedRecord().F(1000.0f, 7, 3).lit("|"), "*******|"},
      {FixedRecord().F(999.999f, 7, 3).lit("|"), "999.999|"},
      {FixedRecord().F(100000.0f, 10, 4).lit("|"), "**********|"},
      {FixedRecord().F(std::numeric_limits<float>::quiet_NaN(), 6, 2).lit("|"), "******|"},
      {FixedRecord().PE(std::numeric_limits<float>::infinity(), 13, 4).lit("|"), "*************|"},
  };
  for (auto& c : cases) {
    EXPECT_EQ(c.rec.str(), c.text);
    EXPECT_EQ(c.rec.fits(), std::string(c.text).find('*') == std::string::npos) << c.text;
  }
  EXPECT_TRUE(FixedRecord().I(99, 2).F(99.999f, 6, 3).fits());
}

// A field may ask for an infinity as a word; a NaN, and a word wider than
// the field, are still asterisks.
TEST(FixedOutput, InfinityAsAWord) {
  const float inf = std::numeric_limits<float>::infinity();
  const NonFinite word = NonFinite::kInfinityAsWord;
  struct {
    FixedRecord rec;
    const char* text;
  } cases[] = {
      {FixedRecord().PE(inf, 13, 4, word).lit("|"), "     Infinity|"},
      {FixedRecord().PE(-inf, 13, 4, word).lit("|"), "    -Infinity|"},
      {FixedRecord().PE(std::numeric_limits<float>::quiet_NaN(), 13, 4, word).lit("|"),
       "*************|"},
      {FixedRecord().PE(-inf, 8, 1, word).lit("|"), "********|"},
      {FixedRecord().PE(2.5f, 13, 4, word).lit("|"), "   2.5000E+00|"},
  };
  for (auto& c : cases) {
    EXPECT_EQ(c.rec.str(), c.text);
    EXPECT_EQ(c.rec.fits(), std::string(c.text).find('*') == std::string::npos) << c.text;
  }
}

// A non-zero value that shows as nothing but zeros is told apart from zero.
TEST(FixedOutput, NonZeroValuesShownAsZero) {
  struct {
    FixedRecord rec;
    bool shown;
  } cases[] = {
      {FixedRecord().F(0.00004f, 10, 4), false},   // "    0.0000"
      {FixedRecord().F(-0.0004f, 7, 3), false},    // " -0.000"
      {FixedRecord().F(0.0005f, 7, 3), true},      // 0.000500000024 rounds up to 0.001
      {FixedRecord().F(0.0f, 7, 3), true},
      {FixedRecord().F(-0.0f, 7, 3), true},        // a negative zero is zero
      {FixedRecord().PE(1.4e-45f, 13, 4), true},
      {FixedRecord().F(1.0f, 6, 3).F(0.001f, 6, 2), false},  // any field of the record
  };
  for (auto& c : cases) EXPECT_EQ(c.rec.shows_every_nonzero(), c.shown) << c.rec.str();
}

TEST(FixedOutput, ExponentFormMatchesPrintf) {
  std::mt19937 gen(7);
  std::uniform_int_distribution<uint32_t> bits;
  for (int k = 0; k < 2000; ++k) {
    uint32_t b = bits(gen);
    float v;
    std::memcpy(&v, &b, sizeof v);
    if (!std::isfinite(v)) continue;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%13.4E", static_cast<double>(v));
    ASSERT_EQ(FixedRecord().PE(v, 13, 4).str(), buf);
  }
}

TEST(FixedInput, ColumnsPaddedWithBlanks) {
  EXPECT_EQ(column_field("abc", 2, 4), "bc  ");
  EXPECT_EQ(column_field("abc", 9, 2), "  ");
}

struct RealField {
  const char* field;
  int d;
  bool p1;
  float value;
};

TEST(FixedInput, Reals) {
  const RealField cases[] = {
      {"   50.000", 3, false, 50.0f},
      {"    50000", 3, false, 50.0f},     // no point: the last d digits are decimals
      {"  2.5000E+00", 4, true, 2.5f},    // an exponent reads as written under 1P
      {"       25000", 4, true, 0.25f},   // 1P divides a value without exponent by 10
      {"      2.5", 4, true, 0.25f},
      {"      2.5", 4, false, 2.5f},
      {"    25E1", 1, false, 25.0f},      // implied decimals also with an exponent
      {"  1.0+05", 4, false, 1.0e5f},
      {"  1.5d-1", 4, false, 0.15f},
      {"1 2 . 5", 2, false, 12.5f},       // blanks inside are passed over
      {"       ", 4, false, 0.0f},
      {"   +", 4, false, 0.0f},
      {"   .", 4, false, 0.0f},
      {"   E5", 4, false, 0.0f},
      {" 1.0000000596046448", 4, false, 1.0000001192092896f},
      {"  1.0E-50", 5, false, 0.0f},
      {"-0.0", 1, false, -0.0f},
  };
  for (const RealField& c : cases) {
    float v = 99.0f;
    ASSERT_TRUE(parse_real_field(c.field, c.d, c.p1, v)) << c.field;
    EXPECT_EQ(v, c.value) << c.field;
    EXPECT_EQ(std::signbit(v), std::signbit(c.value)) << c.field;
  }
}

TEST(FixedInput, Integers) {
  struct {
    const char* field;
    int32_t value;
  } cases[] = {{"  3", 3}, {" -9", -9}, {"   ", 0}, {"1 0", 10}, {"+7", 7}, {"2147483647", 2147483647}};
  for (const auto& c : cases) {
    int32_t v = 99;
    ASSERT_TRUE(parse_int_field(c.field, v)) << c.field;
    EXPECT_EQ(v, c.value) << c.field;
  }
}

TEST(FixedInput, ConversionErrors) {
  int32_t i = 0;
  float r = 0;
  for (const char* f : {"**", "1.", "a", "1\t", "2147483648", "1-", "  +", " -", "-"}) {
    EXPECT_FALSE(parse_int_field(f, i)) << f;
  }
  for (const char* f : {"*******", "1.0E", "1.0E+", "1..2", "1.0x", "\t1.0", "4.0E38", "1e9999999999999"}) {
    EXPECT_FALSE(parse_real_field(f, 4, false, r)) << f;
  }
}

TEST(FixedInput, RoundTripOfWrittenExponentFields) {
  std::mt19937 gen(11);
  std::uniform_real_distribution<float> mantissa(-10.0f, 10.0f);
  std::uniform_int_distribution<int> exponent(-40, 37);
  for (int k = 0; k < 2000; ++k) {
    float v = mantissa(gen) * std::pow(10.0f, static_cast<float>(exponent(gen)));
    std::string field = FixedRecord().PE(v, 13, 4).str();
    float back = 0;
    ASSERT_TRUE(parse_real_field(field, 4, true, back)) << field;
    EXPECT_EQ(FixedRecord().PE(back, 13, 4).str(), field);
  }
}

}  // namespace
}  // namespace zelpra
