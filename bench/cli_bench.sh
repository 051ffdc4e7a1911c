#!/usr/bin/env bash
# Times real runs of kavu-sheet on a million "lat lon" lines (CPU seconds, user + system),
# beside the tool's own read-and-write loop without the engine (kavu-sheet-io), and a cover of
# a 10 x 10 degree box at 1:50,000. Build first with benchmarks on:
#   cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DKAVU_BENCH=ON
#   cmake --build build --target kavu-sheet kavu-sheet-io cli_bench
#   bench/cli_bench.sh [build]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
tool=$build/cli/kavu-sheet
loop=$build/bench/kavu-sheet-io
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Uniform over the grid (84 S to 84 N, all longitudes), six decimals, fixed seed.
awk 'BEGIN { srand(42); for (i = 0; i < 1000000; i++)
       printf "%.6f %.6f\n", rand() * 167.9 - 83.95, rand() * 360 - 180 }' >"$work/points"

cpu() { # best of three: user + system seconds
  local best=
  for _ in 1 2 3; do
    /usr/bin/time -f "%U %S" -o "$work/t" "$@" <"$work/points" >/dev/null
    t=$(awk '{ printf "%.3f", $1 + $2 }' "$work/t")
    if [[ -z $best ]] || awk -v a="$t" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$t; fi
  done
  echo "$best"
}

printf '%-34s %10s %12s\n' "1,000,000 points to 1:50,000" "kavu-sheet" "loop alone"
for format in text csv json; do
  printf '%-34s %9ss %11ss\n' "--format $format" "$(cpu "$tool" point --scale 50k --format "$format")" \
    "$(cpu "$loop" "$format")"
done

best=
for _ in $(seq 20); do
  /usr/bin/time -f "%e" -o "$work/t" "$tool" cover --bbox 50,30,60,40 --scale 50k >/dev/null
  t=$(cat "$work/t")
  if [[ -z $best ]] || awk -v a="$t" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$t; fi
done
echo "cover of 10 x 10 degrees at 1:50,000, whole run (wall, best of 20): ${best}s"
if [[ -x $build/bench/cli_bench ]]; then
  "$build/bench/cli_bench" --benchmark_filter=Cover
fi
