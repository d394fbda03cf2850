#include "text/list_input.h"

#include <cstdint>
#include <string_view>

#include "text/decimal.h"
#include "text/run_end.h"

namespace zelpra {

ListItem ListItem::integer(int32_t& variable) {
  ListItem item;
  item.kind_ = Kind::kInteger;
  item.int_ = &variable;
  return item;
}

ListItem ListItem::real(float& variable) {
  ListItem item;
  item.kind_ = Kind::kReal;
  item.real_ = &variable;
  return item;
}

ListItem ListItem::text(std::string& variable, std::size_t length) {
  ListItem item;
  item.kind_ = Kind::kText;
  item.text_ = &variable;
  item.length_ = length;
  return item;
}

namespace {

constexpr std::size_t kMaxTextValue = 2049;

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_separator(char c) { return c == ' ' || c == '\t' || c == ',' || c == '/'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// One value as it stands in the input, before it is converted to the type of
// the variable that receives it.
struct Value {
  bool null = false;
  bool delimited = false;
  std::string chars;
};

// The state of one read statement.
class Statement {
 public:
  explicit Statement(LineSource& source) : source_(source), line_(source.require_line()) {}

  // The next value, or false when a slash has ended the statement.
  bool next(Value& value) {
    // The copies of an "r*c" are all given out before a slash behind it ends
    // the statement.
    if (repeat_left_ > 0) {
      --repeat_left_;
      value = repeated_;
      return true;
    }
    if (slash_) return false;
    for (;;) {
      skip_blanks_and_line_ends();
      char c = line_[pos_];
      if (c == '/') {
        slash_ = true;
        return false;
      }
      if (c != ',') break;
      ++pos_;
      if (at_start_ || comma_seen_) {
        // A comma before the first value, or two commas in a row: a null.
        at_start_ = false;
        comma_seen_ = true;
        value = Value{true, false, {}};
        return true;
      }
      comma_seen_ = true;  // the separator after a blank-separated value
    }
    at_start_ = false;
    comma_seen_ = false;

    value = Value{};
    std::size_t start = pos_;
    uint64_t repeat = 0;
    bool has_repeat = false;
    while (pos_ < line_.size() && is_digit(line_[pos_])) {
      if (repeat <= 0xFFFFFFFFull) repeat = repeat * 10 + static_cast<uint64_t>(line_[pos_] - '0');
      ++pos_;
    }
    if (pos_ > start && pos_ < line_.size() && line_[pos_] == '*') {
      has_repeat = true;
      ++pos_;
      if (repeat == 0 || repeat > 0x7FFFFFFFull) source_.fail(kSyntaxError);
    } else {
      pos_ = start;
    }

    if (has_repeat && (pos_ >= line_.size() || is_separator(line_[pos_]))) {
      value.null = true;
    } else if (pos_ < line_.size() && (line_[pos_] == '\'' || line_[pos_] == '"')) {
      read_delimited(value);
    } else {
      std::size_t token = pos_;
      while (pos_ < line_.size() && !is_separator(line_[pos_])) ++pos_;
      value.chars.assign(line_, token, pos_ - token);
      value.delimited = false;
    }
    after_value();
    if (has_repeat) {
      repeated_ = value;
      repeat_left_ = static_cast<int64_t>(repeat) - 1;
      repeated_value_undelimited_ = !value.null && !value.delimited;
    } else {
      repeated_value_undelimited_ = false;
    }
    last_from_repeat_ = has_repeat;
    return true;
  }

  // Whether the value just returned came from a repeat count with an
  // undelimited value behind it ("2*abc"), which no text variable takes.
  bool undelimited_behind_repeat() const { return last_from_repeat_ && repeated_value_undelimited_; }

  [[noreturn]] void fail(int error) const { source_.fail(error); }

 private:
  void next_line() {
    line_ = source_.require_line();
    pos_ = 0;
  }

  void skip_blanks_and_line_ends() {
    for (;;) {
      while (pos_ < line_.size() && is_blank(line_[pos_])) ++pos_;
      if (pos_ < line_.size()) return;
      next_line();
    }
  }

  // A text in apostrophes or double quotes: a doubled delimiter stands for
  // one, line ends inside add nothing, and a separator must follow it.
  void read_delimited(Value& value) {
    const char quote = line_[pos_++];
    value.delimited = true;
    for (;;) {
      if (pos_ >= line_.size()) {
        next_line();
        continue;
      }
      char c = line_[pos_];
      if (c == quote) {
        if (pos_ + 1 < line_.size() && line_[pos_ + 1] == quote) {
          value.chars += quote;
          pos_ += 2;
        } else {
          ++pos_;
          break;
        }
      } else {
        value.chars += c;
        ++pos_;
      }
      if (value.chars.size() > kMaxTextValue) source_.fail(kSyntaxError);
    }
    if (pos_ < line_.size() && !is_separator(line_[pos_])) source_.fail(kSyntaxError);
  }

  // The separator behind a value: blanks, then at most one comma or a slash.
  // A line end also separates; the next line is not looked at yet.
  void after_value() {
    while (pos_ < line_.size() && is_blank(line_[pos_])) ++pos_;
    if (pos_ < line_.size()) {
      if (line_[pos_] == ',') {
        ++pos_;
        comma_seen_ = true;
      } else if (line_[pos_] == '/') {
        ++pos_;
        slash_ = true;
      }
    }
  }

  LineSource& source_;
  std::string line_;
  std::size_t pos_ = 0;
  bool at_start_ = true;
  bool comma_seen_ = false;
  bool slash_ = false;
  int64_t repeat_left_ = 0;
  Value repeated_;
  bool repeated_value_undelimited_ = false;
  bool last_from_repeat_ = false;
};

// Integers: an optional sign and digits.
void convert_integer(const Statement& st, const Value& v, int32_t& target) {
  if (v.delimited) st.fail(kSyntaxError);
  switch (parse_integer_text(v.chars, /*digits_optional=*/false, target)) {
    case IntegerStatus::kOk: return;
    case IntegerStatus::kMalformed: st.fail(kSyntaxError);
    case IntegerStatus::kOverflow: st.fail(kConversionError);
  }
}

// Reals: the number forms of split_real_text with at least one digit in the
// mantissa; NaN, Inf and quoted values are not numbers.
void convert_real(const Statement& st, const Value& v, float& target) {
  if (v.delimited) st.fail(kSyntaxError);
  RealText parts;
  if (!split_real_text(v.chars, parts) || parts.digits.empty()) st.fail(kSyntaxError);
  float value = 0.0f;
  if (decimal_to_float(parts.negative, parts.digits, parts.exponent - parts.decimals, value) !=
      DecimalStatus::kOk) {
    st.fail(kConversionError);
  }
  target = value;
}

void convert_text(const Statement& st, const Value& v, std::string& target, std::size_t length) {
  if (st.undelimited_behind_repeat()) st.fail(kSyntaxError);
  if (v.chars.size() > kMaxTextValue) st.fail(kSyntaxError);
  target = v.chars.substr(0, length);
  target.resize(length, ' ');
}

template <typename Items>
void read_items(LineSource& source, const Items& items) {
  Statement st(source);  // every read statement starts on a new line
  for (const ListItem& item : items) {
    Value value;
    if (!st.next(value)) return;  // a slash: the rest stay as they were
    if (value.null) continue;
    switch (item.kind()) {
      case ListItem::Kind::kInteger: convert_integer(st, value, *item.int_target()); break;
      case ListItem::Kind::kReal: convert_real(st, value, *item.real_target()); break;
      case ListItem::Kind::kText: convert_text(st, value, *item.text_target(), item.length()); break;
    }
  }
}

}  // namespace

// A value too long to hold in memory is the read error of its source, not an
// end by an uncaught exception.
void list_read(LineSource& source, std::initializer_list<ListItem> items) {
  source.read_guarded([&] { read_items(source, items); });
}

void list_read(LineSource& source, const std::vector<ListItem>& items) {
  source.read_guarded([&] { read_items(source, items); });
}

}  // namespace zelpra
