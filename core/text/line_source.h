// Line-by-line reading of a text file or of standard input.
//
// Lines end at LF; one CR right before the LF (or at the very end of the last
// line) is dropped, so files written on another platform read the same.  A
// last line without a line end still counts as a line.  Bytes are characters
// one to one.
#pragma once

#include <fstream>
#include <functional>
#include <istream>
#include <string>

namespace zelpra {

class LineSource {
 public:
  // `in` is not owned.  `unit` and `name` are what a fatal error reports.
  LineSource(std::istream& in, int unit, std::string name);

  // The next line without its line end; false at the end of the input.  A
  // failing read of the underlying stream, or a line too long to hold in
  // memory, is the fatal error 39.
  bool next_line(std::string& line);

  // The next line, or the fatal end-of-file error 24.
  std::string require_line();

  // Raises the fatal input/output error `error` for this source.
  [[noreturn]] void fail(int error) const;

  // Runs `read`, which reads from this source.  Running out of memory on the
  // way (a line, or a value in it, too long to hold) is the fatal read error
  // 39 of this source rather than an end by an uncaught exception.
  void read_guarded(const std::function<void()>& read);

  int unit() const { return unit_; }
  const std::string& name() const { return name_; }

 private:
  std::istream* in_;
  int unit_;
  std::string name_;
};

// The answers on standard input: a process-wide source on std::cin, unit 5,
// named "stdin".  Tests may put another source in its place.
LineSource& stdin_source();
void set_stdin_source(LineSource* source);  // nullptr restores std::cin

enum class OpenStatus { kOk, kNotFound, kDenied, kIsDirectory, kFailed };

// Opens an existing file for reading.  A directory does not open.
OpenStatus open_for_reading(const std::string& path, std::ifstream& file);

}  // namespace zelpra
