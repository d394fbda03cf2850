#include "text/decimal.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

namespace zelpra {

namespace {
// More decimal digits than any float midpoint has; what lies beyond them only
// matters through whether it is zero (kept as one sticky digit).
constexpr std::size_t kKeptDigits = 200;
}  // namespace

DecimalStatus decimal_to_float(bool negative, std::string_view digits, int64_t exponent10,
                               float& value) {
  std::size_t first = digits.find_first_not_of('0');
  if (first == std::string_view::npos) {
    value = negative ? -0.0f : 0.0f;
    return DecimalStatus::kOk;
  }
  digits.remove_prefix(first);
  std::size_t last = digits.find_last_not_of('0');
  exponent10 += static_cast<int64_t>(digits.size() - 1 - last);
  digits = digits.substr(0, last + 1);

  // Decimal exponent of the leading digit.
  const int64_t magnitude = exponent10 + static_cast<int64_t>(digits.size()) - 1;
  if (magnitude >= 39) return DecimalStatus::kOverflow;  // at least 1e39 > FLT_MAX
  if (magnitude < -46) {                                 // below half the least subnormal
    value = negative ? -0.0f : 0.0f;
    return DecimalStatus::kOk;
  }

  std::string text;
  if (digits.size() > kKeptDigits) {
    bool rest_nonzero = digits.substr(kKeptDigits).find_first_not_of('0') != std::string_view::npos;
    exponent10 += static_cast<int64_t>(digits.size() - kKeptDigits);
    text.assign(digits.substr(0, kKeptDigits));
    if (rest_nonzero) {
      text.push_back('1');
      exponent10 -= 1;
    }
  } else {
    text.assign(digits);
  }
  text.push_back('e');
  text += std::to_string(exponent10);

  errno = 0;
  float v = std::strtof(text.c_str(), nullptr);
  if (std::isinf(v)) return DecimalStatus::kOverflow;
  value = negative ? -v : v;
  return DecimalStatus::kOk;
}

namespace {
bool is_digit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

bool split_real_text(std::string_view s, RealText& parts) {
  parts = RealText{};
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) parts.negative = s[i++] == '-';
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (is_digit(c)) {
      parts.digits += c;
      if (parts.point) ++parts.decimals;
    } else if (c == '.' && !parts.point) {
      parts.point = true;
    } else {
      break;
    }
  }
  if (i == s.size()) return true;
  const char c = s[i];
  if (c == 'E' || c == 'e' || c == 'D' || c == 'd') {
    ++i;
  } else if (c != '+' && c != '-') {
    return false;
  }
  bool exp_negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) exp_negative = s[i++] == '-';
  const std::size_t start = i;
  for (; i < s.size() && is_digit(s[i]); ++i) {
    if (parts.exponent < 100000000000LL) parts.exponent = parts.exponent * 10 + (s[i] - '0');
  }
  if (i == start || i != s.size()) return false;
  if (exp_negative) parts.exponent = -parts.exponent;
  parts.has_exponent = true;
  return true;
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
