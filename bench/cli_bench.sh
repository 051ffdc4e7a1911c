#!/usr/bin/env bash
# Times real runs of kavu-sheet (CPU seconds, user + system, median of five) on a million
# "lat lon" lines to 1:50,000 in each format, and frame of a million digit-notation names,
# beside the tool's own read-and-write loop without the engine (kavu-sheet-io), and a cover of
# a 10 x 10 degree box at 1:50,000. Other builds of the tool given after the build folder are
# timed in the same run, each figure beside theirs; with CALLGRIND=1 each also gets its
# instruction count on the first 100,000 lines (repeatable on a loaded machine). Build first:
#   cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DKAVU_BENCH=ON
#   cmake --build build --target kavu-sheet kavu-sheet-io cli_bench
#   bench/cli_bench.sh [build [other/kavu-sheet ...]]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
tools=("$build/cli/kavu-sheet" "$@")
loop=$build/bench/kavu-sheet-io
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Uniform over the grid (84 S to 84 N, all longitudes), six decimals; 1:50,000 names in the
# digit notation around Moscow. Fixed seeds.
awk 'BEGIN { srand(42); for (i = 0; i < 1000000; i++)
       printf "%.6f %.6f\n", rand() * 167.9 - 83.95, rand() * 360 - 180 }' >"$work/points"
awk 'BEGIN { srand(42); for (i = 0; i < 1000000; i++)
       printf "%d-37-%03d-%d\n", 13 + int(rand() * 3), 1 + int(rand() * 144), 1 + int(rand() * 4) }' \
  >"$work/names"
head -n 100000 "$work/points" >"$work/points100k"
head -n 100000 "$work/names" >"$work/names100k"

cpu() { # median of five: user + system seconds; input from $1, the command after it
  local input=$1 TIMEFORMAT='%3U %3S' # the shell's own timer: milliseconds, where time(1) has 10
  shift
  for _ in 1 2 3 4 5; do
    { time "$@" <"$input" >/dev/null 2>&1; } 2>"$work/t"
    awk '{ printf "%.3f\n", $1 + $2 }' "$work/t"
  done | sort -n | sed -n 3p
}

instructions() { # callgrind's count for the command on $1, in millions
  local input=$1
  shift
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" <"$input" 2>&1 >/dev/null |
    awk '/refs:/ { gsub(",", "", $NF); printf "%.1fM", $NF / 1e6 }'
}

row() { # name, input, arguments: one column per tool
  local name=$1 input=$2
  shift 2
  printf '%-40s' "$name"
  for tool in "${tools[@]}"; do printf ' %9ss' "$(cpu "$input" "$tool" "$@")"; done
  if [[ ${CALLGRIND:-0} == 1 ]]; then
    for tool in "${tools[@]}"; do printf ' %9s' "$(instructions "$input.100k" "$tool" "$@")"; done
  fi
  echo
}
ln -s "$work/points100k" "$work/points.100k"
ln -s "$work/names100k" "$work/names.100k"

echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
for i in "${!tools[@]}"; do echo "tool $((i + 1)): ${tools[$i]}"; done
printf '%-40s' "1,000,000 lines, CPU"
for i in "${!tools[@]}"; do printf ' %10s' "tool $((i + 1))"; done
if [[ ${CALLGRIND:-0} == 1 ]]; then printf '   (then instructions per 100,000 lines)'; fi
echo
for format in text csv json; do
  row "point --scale 50k --format $format" "$work/points" point --scale 50k --format "$format"
done
row "frame of digit names, text" "$work/names" frame
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"

if [[ -x $loop ]]; then
  for format in text csv json; do
    printf '%-40s %9ss\n' "read/write loop alone, $format" "$(cpu "$work/points" "$loop" "$format")"
  done
fi

best=
for _ in $(seq 20); do
  /usr/bin/time -f "%e" -o "$work/t" "${tools[0]}" cover --bbox 50,30,60,40 --scale 50k >/dev/null
  t=$(cat "$work/t")
  if [[ -z $best ]] || awk -v a="$t" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$t; fi
done
echo "cover of 10 x 10 degrees at 1:50,000, whole run (wall, best of 20): ${best}s"
if [[ -x $build/bench/cli_bench ]]; then
  "$build/bench/cli_bench" --benchmark_filter=Cover
fi
