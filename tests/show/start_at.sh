#!/usr/bin/env bash
# --start-at against a straight run, on the software device at a fixed step of 50 frames/s: one
# row per moment, a moment inside each of the ten parts, one exactly on a part's start and one
# where the echo trail draws over the state its previous frame left. From the moment on, a run
# that started there presents the very frames of the straight run (the same PNG bytes under the
# same frame numbers, every fifth compared) and writes the same trace lines; and nothing of the
# timeline before the moment reaches its files.
#   start_at.sh VORNHOLD DATA_DIR
set -euo pipefail
vornhold=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ln -s "$(realpath "$2")/lab.ac" "$(realpath "$2")/lab.mp3" "$(realpath "$2")/part.txt" "$work/"
cd "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
common=(--headless --silent --fixed-step 50 --size 160x120)

# Every fifth frame of the straight run is enough to compare each row's frames with (and keeps the
# run to a few seconds).
"$vornhold" "${common[@]}" --escape-at 140400 --frames straight --frames-every 5 --trace straight.txt \
  >/dev/null 2>&1 || [ $? = 1 ]

from_moment() {  # the start-at run's lines after its loading screen, up to its last Present
  awk '/^Present .* t=-$/ { n = NR } { line[NR] = $0 } /^Present/ { last = NR }
       END { for (i = n + 1; i <= last; ++i) print line[i] }' "$1"
}

#    moment   what it is
rows=(
  "1234     inside part01, the corridor"
  "20000    inside part02, the glowing knot"
  "40000    inside part03"
  "45162    exactly on part04's start"
  "47000    inside part04"
  "52000    inside part05, the echo trail"
  "60000    inside part06"
  "90000    inside part07"
  "110000   inside part08"
  "130000   inside part09"
  "140000   inside part10, the finale"
)
for row in "${rows[@]}"; do
  read -r ms what <<<"$row"
  rm -rf from && code=0
  "$vornhold" "${common[@]}" --start-at "$ms" --escape-at $((ms + 300)) --frames from --trace from.txt \
    >/dev/null 2>err || code=$?
  [ "$code" = 1 ] || { fail "$what ($ms): exit code $code: $(cat err)"; continue; }
  first=$(awk '/^Present/ && !/t=-$/ { split($4, t, "="); print t[2]; exit }' from.txt)
  [ -n "$first" ] && [ "$first" -ge "$ms" ] && [ "$first" -lt $((ms + 20)) ] ||
    fail "$what: the first frame on the timeline is at ${first:-none} ms, not the first at or after $ms"
  count=$(ls from | wc -l)
  [ "$count" -ge 10 ] && grep -q "^vornhold: wrote $count frames (.*) to from in " err ||
    fail "$what: $count frames written; said: $(cat err)"
  compared=0
  for png in from/*.png; do
    [ -e "straight/${png#from/}" ] || continue
    compared=$((compared + 1))
    cmp -s "$png" "straight/${png#from/}" || { fail "$what: ${png#from/} differs from the straight run's"; break; }
  done
  [ "$compared" -ge 2 ] || fail "$what: only $compared frames to compare"
  # The frame before the moment's Present line is where the straight run's lines for it begin.
  want=$(awk -v ms="$ms" '/^Present/ { split($4, t, "="); if (t[2] != "-" && t[2] + 0 >= ms) { print prev; exit } prev = NR }' straight.txt)
  got=$(from_moment from.txt)
  lines=$(printf '%s\n' "$got" | wc -l)
  [ "$got" = "$(tail -n +$((want + 1)) straight.txt | head -n "$lines")" ] ||
    fail "$what: the trace from the moment differs from the straight run's"
done
[ "$failures" = 0 ] && echo "a start at any moment gives the straight run's frames and trace from there"
exit "$((failures > 0))"
