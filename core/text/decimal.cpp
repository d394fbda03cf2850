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

}  // namespace zelpra
