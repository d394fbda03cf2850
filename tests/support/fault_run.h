// Running a program of the package under an injected fault: a file-size
// limit (with SIGXFSZ ignored, so that a write past it fails with EFBIG
// instead of killing the process), or another user's identity (so that
// permissions hold; the superuser passes over them).
#pragma once

#include <optional>
#include <string>
#include <sys/types.h>

#include "harness.h"

namespace zelpra::test {

struct Faults {
  // RLIMIT_FSIZE in bytes for the program.
  std::optional<long> file_size_limit;
  // Run with this user and group id (needs the superuser to switch).
  std::optional<uid_t> uid;
  std::optional<gid_t> gid;
  // Standard output opened on this path (for example /dev/full) instead of
  // a file the result is read back from; RunResult::out is then empty.
  std::optional<std::string> stdout_path;
  // Standard input opened on this path (a directory, say) instead of
  // RunOptions::stdin_text.
  std::optional<std::string> stdin_path;
};

// Exit status when the program could not be started as asked (for example
// the user it was to run as may not reach the build directory).
constexpr int kCouldNotStart = 126;

// Like run_tool (harness.h), with `faults` applied in the child before the
// program starts.
RunResult run_tool_with_faults(const std::string& tool, const std::string& workdir,
                               const RunOptions& options, const Faults& faults);

// The user a test can run as to meet permissions: when running as the
// superuser, the unprivileged "nobody" (65534); otherwise the current user.
struct PlainUser {
  bool available = false;
  std::string why_not;  // when not available
  std::optional<uid_t> uid;
  std::optional<gid_t> gid;
  // Standard output opened on this path (for example /dev/full) instead of
  // a file the result is read back from; RunResult::out is then empty.
  std::optional<std::string> stdout_path;
  // Standard input opened on this path (a directory, say) instead of
  // RunOptions::stdin_text.
  std::optional<std::string> stdin_path;
};
PlainUser plain_user();

}  // namespace zelpra::test
