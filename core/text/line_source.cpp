#include "text/line_source.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <new>
#include <utility>

#include "text/run_end.h"

namespace zelpra {

LineSource::LineSource(std::istream& in, int unit, std::string name)
    : in_(&in), unit_(unit), name_(std::move(name)) {}

bool LineSource::next_line(std::string& line) {
  line.clear();
  if (!std::getline(*in_, line)) {
    // A line too long to hold in memory sets the stream's badbit (getline
    // catches the allocation failure).  std::cin reads through the C stream
    // stdin, which keeps a failed read (standard input on a directory, say)
    // apart from its end only in its error indicator.
    if (in_->bad() || (in_ == &std::cin && std::ferror(stdin) != 0)) fail(kReadError);
    return false;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

std::string LineSource::require_line() {
  std::string line;
  if (!next_line(line)) fail(kEndOfFile);
  return line;
}

void LineSource::fail(int error) const { fatal_io(error, unit_, name_); }

void LineSource::read_guarded(const std::function<void()>& read) {
  try {
    read();
  } catch (const std::bad_alloc&) {
    fail(kReadError);
  }
}

namespace {
LineSource* g_stdin_override = nullptr;
}

LineSource& stdin_source() {
  static LineSource standard_input(std::cin, kUnitStdin, "stdin");
  return g_stdin_override != nullptr ? *g_stdin_override : standard_input;
}

void set_stdin_source(LineSource* source) { g_stdin_override = source; }

OpenStatus open_for_reading(const std::string& path, std::ifstream& file) {
  // A name with a NUL byte in it cannot name a file.
  if (path.empty() || path.find('\0') != std::string::npos) return OpenStatus::kNotFound;
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR || errno == ENAMETOOLONG) return OpenStatus::kNotFound;
    if (errno == EACCES) return OpenStatus::kDenied;
    return OpenStatus::kFailed;
  }
  if (S_ISDIR(st.st_mode)) return OpenStatus::kIsDirectory;
  // Only a regular file can be read whole: a named pipe or a device would
  // block the run or never end.
  if (!S_ISREG(st.st_mode)) return OpenStatus::kFailed;
  errno = 0;
  file.open(path, std::ios::in | std::ios::binary);
  if (!file.is_open()) return errno == EACCES ? OpenStatus::kDenied : OpenStatus::kFailed;
  return OpenStatus::kOk;
}

}  // namespace zelpra
