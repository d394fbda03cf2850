// Decimal digits to the nearest 32-bit real, in one correctly rounded step.
#pragma once

#include <cstdint>
#include <string_view>

namespace zelpra {

enum class DecimalStatus { kOk, kOverflow };

// value = (negative ? -1 : 1) * 0.<digits> ... precisely: the integer whose
// decimal digits are `digits` (only '0'..'9', may be empty) times
// 10**exponent10, rounded once to the nearest float.  Values below the float
// range become (signed) zero; values beyond it give kOverflow.
DecimalStatus decimal_to_float(bool negative, std::string_view digits, int64_t exponent10,
                               float& value);

}  // namespace zelpra
