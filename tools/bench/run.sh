#!/usr/bin/env bash
# The speed benchmark: every tool against the bare cost of reading its files.
#
#   tools/bench/run.sh              200 alternating pairs of runs per tool
#   tools/bench/run.sh 1000         1000 pairs
#   ZELPRA_BENCH_BIN=<dir> tools/bench/run.sh    the programs in <dir> (another
#                                   build, an older commit) instead of build/bin
#   ZELPRA_BENCH_STATIC_FLOOR=1 tools/bench/run.sh
#                                   the floor linked statically, as the programs
#                                   are: it then pays no loading of shared
#                                   libraries either, and the ratios show the
#                                   tools' own work alone
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
# Wall time: tools/bench/alternate.c runs the floor and the tool strictly one
# after the other, each started directly with its answers on standard input,
# and prints the median times and the median (and quartiles) of the ratios
# tool/floor of the pairs.  hyperfine (Debian package, installed here where it
# is missing) gives a second opinion, without a shell, on the runs that read
# no standard input: version 1.15 feeds a program its standard input only
# through a shell, and the shell's start-up that it subtracts from every run
# varies more than a whole run of a tool takes.  Wall-clock times of runs
# this short move with whatever else the machine does, so where valgrind is
# present the script also prints the instructions each program executes
# (callgrind), the stable figure.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD

pairs=${1:-200}
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
  cmake --build --preset default --target zelpra_programs >/dev/null
  bin=$root/build/bin
fi
for t in "${tools[@]}"; do
  [ -x "$bin/$t" ] || { echo "bench: no program $bin/$t" >&2; exit 1; }
done

rm -rf "$work"
mkdir -p "$work"
floor_link=()
if [ -n "${ZELPRA_BENCH_STATIC_FLOOR:-}" ]; then floor_link=(-static-pie); fi
cc -O2 "${floor_link[@]}" -o "$work/floor" "$root/tools/bench/floor.c"
cc -O2 -o "$work/alternate" "$root/tools/bench/alternate.c"

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

# Instructions executed by one run of a command line (callgrind's total).
instructions() {
  sh -c "valgrind --tool=callgrind --callgrind-out-file=/dev/null $1" 2>&1 >/dev/null |
    sed -n 's/.*Collected : *//p' | tail -1
}

have_valgrind=0
command -v valgrind >/dev/null && have_valgrind=1

echo "bench: programs in $bin; $pairs pairs of runs; scratch in $work;" \
  "floor linked ${floor_link[*]:-dynamically}"
printf '%-8s %-8s %9s %9s %6s %11s %9s' data tool "floor ms" "tool ms" ratio "(q1-q3)" hyperfine
[ $have_valgrind -eq 1 ] && printf ' %12s %12s %6s' "floor instr" "tool instr" ratio
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
    read -r -a floor_argv <<<"$work/floor $floor_args"
    copy=()
    case $tool in quiset | brask | fendo) copy=(-c spectrum spectra.tmp) ;; esac
    cp spectrum spectra.tmp
    read -r fm tm ratio q1 q3 < <("$work/alternate" "$pairs" answers "${copy[@]}" -- \
      "${floor_argv[@]}" -- "$bin/$tool")
    printf '%-8s %-8s %9.3f %9.3f %6.2f %11s' "$set" "$tool" "$fm" "$tm" "$ratio" "($q1-$q3)"

    # The second opinion, where no standard input is needed.
    hf=-
    if [ -z "$answers" ]; then
      prepare=()
      [ ${#copy[@]} -gt 0 ] && prepare=(--prepare "cp spectrum spectra.tmp")
      cp spectrum spectra.tmp
      hyperfine -N --style none --warmup 3 --runs "$pairs" "${prepare[@]}" --export-csv hf.csv \
        -n floor "${floor_argv[*]}" -n tool "$bin/$tool" >/dev/null 2>&1
      hf=$(awk -F, '$1 == "floor" { f = $4 } $1 == "tool" { t = $4 } END { printf "%.2f", t / f }' hf.csv)
    fi
    printf ' %9s' "$hf"

    if [ $have_valgrind -eq 1 ]; then
      cp spectrum spectra.tmp
      fi_=$(instructions "${floor_argv[*]} <answers")
      cp spectrum spectra.tmp
      ti=$(instructions "$bin/$tool <answers")
      printf ' %12s %12s %6.2f' "$fi_" "$ti" "$(awk -v f="$fi_" -v t="$ti" 'BEGIN { print t / f }')"
    fi
    printf '\n'
  done
done
