// How a run of a tool ends early.
//
// No routine of the core ends the process by itself.  A tool's own refusal
// and a fatal input/output error are both raised as a RunEnd, which carries
// the text that must still be printed and the exit status; each program's
// main catches it (run_tool), prints it and returns the status.  So every
// routine can be called, tested and fuzzed in-process.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zelpra {

// Error numbers of the fatal input/output error.  The exit status of such a
// run is the number itself (the low eight bits of hexadecimal C0000000 + N).
enum IoError : int {
  kPermissionDenied = 9,
  kEndOfFile = 24,
  kFileNotFound = 29,
  kOpenFailure = 30,
  kWriteError = 38,
  kReadError = 39,
  kSyntaxError = 59,
  kConversionError = 64,
};

// Unit numbers that the fatal error line names.
constexpr int kUnitDatabase = 4;  // the 17 interaction-database files
constexpr int kUnitStdin = 5;     // standard input
constexpr int kUnitStdout = 6;    // standard output
constexpr int kUnitData = 10;     // spectra.tmp, material and detector files

// The exit status of a tool's own refusal.
constexpr int kRefusalStatus = 8;

// The message text of a fatal error number, with the unit and the file name
// filled in ("end-of-file during read, unit 10, file spectra.tmp").
std::string io_error_message(int error, int unit, std::string_view file);

struct RunEnd {
  int status = 0;
  std::string out;     // complete lines still to be written on standard output
  int io_error = 0;    // non-zero: the fatal input/output error number
  int unit = 0;
  std::string file;

  // The one line for standard error, "<tool>: severe (N): <message>", with
  // its line end; empty when this is not a fatal input/output error.
  std::string stderr_line(std::string_view tool) const;
};

// A tool's own refusal: `out` (complete lines, each with its line end) goes to
// standard output and the run ends with exit status 8.
[[noreturn]] void refuse(std::string out);

// The refusal of two free-form lines: `message`, then "Aborting.".
[[noreturn]] void refuse_aborting(std::string_view message);

// The fatal input/output error `error` on `unit`, file `file`.
[[noreturn]] void fatal_io(int error, int unit, std::string file);

// Runs a tool's main routine: returns 0 after a normal end, or prints what a
// RunEnd carries (standard output first, then the line on standard error) and
// returns its status.  Standard output is flushed on every path; when it
// cannot be written, the run ends with the fatal write error 38 on unit 6,
// "stdout", rather than as a success whose result was lost.
int run_tool(const char* tool, void (*body)());

}  // namespace zelpra
