#include "text/list_output.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zelpra {

namespace {

constexpr std::size_t kLineLength = 80;

std::string right_aligned(const std::string& s, std::size_t width) {
  if (s.size() >= width) return s;
  return std::string(width - s.size(), ' ') + s;
}

}  // namespace

std::string format_list_real(float value) {
  if (std::isnan(value)) return right_aligned("NaN", 15);
  if (std::isinf(value)) return right_aligned(value > 0 ? "Infinity" : "-Infinity", 15);
  const double v = static_cast<double>(value);
  char buf[64];
  if (value != 0.0f) {
    // The decimal exponent E of the value rounded to 7 significant digits,
    // written as 0.ddddddd times 10**E.
    std::snprintf(buf, sizeof buf, "%.6E", v);
    const char* e = std::strchr(buf, 'E');
    int exponent = std::atoi(e + 1) + 1;
    if (exponent >= 0 && exponent <= 7) {
      int decimals = 7 - exponent;
      std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
      std::string fixed = buf;
      if (decimals == 0) fixed += '.';
      return right_aligned(fixed, 11) + "    ";
    }
  }
  std::snprintf(buf, sizeof buf, "%15.7E", v);
  return buf;
}

std::string format_list_integer(int32_t value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%12d", static_cast<int>(value));
  return buf;
}

ListLine& ListLine::text(std::string_view value) {
  items_.push_back({Kind::kText, std::string(value)});
  return *this;
}

ListLine& ListLine::integer(int32_t value) {
  items_.push_back({Kind::kNumber, format_list_integer(value)});
  return *this;
}

ListLine& ListLine::real(float value) {
  items_.push_back({Kind::kNumber, format_list_real(value)});
  return *this;
}

std::string ListLine::str() const {
  std::string result;
  std::string line;
  auto end_line = [&]() {
    result += line;
    result += '\n';
    line.clear();
  };
  bool after_number = false;
  for (const Item& item : items_) {
    if (item.kind == Kind::kNumber) {
      // A number that does not fit starts the next line in column 1.
      if (!line.empty() && line.size() + item.chars.size() > kLineLength) end_line();
      line += item.chars;
      after_number = true;
      continue;
    }
    // A text value: one blank before it at the start of a line and after a
    // number; directly behind another text value.
    bool blank_before = !line.empty() && after_number;
    std::size_t needed = (line.empty() ? 1 : 0) + (blank_before ? 1 : 0) + item.chars.size();
    if (!line.empty() && line.size() + needed > kLineLength) {
      end_line();
      blank_before = false;
    }
    if (line.empty()) {
      line = " ";
    } else if (blank_before) {
      line += ' ';
    }
    std::size_t pos = 0;
    while (pos < item.chars.size()) {
      if (line.size() >= kLineLength) {
        end_line();
        line = " ";
      }
      std::size_t take = std::min(kLineLength - line.size(), item.chars.size() - pos);
      line.append(item.chars, pos, take);
      pos += take;
    }
    after_number = false;
  }
  end_line();
  return result;
}

std::string list_text_line(std::string_view text) { return ListLine().text(text).str(); }

Output& Output::operator<<(std::string_view text) {
  if (sink_ != nullptr) {
    sink_->write(text);
  } else {
    std::fwrite(text.data(), 1, text.size(), stream_);
  }
  return *this;
}

bool Output::flush() {
  const bool sink_good = sink_ == nullptr || sink_->flush();
  // A failed write leaves the stream's error indicator set.
  return std::fflush(stream_) == 0 && std::ferror(stream_) == 0 && sink_good;
}

Output& out() {
  static Output output(stdout);
  return output;
}

Output& error_out() {
  static Output output(stderr);
  return output;
}

}  // namespace zelpra
