# Sourced by the timing scripts: CPU time of a real run, and the GPX track they cover.
# Needs $work, a scratch folder.

# Best of three: user + system seconds of the command after $1, with $1 as its standard input;
# "failed" if a run fails. A script may define before_run to clear what a run leaves behind.
cpu() {
  local input=$1 best= t
  shift
  for _ in 1 2 3; do
    if declare -F before_run >/dev/null; then before_run; fi
    /usr/bin/time -f "%U %S" -o "$work/t" "$@" <"$input" >/dev/null 2>"$work/stderr" || {
      echo "failed"
      return
    }
    t=$(awk '{ printf "%.3f", $1 + $2 }' "$work/t")
    if [[ -z $best ]] || awk -v a="$t" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$t; fi
  done
  echo "$best"
}

# A track of 100,000 points about 50 m apart, wandering east from Moscow. Fixed seed.
write_track() {
  awk 'BEGIN { srand(7); lat = 55.75; lon = 37.6; h = 0
         print "<?xml version=\"1.0\"?>"
         print "<gpx version=\"1.1\" creator=\"bench\" xmlns=\"http://www.topografix.com/GPX/1/1\">"
         print "<trk><trkseg>"
         for (i = 0; i < 100000; i++) {
           h += (rand() - 0.5) * 0.3
           lat += 0.00045 * sin(h); lon += 0.0008 * cos(h)
           printf "<trkpt lat=\"%.6f\" lon=\"%.6f\"/>\n", lat, lon
         }
         print "</trkseg></trk></gpx>" }' >"$1"
}
