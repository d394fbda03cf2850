// End-to-end test support: run a real program of the package in a scratch
// working directory and capture what it printed.
#pragma once

#include <sys/types.h>

#include <functional>
#include <map>
#include <optional>
#include <string>

namespace zelpra::test {

// A fresh temporary directory, removed with everything in it at the end.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  // `relative` may name sub-directories; they are created as needed.
  void write(const std::string& relative, const std::string& content) const;
  std::string read(const std::string& relative) const;
  bool exists(const std::string& relative) const;
  std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

 private:
  std::string path_;
};

struct RunResult {
  int status = -1;  // exit status; 128 + signal number when killed by a signal
  std::string out;
  std::string err;
  // How far the program read into RunOptions::stdin_text (the file behind
  // its standard input is shared with the test); -1 when standard input was
  // closed or opened on Faults::stdin_path.
  long stdin_offset = -1;
};

// Faults injected into the program's process before it starts.
struct Faults {
  // RLIMIT_FSIZE in bytes, with SIGXFSZ at its default action (which ends
  // the process), as a shell's `ulimit -f` leaves it.
  std::optional<long> file_size_limit;
  // Run with this user and group id, and no supplementary groups (needs the
  // superuser to switch), so that permissions hold; the superuser passes
  // over them.
  std::optional<uid_t> uid;
  std::optional<gid_t> gid;
  // Standard output opened on this path (for example /dev/full) instead of
  // a file the result is read back from; RunResult::out is then empty.
  std::optional<std::string> stdout_path;
  // Standard input opened on this path (a directory, say) instead of
  // RunOptions::stdin_text.
  std::optional<std::string> stdin_path;
  // fchmod and fchown fail with EPERM, as on a file system that keeps no
  // Unix permissions or owners (a system-call filter, which holds in a
  // statically linked program too; see can_refuse_chmod).
  bool refuse_chmod = false;
};

// Whether Faults::refuse_chmod can be had on this machine.
bool can_refuse_chmod();

// The faults that make a run a plain user's: when running as the superuser,
// the unprivileged "nobody" (user and group 65534); otherwise none, since
// permissions already hold for the current user.
Faults as_plain_user();

// Exit status when the program could not be started as asked (for example
// the user it was to run as may not reach the build directory).
constexpr int kCouldNotStart = 126;

struct RunOptions {
  std::string stdin_text;          // what standard input holds
  bool close_stdin = false;        // run with standard input closed
  // Environment changes: a value sets the variable, std::nullopt removes it.
  // ZELPRA_DIR is always removed first, so a test sets it explicitly.
  std::map<std::string, std::optional<std::string>> env;
  int timeout_seconds = 20;
  Faults faults;
};

// Runs build/bin/<tool> with `workdir` as its working directory.
RunResult run_tool(const std::string& tool, const std::string& workdir,
                   const RunOptions& options = {});

// Runs `body` in a child process set up as run_tool sets up a program: the
// faults applied, `workdir` as working directory, the standard streams as
// `options` say (the environment is not changed).  The child ends with the
// status `body` returns; what it wrote on standard output and standard error
// is captured.
RunResult run_in_child(const std::string& workdir, const RunOptions& options,
                       const std::function<int()>& body);

// The full path of a program of the package.
std::string tool_path(const std::string& tool);

}  // namespace zelpra::test
