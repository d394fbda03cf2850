#include "in_process.h"

#include <sstream>

#include "text/line_source.h"
#include "text/list_output.h"

namespace zelpra::test {
namespace {

// Puts the test's standard input and output in place for one scope.
class Redirect {
 public:
  Redirect(LineSource& in, std::ostream& out) {
    set_stdin_source(&in);
    set_out(&out);
  }
  ~Redirect() {
    set_out(nullptr);
    set_stdin_source(nullptr);
  }
  Redirect(const Redirect&) = delete;
  Redirect& operator=(const Redirect&) = delete;
};

}  // namespace

InProcessRun run_in_process(const std::function<void()>& body, const std::string& stdin_text) {
  std::istringstream in(stdin_text);
  LineSource source(in, kUnitStdin, "stdin");
  std::ostringstream captured;
  InProcessRun run;
  {
    Redirect redirect(source, captured);
    try {
      body();
    } catch (const RunEnd& end) {
      run.end = end;
    }
  }
  run.out = captured.str();
  return run;
}

}  // namespace zelpra::test
