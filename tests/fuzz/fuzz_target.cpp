// One libFuzzer target: ZELPRA_FUZZ_TARGET names which reader or tool run it
// drives (see tests/support/fuzz_entries.h).  An outcome other than a normal
// return, a refusal or the fatal input/output error is reported and aborts,
// so that libFuzzer keeps the input as a crash.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz_entries.h"

#ifndef ZELPRA_FUZZ_TARGET
#error "ZELPRA_FUZZ_TARGET must name the target"
#endif

namespace {

zelpra::fuzz::Target the_target() {
  static const zelpra::fuzz::Target target = [] {
    zelpra::fuzz::Target t{};
    if (!zelpra::fuzz::target_by_name(ZELPRA_FUZZ_TARGET, t)) {
      std::fprintf(stderr, "no fuzz target named %s\n", ZELPRA_FUZZ_TARGET);
      std::abort();
    }
    return t;
  }();
  return target;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Builds the scratch data directory once, before the first input.
  static const uint8_t nothing = 0;
  (void)zelpra::fuzz::run_one(the_target(), &nothing, 0);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string verdict = zelpra::fuzz::run_one(the_target(), data, size);
  if (!verdict.empty()) {
    std::fprintf(stderr, "\n%s: %s\n", ZELPRA_FUZZ_TARGET, verdict.c_str());
    std::abort();
  }
  return 0;
}
