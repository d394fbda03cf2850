#include "text/decimal.h"

#include <charconv>
#include <cstddef>
#include <system_error>

namespace zelpra {

namespace {

// More significant digits than any float midpoint has (the longest, near the
// bottom of the subnormals, have about 112); what lies beyond them only
// matters through whether it is zero, and is kept as one sticky digit.
constexpr std::size_t kKeptDigits = 200;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

DecimalStatus decimal_to_float(bool negative, std::string_view digits, int64_t exponent10,
                               float& value) {
  // The significant digits run from the first non-zero digit to the last.
  const std::size_t first = digits.find_first_not_of("0.");
  if (first == std::string_view::npos) {
    value = negative ? -0.0f : 0.0f;
    return DecimalStatus::kOk;
  }
  const std::size_t last = digits.find_last_not_of("0.");
  const std::size_t point = digits.find('.');
  // The zeros behind the last significant digit scale it.
  int64_t trailing_zeros = static_cast<int64_t>(digits.size() - 1 - last);
  if (point != std::string_view::npos && point > last) trailing_zeros -= 1;
  exponent10 += trailing_zeros;
  const std::string_view significant = digits.substr(first, last - first + 1);
  std::size_t count = significant.size();
  if (point != std::string_view::npos && point > first && point < last) count -= 1;

  // Decimal exponent of the leading digit.
  const int64_t magnitude = exponent10 + static_cast<int64_t>(count) - 1;
  if (magnitude >= 39) return DecimalStatus::kOverflow;  // at least 1e39 > FLT_MAX
  if (magnitude < -46) {                                 // below half the least subnormal
    value = negative ? -0.0f : 0.0f;
    return DecimalStatus::kOk;
  }

  // The kept digits, a sticky 1 for a non-zero rest (the last significant
  // digit is not zero, so there is a rest exactly when digits were dropped),
  // and the exponent: "ddd...de-xx".
  char text[kKeptDigits + 2 + 24];
  std::size_t n = 0;
  for (char c : significant) {
    if (c == '.') continue;
    if (n == kKeptDigits) break;
    text[n++] = c;
  }
  if (count > kKeptDigits) {
    exponent10 += static_cast<int64_t>(count - kKeptDigits);
    text[n++] = '1';
    exponent10 -= 1;
  }
  text[n++] = 'e';
  const char* end = std::to_chars(text + n, text + sizeof text, exponent10).ptr;

  // from_chars rounds correctly; a value that rounds to zero or beyond the
  // largest float is out of its range, and the magnitude tells which.
  float v = 0.0f;
  if (std::from_chars(text, end, v, std::chars_format::scientific).ec ==
      std::errc::result_out_of_range) {
    if (magnitude >= 0) return DecimalStatus::kOverflow;
    v = 0.0f;
  }
  value = negative ? -v : v;
  return DecimalStatus::kOk;
}

IntegerStatus parse_integer_text(std::string_view s, bool digits_optional, int32_t& value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  // A sign holds no number; with `digits_optional` only an empty text is 0.
  if (i == s.size() && (i > 0 || !digits_optional)) return IntegerStatus::kMalformed;
  int64_t v = 0;
  bool overflow = false;
  for (; i < s.size(); ++i) {
    if (!is_digit(s[i])) return IntegerStatus::kMalformed;
    if (!overflow) {
      v = v * 10 + (s[i] - '0');
      if (v > 2147483648LL) overflow = true;
    }
  }
  if (negative) v = -v;
  if (overflow || v > 2147483647LL || v < -2147483648LL) return IntegerStatus::kOverflow;
  value = static_cast<int32_t>(v);
  return IntegerStatus::kOk;
}

}  // namespace zelpra
