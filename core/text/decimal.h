// Decimal digits to the nearest 32-bit real, in one correctly rounded step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace zelpra {

enum class DecimalStatus { kOk, kOverflow };

// value = (negative ? -1 : 1) * D * 10**exponent10, rounded once to the
// nearest float (ties to even), where D is the integer whose decimal digits
// are those of `digits` in order.  `digits` holds only '0'..'9' and at most
// one '.', which is passed over (the caller counts the decimals into
// exponent10); it may be empty (zero).  Values too small for the float range
// become (signed) zero; values beyond it give kOverflow.
DecimalStatus decimal_to_float(bool negative, std::string_view digits, int64_t exponent10,
                               float& value);

// A number written as an optional sign, digits with an optional point, and an
// optional exponent: E, e, D or d with an optional sign and digits, or a sign
// and digits alone (1.0+05).  Shared by the fixed-column and the free-form
// readers, which differ only in what they make of the parts.
struct RealText {
  bool negative = false;
  std::string_view mantissa;  // the digits and the point, as written
  bool has_digits = false;    // whether the mantissa holds a digit
  bool point = false;
  int64_t decimals = 0;       // digits after the point
  bool has_exponent = false;
  int64_t exponent = 0;       // saturated far beyond the float range
  // The mantissa's digits read as one integer, which is whole when there are
  // at most 19 of them.
  uint64_t significand = 0;
  bool significand_whole = true;
};

// Splits `text` into its parts, which look into `text`; false when it is not
// of the form above (an exponent letter or sign without digits, a second
// point, any other character).  A mantissa without digits is accepted here.
inline bool split_real_text(std::string_view text, RealText& parts);

// Reads the longest number of the form above that starts at `text` and
// moves `text` to where it stops: at `end`, or at the first character that
// cannot continue it.  False when an exponent is begun and not finished (a
// letter or sign with no digit behind it).
inline bool scan_real_text(const char*& text, const char* end, RealText& parts);

// The mantissa of `parts`, read as an integer, times 10**exponent10, with its
// sign: decimal_to_float, with a shortcut for the usual case of few digits
// and a small exponent.
inline DecimalStatus real_text_to_float(const RealText& parts, int64_t exponent10,
                                        float& value);

// The usual number of the data files, an optional sign, one digit, a point,
// one to eight decimals and an exponent of a letter, a sign and two digits
// ("-1.23456E+01"), read and converted at once: true with `value` set and
// `text` moved behind the exponent when the number has that form, at least
// eight characters follow the point, and the mantissa is zero (a signed
// zero) or the shortcut of real_text_to_float converts the value.  The value
// is then the one that scanning and converting it in the general way gives.
// False in every other case, with `text` left where it was; the caller then
// takes the general way.  With `kExponentOptional`, the number may also end
// behind its decimals, with no exponent, at `end` or at a character that
// cannot begin one (a reader that gives such a number no other meaning: the
// free-form one; in a fixed-column field the scale factor applies to it).
template <bool kExponentOptional = false>
inline bool scan_usual_real(const char*& text, const char* end, float& value);

enum class IntegerStatus { kOk, kMalformed, kOverflow };

// An optional sign and digits, as a 32-bit integer.  With `digits_optional`
// an empty text reads as 0; a sign alone is malformed either way.
IntegerStatus parse_integer_text(std::string_view text, bool digits_optional, int32_t& value);

// ---- Definitions ------------------------------------------------------------
// Every number that the readers take passes through these, so they are
// defined here, where the compiler can fit them into each reader.

namespace decimal_detail {

constexpr double kPowersOf10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                  1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr uint64_t kPowersOf10Int[] = {1,      10,      100,      1000,     10000,
                                       100000, 1000000, 10000000, 100000000};

// The common case, w * 10**q with w below 2**53 and q within 22 of zero, in
// one step of double arithmetic: w and 10**|q| are exact doubles, so one
// multiplication or division gives d, the exact value x rounded once to
// double.  d lies between 1e-22 and 9e37, among the normal floats.  Every
// midpoint between two adjacent floats there is a double, and rounding is
// monotonic, so d lies on the same side of each midpoint as x, or on the
// midpoint itself: rounding d to float gives the float nearest x unless d is
// a midpoint (its bits below the float's 24 are exactly one half).  False
// for that case and for any w or q outside the bounds; the general path then
// decides.
[[gnu::always_inline]] inline bool fast_path(uint64_t w, int64_t q, float& v) {
  if (w >= (uint64_t{1} << 53) || q < -22 || q > 22) return false;
  const double d = q < 0 ? static_cast<double>(w) / kPowersOf10[-q]
                         : static_cast<double>(w) * kPowersOf10[q];
  uint64_t bits = 0;
  std::memcpy(&bits, &d, sizeof bits);
  constexpr uint64_t kBelowFloat = (uint64_t{1} << 29) - 1;
  if ((bits & kBelowFloat) == (uint64_t{1} << 28)) return false;
  v = static_cast<float>(d);
  return true;
}

// The four characters at p, when all are digits, as the number they write:
// taken as one 32-bit word, first character lowest, tested all at once (no
// byte of v + 0x46 or of v - 0x30 reaches 0x80 just when every byte is a
// digit) and combined pairwise in two multiplications.
inline bool four_digits(const char* p, uint32_t& value) {
  uint32_t v = 0;
  std::memcpy(&v, p, sizeof v);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  v = __builtin_bswap32(v);
#endif
  if ((((v + 0x46464646u) | (v - 0x30303030u)) & 0x80808080u) != 0) return false;
  v -= 0x30303030u;
  v = (v * 10 + (v >> 8)) & 0x00FF00FFu;  // two pairs of digits
  value = (v * 100 + (v >> 16)) & 0xFFFFu;
  return true;
}

// The digit that c writes, in `digit`; false for any other character.
inline bool digit_of(char c, unsigned& digit) {
  digit = static_cast<unsigned char>(c) - static_cast<unsigned>('0');
  return digit <= 9;
}

// Passes over a sign at p, if there is one; true for a minus.
inline bool read_sign(const char*& p, const char* end) {
  if (p == end || (*p != '+' && *p != '-')) return false;
  return *p++ == '-';
}

}  // namespace decimal_detail

[[gnu::always_inline]] inline bool scan_real_text(const char*& text, const char* const end,
                                                  RealText& parts) {
  // Locals, not the fields of `parts`, carry the scan: a store through a
  // reference could alias the characters and would be made at every step.
  using decimal_detail::digit_of;
  const char* p = text;
  const bool negative = decimal_detail::read_sign(p, end);
  const char* const mantissa = p;
  // The digits are read on into the significand, which is whole while there
  // are at most 19 of them (beyond, it is not used).
  uint64_t significand = 0;
  unsigned digit = 0;
  for (; p != end && digit_of(*p, digit); ++p) significand = significand * 10 + digit;
  const int64_t integer_digits = p - mantissa;
  bool point = false;
  int64_t decimals = 0;
  if (p != end && *p == '.') {
    point = true;
    const char* const fraction = ++p;
    uint32_t four = 0;
    while (end - p >= 4 && decimal_detail::four_digits(p, four)) {
      significand = significand * 10000 + four;
      p += 4;
    }
    for (; p != end && digit_of(*p, digit); ++p) significand = significand * 10 + digit;
    decimals = p - fraction;
  }
  parts.negative = negative;
  parts.mantissa = std::string_view(mantissa, static_cast<std::size_t>(p - mantissa));
  parts.has_digits = integer_digits + decimals > 0;
  parts.point = point;
  parts.decimals = decimals;
  parts.significand = significand;
  parts.significand_whole = integer_digits + decimals <= 19;
  parts.has_exponent = false;
  parts.exponent = 0;
  text = p;
  if (p == end) return true;

  // An exponent, once begun, needs its digits.
  if (*p == 'E' || *p == 'e' || *p == 'D' || *p == 'd') {
    ++p;
  } else if (*p != '+' && *p != '-') {
    return true;
  }
  const bool exp_negative = decimal_detail::read_sign(p, end);
  const char* const digits = p;
  int64_t exponent = 0;
  for (; p != end && digit_of(*p, digit); ++p) {
    if (exponent < 100000000000LL) exponent = exponent * 10 + digit;
  }
  if (p == digits) return false;
  parts.exponent = exp_negative ? -exponent : exponent;
  parts.has_exponent = true;
  text = p;
  return true;
}

[[gnu::always_inline]] inline bool split_real_text(std::string_view s, RealText& parts) {
  const char* p = s.data();
  const char* const end = p + s.size();
  return scan_real_text(p, end, parts) && p == end;
}

inline DecimalStatus real_text_to_float(const RealText& parts, int64_t exponent10, float& value) {
  if (parts.significand_whole) {
    if (parts.significand == 0) {
      value = parts.negative ? -0.0f : 0.0f;
      return DecimalStatus::kOk;
    }
    float v = 0.0f;
    if (decimal_detail::fast_path(parts.significand, exponent10, v)) {
      value = parts.negative ? -v : v;
      return DecimalStatus::kOk;
    }
  }
  return decimal_to_float(parts.negative, parts.mantissa, exponent10, value);
}

template <bool kExponentOptional>
[[gnu::always_inline]] inline bool scan_usual_real(const char*& text, const char* const end,
                                                   float& value) {
  using decimal_detail::digit_of;
  const char* p = text;
  const bool negative = decimal_detail::read_sign(p, end);
  // The digit, the point and the next eight characters, read as one word.
  unsigned digit = 0;
  if (end - p < 10 || !digit_of(p[0], digit) || p[1] != '.') return false;
  uint64_t word = 0;
  std::memcpy(&word, p + 2, sizeof word);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  word = __builtin_bswap64(word);
#endif
  // The decimals are the characters of the word up to its first that is not
  // a digit: each byte of `other` is zero for a digit, and a carry or borrow
  // moves only towards later characters, past that first one.
  const uint64_t other =
      ((word & 0xF0F0F0F0F0F0F0F0u) | (((word + 0x0606060606060606u) & 0xF0F0F0F0F0F0F0F0u) >> 4)) ^
      0x3333333333333333u;
  const int decimals = other == 0 ? 8 : __builtin_ctzll(other) / 8;
  const char* q = p + 2 + decimals;
  // No decimals, or more than eight: the general way.
  if (decimals == 0 || (decimals == 8 && q != end && digit_of(*q, digit))) return false;
  // The decimals as a number: the word's digits moved to its top, below them
  // zeros, then combined pairwise (as four_digits does), in three steps of
  // doubling width.
  uint64_t v = (word - 0x3030303030303030u) << (8 * (8 - decimals));
  v = (v * 10) + (v >> 8);
  constexpr uint64_t kMask = 0x000000FF000000FFu;
  constexpr uint64_t kMul1 = 100 + (uint64_t{1000000} << 32);
  constexpr uint64_t kMul2 = 1 + (uint64_t{10000} << 32);
  v = (((v & kMask) * kMul1) + (((v >> 16) & kMask) * kMul2)) >> 32;
  const uint64_t significand =
      (static_cast<uint64_t>(p[0] - '0') * decimal_detail::kPowersOf10Int[decimals]) + v;
  if constexpr (kExponentOptional) {
    // No exponent: the decimals end the number (no digit follows them).
    if (q == end || (*q != 'E' && *q != 'e' && *q != 'D' && *q != 'd' && *q != '+' && *q != '-')) {
      float v32 = 0.0f;
      if (significand == 0) {
        v32 = 0.0f;
      } else if (!decimal_detail::fast_path(significand, -decimals, v32)) {
        return false;
      }
      value = negative ? -v32 : v32;
      text = q;
      return true;
    }
  }
  // The exponent: a letter, a sign and two digits, and no digit behind them.
  unsigned e1 = 0;
  unsigned e2 = 0;
  if (end - q < 4 || (q[0] != 'E' && q[0] != 'e' && q[0] != 'D' && q[0] != 'd') ||
      (q[1] != '+' && q[1] != '-') || !digit_of(q[2], e1) || !digit_of(q[3], e2) ||
      (end - q > 4 && digit_of(q[4], digit))) {
    return false;
  }
  // A zero mantissa is zero, with its sign, whatever the exponent.
  if (significand == 0) {
    value = negative ? -0.0f : 0.0f;
    text = q + 4;
    return true;
  }
  const int64_t exponent = static_cast<int64_t>(e1 * 10 + e2);
  float v32 = 0.0f;
  if (!decimal_detail::fast_path(significand, (q[1] == '-' ? -exponent : exponent) - decimals,
                                 v32)) {
    return false;
  }
  value = negative ? -v32 : v32;
  text = q + 4;
  return true;
}

}  // namespace zelpra
