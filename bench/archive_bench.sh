#!/usr/bin/env bash
# Times `kavu-sheet files` over a folder of 100,000 empty scan files named in every style an
# archive uses (archive, Latin, lettered, digit notation, joined and irregular joins, other
# words after the name, side files beside some), and its --rename dry run, in CPU seconds (user +
# system, best of three), beside `find` walking the same folder. Build first:
#   cmake --build build --target kavu-sheet
#   bench/archive_bench.sh [build]
# KAVU_KEEP=1 leaves the folder for a profiler and names it.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
tool=$(realpath "$build/cli/kavu-sheet")
work=$(mktemp -d)
[[ -n ${KAVU_KEEP:-} ]] || trap 'rm -rf "$work"' EXIT

# 1:50,000 and 1:100,000 sheets of Eurasia, named by the tool itself, then spelled out
# in each style by a table of letters.
"$tool" cover --bbox 40,0,76,120 --scale 50k -f csv | cut -d, -f2,3 >"$work/50k"
"$tool" cover --bbox 50,30,66,66 --scale 100k -f csv | cut -d, -f2,3 >"$work/100k"
mkdir "$work/scans"
/usr/bin/python3 - "$work" <<'PY'
import os, sys
work = sys.argv[1]
latin = {"А": "A", "Б": "B", "В": "C", "Г": "D"}
digit = {"А": "1", "Б": "2", "В": "3", "Г": "4"}
def rows(name):
    with open(os.path.join(work, name), encoding="utf-8") as f:
        next(f)
        return [line.rstrip("\n").split(",") for line in f]
names = []
for i, (new, old) in enumerate(rows("50k")):
    row, col, num, q = old.split("-")
    style = i % 6
    if style == 0: names.append(f"{row.lower()}{col}-{int(num):03d}-{digit[q]}.tif")
    elif style == 1: names.append(f"{row}-{col}-{int(num):03d}-{latin[q]}.jpg")
    elif style == 2: names.append(f"{old}.png")
    elif style == 3: names.append(f"{new}.tif")
    elif style == 4: names.append(f"{old} 1985 ed2.tif")
    else: names.append(f"{row}{col}-{int(num):03d}-{digit[q]}.jp2")
for i, (new, old) in enumerate(rows("100k")):
    row, col, num = old.split("-")
    n = int(num)
    if i % 3 == 0 and n % 12 and n % 12 != 11:
        names.append(f"{row.lower()}-{col}-{n:03d}_{n + 1:03d}_{n + 2:03d}.tif")  # irregular
    elif i % 3 == 1:
        names.append(f"{row}{col}-{n:03d}.gif")
    else:
        names.append(f"{row.lower()}{col}-{n:03d}.tif")
names = names[:90000] + names[-10000:]
assert len(names) == 100000, len(names)
folder = os.path.join(work, "scans")
for i, name in enumerate(names):
    open(os.path.join(folder, name), "w").close()
    if i % 10 == 0:  # a world file beside every tenth scan
        open(os.path.join(folder, name.rsplit(".", 1)[0] + ".tfw"), "w").close()
PY

cpu() { # best of three: user + system seconds
  local best=
  for _ in 1 2 3; do
    /usr/bin/time -f "%U %S" -o "$work/t" "$@" >/dev/null 2>&1 || true
    t=$(tail -n 1 "$work/t" | awk '{ printf "%.3f", $1 + $2 }')
    if [[ -z $best ]] || awk -v a="$t" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$t; fi
  done
  echo "$best"
}

echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "$(ls "$work/scans" | wc -l) files in $work/scans"
printf '%-44s %8ss\n' "find (walk alone, the floor)" "$(cpu find "$work/scans" -type f)"
printf '%-44s %8ss\n' "kavu-sheet files (text)" "$(cpu "$tool" files "$work/scans")"
printf '%-44s %8ss\n' "kavu-sheet files --format csv" "$(cpu "$tool" files "$work/scans" -f csv)"
printf '%-44s %8ss\n' "kavu-sheet files --format json" "$(cpu "$tool" files "$work/scans" -f json)"
printf '%-44s %8ss\n' "kavu-sheet files --rename (dry run)" \
  "$(cpu "$tool" files "$work/scans" --rename '{scale}/{archive} {rest}{ext}')"
