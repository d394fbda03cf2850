#!/bin/sh
# The README's example that turns a table of energy and fluence into a
# spectra.tmp, run as a user copies it: the code block after the marker line
# that names this script.
#
#   table_to_spectrum_test.sh <README.md> <directory of the programs>
#
# Checks the exact file written for a small table, that fendo reads it and
# rewrites it byte for byte (every column reads back as it was written), and
# that a table of more than 300 bins is refused with the current spectrum kept.
set -eu
readme=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
bin=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

awk '/^<!-- tests\/readme\/table_to_spectrum_test.sh / { marked = 1; next }
     marked && /^```/ { if (inside) exit; inside = 1; next }
     inside' "$readme" >example.sh
if ! grep -q 'table.txt' example.sh; then
  echo "FAIL: no example block after the marker in $readme"
  exit 1
fi

# A comment, a blank line, tabs and a third column; values that round.
cat >table.txt <<'TABLE'
# keV   photons per keV per cm2 per mAs
20.25   1234.5

20.75	2.5e6	7
21.25   0
21.75   123456789
TABLE
cat >expected <<'SPECTRUM'
# kaltrovin:  0   0.000  0    0.00
#     4   0.5000    100.0000
#    1   2  (unit flags)
#  Energy      #/mAs-cm^2-keV
   20.250        1.2345E+03
   20.750        2.5000E+06
   21.250        0.0000E+00
   21.750        1.2346E+08
#  Attenuation History:
#  0
SPECTRUM

sh example.sh
if ! cmp -s expected spectra.tmp; then
  echo "FAIL: the example wrote"
  cat spectra.tmp
  exit 1
fi

# Moving the spectrum to the distance it already has rewrites every value
# unchanged, through the reader and the spectrum writer.
echo 100 | "$bin/fendo"
if ! cmp -s expected spectra.tmp; then
  echo "FAIL: fendo rewrote the example's spectrum as"
  cat spectra.tmp
  exit 1
fi

# 301 bins: refused, and the current spectrum stays as it was.
seq 301 | awk '{ print $1 + 0.25, 1 }' >table.txt
if sh example.sh 2>stderr; then
  echo "FAIL: a table of 301 bins was taken"
  exit 1
fi
if ! grep -q 'need 1 to 300 bins, not 301' stderr || ! cmp -s expected spectra.tmp; then
  echo "FAIL: a table of 301 bins was not refused cleanly"
  cat stderr
  exit 1
fi
echo "PASS"
