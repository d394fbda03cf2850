// Decimal digits to the nearest 32-bit real, in one correctly rounded step.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zelpra {

enum class DecimalStatus { kOk, kOverflow };

// value = (negative ? -1 : 1) * 0.<digits> ... precisely: the integer whose
// decimal digits are `digits` (only '0'..'9', may be empty) times
// 10**exponent10, rounded once to the nearest float.  Values below the float
// range become (signed) zero; values beyond it give kOverflow.
DecimalStatus decimal_to_float(bool negative, std::string_view digits, int64_t exponent10,
                               float& value);

// A number written as an optional sign, digits with an optional point, and an
// optional exponent: E, e, D or d with an optional sign and digits, or a sign
// and digits alone (1.0+05).  Shared by the fixed-column and the free-form
// readers, which differ only in what they make of the parts.
struct RealText {
  bool negative = false;
  std::string digits;      // every digit of the mantissa, in order
  bool point = false;
  int64_t decimals = 0;    // digits after the point
  bool has_exponent = false;
  int64_t exponent = 0;    // saturated far beyond the float range
};

// Splits `text` into its parts; false when it is not of the form above (an
// exponent letter or sign without digits, a second point, any other
// character).  A mantissa without digits is accepted here.
bool split_real_text(std::string_view text, RealText& parts);

enum class IntegerStatus { kOk, kMalformed, kOverflow };

// An optional sign and digits, as a 32-bit integer.  With `digits_optional`
// an empty text reads as 0; a sign alone is malformed either way.
IntegerStatus parse_integer_text(std::string_view text, bool digits_optional, int32_t& value);

}  // namespace zelpra
