// Free-form (list-directed) input.
//
// Each read statement starts on a new line and takes the values it asks for,
// in order.  Blanks, tabs and empty lines before a value are skipped; values
// are separated by blanks, tabs, one comma or line ends; a slash ends the
// statement and leaves the variables not yet read as they were; the rest of
// the last line read is ignored; a read with no values skips one line.
//
// Two commas with only blanks or line ends between them, or a comma before
// the first value, give a null value, which leaves its variable as it was;
// "r*" followed by a separator gives r nulls, "r*value" r copies of the value
// (r at least 1).  Text values may be delimited by apostrophes or double
// quotes (a doubled delimiter stands for one, line ends inside add nothing,
// and a separator must follow the closing delimiter) or undelimited (up to the
// next blank, tab, comma, slash or line end); a text value of more than 2049
// characters is a syntax error.
//
// Errors: the end of the input before every value is read (or inside a
// delimited text) is 24; a value that is not of the type asked for is 59; a
// number beyond the 32-bit range is 64; running out of memory on a value is the
// read error 39.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "text/line_source.h"

namespace zelpra {

// One variable of a read statement.
class ListItem {
 public:
  // (Defined here: a statement of the database builds thousands of them.)
  static ListItem integer(int32_t& variable) {
    ListItem item;
    item.kind_ = Kind::kInteger;
    item.int_ = &variable;
    return item;
  }
  static ListItem real(float& variable) {
    ListItem item;
    item.kind_ = Kind::kReal;
    item.real_ = &variable;
    return item;
  }
  // A text variable of fixed length: the value is stored left-aligned, padded
  // with blanks or cut to `length` characters.
  static ListItem text(std::string& variable, std::size_t length) {
    ListItem item;
    item.kind_ = Kind::kText;
    item.text_ = &variable;
    item.length_ = length;
    return item;
  }

  enum class Kind { kInteger, kReal, kText };
  Kind kind() const { return kind_; }
  int32_t* int_target() const { return int_; }
  float* real_target() const { return real_; }
  std::string* text_target() const { return text_; }
  std::size_t length() const { return length_; }

 private:
  Kind kind_ = Kind::kInteger;
  int32_t* int_ = nullptr;
  float* real_ = nullptr;
  std::string* text_ = nullptr;
  std::size_t length_ = 0;
};

// One free-form read statement on `source`.
void list_read(LineSource& source, std::initializer_list<ListItem> items);
void list_read(LineSource& source, const std::vector<ListItem>& items);

}  // namespace zelpra
