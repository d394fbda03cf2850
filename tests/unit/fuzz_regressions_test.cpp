// Replays every kept input of the fuzz targets through the same entry
// function the fuzzers call: the seed corpora (tests/fuzz/corpus/<target>)
// and every input that once made a target fail (tests/fuzz/regressions/
// <target>).  Each must end in a normal return, a refusal or the fatal
// input/output error, and quickly.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_entries.h"

namespace zelpra::fuzz {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> kept_inputs(const std::string& target) {
  std::vector<fs::path> files;
  for (const char* kind : {"corpus", "regressions"}) {
    const fs::path dir = fs::path(ZELPRA_SOURCE_DIR) / "tests" / "fuzz" / kind / target;
    if (!fs::is_directory(dir)) continue;
    for (const auto& entry : fs::directory_iterator(dir)) {
      if (entry.is_regular_file() && entry.path().filename() != "README") files.push_back(entry.path());
    }
  }
  return files;
}

}  // namespace

void PrintTo(const TargetInfo& t, std::ostream* os) { *os << t.name; }

namespace {

class FuzzRegressions : public ::testing::TestWithParam<TargetInfo> {};

TEST_P(FuzzRegressions, EveryKeptInputEndsInAnAcceptedWay) {
  const TargetInfo& info = GetParam();
  const std::vector<fs::path> files = kept_inputs(info.name);
  ASSERT_FALSE(files.empty()) << "no seed corpus for " << info.name;
  for (const fs::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const std::string data = bytes.str();
    const auto start = std::chrono::steady_clock::now();
    const std::string verdict =
        run_one(info.target, reinterpret_cast<const uint8_t*>(data.data()), data.size());
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ("", verdict) << file;
    EXPECT_LT(seconds, 5.0) << file << " took too long";
  }
}

INSTANTIATE_TEST_SUITE_P(AllTargets, FuzzRegressions, ::testing::ValuesIn(targets()),
                         [](const ::testing::TestParamInfo<TargetInfo>& p) {
                           return std::string(p.param.name);
                         });

}  // namespace
}  // namespace zelpra::fuzz
