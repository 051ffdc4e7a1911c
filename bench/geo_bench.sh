#!/usr/bin/env bash
# Times real runs of kavu-sheet with the datum shift and a vector file (CPU seconds, user +
# system, best of three): a million WGS 84 points to 1:50,000 sheets, and the cover of a
# 100,000-point GPX track at 1:50,000. Build first:
#   cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
#   cmake --build build --target kavu-sheet
#   bench/geo_bench.sh [build]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
tool=$build/cli/kavu-sheet
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. bench/timing.sh

# Field points over 10 x 10 degrees of European Russia, and the same number over the whole grid;
# six decimals, fixed seed.
awk 'BEGIN { srand(42); for (i = 0; i < 1000000; i++)
       printf "%.6f %.6f\n", 50 + rand() * 10, 30 + rand() * 10 }' >"$work/region"
awk 'BEGIN { srand(42); for (i = 0; i < 1000000; i++)
       printf "%.6f %.6f\n", rand() * 167.9 - 83.95, rand() * 360 - 180 }' >"$work/world"
# The same number over 35-60 N, 18-30 E, where the areas of PROJ's operations (the Baltic states,
# the south and west edges of the former USSR's) meet.
awk 'BEGIN { srand(3); for (i = 0; i < 1000000; i++)
       printf "%.6f %.6f\n", 35 + rand() * 25, 18 + rand() * 12 }' >"$work/edges"
write_track "$work/track.gpx"

printf '%-58s %8ss\n' "1,000,000 points of one region, 1942 datum, to 1:50,000" \
  "$(cpu "$work/region" "$tool" point --scale 50k)"
printf '%-58s %8ss\n' "1,000,000 points of one region, --datum wgs84, to 1:50,000" \
  "$(cpu "$work/region" "$tool" point --scale 50k --datum wgs84)"
printf '%-58s %8ss\n' "1,000,000 points over the whole grid, --datum wgs84" \
  "$(cpu "$work/world" "$tool" point --scale 50k --datum wgs84)"
printf '%-58s %8ss\n' "1,000,000 points where PROJ's areas meet, --datum wgs84" \
  "$(cpu "$work/edges" "$tool" point --scale 50k --datum wgs84)"
printf '%-58s %8ss\n' "cover of a 100,000-point GPX track at 1:50,000" \
  "$(cpu /dev/null "$tool" cover "$work/track.gpx" --scale 50k)"
printf '%-58s %8ss\n' "the same with --buffer 1000" \
  "$(cpu /dev/null "$tool" cover "$work/track.gpx" --scale 50k --buffer 1000)"

wall() { # best of 20: wall seconds of one run, to a tenth of a millisecond
  local best= start t
  for _ in $(seq 20); do
    start=$EPOCHREALTIME
    "$@" >/dev/null 2>&1 </dev/null
    t=$(LC_ALL=C awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.4f", b - a }')
    if [[ -z $best ]] || awk -v a="$t" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$t; fi
  done
  echo "$best"
}
# One point: the start of a run that loads PROJ (not GDAL) beside one that loads neither, and
# cs2cs for the same point.
printf '%-58s %8ss\n' "one point, --datum wgs84 (wall, best of 20)" \
  "$(wall "$tool" point 55.7558 37.6173 --datum wgs84 --scale 50k)"
printf '%-58s %8ss\n' "one point, 1942 datum (wall, best of 20)" \
  "$(wall "$tool" point 55.7558 37.6173 --scale 50k)"
printf '%-58s %8ss\n' "cs2cs EPSG:4326 EPSG:4284, one point (wall, best of 20)" \
  "$(wall sh -c 'echo 55.7558 37.6173 | cs2cs EPSG:4326 EPSG:4284')"
echo "55.7558 37.6173" >"$work/point"
printf '%-58s %8ss\n' "the same, the point in a file (wall, best of 20)" \
  "$(wall cs2cs EPSG:4326 EPSG:4284 "$work/point")"
