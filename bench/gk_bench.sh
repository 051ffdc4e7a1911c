#!/usr/bin/env bash
# Times real runs of kavu-sheet with rectangular coordinates (CPU seconds, user + system, best
# of three), each beside its baseline in the same run: a million X Y pairs of zone 7 to their
# 1:50,000 sheets beside a million degree pairs, and frame --crs gk of a million 1:50,000 names
# (in one region, and a million distinct names over the globe in random order) beside plain
# frame of the same names. Build first:
#   cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
#   cmake --build build --target kavu-sheet
#   bench/gk_bench.sh [build] [other-build]
# With another build folder (an earlier version), its figures come beside, from the same run.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
tool=$build/cli/kavu-sheet
other=${2:+$2/cli/kavu-sheet}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. bench/timing.sh

# Whole metres over zone 7 (about 50..60 degrees N, 36..42 degrees E); the same number of
# points in degrees over that region; 1:50,000 names there in the digit notation. Fixed seeds.
awk 'BEGIN { srand(42); for (i = 0; i < 1000000; i++)
       printf "%d %d\n", 5550000 + rand() * 1100000, 7250000 + rand() * 500000 }' >"$work/xy"
awk 'BEGIN { srand(42); for (i = 0; i < 1000000; i++)
       printf "%.6f %.6f\n", 50 + rand() * 10, 36 + rand() * 6 }' >"$work/degrees"
awk 'BEGIN { srand(42); for (i = 0; i < 1000000; i++)
       printf "%d-37-%03d-%d\n", 13 + int(rand() * 3), 1 + int(rand() * 144), 1 + int(rand() * 4) }' \
  >"$work/names"
# Every 1:50,000 sheet of the north and of the first eight southern rows, shuffled; the first
# million.
awk 'BEGIN { srand(7); for (r = 1; r <= 21; r++) for (c = 1; c <= 60; c++) for (k = 1; k <= 144; k++)
       for (q = 1; q <= 4; q++) { printf "%.9f\t%d-%d-%03d-%d\n", rand(), r, c, k, q
         if (r <= 8) printf "%.9f\ts %d-%d-%03d-%d\n", rand(), r, c, k, q } }' |
  sort -n | awk -F '\t' 'NR <= 1000000 { print $2 }' >"$work/globe"

echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
row() { # label, input, arguments: this build's time, and the other build's beside it
  local label=$1 input=$2
  shift 2
  local mine theirs=
  mine=$(cpu "$input" "$tool" "$@")
  [[ -n $other ]] && theirs="  (other build: $(cpu "$input" "$other" "$@")s)"
  printf '%-58s %8ss%s\n' "$label" "$mine" "$theirs"
}
row "1,000,000 points in degrees to 1:50,000 (baseline)" "$work/degrees" point --scale 50k
row "1,000,000 X Y pairs of zone 7 to 1:50,000" "$work/xy" point --scale 50k
row "frame of 1,000,000 names (baseline)" "$work/names" frame
row "frame --crs gk of 1,000,000 names" "$work/names" frame --crs gk
row "frame of 1,000,000 distinct names, globe (baseline)" "$work/globe" frame
row "frame --crs gk of 1,000,000 distinct names, globe" "$work/globe" frame --crs gk
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
