// Fixed-column records, in the column notation nX, Iw, Fw.d, Ew.d (with or
// without the scale factor 1P), Aw and literals.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "text/decimal.h"
#include "text/line_source.h"

namespace zelpra {

// ---- Output ----------------------------------------------------------------
// How a value that is not finite fills its field: a row of asterisks; or,
// for a field that asks for it, an infinity as the word Infinity or
// -Infinity right-aligned (a NaN is still asterisks).
enum class NonFinite { kAsterisks, kInfinityAsWord };

// Numbers are rounded to nearest (ties to even) from their exact binary
// value, as printf does.  A value that does not fit its field, or is not
// finite, is written as a row of asterisks as wide as the field (unless the
// field asks for NonFinite::kInfinityAsWord), and the rest of the record is
// written as usual.
class FixedRecord {
 public:
  FixedRecord& lit(std::string_view text);               // 'text'
  FixedRecord& X(int n);                                  // nX
  FixedRecord& I(int32_t value, int w);                   // Iw
  FixedRecord& F(float value, int w, int d);              // Fw.d
  FixedRecord& E(float value, int w, int d);              // Ew.d:    0.ddddE+xx
  FixedRecord& PE(float value, int w, int d,              // 1P,Ew.d: d.ddddE+xx
                  NonFinite non_finite = NonFinite::kAsterisks);
  FixedRecord& A(std::string_view text, int w);           // Aw

  // False when any numeric field was written as asterisks.
  bool fits() const { return fits_; }
  // False when a non-zero value was written with no digit but zeros (0.0004
  // in F6.3 shows as 0.000); a negative zero is zero.
  bool shows_every_nonzero() const { return shows_nonzero_; }
  // The record without its line end.
  const std::string& str() const { return text_; }
  // The record with its line end.
  std::string line() const { return text_ + "\n"; }

 private:
  // The one rule for a value that is not finite: fills the field as `how`
  // says and returns true; returns false for a finite value.
  bool not_finite(float value, int w, NonFinite how = NonFinite::kAsterisks);
  void asterisks(int w);
  void field(const std::string& digits, int w);
  std::string text_;
  bool fits_ = true;
  bool shows_nonzero_ = true;
};

// ---- Input -----------------------------------------------------------------
// The `width` columns of `line` starting at 1-based column `first`; columns
// beyond the end of the line read as blanks.
std::string column_field(std::string_view line, int first, int width);

// An Iw field.  Blanks anywhere are passed over and an all-blank field is 0;
// an optional sign, then digits.  False for any other character or a value
// beyond 32 bits (the conversion error 64).
bool parse_int_field(std::string_view field, int32_t& value);

// An Fw.d or Ew.d field.  Blanks anywhere are passed over and an all-blank
// field is 0.  Optional sign, digits with an optional point, an optional
// exponent (E, e, D or d with an optional sign and digits, or a sign and
// digits alone as in 1.0+05).  Without a point the last d digits are
// decimals; `scale_1p` divides by 10 a value without an exponent.  The
// digits are converted once, directly to the nearest 32-bit real.  A mantissa
// with no digit reads as 0; false for an exponent without digits, any other
// character, or a value beyond the 32-bit range.
bool parse_real_field(std::string_view field, int d, bool scale_1p, float& value);

// The same, reading the field at (first, width) of `line`; a field that does
// not convert ends the run with the fatal error 64 of `source`.
int32_t read_int_field(const LineSource& source, std::string_view line, int first, int width);
inline float read_real_field(const LineSource& source, std::string_view line, int first,
                             int width, int d, bool scale_1p = false);

// ---- Definitions ------------------------------------------------------------
// The database holds thousands of fields: the usual one is read here, in the
// caller, and every other by the general parse_real_field.

namespace fixed_detail {

// The columns of a numeric field that the line holds: the blanks that pad a
// short line are passed over like any other blanks, so they need not be
// there.
inline std::string_view column_view(std::string_view line, int first, int width) {
  if (first < 1 || width <= 0) return {};
  const std::size_t start = static_cast<std::size_t>(first - 1);
  if (start >= line.size()) return {};
  return line.substr(start, static_cast<std::size_t>(width));
}

// A field of blanks, a number of the form that scan_usual_real reads and
// blanks: true with its value.  False for any other field, with `value`
// left as it was.
inline bool parse_usual_field(std::string_view field, float& value) {
  const char* p = field.data();
  const char* const end = p + field.size();
  while (p != end && *p == ' ') ++p;
  float v = 0.0f;
  if (!scan_usual_real(p, end, v)) return false;
  while (p != end && *p == ' ') ++p;
  if (p != end) return false;
  value = v;
  return true;
}

// parse_real_field for a field that parse_usual_field does not take.
bool parse_other_field(std::string_view field, int d, bool scale_1p, float& value);

float read_real_field_general(const LineSource& source, std::string_view line, int first,
                              int width, int d, bool scale_1p);

}  // namespace fixed_detail

inline float read_real_field(const LineSource& source, std::string_view line, int first,
                             int width, int d, bool scale_1p) {
  float value = 0.0f;
  if (fixed_detail::parse_usual_field(fixed_detail::column_view(line, first, width), value)) {
    return value;
  }
  return fixed_detail::read_real_field_general(source, line, first, width, d, scale_1p);
}

}  // namespace zelpra
