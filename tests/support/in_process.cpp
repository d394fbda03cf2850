#include "in_process.h"

#include <sstream>

#include "text/line_source.h"
#include "text/list_output.h"

namespace zelpra::test {
namespace {

// Collects what is written to it in a string.
class StringSink final : public OutputSink {
 public:
  explicit StringSink(std::string& text) : text_(text) {}
  void write(std::string_view text) override { text_ += text; }
  bool flush() override { return true; }

 private:
  std::string& text_;
};

// Puts the test's standard input, output and error in place for one scope.
class Redirect {
 public:
  Redirect(LineSource& in, std::ostream& out, OutputSink& err) {
    set_stdin_source(&in);
    set_out(&out);
    error_out().set_sink(&err);
  }
  ~Redirect() {
    error_out().set_sink(nullptr);
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
  StringSink err(run.err);
  {
    Redirect redirect(source, captured, err);
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
