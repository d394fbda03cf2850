// Line-by-line reading of a text file or of standard input.
//
// Lines end at LF; one CR right before the LF (or at the very end of the last
// line) is dropped, so files written on another platform read the same.  A
// last line without a line end still counts as a line.  Bytes are characters
// one to one.
#pragma once

#include <cstddef>
#include <cstring>
#include <iosfwd>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "text/run_end.h"

namespace zelpra {

enum class OpenStatus { kOk, kNotFound, kDenied, kIsDirectory, kFailed };

// A file open for reading, closed when the handle goes.
class InputFile {
 public:
  InputFile() = default;
  // Standard input, which stays open.
  static InputFile standard_input();
  ~InputFile();
  InputFile(InputFile&& other) noexcept;
  InputFile& operator=(InputFile&& other) noexcept;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

 private:
  friend class LineSource;
  friend OpenStatus open_for_reading(const std::string& path, InputFile& file);
  int fd_ = -1;
  bool owned_ = true;
  std::size_t size_ = 0;  // the size when it was opened
};

// Opens an existing regular file for reading.  A directory, a named pipe or a
// device does not open.
OpenStatus open_for_reading(const std::string& path, InputFile& file);

class LineSource {
 public:
  // The lines of an open file, read in large blocks (a file of the usual
  // size in one).  `unit` and `name` are what a fatal error reports.
  LineSource(InputFile file, int unit, std::string name);
  // The lines of a text already in memory.
  LineSource(std::string text, int unit, std::string name);
  // The lines of a stream, taken whole at once; a failed read of it is the
  // fatal error 39 at its end.  (Defined on its own, in line_source_stream.cpp,
  // so that programs that read no streams carry none of their code.)
  LineSource(std::istream& in, int unit, std::string name);
  LineSource(const LineSource&) = delete;
  LineSource& operator=(const LineSource&) = delete;

  // The next line without its line end; false at the end of the input.  A
  // line cut short by a failed read, or one too long to hold in memory, is
  // the fatal error 39.  The view stays valid until the next read from this
  // source.
  bool next_line(std::string_view& line) {
    return line_in_buffer(line) || next_line_slow(line);
  }
  bool next_line(std::string& line);

  // The next line, or the fatal end-of-file error 24.  The view stays valid
  // until the next read from this source.
  std::string_view require_line() {
    std::string_view line;
    if (!line_in_buffer(line)) require_line_slow(line);
    return line;
  }

  // Reads the rest of the input into memory, so that offset and seek hold
  // for all of it.  A failed read, or an input too large to hold, is the
  // fatal error 39.
  void read_whole();

  // For an input held whole in memory (read_whole, or a text): where the
  // next line starts, and a return there.
  std::size_t offset() const { return begin_; }
  void seek(std::size_t offset) { begin_ = offset; }

  // Raises the fatal input/output error `error` for this source.
  [[noreturn]] void fail(int error) const;

  // Runs `read`, which reads from this source.  Running out of memory on the
  // way (a line, or a value in it, too long to hold) is the fatal read error
  // 39 of this source rather than an end by an uncaught exception.
  template <typename Read>
  void read_guarded(Read&& read) {
    try {
      read();
    } catch (const std::bad_alloc&) {
      fail(kReadError);
    }
  }

  int unit() const { return unit_; }
  const std::string& name() const { return name_; }

 private:
  // More of the file behind what the buffer holds; false at its end.
  bool read_more();

  // The usual case of next_line, defined here where the readers of the
  // database can fit it into their loops: a whole line, its line end
  // included, already in the buffer.  False, with nothing taken, otherwise.
  bool line_in_buffer(std::string_view& line) {
    if (begin_ >= end_) return false;  // (no buffer at all before the first read)
    const char* const data = buffer_.get();
    const void* const lf = std::memchr(data + begin_, '\n', end_ - begin_);
    if (lf == nullptr) return false;
    const std::size_t stop = static_cast<std::size_t>(static_cast<const char*>(lf) - data);
    line = std::string_view(data + begin_, stop - begin_);
    begin_ = stop + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
  }
  // The rest of next_line and require_line: reading on.
  bool next_line_slow(std::string_view& line);
  void require_line_slow(std::string_view& line);

  InputFile file_;              // closed for a text in memory
  std::unique_ptr<char[]> buffer_;  // [begin_, end_) not read yet
  std::size_t capacity_ = 0;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool at_end_ = false;
  bool read_failed_ = false;

  int unit_;
  std::string name_;
};

// The answers on standard input: a process-wide source on file descriptor 0,
// unit 5, named "stdin".  Tests may put another source in its place.
LineSource& stdin_source();
void set_stdin_source(LineSource* source);  // nullptr restores standard input

}  // namespace zelpra
