#!/usr/bin/env bash
# Line coverage of core/, the tools and the spectrum writer after replaying
# the fuzz corpora (clang source-based coverage).
#
#   tests/fuzz/coverage.sh              every target
#   tests/fuzz/coverage.sh spectrum     only these targets
#
# Builds the fuzz targets once more with -fprofile-instr-generate
# -fcoverage-mapping in build-fuzz-cov (ZELPRA_FUZZ_COV_BUILD), runs each
# target once over every input of its seed corpus (tests/fuzz/corpus), its
# kept failures (tests/fuzz/regressions) and the working corpus that
# tests/fuzz/run.sh grew (build-fuzz/corpus, ZELPRA_FUZZ_BUILD), merges the
# profiles and prints llvm-cov's report per file, then one line per part.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
build=${ZELPRA_FUZZ_COV_BUILD:-$root/build-fuzz-cov}
grown=${ZELPRA_FUZZ_BUILD:-$root/build-fuzz}/corpus

# The llvm tools that match clang++, versioned or not.
version=$(clang++ --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -1)
tool() {
  if command -v "$1-$version" >/dev/null; then echo "$1-$version"
  elif command -v "$1" >/dev/null; then echo "$1"
  else echo "coverage: $1 not found (Debian package llvm)" >&2; exit 1
  fi
}
profdata=$(tool llvm-profdata)
cov=$(tool llvm-cov)

echo "coverage: building in $build"
mkdir -p "$build"
flags="-fprofile-instr-generate -fcoverage-mapping"
cmake -S "$root/tests/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="$flags" >"$build/configure.log" 2>&1 ||
  { cat "$build/configure.log"; exit 1; }
cmake --build "$build" -j"$(nproc)" >"$build/build.log" 2>&1 || { tail -50 "$build/build.log"; exit 1; }

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for bin in "$build"/fuzz/fuzz_*; do
    t=${bin##*/fuzz_}
    [ "$t" = make_seeds ] || targets+=("$t")
  done
fi

rm -rf "$build/profiles"
mkdir -p "$build/profiles"
objects=()
for t in "${targets[@]}"; do
  dirs=()
  for d in "$root/tests/fuzz/corpus/$t" "$root/tests/fuzz/regressions/$t" "$grown/$t"; do
    [ -d "$d" ] && dirs+=("$d")
  done
  [ ${#dirs[@]} -gt 0 ] || continue
  n=$(find "${dirs[@]}" -type f ! -name README | wc -l)
  echo "coverage: $t, $n inputs"
  LLVM_PROFILE_FILE="$build/profiles/$t.profraw" ASAN_OPTIONS=detect_leaks=0 \
    "$build/fuzz/fuzz_$t" -runs=0 -timeout=10 "${dirs[@]}" >"$build/profiles/$t.log" 2>&1 ||
    { echo "coverage: $t failed on its corpus, see $build/profiles/$t.log" >&2; exit 1; }
  objects+=(-object "$build/fuzz/fuzz_$t")
done
"$profdata" merge -sparse "$build"/profiles/*.profraw -o "$build/merged.profdata"

# The sources measured: core/, each tool's routine and the writer.
mapfile -t core < <(find "$root/core" -name '*.cpp' | sort)
mapfile -t tools < <(find "$root/atlune" "$root/torvane" "$root/dosix" "$root/unittools" \
                       -name '*.cpp' ! -name '*main.cpp' ! -name spectrum_writer.cpp | sort)
writer=("$root/unittools/spectrum_writer.cpp")

report() { "$cov" report "${objects[@]:1}" -instr-profile="$build/merged.profdata" "$@"; }
# One line per part: the lines of the TOTAL row and how many were covered.
# A file with no coverage mapping in any target (not linked, or holding no
# code that runs) is named apart.
part() {
  local name=$1; shift
  local linked=() f
  for f in "$@"; do
    if report "$f" 2>/dev/null | grep -qF "$f"; then linked+=("$f")
    else echo "  ($name: ${f#$root/} has no code in any target)"; fi
  done
  local lines=0 missed=0
  if [ ${#linked[@]} -gt 0 ]; then
    read -r lines missed < <(report "${linked[@]}" | awk '/^TOTAL/ { print $8, $9 }')
  fi
  awk -v n="$name" -v l="$lines" -v m="$missed" \
    'BEGIN { printf "  %-7s %5d lines, %5d covered, %6.2f %%\n", n, l, l - m, l ? 100 * (l - m) / l : 0 }'
}

report "${core[@]}" "${tools[@]}" "${writer[@]}" 2>/dev/null | tee "$build/report.txt" || true
echo "coverage: line coverage after replaying the corpora of ${targets[*]}"
{
  part core "${core[@]}"
  part tools "${tools[@]}"
  part writer "${writer[@]}"
  part all "${core[@]}" "${tools[@]}" "${writer[@]}"
} | tee "$build/summary.txt"
