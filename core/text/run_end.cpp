#include "text/run_end.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <utility>

#include "text/list_output.h"

namespace zelpra {

std::string io_error_message(int error, int unit, std::string_view file) {
  const char* what = "input/output error";
  switch (error) {
    case kPermissionDenied: what = "permission to access file denied"; break;
    case kEndOfFile: what = "end-of-file during read"; break;
    case kFileNotFound: what = "file not found"; break;
    case kOpenFailure: what = "open failure"; break;
    case kWriteError: what = "error during write"; break;
    case kReadError: what = "error during read"; break;
    case kSyntaxError: what = "list-directed I/O syntax error"; break;
    case kConversionError: what = "input conversion error"; break;
    default: break;
  }
  std::string msg = what;
  msg += ", unit ";
  msg += std::to_string(unit);
  msg += ", file ";
  msg += file;
  return msg;
}

std::string RunEnd::stderr_line(std::string_view tool) const {
  if (io_error == 0) return {};
  std::string line(tool);
  line += ": severe (";
  line += std::to_string(io_error);
  line += "): ";
  line += io_error_message(io_error, unit, file);
  line += "\n";
  return line;
}

void refuse(std::string text) {
  RunEnd end;
  end.status = kRefusalStatus;
  end.out = std::move(text);
  throw end;
}

void refuse_aborting(std::string_view message) {
  refuse(list_text_line(message) + list_text_line("Aborting."));
}

namespace {

RunEnd io_end(int error, int unit, std::string file) {
  RunEnd end;
  end.status = error & 0xFF;
  end.io_error = error;
  end.unit = unit;
  end.file = std::move(file);
  return end;
}

}  // namespace

void fatal_io(int error, int unit, std::string file) { throw io_end(error, unit, std::move(file)); }

int run_tool(const char* tool, void (*body)()) {
  // A standard stream that the caller closed is opened on /dev/null, so that
  // no file the tool opens later takes its place: a closed standard input
  // then reads as an empty one.
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) == -1) {
      int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
      if (opened >= 0 && opened != fd) close(opened);
    }
  }
  RunEnd ended;
  try {
    body();
  } catch (const RunEnd& end) {
    ended = end;
    out() << end.out;
  }
  if (!out().flush() && ended.io_error == 0) ended = io_end(kWriteError, kUnitStdout, "stdout");
  const std::string err = ended.stderr_line(tool);
  if (!err.empty()) {
    error_out() << err;
    error_out().flush();
  }
  return ended.status;
}

}  // namespace zelpra
