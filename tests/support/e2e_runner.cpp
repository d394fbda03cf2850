#include "e2e_runner.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "spectrum_file.h"

namespace zelpra::test {

namespace fs = std::filesystem;

namespace {

// What stands at a path, to compare before and after a run (as E2eRun's
// spectrum_before and spectrum_after show it).
std::string file_state(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return "(none)";
  if (S_ISDIR(st.st_mode)) return "(directory)";
  if (!S_ISREG(st.st_mode)) return "(not a regular file)";
  std::ifstream f(path, std::ios::binary);
  if (!f) return "(unreadable)";
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

std::set<std::string> names_in(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

void put_file(const ScratchDir& dir, std::string relative, const std::string& text) {
  const bool directory = !relative.empty() && relative.back() == '/';
  if (directory) relative.pop_back();
  fs::remove_all(dir / relative);
  if (directory) {
    fs::create_directories(dir / relative);
  } else {
    dir.write(relative, text);
  }
}

}  // namespace

E2eRun run_case(const E2eCase& c, const ScratchDir& dir) {
  if (c.setup != nullptr) c.setup(dir);
  if (c.spectrum) put_file(dir, kSpectrumFileName, *c.spectrum);
  for (const auto& [path, text] : c.files) put_file(dir, path, text);

  RunOptions options;
  options.stdin_text = c.stdin_text;
  options.close_stdin = c.close_stdin;
  options.env["ZELPRA_DIR"] = dir / "data";
  for (const auto& [name, value] : c.env) options.env[name] = value;
  options.faults = c.faults;
  options.timeout_seconds = c.timeout_seconds;

  E2eRun run;
  const std::string spectrum = dir / kSpectrumFileName;
  run.spectrum_before = file_state(spectrum);
  run.names_before = names_in(dir.path());
  run.result = run_tool(c.tool, dir.path(), options);
  run.spectrum_after = file_state(spectrum);
  run.names_after = names_in(dir.path());
  return run;
}

void expect_left_behind(const E2eCase& c, const E2eRun& run) {
  EXPECT_EQ(run.spectrum_after, c.spectrum_after.value_or(run.spectrum_before))
      << "spectra.tmp after the run";
  EXPECT_EQ(run.names_after, run.names_before) << "a file was made or removed";
  if (c.reads_stdin) {
    if (*c.reads_stdin) {
      EXPECT_GT(run.result.stdin_offset, 0) << "standard input was not read";
    } else {
      EXPECT_EQ(run.result.stdin_offset, 0) << "standard input was read";
    }
  }
}

void expect_case(const E2eCase& c, const ScratchDir& dir) {
  SCOPED_TRACE(c.tool + " " + c.label);
  const E2eRun run = run_case(c, dir);
  EXPECT_EQ(run.result.out, c.out);
  EXPECT_EQ(run.result.err, c.err);
  EXPECT_EQ(run.result.status, c.status);
  expect_left_behind(c, run);
}

void expect_case(const E2eCase& c) {
  ScratchDir dir;
  expect_case(c, dir);
}

void expect_steps(const std::vector<E2eCase>& steps) {
  ScratchDir dir;
  int n = 0;
  for (const E2eCase& step : steps) {
    SCOPED_TRACE("step " + std::to_string(++n));
    expect_case(step, dir);
  }
}

}  // namespace zelpra::test
