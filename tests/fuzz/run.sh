#!/usr/bin/env bash
# Builds the libFuzzer targets with clang++ and runs each for a bounded time.
#
#   tests/fuzz/run.sh           every target for 13 s (ZELPRA_FUZZ_SECONDS),
#                               about three minutes in all
#   tests/fuzz/run.sh 600       every target for 600 s
#   tests/fuzz/run.sh 60 spectrum material    only these targets
#   ZELPRA_FUZZ_JOBS=4 tests/fuzz/run.sh 300  four targets at a time
#
# The targets are every fuzz_<target> program of the build: one per reader
# and one per tool.  The build goes to build-fuzz (ZELPRA_FUZZ_BUILD); each
# target grows its own working corpus there from the seeds in
# tests/fuzz/corpus/<target> and the kept failures in
# tests/fuzz/regressions/<target>.  An input that makes a target fail is
# written to build-fuzz/artifacts/<target>/; keep it in
# tests/fuzz/regressions/<target>/ so that unit_tests replays it.  Exits
# non-zero when a target fails or cannot be built.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD

seconds=${1:-${ZELPRA_FUZZ_SECONDS:-13}}
shift || true
targets=("$@")
jobs=${ZELPRA_FUZZ_JOBS:-1}
build=${ZELPRA_FUZZ_BUILD:-$root/build-fuzz}

if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ not found (Debian package clang)" >&2
  exit 1
fi
if ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  echo "fuzz: clang's libFuzzer runtime not found (Debian package libclang-rt-dev)" >&2
  exit 1
fi

echo "fuzz: building in $build"
mkdir -p "$build"
cmake -S "$root/tests/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$build/configure.log" 2>&1 ||
  { cat "$build/configure.log"; exit 1; }
cmake --build "$build" -j"$(nproc)" >"$build/build.log" 2>&1 || { tail -50 "$build/build.log"; exit 1; }

if [ ${#targets[@]} -eq 0 ]; then
  for bin in "$build"/fuzz/fuzz_*; do
    t=${bin##*/fuzz_}
    [ "$t" = make_seeds ] || targets+=("$t")
  done
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

# Runs one target; its one summary line goes to $build/<target>.result.
run_target() {
  local t=$1 bin=$build/fuzz/fuzz_$1
  local result=$build/$t.result
  if [ ! -x "$bin" ]; then
    echo "$t: FAILED, no such target" >"$result"
    return
  fi
  local work=$build/corpus/$t artifacts=$build/artifacts/$t/ log=$build/$t.log
  mkdir -p "$work" "$artifacts"
  local dirs=("$work" "$root/tests/fuzz/corpus/$t")
  [ -d "$root/tests/fuzz/regressions/$t" ] && dirs+=("$root/tests/fuzz/regressions/$t")
  local dict=()
  [ -f "$root/tests/fuzz/$t.dict" ] && dict=(-dict="$root/tests/fuzz/$t.dict")
  echo "fuzz: $t for ${seconds}s"
  local status=0
  timeout --kill-after=10 $((seconds + 120)) "$bin" \
    -max_total_time="$seconds" -timeout=1 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$artifacts" "${dict[@]}" "${dirs[@]}" >"$log" 2>&1 || status=$?
  local runs
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  if [ $status -ne 0 ]; then
    echo "$t: FAILED (status $status) after ${runs:-?} executions; log $log" >"$result"
    grep -E '^(==[0-9]+==|SUMMARY|[a-z_]+: )|Test unit written' "$log" | head -20 >&2 || true
    echo "fuzz: keep the input from $artifacts in tests/fuzz/regressions/$t/" >&2
  else
    echo "$t: ${runs:-?} executions in ${seconds}s, no failure" >"$result"
  fi
}

for t in "${targets[@]}"; do
  rm -f "$build/$t.result"
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  run_target "$t" &
done
wait

failed=0
summary=()
for t in "${targets[@]}"; do
  line=$(cat "$build/$t.result" 2>/dev/null || echo "$t: FAILED, no result")
  case $line in *FAILED*) failed=1 ;; esac
  summary+=("$line")
done

echo "fuzz: summary"
printf '  %s\n' "${summary[@]}" | tee "$build/summary.txt"
exit $failed
