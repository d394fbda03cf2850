// Decimal text to float, proven against the C library's strtof in the manner
// of fast_float's exhaustive checks: the exact decimal midpoint between
// adjacent floats, and values just either side of it, in every binade from
// the subnormals to the largest float, through both readers of the package
// (the fixed-column field and the free-form value); plus digit strings
// longer than the reader keeps, whose last digits decide the rounding.
//
// A midpoint is where rounding changes its mind: a reader that rounds twice,
// or rounds a truncated decimal, errs there first.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "text/fixed_format.h"
#include "text/line_source.h"
#include "text/list_input.h"
#include "text/run_end.h"

namespace zelpra {
namespace {

uint32_t bits_of(float f) {
  uint32_t b = 0;
  std::memcpy(&b, &f, sizeof b);
  return b;
}

float float_of(uint32_t b) {
  float f = 0.0f;
  std::memcpy(&f, &b, sizeof f);
  return f;
}

// The exact decimal expansion of a double as d.ddd...e+xx, trailing zeros of
// the mantissa removed.  A float midpoint is a double, and printf writes a
// double's exact value when asked for enough digits (at most 112 significant
// digits are needed here).
std::string exact_decimal(double v) {
  char buf[256];
  std::snprintf(buf, sizeof buf, "%.160e", v);
  std::string s = buf;
  const std::size_t e = s.find('e');
  std::size_t last = s.find_last_not_of('0', e - 1);
  if (s[last] == '.') --last;
  return s.substr(0, last + 1) + s.substr(e);
}

// The mantissa and the exponent part of exact_decimal's form.
void split_at_exponent(const std::string& s, std::string& mantissa, std::string& exponent) {
  const std::size_t e = s.find('e');
  mantissa = s.substr(0, e);
  exponent = s.substr(e);
}

// s with its last digit lowered by one (the mantissa's last digit is never 0)
// and `nines` nines behind it: just below s.
std::string just_below(const std::string& s, int nines) {
  std::string m, x;
  split_at_exponent(s, m, x);
  if (m.find('.') == std::string::npos) m += '.';
  if (m.back() == '.') {
    m.pop_back();
    --m.back();
    m += '.';
  } else {
    --m.back();
  }
  return m + std::string(static_cast<std::size_t>(nines), '9') + x;
}

// s with `zeros` zeros and a 1 behind its last digit: just above s.
std::string just_above(const std::string& s, int zeros) {
  std::string m, x;
  split_at_exponent(s, m, x);
  if (m.find('.') == std::string::npos) m += '.';
  return m + std::string(static_cast<std::size_t>(zeros), '0') + "1" + x;
}

// s with `zeros` zeros behind its last digit: the same value, written long.
std::string padded_with_zeros(const std::string& s, int zeros) {
  std::string m, x;
  split_at_exponent(s, m, x);
  if (m.find('.') == std::string::npos) m += '.';
  return m + std::string(static_cast<std::size_t>(zeros), '0') + x;
}

// s cut to its first `digits` significant digits, and that plus one unit in
// its last place: short texts just below and just above a long value.
std::string cut(const std::string& s, int digits) {
  std::string m, x;
  split_at_exponent(s, m, x);
  const std::size_t keep = static_cast<std::size_t>(digits) + 1;  // the point is one character
  if (m.size() > keep) m.resize(keep);
  return m + x;
}

std::string cut_and_raised(const std::string& s, int digits) {
  std::string m, x;
  split_at_exponent(cut(s, digits), m, x);
  if (m.size() == 2) m.pop_back();  // "d." has no digit after the point
  // Add one unit in the last place, carrying to the left.
  std::size_t k = m.size();
  while (k-- > 0) {
    if (m[k] == '.') continue;
    if (m[k] == '9') {
      m[k] = '0';
      continue;
    }
    ++m[k];
    return m + x;
  }
  // 9.99...9 became 0.00...0: one more digit in front.
  return "1" + m + x;
}

// The decimal integer `digits` minus one.
std::string decremented(std::string digits) {
  std::size_t k = digits.size();
  while (k-- > 0) {
    if (digits[k] != '0') {
      --digits[k];
      break;
    }
    digits[k] = '9';
  }
  if (digits.size() > 1 && digits[0] == '0') digits.erase(0, 1);
  return digits;
}

// The value of s (exact_decimal's form) written as 0.000...0ddd with `zeros`
// zeros after the point and the exponent made up for them.
std::string with_leading_zeros(const std::string& s, int zeros) {
  std::string m, x;
  split_at_exponent(s, m, x);
  std::string digits;
  for (char c : m) {
    if (c != '.') digits += c;
  }
  const long exponent = std::strtol(x.c_str() + 1, nullptr, 10) + zeros + 1;
  return "0." + std::string(static_cast<std::size_t>(zeros), '0') + digits + "e" +
         std::to_string(exponent);
}

// Checks every text against strtof through the two readers.
class Checker {
 public:
  // `reference` is the text as strtof reads it, when `text` has an exponent
  // letter D or d, which strtof does not know.
  void check(const std::string& text, const std::string& reference = "") {
    ++count_;
    const float expected = std::strtof((reference.empty() ? text : reference).c_str(), nullptr);
    const bool overflow = std::isinf(expected);

    float fixed = 0.0f;
    const bool fixed_ok = parse_real_field(text, 0, false, fixed);
    if (overflow) {
      if (fixed_ok) report(text, "fixed-column", "no conversion error");
    } else if (!fixed_ok || bits_of(fixed) != bits_of(expected)) {
      report(text, "fixed-column", fixed_ok ? hex(fixed) : std::string("a conversion error"),
             expected);
    }

    // The free-form reader, once on a line of its own (read straight from
    // the line) and once ended by a slash (read by the general rules).
    for (const std::string& line : {text, text + "/"}) {
      float value = 0.0f;
      int error = 0;
      try {
        LineSource source(line + "\n", kUnitData, "decimal");
        list_read(source, {ListItem::real(value)});
      } catch (const RunEnd& end) {
        error = end.io_error;
      }
      if (overflow) {
        if (error != kConversionError) report(line, "free-form", "no conversion error 64");
      } else if (error != 0 || bits_of(value) != bits_of(expected)) {
        report(line, "free-form", error != 0 ? "error " + std::to_string(error) : hex(value),
               expected);
      }
    }
  }

  int count() const { return count_; }
  int failures() const { return failures_; }

 private:
  static std::string hex(float f) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%a", static_cast<double>(f));
    return buf;
  }

  void report(const std::string& text, const char* reader, const std::string& got,
              float expected = 0.0f) {
    if (++failures_ > 10) return;  // enough to see the pattern
    ADD_FAILURE() << reader << " reader on \"" << text << "\": got " << got << ", strtof gives "
                  << hex(expected);
  }

  int count_ = 0;
  int failures_ = 0;
};

// The pairs of adjacent positive floats whose midpoints the tests take: in
// every binade (every exponent, the subnormals included), the first and last
// pairs and a random sample between.
std::vector<uint32_t> lower_floats_of_pairs() {
  std::vector<uint32_t> lows;
  std::mt19937 gen(2024);
  std::uniform_int_distribution<uint32_t> significand(0, (1u << 23) - 1);
  for (uint32_t exponent = 0; exponent < 255; ++exponent) {
    const uint32_t base = exponent << 23;
    for (uint32_t k = 0; k < 6; ++k) {
      lows.push_back(base + k);
      lows.push_back(base + (1u << 23) - 1 - k);
    }
    for (int k = 0; k < 40; ++k) lows.push_back(base + significand(gen));
  }
  return lows;
}

TEST(DecimalToFloat, MidpointsBetweenAdjacentFloatsAndTheValuesEitherSide) {
  Checker checker;
  const std::vector<uint32_t> lows = lower_floats_of_pairs();
  for (std::size_t i = 0; i < lows.size(); ++i) {
    const uint32_t low = lows[i];
    // Above the largest float the next value is 2**128 (an infinity): the
    // midpoint there is where overflow begins.
    const double a = static_cast<double>(float_of(low));
    const double b = low == 0x7F7FFFFFu ? std::ldexp(1.0, 128)
                                        : static_cast<double>(float_of(low + 1));
    const std::string m = exact_decimal((a + b) / 2);

    std::vector<std::string> texts = {
        m,                    // a tie: to the even one of the pair
        just_below(m, 3),     // toward the lower
        just_above(m, 3),     // toward the upper
        // Short texts either side: with 15 or 16 digits, near enough for
        // one step of double arithmetic to land on the midpoint itself.
        cut(m, 16), cut_and_raised(m, 16), cut(m, 15), cut_and_raised(m, 15),
        cut(m, 9), cut_and_raised(m, 9),
    };
    for (const std::string& t : texts) {
      // Every exponent letter and both signs, in turn.
      std::string reference = t;
      if (i % 3 == 1) reference = "-" + reference;
      if (i % 3 == 2) reference = "+" + reference;
      std::string text = reference;
      text[text.find('e')] = "eEdD"[i % 4];
      checker.check(text, reference);
    }
    if (checker.failures() > 10) break;
  }
  EXPECT_GT(checker.count(), 80000);
}

TEST(DecimalToFloat, IntegerMidpointsAndTheirShortNeighbours) {
  // Floats from 2**24 up to 2**64 are integers whose midpoints have at most
  // 20 digits, so that short texts on and around them take the shortest way
  // through the reader.
  Checker checker;
  for (int e = 24; e < 64; ++e) {
    for (uint32_t k = 0; k < 64; ++k) {
      const double a = std::ldexp(static_cast<double>((1u << 23) + k * 131071u % (1u << 23)), e - 23);
      const double b = std::nextafter(static_cast<float>(a), INFINITY);
      char buf[64];
      std::snprintf(buf, sizeof buf, "%.0f", (a + b) / 2);
      const std::string m = buf;
      for (const std::string& t : {m, m + ".000001", m + ".0000000001", m + "e0", m + "0e-1"}) {
        checker.check(t);
      }
      const std::string below = decremented(m);
      checker.check(below + ".999999");
      checker.check(below + ".9999999999");
    }
  }
}

TEST(DecimalToFloat, DigitsBeyondThoseTheReaderKeepsDecideTheRounding) {
  // The reader keeps 200 significant digits and one sticky digit for the
  // rest: a 1 in the 240th digit behind a midpoint lifts it, 240 zeros leave
  // a tie, and a run of nines past the 200th keeps a value below.
  Checker checker;
  const std::vector<uint32_t> lows = lower_floats_of_pairs();
  for (std::size_t i = 0; i < lows.size(); i += 7) {
    const double a = static_cast<double>(float_of(lows[i]));
    const double b = static_cast<double>(std::nextafter(float_of(lows[i]), INFINITY));
    if (std::isinf(b)) continue;
    const std::string m = exact_decimal((a + b) / 2);
    const int digits = static_cast<int>(m.find('e')) - 1;
    const int to_240 = 240 - digits;
    checker.check(just_above(m, to_240));
    checker.check(padded_with_zeros(m, to_240));
    checker.check(just_below(m, to_240 + 1));
    // Leading zeros do not count as kept digits.
    checker.check(with_leading_zeros(just_above(m, to_240), 150));
    checker.check(with_leading_zeros(padded_with_zeros(m, to_240), 150));
    if (checker.failures() > 10) break;
  }
}

TEST(DecimalToFloat, TheUsualFormOfTheDataFilesWithOneToNineDecimals) {
  // The data files write numbers as one digit, a point, a few decimals and a
  // two-digit exponent ("-1.23456E+01"), which the readers take by a shorter
  // way: every count of decimals, zeros among them, and each exponent that
  // the shortcut serves, also as a fixed-column field padded with blanks.
  Checker checker;
  const std::vector<uint32_t> lows = lower_floats_of_pairs();
  for (std::size_t i = 0; i < lows.size(); i += 5) {
    const float f = float_of(lows[i]);
    if (!std::isfinite(f)) continue;
    for (int decimals = 1; decimals <= 9; ++decimals) {
      char buf[64];
      std::snprintf(buf, sizeof buf, "%s%.*E", i % 2 ? "-" : "", decimals,
                    static_cast<double>(f) * (i % 3 ? 1.0 : 1.000000001));
      checker.check(buf);
      const float expected = std::strtof(buf, nullptr);
      float fixed = 0.0f;
      const std::string padded = "   " + std::string(buf) + "  ";
      if (!std::isinf(expected) && (!parse_real_field(padded, 5, false, fixed) ||
                                    bits_of(fixed) != bits_of(expected))) {
        ADD_FAILURE() << "fixed-column reader on \"" << padded << "\"";
      }
    }
    if (checker.failures() > 10) break;
  }
  for (const char* t : {"1.00000000E+00", "0.00000000E+00", "1.20000000E-01", "9.99999999E+37",
                        "5.0E-45", "1.10470E-03", "-0.00001E+05", "4.00000000E+00"}) {
    checker.check(t);
  }
}

TEST(DecimalToFloat, RangeBoundaries) {
  Checker checker;
  for (const char* t :
       {"3.4028234663852886e38", "3.40282356779733661637539395458142568447e38",
        "3.4028235677973366163753939545814256844e38",
        "3.40282356779733661637539395458142568448e38", "3.4028236e38", "1e39", "9.9e38",
        "1.1754943508222875e-38", "1.1754942106924411e-38", "1.4012984643248171e-45",
        "7.0064923216240854e-46", "7.006492321624085354618647916449580656401309709382578858785341"
        "41944895541342930300743319094181060791015625e-46",
        "7.006492321624085354618647916449580656401309709382578858785341"
        "41944895541342930300743319094181060791015626e-46",
        "7.006492321624085354618647916449580656401309709382578858785341"
        "41944895541342930300743319094181060791015624e-46",
        "1e-46", "9.99e-47", "1e-50", "0e999999", "0.0", "-0.0"}) {
    checker.check(t);
  }
}

}  // namespace
}  // namespace zelpra
