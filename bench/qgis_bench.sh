#!/usr/bin/env bash
# Times real runs of the QGIS plugin through qgis_process beside kavu-sheet on the same input
# (CPU seconds, user + system, best of three): 100,000 GPS points of a GeoPackage to 1:50,000
# names, and the cover of a 100,000-point GPX track at 1:50,000; and qgis_process starting alone
# (its help), the floor under every run. Build first:
#   cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
#   cmake --build build --target kavu-sheet kavu_python
#   bench/qgis_bench.sh [build]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
tool=$build/cli/kavu-sheet
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. bench/timing.sh
export HOME=$work/home XDG_RUNTIME_DIR=$work/home QT_QPA_PLATFORM=offscreen
export QGIS_PLUGINPATH=$build/qgis PYTHONPATH=$build/python PYTHONDONTWRITEBYTECODE=1
mkdir -p "$HOME"
# Debian's qgis_process script passes the desktop's --noversioncheck, which the program refuses.
qgis=qgis_process.bin
$qgis plugins enable kavu_sheets >/dev/null 2>&1

awk 'BEGIN { srand(42); for (i = 0; i < 100000; i++)
       printf "%.6f %.6f\n", 50 + rand() * 10, 30 + rand() * 10 }' >"$work/points.txt"
awk 'BEGIN { print "lat,lon" } { print $1 "," $2 }' "$work/points.txt" >"$work/points.csv"
ogr2ogr -q -f GPKG "$work/points.gpkg" "$work/points.csv" -oo X_POSSIBLE_NAMES=lon \
  -oo Y_POSSIBLE_NAMES=lat -a_srs EPSG:4326 -nln points
write_track "$work/track.gpx"

before_run() { rm -f "$work"/out.*; }

printf '%-62s %8ss\n' "qgis_process starting (help of kavu:sheetnames)" \
  "$(cpu /dev/null $qgis help kavu:sheetnames)"
printf '%-62s %8ss\n' "plugin: 100,000 GPS points of a GeoPackage to 1:50,000 names" \
  "$(cpu /dev/null $qgis run kavu:sheetnames -- "INPUT=$work/points.gpkg" SCALES=4 \
       "OUTPUT=$work/out.gpkg")"
printf '%-62s %8ss\n' "kavu-sheet: the same points, --datum wgs84, to 1:50,000" \
  "$(cpu "$work/points.txt" "$tool" point --scale 50k --datum wgs84 --format csv)"
printf '%-62s %8ss\n' "plugin: cover of a 100,000-point GPX track at 1:50,000" \
  "$(cpu /dev/null $qgis run kavu:coverlayer -- "INPUT=$work/track.gpx|layername=tracks" \
       SCALE=4 "OUTPUT=$work/out.gpkg")"
printf '%-62s %8ss\n' "kavu-sheet: the same cover" \
  "$(cpu /dev/null "$tool" cover "$work/track.gpx" --scale 50k)"
