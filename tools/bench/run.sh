#!/usr/bin/env bash
# The speed benchmark: every tool against the bare cost of reading its files.
#
#   tools/bench/run.sh              20 rounds of 10 runs per tool and floor
#   tools/bench/run.sh 40 5         40 rounds of 5 runs
#   ZELPRA_BENCH_BIN=<dir> tools/bench/run.sh    the programs in <dir> (another
#                                   build, an older commit) instead of build/bin
#
# Run by hand; it is no part of the tests.  It builds the seven programs
# (release preset) unless ZELPRA_BENCH_BIN names a directory that already
# holds them, and compiles the floor program tools/bench/floor.c: a C program
# that reads exactly the files one run of a tool reads (spectra.tmp, the 17
# database files, the material and detector files, standard input) and prints
# one number, the count of lines it read (it looks at every byte, as any
# reader of these files must).  For the converters (quiset, brask, fendo) the
# floor also replaces spectra.tmp by a file of the same size: lock, exclusive
# temporary file, write, sync, rename, sync of the directory.
#
# Two data sets, both in a scratch copy of examples/data under
# build/bench (ZELPRA_BENCH_DIR):
#   example  examples/spectra/w_80kvp_2.5mmal (158 bins), cortical_bone
#            (9 elements), the ideal detector;
#   258-bin  the published spectrum in tests/data turned into a spectra.tmp
#            (258 bins of 0.5 keV), a material of ten elements, the ideal
#            detector.
#
# Wall time: hyperfine (Debian package, installed here where it is missing)
# runs the floor and the tool one after the other in each round, both through
# the shell (which feeds the answers on standard input; hyperfine subtracts
# the shell's own start-up), and the ratio of their median times is taken per
# round; the figure printed is the median of those ratios, with the middle
# half of them (first to third quartile) behind it.  Wall-clock times
# of runs this short move with whatever else the machine does, so where
# valgrind is present the script also prints the instructions each program
# executes (callgrind), the stable figure.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD

rounds=${1:-20}
runs=${2:-10}
work=${ZELPRA_BENCH_DIR:-$root/build/bench}
tools=(atlune torvane dosix belmor quiset brask fendo)

if ! command -v hyperfine >/dev/null; then
  echo "bench: installing hyperfine (Debian package)"
  sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "bench: install the Debian package hyperfine" >&2; exit 1; }
    sudo=(sudo)
  fi
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq hyperfine >/dev/null
fi

if [ -n "${ZELPRA_BENCH_BIN:-}" ]; then
  bin=$(cd "$ZELPRA_BENCH_BIN" && pwd)
else
  echo "bench: building the programs (release preset)"
  cmake --preset default >/dev/null
  cmake --build --preset default --target "${tools[@]}" >/dev/null
  bin=$root/build/bin
fi
for t in "${tools[@]}"; do
  [ -x "$bin/$t" ] || { echo "bench: no program $bin/$t" >&2; exit 1; }
done

rm -rf "$work"
mkdir -p "$work"
cc -O2 -o "$work/floor" "$root/tools/bench/floor.c"

# The data directory: the example data and one material of ten elements in
# equal parts by weight (no real substance; it only makes the mixture sum
# long).
data=$work/data
cp -r "$root/examples/data" "$data"
printf '%s\n' "10  ten elements in equal parts by weight" "1 6 7 8 11 13 15 20 29 82" \
  "0.1 0.1 0.1 0.1 0.1 0.1 0.1 0.1 0.1 0.1" "1.0  g/cm3" >"$data/_materials/ten_elements"

# The published spectrum as a spectra.tmp: 258 bins of 0.5 keV, photons per
# keV per cm2 at 100 cm per mAs.  Its tube voltage, 130 kV, does not fit the
# two columns of the header's first value; 99 stands in (the header is only
# copied through).
mkdir -p "$work/example" "$work/258-bin"
cp "$root/examples/spectra/w_80kvp_2.5mmal" "$work/example/spectrum"
awk '
  /^#/ { next }
  { e[++n] = $1; p[n] = $2 }
  END {
    print "# kaltrovin: 99   0.500  1   20.00"
    printf "#   %3d  %7.4f  %10.4f\n", n, 0.5, 100.0
    print "#    1   2  (unit flags)"
    print "#  Energy      #/mAs-cm^2-keV"
    for (i = 1; i <= n; ++i) printf "  %7.3f     %13.4E\n", e[i], p[i]
    print "#  Attenuation History:"
    print "#  3"
    printf "# %-20s%13.4E\n", "Beryllium (mm)", 1.6
    printf "# %-20s%13.4E\n", "Aluminium (mm)", 0.5
    printf "# %-20s%13.4E\n", "Air (cm)", 35.2
  }' "$root/tests/data/spekpy-130kVp-W-20deg-0.5mmAl.dat" >"$work/258-bin/spectrum"

database=(names wghts sinc scoh ek el1 el3 em1 xl xk wk wl inscat v kshell_data photoe.data air)
db_paths=""
for f in "${database[@]}"; do db_paths+=" $data/_database/$f"; done

# Sets `answers` (standard input of the tool) and `floor_args` (what the
# floor reads and writes) for tool $1 with material $2.
setup() {
  local tool=$1 material=$2
  case $tool in
    atlune)
      answers="$material\nideal\n0\n"
      floor_args="spectra.tmp$db_paths $data/_materials/$material $data/_detectors/ideal -" ;;
    torvane)
      answers="$material\n0\n0\n"
      floor_args="spectra.tmp$db_paths $data/_materials/$material -" ;;
    dosix | belmor)
      answers=""
      floor_args="spectra.tmp" ;;
    quiset | brask)
      answers=""
      floor_args="-w spectra.tmp spectra.tmp" ;;
    fendo)
      answers="50.0\n"
      floor_args="-w spectra.tmp spectra.tmp -" ;;
  esac
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# The first and third quartile, as "q1-q3".
quartiles() {
  sort -g | awk '{ v[NR] = $1 } END { printf "%.2f-%.2f", v[int((NR + 3) / 4)], v[int((3 * NR + 3) / 4)] }'
}

# Instructions executed by one run of a command line (callgrind's total).
instructions() {
  sh -c "valgrind --tool=callgrind --callgrind-out-file=/dev/null $1" 2>&1 >/dev/null |
    sed -n 's/.*Collected : *//p' | tail -1
}

have_valgrind=0
command -v valgrind >/dev/null && have_valgrind=1

echo "bench: programs in $bin; $rounds rounds of $runs runs; scratch in $work"
printf '%-8s %-8s %9s %9s %7s %11s' data tool "floor ms" "tool ms" ratio "(q1-q3)"
[ $have_valgrind -eq 1 ] && printf ' %12s %12s %7s' "floor instr" "tool instr" ratio
printf '\n'

export ZELPRA_DIR=$data
for set in example 258-bin; do
  dir=$work/$set
  material=cortical_bone
  [ "$set" = 258-bin ] && material=ten_elements
  cd "$dir"
  for tool in "${tools[@]}"; do
    setup "$tool" "$material"
    printf "$answers" >answers
    cp spectrum spectra.tmp
    floor_cmd="$work/floor $floor_args <answers"
    tool_cmd="$bin/$tool <answers"
    # A run must succeed to be timed; its output is not looked at.
    sh -c "$tool_cmd" >/dev/null || { echo "bench: $tool fails on $set" >&2; exit 1; }
    cp spectrum spectra.tmp
    sh -c "$floor_cmd" >/dev/null

    ratios=()
    floor_ms=()
    tool_ms=()
    for ((r = 0; r < rounds; ++r)); do
      hyperfine --style none --warmup 2 --runs "$runs" --prepare "cp spectrum spectra.tmp" \
        --export-csv round.csv -n floor "$floor_cmd" -n tool "$tool_cmd" >/dev/null 2>&1
      f=$(awk -F, '$1 == "floor" { print $4 }' round.csv)
      t=$(awk -F, '$1 == "tool" { print $4 }' round.csv)
      floor_ms+=("$(awk -v f="$f" 'BEGIN { print f * 1000 }')")
      tool_ms+=("$(awk -v t="$t" 'BEGIN { print t * 1000 }')")
      ratios+=("$(awk -v f="$f" -v t="$t" 'BEGIN { print t / f }')")
    done
    fm=$(printf '%s\n' "${floor_ms[@]}" | median)
    tm=$(printf '%s\n' "${tool_ms[@]}" | median)
    rm_=$(printf '%s\n' "${ratios[@]}" | median)
    spread=$(printf '%s\n' "${ratios[@]}" | quartiles)
    printf '%-8s %-8s %9.3f %9.3f %7.2f %11s' "$set" "$tool" "$fm" "$tm" "$rm_" "($spread)"
    if [ $have_valgrind -eq 1 ]; then
      cp spectrum spectra.tmp
      fi_=$(instructions "$floor_cmd")
      cp spectrum spectra.tmp
      ti=$(instructions "$tool_cmd")
      printf ' %12s %12s %7.2f' "$fi_" "$ti" "$(awk -v f="${fi_//,/}" -v t="${ti//,/}" 'BEGIN { print t / f }')"
    fi
    printf '\n'
  done
done
