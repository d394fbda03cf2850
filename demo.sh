#!/usr/bin/env bash
# Builds the seven tools and runs them, one after another, on the example data
# in a scratch working directory, printing each command as a user would type it.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)

# Only the seven tools are built: a C++ compiler and CMake are all it needs.
# The build's output is kept in a log and shown when the build fails.
echo "== building the tools"
mkdir -p "$top/scratch"
log=$top/scratch/demo-build.log
if ! { cmake --preset default &&
       cmake --build --preset default --target zelpra_programs
     } >"$log" 2>&1; then
  cat "$log" >&2
  echo "demo.sh: the build failed (the output above is kept in $log)" >&2
  exit 1
fi

work=$top/scratch/demo
rm -rf "$work"
mkdir -p "$work"
cd "$work"
export PATH=$top/build/bin:$PATH
export ZELPRA_DIR=$top/examples/data

# Prints a command line, then runs it.
run() {
  echo "\$ $1"
  bash -c "$1"
  echo
}

echo "== in $work, with ZELPRA_DIR=$ZELPRA_DIR"
echo
run "cp \"\$ZELPRA_DIR\"/../spectra/w_80kvp_2.5mmal spectra.tmp"
run "head -6 spectra.tmp"
run "dosix"
run "printf 'water\nideal\n1\n' | atlune"
run "printf 'aluminium\n0\n1\n' | torvane"
run "quiset"
run "belmor"
run "echo 50 | fendo"
run "belmor"
run "brask"
run "belmor"
run "head -6 spectra.tmp"
