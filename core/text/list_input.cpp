#include "text/list_input.h"

#include <cstdint>
#include <string_view>

#include "text/decimal.h"
#include "text/run_end.h"

namespace zelpra {

namespace {

constexpr std::size_t kMaxTextValue = 2049;

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_separator(char c) { return c == ' ' || c == '\t' || c == ',' || c == '/'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// One value as it stands in the input, before it is converted to the type of
// the variable that receives it.  Its characters are a view into the current
// line or, for a delimited text, into `storage`.
struct Value {
  bool null = false;
  bool delimited = false;
  std::string_view chars;
  std::string storage;
};

// The state of one read statement.
class Statement {
 public:
  // `line` is the statement's first line, already taken from `source`.
  Statement(LineSource& source, std::string_view line) : source_(source), line_(line) {}
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // The next value, or false when a slash has ended the statement.
  bool next(Value& value) {
    // The copies of an "r*c" are all given out before a slash behind it ends
    // the statement.
    if (repeat_left_ > 0) {
      --repeat_left_;
      value.null = repeated_.null;
      value.delimited = repeated_.delimited;
      value.storage = repeated_.storage;
      value.chars = value.storage;
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
        value.null = true;
        value.delimited = false;
        value.chars = {};
        return true;
      }
      comma_seen_ = true;  // the separator after a blank-separated value
    }
    at_start_ = false;
    comma_seen_ = false;

    value.null = false;
    value.delimited = false;
    value.chars = {};
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
      value.chars = line_.substr(token, pos_ - token);
      value.delimited = false;
    }
    after_value();
    if (has_repeat) {
      // The copies outlive the line that holds the value.
      repeated_.null = value.null;
      repeated_.delimited = value.delimited;
      repeated_.storage.assign(value.chars);
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
    value.storage.clear();
    for (;;) {
      if (pos_ >= line_.size()) {
        next_line();
        continue;
      }
      char c = line_[pos_];
      if (c == quote) {
        if (pos_ + 1 < line_.size() && line_[pos_ + 1] == quote) {
          value.storage += quote;
          pos_ += 2;
        } else {
          ++pos_;
          break;
        }
      } else {
        value.storage += c;
        ++pos_;
      }
      if (value.storage.size() > kMaxTextValue) source_.fail(kSyntaxError);
    }
    value.chars = value.storage;
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
  std::string_view line_;  // valid until the next line is read
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

// A real from its parts: at least one digit in the mantissa (else
// kSyntaxError), a value within the float range (else kConversionError);
// 0 with `value` set.
[[gnu::always_inline]] inline int list_real(const RealText& parts, float& value) {
  if (!parts.has_digits) return kSyntaxError;
  if (real_text_to_float(parts, parts.exponent - parts.decimals, value) != DecimalStatus::kOk) {
    return kConversionError;
  }
  return 0;
}

// Reals: the number forms of split_real_text with at least one digit in the
// mantissa; NaN, Inf and quoted values are not numbers.
void convert_real(const Statement& st, const Value& v, float& target) {
  if (v.delimited) st.fail(kSyntaxError);
  RealText parts;
  if (!split_real_text(v.chars, parts)) st.fail(kSyntaxError);
  if (const int error = list_real(parts, target)) st.fail(error);
}

void convert_text(const Statement& st, const Value& v, std::string& target, std::size_t length) {
  if (st.undelimited_behind_repeat()) st.fail(kSyntaxError);
  if (v.chars.size() > kMaxTextValue) st.fail(kSyntaxError);
  target.assign(v.chars.substr(0, length));
  target.resize(length, ' ');
}

// The usual statement, a few numbers on one line separated by blanks or
// tabs: reads them straight from the line.  Every such value is one that the
// general reading below takes the same way: it converts as a whole, so it
// holds no comma, slash, asterisk or quote at which the general reading
// would cut it or take it otherwise.  At anything else (a text variable, a
// value that does not convert, too few values on the line) it returns false,
// and the general reading takes the statement again from the start of the
// line; the values stored until then are the ones it stores again.
template <typename Items>
bool read_plain_line(std::string_view line, const Items& items) {
  const char* p = line.data();
  const char* const end = p + line.size();
  for (const ListItem& item : items) {
    while (p != end && is_blank(*p)) ++p;
    if (p == end) return false;
    switch (item.kind()) {
      case ListItem::Kind::kInteger: {
        const char* const start = p;
        while (p != end && !is_blank(*p)) ++p;
        if (parse_integer_text(std::string_view(start, static_cast<std::size_t>(p - start)),
                               /*digits_optional=*/false, *item.int_target()) != IntegerStatus::kOk) {
          return false;
        }
        break;
      }
      case ListItem::Kind::kReal: {
        // The number must end where the value ends.
        const char* q = p;
        float usual = 0.0f;
        if (scan_usual_real</*kExponentOptional=*/true>(q, end, usual) &&
            (q == end || is_blank(*q))) {
          *item.real_target() = usual;
          p = q == end ? q : q + 1;  // (and the blank behind it)
          break;
        }
        RealText parts;
        if (!scan_real_text(p, end, parts) || (p != end && !is_blank(*p)) ||
            list_real(parts, *item.real_target()) != 0) {
          return false;
        }
        break;
      }
      case ListItem::Kind::kText: return false;
    }
  }
  return true;
}

template <typename Items>
void read_items(LineSource& source, const Items& items) {
  // Every read statement starts on a new line.
  const std::string_view line = source.require_line();
  if (read_plain_line(line, items)) return;
  Statement st(source, line);
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

// A value too long to hold in memory is the read error of its source.
template <typename Items>
void read_statement(LineSource& source, const Items& items) {
  source.read_guarded([&] { read_items(source, items); });
}

}  // namespace

void list_read(LineSource& source, std::initializer_list<ListItem> items) {
  read_statement(source, items);
}

void list_read(LineSource& source, const std::vector<ListItem>& items) {
  read_statement(source, items);
}

}  // namespace zelpra
