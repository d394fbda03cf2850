#include "text/line_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <utility>

#include "text/run_end.h"

namespace zelpra {

namespace {

// The first block read of a file holds the whole file up to the larger of
// these sizes; a larger file, or a pipe, is read on in blocks as its lines
// are taken.
constexpr std::size_t kLeastBlock = 4096;
constexpr std::size_t kFirstBlock = std::size_t{1} << 20;

}  // namespace

InputFile InputFile::standard_input() {
  InputFile file;
  file.fd_ = 0;
  file.owned_ = false;
  return file;
}

InputFile::~InputFile() {
  if (fd_ >= 0 && owned_) ::close(fd_);
}

InputFile::InputFile(InputFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), owned_(other.owned_), size_(other.size_) {}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0 && owned_) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    owned_ = other.owned_;
    size_ = other.size_;
  }
  return *this;
}

OpenStatus open_for_reading(const std::string& path, InputFile& file) {
  // A name with a NUL byte in it cannot name a file.
  if (path.empty() || path.find('\0') != std::string::npos) return OpenStatus::kNotFound;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR || errno == ENAMETOOLONG) return OpenStatus::kNotFound;
    if (errno == EACCES) return OpenStatus::kDenied;
    return OpenStatus::kFailed;
  }
  if (S_ISDIR(st.st_mode)) return OpenStatus::kIsDirectory;
  // Only a regular file can be read whole: a named pipe or a device would
  // block the run or never end.
  if (!S_ISREG(st.st_mode)) return OpenStatus::kFailed;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == EACCES ? OpenStatus::kDenied : OpenStatus::kFailed;
  file = InputFile();
  file.fd_ = fd;
  file.size_ = static_cast<std::size_t>(st.st_size);
  return OpenStatus::kOk;
}

LineSource::LineSource(InputFile file, int unit, std::string name)
    : file_(std::move(file)), unit_(unit), name_(std::move(name)) {}

LineSource::LineSource(std::string text, int unit, std::string name)
    : buffer_(new char[text.size()]), capacity_(text.size()), end_(text.size()), at_end_(true),
      unit_(unit), name_(std::move(name)) {
  std::memcpy(buffer_.get(), text.data(), text.size());
}

bool LineSource::read_more() {
  if (at_end_) return false;
  // What is not read yet moves to the front; a full buffer grows.
  if (begin_ > 0) {
    std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == capacity_) {
    // One byte beyond the size the file had, so that one read takes it all.
    const std::size_t capacity =
        capacity_ == 0 ? std::clamp(file_.size_ + 1, kLeastBlock, kFirstBlock) : 2 * capacity_;
    // A line too long to hold in memory is a failed read, not an uncaught
    // exception.
    std::unique_ptr<char[]> larger(new (std::nothrow) char[capacity]);
    if (larger == nullptr) fail(kReadError);
    if (end_ > 0) std::memcpy(larger.get(), buffer_.get(), end_);
    buffer_ = std::move(larger);
    capacity_ = capacity;
  }
  for (;;) {
    const ssize_t n = ::read(file_.fd_, buffer_.get() + end_, capacity_ - end_);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      at_end_ = true;
      read_failed_ = n < 0;
      return false;
    }
    end_ += static_cast<std::size_t>(n);
    return true;
  }
}

bool LineSource::next_line_slow(std::string_view& line) {
  for (;;) {
    if (line_in_buffer(line)) return true;
    if (!read_more()) {
      // A line cut short by a failed read is not a line.
      if (read_failed_) fail(kReadError);
      if (begin_ == end_) return false;
      line = std::string_view(buffer_.get() + begin_, end_ - begin_);
      begin_ = end_;
      break;
    }
  }
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return true;
}

bool LineSource::next_line(std::string& line) {
  std::string_view view;
  const bool got = next_line(view);
  read_guarded([&] { line.assign(view); });
  return got;
}

void LineSource::require_line_slow(std::string_view& line) {
  if (!next_line_slow(line)) fail(kEndOfFile);
}

void LineSource::read_whole() {
  while (read_more()) {
  }
  if (read_failed_) fail(kReadError);
}

void LineSource::fail(int error) const { fatal_io(error, unit_, name_); }

namespace {
LineSource* g_stdin_override = nullptr;
}

LineSource& stdin_source() {
  static LineSource standard_input(InputFile::standard_input(), kUnitStdin, "stdin");
  return g_stdin_override != nullptr ? *g_stdin_override : standard_input;
}

void set_stdin_source(LineSource* source) { g_stdin_override = source; }

}  // namespace zelpra
