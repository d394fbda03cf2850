#include "harness.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

#if defined(__linux__) && (defined(__x86_64__) || defined(__aarch64__))
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#define ZELPRA_SYSCALL_FILTER 1
#endif

extern char** environ;

namespace zelpra::test {

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
  std::string tmpl = (fs::temp_directory_path() / "zelpra-test-XXXXXX").string();
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  if (mkdtemp(buf.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = buf.data();
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  // Give back write permission that a test may have taken away.
  for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

void ScratchDir::write(const std::string& relative, const std::string& content) const {
  fs::path p = fs::path(path_) / relative;
  fs::create_directories(p.parent_path());
  std::ofstream f(p, std::ios::binary | std::ios::trunc);
  f << content;
  if (!f) throw std::runtime_error("cannot write " + p.string());
}

std::string ScratchDir::read(const std::string& relative) const {
  std::ifstream f(fs::path(path_) / relative, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

bool ScratchDir::exists(const std::string& relative) const {
  return fs::exists(fs::path(path_) / relative);
}

std::string tool_path(const std::string& tool) { return std::string(ZELPRA_BIN_DIR) + "/" + tool; }

namespace {

std::string slurp_fd(int fd) {
  std::string s;
  lseek(fd, 0, SEEK_SET);
  char buf[4096];
  ssize_t n;
  while ((n = read(fd, buf, sizeof buf)) > 0) s.append(buf, static_cast<size_t>(n));
  return s;
}

int temp_fd(const std::string& content) {
  char name[] = "/tmp/zelpra-io-XXXXXX";
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

// Makes fchmod and fchown fail with EPERM in this process and in what it
// executes, by a seccomp filter: the other system calls pass.  False where
// no filter can be installed.
bool install_chmod_refusal() {
#ifdef ZELPRA_SYSCALL_FILTER
#if defined(__x86_64__)
  constexpr uint32_t kArch = AUDIT_ARCH_X86_64;
#else
  constexpr uint32_t kArch = AUDIT_ARCH_AARCH64;
#endif
  sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kArch, 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_fchmod, 1, 0),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_fchown, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (EPERM & SECCOMP_RET_DATA)),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  sock_fprog program{};
  program.len = static_cast<unsigned short>(sizeof filter / sizeof filter[0]);
  program.filter = filter;
  return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
         prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
#else
  return false;
#endif
}

// In the child: the faults, the working directory and the standard streams.
// Returns false when the child cannot be set up as asked.
bool set_up_child(const std::string& workdir, const RunOptions& options, int in_fd, int out_fd,
                  int err_fd) {
  const Faults& faults = options.faults;
  // Dropping privileges leaves no supplementary group of the superuser behind.
  if ((faults.uid || faults.gid) && setgroups(0, nullptr) != 0) return false;
  if (faults.gid && setgid(*faults.gid) != 0) return false;
  if (faults.uid && setuid(*faults.uid) != 0) return false;
  if (chdir(workdir.c_str()) != 0) return false;
  if (faults.file_size_limit) {
    signal(SIGXFSZ, SIG_DFL);
    struct rlimit limit {};
    limit.rlim_cur = static_cast<rlim_t>(*faults.file_size_limit);
    limit.rlim_max = static_cast<rlim_t>(*faults.file_size_limit);
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return false;
  }
  if (faults.stdin_path) {
    int fd = open(faults.stdin_path->c_str(), O_RDONLY);
    if (fd < 0) return false;
    dup2(fd, 0);
  } else if (in_fd >= 0) {
    dup2(in_fd, 0);
  } else {
    close(0);
  }
  if (faults.stdout_path) {
    int fd = open(faults.stdout_path->c_str(), O_WRONLY);
    if (fd < 0) return false;
    dup2(fd, 1);
  } else {
    dup2(out_fd, 1);
  }
  dup2(err_fd, 2);
  return !faults.refuse_chmod || install_chmod_refusal();
}

}  // namespace

bool can_refuse_chmod() {
#ifdef ZELPRA_SYSCALL_FILTER
  return true;
#else
  return false;
#endif
}

Faults as_plain_user() {
  Faults faults;
  if (geteuid() == 0) {
    faults.uid = 65534;
    faults.gid = 65534;
  }
  return faults;
}

RunResult run_in_child(const std::string& workdir, const RunOptions& options,
                       const std::function<int()>& body) {
  int in_fd = options.close_stdin ? -1 : temp_fd(options.stdin_text);
  int out_fd = temp_fd("");
  int err_fd = temp_fd("");

  // Nothing this process has buffered may be written a second time by the child.
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    if (!set_up_child(workdir, options, in_fd, out_fd, err_fd)) _exit(kCouldNotStart);
    _exit(body());
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
  if (in_fd >= 0 && !options.faults.stdin_path) result.stdin_offset = lseek(in_fd, 0, SEEK_CUR);
  result.out = slurp_fd(out_fd);
  result.err = slurp_fd(err_fd);
  if (in_fd >= 0) close(in_fd);
  close(out_fd);
  close(err_fd);
  return result;
}

RunResult run_tool(const std::string& tool, const std::string& workdir, const RunOptions& options) {
  // The child's environment: ours, without ZELPRA_DIR, with the changes asked for.
  std::map<std::string, std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    std::string kv = *e;
    auto eq = kv.find('=');
    if (eq == std::string::npos) continue;
    env[kv.substr(0, eq)] = kv.substr(eq + 1);
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
  return run_in_child(workdir, options, [&path, &envp] {
    char* argv[] = {path.data(), nullptr};
    execve(path.c_str(), argv, envp.data());
    return kCouldNotStart;
  });
}

}  // namespace zelpra::test
