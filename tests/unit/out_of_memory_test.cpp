// Readers that run out of memory: a file too large to hold (a sparse file of
// a gigabyte without a line end, read under a limit on the address space)
// ends the run with the fatal read error of that file, never with an
// uncaught exception and an abort.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

#include "database.h"
#include "db_fixture.h"
#include "detector.h"
#include "harness.h"
#include "in_process.h"
#include "material.h"
#include "spectrum_file.h"
#include "text/run_end.h"

namespace zelpra {
namespace {

using test::ScratchDir;

// How far the address space of the reading process may grow.
constexpr rlim_t kHeadroom = 64L << 20;

// The address space the calling process takes now, in bytes.
rlim_t address_space_in_use() {
  std::ifstream statm("/proc/self/statm");
  unsigned long pages = 0;
  statm >> pages;
  return static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
}

// Runs `read` in a child process with kHeadroom of address space to spare.
// The child's exit status: the status of the run it ended, 99 when the line
// for standard error is not `expected`, 96 when anything else was thrown,
// 128 + the signal that ended it.
int status_in_child(const std::function<void()>& read, const std::string& expected) {
  const test::RunResult child = test::run_in_child(".", {}, [&] {
    struct rlimit limit {};
    limit.rlim_cur = limit.rlim_max = address_space_in_use() + kHeadroom;
    if (setrlimit(RLIMIT_AS, &limit) != 0) return 97;
    try {
      read();
    } catch (const RunEnd& end) {
      return end.stderr_line("reader") == expected ? end.status : 99;
    } catch (...) {
      return 96;  // what the tool would not have caught
    }
    return 0;
  });
  return child.status;
}

// Makes `path` a sparse file of 1 GiB of NUL bytes.
void make_huge(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0) << path;
  ASSERT_EQ(::ftruncate(fd, 1L << 30), 0);
  ::close(fd);
}

// A tool's reading with the answer `answer` on standard input; the way it
// ended the run is passed on.
void read_with_answer(const std::function<void()>& body, const std::string& answer) {
  const test::InProcessRun run = test::run_in_process(body, answer);
  if (run.end) throw *run.end;
}

TEST(OutOfMemory, AFileTooLargeToHoldIsTheReadErrorOfThatFile) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer maps its shadow memory up front and ends the process itself "
                  "when an allocation fails, so a limit on the address space cannot show what the "
                  "reader does";
#endif
  ScratchDir dir;
  const std::string data = dir / "data";
  test::DbFixture().write(data);
  dir.write("data/_materials/m", "");
  dir.write("data/_detectors/d", "");
  dir.write("spectra.tmp", "");
  struct Case {
    const char* label;
    std::string path;  // the file made huge
    int unit;
    std::function<void()> read;
  };
  std::string name;
  const Case cases[] = {
      // Read into memory whole before its records are read.
      {"kshell_data", data + "/_database/kshell_data", 4,
       [&] {
         setenv("ZELPRA_DIR", data.c_str(), 1);
         READ_DATABASE();
       }},
      {"material", data + "/_materials/m", 10,
       [&] { read_with_answer([&] { READ_MATERIAL(data, name); }, "m\n"); }},
      {"detector", data + "/_detectors/d", 10,
       [&] { read_with_answer([&] { READ_DETECTOR(data, name); }, "d\n"); }},
      {"spectra.tmp", "spectra.tmp", 10,
       [&] {
         if (chdir(dir.path().c_str()) != 0) _exit(98);
         UnitFlags iu{};
         READ_SPECTRUM(iu);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    make_huge(c.path[0] == '/' ? c.path : dir / c.path);
    EXPECT_EQ(status_in_child(c.read, "reader: severe (39): error during read, unit " +
                                          std::to_string(c.unit) + ", file " + c.path + "\n"),
              39);
  }
}

}  // namespace
}  // namespace zelpra
