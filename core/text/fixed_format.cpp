#include "text/fixed_format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "text/decimal.h"
#include "text/run_end.h"

namespace zelpra {

// ---- Output ----------------------------------------------------------------

namespace {

std::string printf_float(const char* format, int precision, float value) {
  char buf[96];
  std::snprintf(buf, sizeof buf, format, precision, static_cast<double>(value));
  return buf;
}

// The exponent part "E+xx" of printf's %E output, and the mantissa before it.
void split_exponent(const std::string& s, std::string& mantissa, int& exponent) {
  std::size_t e = s.find('E');
  mantissa = s.substr(0, e);
  exponent = std::atoi(s.c_str() + e + 1);
}

std::string exponent_text(int exponent) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
  return buf;
}

// Drops the 0 before the point ("0.5" -> ".5", "-0.5" -> "-.5") where the
// field is otherwise too narrow.
void drop_leading_zero_if_needed(std::string& s, int w) {
  if (static_cast<int>(s.size()) <= w) return;
  std::size_t zero = (s[0] == '-') ? 1 : 0;
  if (s.size() > zero + 1 && s[zero] == '0' && s[zero + 1] == '.') s.erase(zero, 1);
}

}  // namespace

void FixedRecord::asterisks(int w) {
  if (w <= 0) return;
  text_.append(static_cast<std::size_t>(w), '*');
  fits_ = false;
}

void FixedRecord::field(const std::string& digits, int w) {
  if (w <= 0) return;
  if (static_cast<int>(digits.size()) > w) {
    asterisks(w);
    return;
  }
  text_.append(static_cast<std::size_t>(w) - digits.size(), ' ');
  text_ += digits;
}

bool FixedRecord::not_finite(float value, int w, NonFinite how) {
  if (std::isfinite(value)) return false;
  if (how == NonFinite::kInfinityAsWord && std::isinf(value)) {
    field(value > 0 ? "Infinity" : "-Infinity", w);
  } else {
    asterisks(w);
  }
  return true;
}

FixedRecord& FixedRecord::lit(std::string_view text) {
  text_ += text;
  return *this;
}

FixedRecord& FixedRecord::X(int n) {
  if (n > 0) text_.append(static_cast<std::size_t>(n), ' ');
  return *this;
}

FixedRecord& FixedRecord::I(int32_t value, int w) {
  field(std::to_string(value), w);
  return *this;
}

FixedRecord& FixedRecord::F(float value, int w, int d) {
  if (not_finite(value, w)) return *this;
  std::string s = printf_float("%.*f", d, value);
  if (d == 0) s += '.';
  if (value != 0.0f && s.find_first_of("123456789") == std::string::npos) shows_nonzero_ = false;
  drop_leading_zero_if_needed(s, w);
  field(s, w);
  return *this;
}

FixedRecord& FixedRecord::E(float value, int w, int d) {
  if (not_finite(value, w)) return *this;
  // The form 0.ddE+xx needs at least one digit.
  if (d < 1) {
    asterisks(w);
    return *this;
  }
  // 0.d1d2...dd times 10**(x+1), from printf's d1.d2...dd times 10**x.
  std::string mantissa;
  int exponent = 0;
  split_exponent(printf_float("%.*E", d - 1, value), mantissa, exponent);
  std::string sign;
  if (mantissa[0] == '-') {
    sign = "-";
    mantissa.erase(0, 1);
  }
  std::string digits;
  for (char c : mantissa) {
    if (c != '.') digits += c;
  }
  if (value != 0.0f) exponent += 1;
  std::string s = sign + "0." + digits + exponent_text(exponent);
  drop_leading_zero_if_needed(s, w);
  field(s, w);
  return *this;
}

FixedRecord& FixedRecord::PE(float value, int w, int d, NonFinite non_finite) {
  if (not_finite(value, w, non_finite)) return *this;
  std::string mantissa;
  int exponent = 0;
  split_exponent(printf_float("%.*E", d, value), mantissa, exponent);
  if (d == 0) mantissa += '.';
  field(mantissa + exponent_text(exponent), w);
  return *this;
}

FixedRecord& FixedRecord::A(std::string_view text, int w) {
  if (w <= 0) return *this;
  std::size_t width = static_cast<std::size_t>(w);
  if (text.size() >= width) {
    text_ += text.substr(0, width);
  } else {
    text_.append(width - text.size(), ' ');
    text_ += text;
  }
  return *this;
}

// ---- Input -----------------------------------------------------------------

std::string column_field(std::string_view line, int first, int width) {
  std::string field(static_cast<std::size_t>(width > 0 ? width : 0), ' ');
  const std::string_view columns = fixed_detail::column_view(line, first, width);
  columns.copy(field.data(), columns.size());
  return field;
}

namespace {

// The field without any of its blanks, in `storage`.
std::string_view without_blanks(std::string_view field, std::string& storage) {
  storage.clear();
  for (char c : field) {
    if (c != ' ') storage += c;
  }
  return storage;
}

// The value of a field's number once split into its parts.
[[gnu::always_inline]] inline bool field_value(const RealText& parts, int d, bool scale_1p, float& value) {
  // Without a point the last d digits are decimals; 1P divides a value
  // without an exponent by 10.  A mantissa without digits is 0.
  int64_t exponent10 = parts.point ? -parts.decimals : -static_cast<int64_t>(d);
  if (parts.has_exponent) {
    exponent10 += parts.exponent;
  } else if (scale_1p) {
    exponent10 -= 1;
  }
  return real_text_to_float(parts, exponent10, value) == DecimalStatus::kOk;
}

// The field read without any of its blanks.
[[gnu::noinline]] bool parse_real_field_without_blanks(std::string_view field, int d,
                                                       bool scale_1p, float& value) {
  std::string storage;
  RealText parts;
  return split_real_text(without_blanks(field, storage), parts) &&
         field_value(parts, d, scale_1p, value);
}

}  // namespace

bool parse_int_field(std::string_view field, int32_t& value) {
  std::string storage;
  return parse_integer_text(without_blanks(field, storage), /*digits_optional=*/true, value) ==
         IntegerStatus::kOk;
}

bool parse_real_field(std::string_view field, int d, bool scale_1p, float& value) {
  return fixed_detail::parse_usual_field(field, value) ||
         fixed_detail::parse_other_field(field, d, scale_1p, value);
}

bool fixed_detail::parse_other_field(std::string_view field, int d, bool scale_1p, float& value) {
  // A field without blanks inside its value is read where it stands.
  const char* p = field.data();
  const char* const end = p + field.size();
  while (p != end && *p == ' ') ++p;
  RealText parts;
  if (scan_real_text(p, end, parts)) {
    while (p != end && *p == ' ') ++p;
    if (p == end) return field_value(parts, d, scale_1p, value);
  }
  // Blanks inside the value are rare: only then is it copied without them.
  return parse_real_field_without_blanks(field, d, scale_1p, value);
}

int32_t read_int_field(const LineSource& source, std::string_view line, int first, int width) {
  int32_t value = 0;
  if (!parse_int_field(fixed_detail::column_view(line, first, width), value)) {
    source.fail(kConversionError);
  }
  return value;
}

float fixed_detail::read_real_field_general(const LineSource& source, std::string_view line,
                                            int first, int width, int d, bool scale_1p) {
  float value = 0.0f;
  if (!parse_other_field(column_view(line, first, width), d, scale_1p, value)) {
    source.fail(kConversionError);
  }
  return value;
}

}  // namespace zelpra
