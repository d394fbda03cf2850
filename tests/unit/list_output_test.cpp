// Free-form output: number forms, blanks around text values, wrapping.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <sstream>

#include "text/list_output.h"

namespace zelpra {
namespace {

struct RealCase {
  float value;
  const char* text;
};

TEST(ListOutput, RealForms) {
  const RealCase cases[] = {
      {1.0f, "   1.000000    "},
      {0.5f, "  0.5000000    "},
      {1.0e8f, "  1.0000000E+08"},
      {0.0f, "  0.0000000E+00"},
      {-0.0f, " -0.0000000E+00"},
      {0.01f, "  9.9999998E-03"},       // exponent form shows 8 significant digits
      {0.1f, "  0.1000000    "},        // E = 0: seven decimals
      {9999999.0f, "   9999999.    "},   // E = 7: no decimals, the point kept
      {10000000.0f, "  1.0000000E+07"},  // E = 8
      {12.34567f, "   12.34567    "},
      {100.0f, "   100.0000    "},
      {-2.5f, "  -2.500000    "},
      {0.99999994f, "  0.9999999    "},
      {99999.99f, "   99999.99    "},
      {4194302.5f, "   4194302.    "},    // ties to even on the exact binary value
      {std::numeric_limits<float>::infinity(), "       Infinity"},
      {-std::numeric_limits<float>::infinity(), "      -Infinity"},
      {std::numeric_limits<float>::quiet_NaN(), "            NaN"},
      {3.4028235e38f, "  3.4028235E+38"},
      {1.4e-45f, "  1.4012985E-45"},
  };
  for (const RealCase& c : cases) {
    EXPECT_EQ(format_list_real(c.value), c.text) << c.value;
  }
}

TEST(ListOutput, ExponentFormMatchesPrintf) {
  // Outside 0.1 .. 9999999.5 the exponent form is printf's %15.7E.
  for (float v : {1.234567e-5f, 6.02e23f, -7.5e-20f, 0.0999999f}) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%15.7E", static_cast<double>(v));
    EXPECT_EQ(format_list_real(v), buf);
  }
}

TEST(ListOutput, Integers) {
  EXPECT_EQ(format_list_integer(0), "           0");
  EXPECT_EQ(format_list_integer(-2147483647 - 1), " -2147483648");
}

TEST(ListOutput, TextAndNumberSpacing) {
  // Text at the start and after a number gets one blank; a number gets none.
  EXPECT_EQ(ListLine().text("Exposure = ").real(12.34567f).text(" mR/mAs at ").real(100.0f).text(" cm.").str(),
            " Exposure =    12.34567      mR/mAs at    100.0000      cm.\n");
  EXPECT_EQ(ListLine().real(1.0f).real(0.5f).real(0.0f).str(),
            "   1.000000      0.5000000      0.0000000E+00\n");
  EXPECT_EQ(ListLine().text("ab").text("cd ").str(), " abcd \n");
  EXPECT_EQ(ListLine().text(" ERROR in INTERP:  x(").integer(3).text(") = x(").integer(4).text(")").str(),
            "  ERROR in INTERP:  x(           3 ) = x(           4 )\n");
  EXPECT_EQ(list_text_line("Aborting."), " Aborting.\n");
  EXPECT_EQ(ListLine().str(), "\n");
}

TEST(ListOutput, LongTextWrapsOverLinesBeginningWithABlank) {
  // A 34-character message and an 80-character path: three lines.
  std::string msg = "ERROR opening data file in input\\n";
  ASSERT_EQ(msg.size(), 34u);
  std::string path = std::string(79, 'p') + "q";
  EXPECT_EQ(ListLine().text(msg).text(path).str(),
            " " + msg + "\n " + std::string(79, 'p') + "\n q\n");
  // A text that fits behind another one follows it directly.
  std::string fits(45, 'x');
  EXPECT_EQ(ListLine().text(msg).text(fits).str(), " " + msg + fits + "\n");
  // A number that does not fit in the rest of the line starts the next one in
  // column 1; only a text value there gets a blank before it.
  EXPECT_EQ(ListLine().text(std::string(70, 'a')).real(1.0f).str(),
            " " + std::string(70, 'a') + "\n   1.000000    \n");
  EXPECT_EQ(ListLine().integer(1).integer(2).integer(3).integer(4).integer(5).integer(6).integer(7).str(),
            std::string(11, ' ') + "1" + std::string(11, ' ') + "2" + std::string(11, ' ') + "3" +
                std::string(11, ' ') + "4" + std::string(11, ' ') + "5" + std::string(11, ' ') + "6" +
                "\n" + std::string(11, ' ') + "7\n");
}

TEST(ListOutput, OutStreamCanBeRedirected) {
  std::ostringstream captured;
  set_out(&captured);
  out() << "x";
  set_out(nullptr);
  EXPECT_EQ(captured.str(), "x");
}

}  // namespace
}  // namespace zelpra
