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

# 1:50,000 and 1:100,000 sheets of Eurasia, named by the tool itself, then spelled out in each
# style.
"$tool" cover --bbox 40,0,76,120 --scale 50k -f csv | cut -d, -f2,3 >"$work/50k"
"$tool" cover --bbox 50,30,66,66 --scale 100k -f csv | cut -d, -f2,3 >"$work/100k"
mkdir "$work/scans"
# Each style in turn (the last ones with a word joined by "_"); joins of three 1:100,000 sheets (irregular) among the 1:100,000 names; a
# world file beside every tenth scan.
{
  awk -F, 'BEGIN { split("А Б В Г", q, " "); split("A B C D", l, " ")
                   for (i = 1; i <= 4; i++) { digit[q[i]] = i; latin[q[i]] = l[i] } }
           NR > 1 && NR <= 90001 { split($2, f, "-"); n = sprintf("%03d", f[3]); s = (NR - 2) % 6
                    if (s == 0) print tolower(f[1]) f[2] "-" n "-" digit[f[4]] ".tif"
                    else if (s == 1) print f[1] "-" f[2] "-" n "-" latin[f[4]] ".jpg"
                    else if (s == 2) print $2 ".png"
                    else if (s == 3) print $1 ".tif"
                    else if (s == 4) print $2 " 1985 ed2.tif"
                    else print f[1] f[2] "-" n "-" digit[f[4]] ".jp2" }' "$work/50k"
  awk -F, 'NR > 1 { split($2, f, "-"); k = f[3] + 0; s = (NR - 2) % 3
                    if (s == 0 && k % 12 && k % 12 != 11)
                      printf "%s-%s-%03d_%03d_%03d.tif\n", tolower(f[1]), f[2], k, k + 1, k + 2
                    else if (s == 1) printf "%s%s-%03d.gif\n", f[1], f[2], k
                    else printf "%s%s-%03d.tif\n", tolower(f[1]), f[2], k }' "$work/100k"
  awk -F, 'NR > 1 { print $2 "_scan.tif" }' "$work/50k" | tail -n 7696
} >"$work/names"
(
  cd "$work/scans"
  awk 'NR <= 100000 { print; if (NR % 10 == 1) { sub(/\.[^.]*$/, ".tfw"); print } }' "$work/names" |
    tr '\n' '\0' | xargs -0 touch
)

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
