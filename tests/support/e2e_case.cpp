#include "e2e_case.h"

#include <utility>

namespace zelpra::test {

E2eCase::E2eCase(std::string label, std::string tool, std::optional<std::string> spectrum,
                 std::string stdin_text, std::string out, std::string err, int status,
                 std::optional<std::string> spectrum_after)
    : label(std::move(label)),
      tool(std::move(tool)),
      spectrum(std::move(spectrum)),
      stdin_text(std::move(stdin_text)),
      out(std::move(out)),
      err(std::move(err)),
      status(status),
      spectrum_after(std::move(spectrum_after)) {}

E2eCase& E2eCase::file(const std::string& path, const std::string& text) {
  files[path] = text;
  return *this;
}

E2eCase& E2eCase::unset(const std::string& variable) {
  env[variable] = std::nullopt;
  return *this;
}

E2eCase& E2eCase::stdin_closed() {
  close_stdin = true;
  return *this;
}

E2eCase& E2eCase::with_faults(const Faults& f) {
  faults = f;
  return *this;
}

E2eCase& E2eCase::timeout(int seconds) {
  timeout_seconds = seconds;
  return *this;
}

E2eCase& E2eCase::reading_stdin(bool reads) {
  reads_stdin = reads;
  return *this;
}

void PrintTo(const E2eCase& c, std::ostream* os) { *os << c.tool << " " << c.label; }

std::vector<E2eCase> with_setup(CaseSetup setup, std::vector<E2eCase> cases) {
  for (E2eCase& c : cases) c.setup = setup;
  return cases;
}

}  // namespace zelpra::test
