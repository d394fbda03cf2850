// Free-form (list-directed) output.
//
// Each write statement starts a new line of at most 80 characters.  A text
// value is written at its full length, trailing blanks kept, no quotes; a
// line that begins with a text value, and a text value that follows a number,
// get one blank before it; a text value that follows another text value
// follows it directly; a number gets no extra blank.  An integer is
// right-aligned in 12 columns, a real takes 15 columns (format_list_real).
// A number that does not fit in the rest of the line starts a new line in
// column 1, with no blank before it; a
// text value that does not fit starts a new line when the line already holds
// something; a text longer than a line continues on further lines, each
// beginning with one blank.
#pragma once

#include <cstdint>
#include <cstdio>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace zelpra {

// The 15 columns of a free-form real.  The form is chosen on the value
// rounded to 7 significant digits, 0.ddddddd times 10**E: for E from 0 to 7
// the fixed form with 7-E decimals right-aligned in 11 columns and 4 blanks
// (1.0 is "   1.000000    "); otherwise, and always for zero, the exponent
// form %15.7E ("  1.0000000E+08", "  0.0000000E+00").  Negative zero is
// -0.0000000E+00; infinities and NaN print as Infinity, -Infinity, NaN
// right-aligned in 15 columns.
std::string format_list_real(float value);

// The 12 columns of a free-form integer.
std::string format_list_integer(int32_t value);

// One free-form write statement.
class ListLine {
 public:
  ListLine& text(std::string_view value);
  ListLine& integer(int32_t value);
  ListLine& real(float value);

  // The finished line or lines, each ending in a line end.
  std::string str() const;

 private:
  enum class Kind { kText, kNumber };
  struct Item {
    Kind kind;
    std::string chars;
  };
  std::vector<Item> items_;
};

// A free-form line holding one text value: " <text>\n".
std::string list_text_line(std::string_view text);

// What takes an Output's text in place of its standard stream (tests).
class OutputSink {
 public:
  virtual void write(std::string_view text) = 0;
  virtual bool flush() = 0;  // false when a write has failed

 protected:
  ~OutputSink() = default;
};

// A standard stream that the tools write to, through the C library's stream,
// unless a test has put a sink in its place.  (The C++ standard streams are
// not used: setting them up is a noticeable part of a short run.)
class Output {
 public:
  explicit Output(std::FILE* stream) : stream_(stream) {}
  Output& operator<<(std::string_view text);
  // Flushes what was written; false when the stream (or the sink in its
  // place) has failed at any point.
  bool flush();
  void set_sink(OutputSink* sink) { sink_ = sink; }  // nullptr restores the stream

 private:
  std::FILE* stream_;
  OutputSink* sink_ = nullptr;
};

// Standard output: the tools' results and messages.
Output& out();
// Standard error: the line of a fatal input/output error.
Output& error_out();

// out() into a C++ stream (tests); nullptr restores standard output.
// Defined on its own, in list_output_stream.cpp, so that the programs carry
// none of the stream library.
void set_out(std::ostream* stream);

}  // namespace zelpra
