#include "fault_run.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <map>
#include <stdexcept>
#include <thread>
#include <vector>

extern char** environ;

namespace zelpra::test {

namespace {

std::string read_back(int fd) {
  std::string s;
  lseek(fd, 0, SEEK_SET);
  char buf[4096];
  ssize_t n;
  while ((n = read(fd, buf, sizeof buf)) > 0) s.append(buf, static_cast<size_t>(n));
  return s;
}

// An unlinked temporary file holding `content`, positioned at its start.
int temp_file(const std::string& content) {
  char name[] = "/tmp/zelpra-fault-XXXXXX";
  int fd = mkstemp(name);
  if (fd < 0) throw std::runtime_error("mkstemp failed");
  unlink(name);
  size_t off = 0;
  while (off < content.size()) {
    ssize_t n = write(fd, content.data() + off, content.size() - off);
    if (n <= 0) throw std::runtime_error("write failed");
    off += static_cast<size_t>(n);
  }
  lseek(fd, 0, SEEK_SET);
  return fd;
}

}  // namespace

RunResult run_tool_with_faults(const std::string& tool, const std::string& workdir,
                               const RunOptions& options, const Faults& faults) {
  std::map<std::string, std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    std::string kv = *e;
    auto eq = kv.find('=');
    if (eq != std::string::npos) env[kv.substr(0, eq)] = kv.substr(eq + 1);
  }
  env.erase("ZELPRA_DIR");
  for (const auto& [k, v] : options.env) {
    if (v) env[k] = *v; else env.erase(k);
  }
  std::vector<std::string> env_strings;
  for (const auto& [k, v] : env) env_strings.push_back(k + "=" + v);
  std::vector<char*> envp;
  for (auto& s : env_strings) envp.push_back(s.data());
  envp.push_back(nullptr);

  std::string path = tool_path(tool);
  int in_fd = options.close_stdin ? -1 : temp_file(options.stdin_text);
  int out_fd = temp_file("");
  int err_fd = temp_file("");

  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    if (faults.gid) {
      if (setgroups(0, nullptr) != 0 || setgid(*faults.gid) != 0) _exit(kCouldNotStart);
    }
    if (faults.uid && setuid(*faults.uid) != 0) _exit(kCouldNotStart);
    if (chdir(workdir.c_str()) != 0) _exit(kCouldNotStart);
    if (faults.file_size_limit) {
      // An ignored signal stays ignored across exec.
      signal(SIGXFSZ, SIG_IGN);
      struct rlimit limit {};
      limit.rlim_cur = static_cast<rlim_t>(*faults.file_size_limit);
      limit.rlim_max = static_cast<rlim_t>(*faults.file_size_limit);
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(kCouldNotStart);
    }
    if (faults.stdin_path) {
      int fd = open(faults.stdin_path->c_str(), O_RDONLY);
      if (fd < 0) _exit(kCouldNotStart);
      dup2(fd, 0);
    } else if (in_fd >= 0) {
      dup2(in_fd, 0);
    } else {
      close(0);
    }
    if (faults.stdout_path) {
      int fd = open(faults.stdout_path->c_str(), O_WRONLY);
      if (fd < 0) _exit(kCouldNotStart);
      dup2(fd, 1);
    } else {
      dup2(out_fd, 1);
    }
    dup2(err_fd, 2);
    char* argv[] = {path.data(), nullptr};
    execve(path.c_str(), argv, envp.data());
    _exit(kCouldNotStart);
  }
  int wstatus = 0;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.timeout_seconds);
  for (;;) {
    pid_t r = waitpid(pid, &wstatus, WNOHANG);
    if (r == pid) break;
    if (r < 0 && errno != EINTR) throw std::runtime_error("waitpid failed");
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &wstatus, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  RunResult result;
  if (WIFEXITED(wstatus)) result.status = WEXITSTATUS(wstatus);
  else if (WIFSIGNALED(wstatus)) result.status = 128 + WTERMSIG(wstatus);
  result.out = read_back(out_fd);
  result.err = read_back(err_fd);
  if (in_fd >= 0) close(in_fd);
  close(out_fd);
  close(err_fd);
  return result;
}

PlainUser plain_user() {
  PlainUser user;
  if (geteuid() != 0) {
    user.available = true;  // permissions already hold for this user
    return user;
  }
  user.uid = 65534;
  user.gid = 65534;
  // The program must be reachable and executable for that user.
  Faults as_user;
  as_user.uid = user.uid;
  as_user.gid = user.gid;
  const RunResult r = run_tool_with_faults("belmor", "/", {}, as_user);
  if (r.status == kCouldNotStart) {
    user.why_not = "cannot run the programs as uid 65534 (the build directory is not open to it)";
    return user;
  }
  user.available = true;
  return user;
}

}  // namespace zelpra::test
