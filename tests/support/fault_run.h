// Running a program of the package under an injected fault (harness.h,
// Faults), and the plain user that permission tests run as.
#pragma once

#include <optional>
#include <string>
#include <sys/types.h>

#include "harness.h"

namespace zelpra::test {

// run_tool (harness.h) with `faults` applied in the child before the
// program starts.
inline RunResult run_tool_with_faults(const std::string& tool, const std::string& workdir,
                                      RunOptions options, const Faults& faults) {
  options.faults = faults;
  return run_tool(tool, workdir, options);
}

// The user a test can run as to meet permissions: when running as the
// superuser, the unprivileged "nobody" (65534); otherwise the current user.
struct PlainUser {
  bool available = false;
  std::string why_not;  // when not available
  std::optional<uid_t> uid;
  std::optional<gid_t> gid;
};
PlainUser plain_user();

}  // namespace zelpra::test
