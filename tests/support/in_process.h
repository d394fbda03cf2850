// Runs a routine of the core in-process as a tool would run it: with given
// text on standard input and with what it prints captured, catching the
// RunEnd by which it ends the run early.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "text/run_end.h"

namespace zelpra::test {

struct InProcessRun {
  std::string out;            // what the routine printed through out()
  std::string err;            // and through error_out()
  std::optional<RunEnd> end;  // how it ended the run, if it did
};

// Runs `body` with `stdin_text` as standard input (unit 5, "stdin") and out()
// and error_out() captured.  The standard streams are restored afterwards,
// also when `body` throws anything other than a RunEnd (which then passes
// on).
InProcessRun run_in_process(const std::function<void()>& body, const std::string& stdin_text = "");

}  // namespace zelpra::test
