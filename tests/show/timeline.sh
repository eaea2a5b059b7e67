#!/usr/bin/env bash
# The show's timeline end to end: the built show on the null device at a fixed step of 50 ms,
# Escape at 153000 ms, read through the Present lines of its trace.
# - Whole: the timed frames follow one another exactly a step apart from 0 to 153000 ms, so no part
#   re-bases the timeline, loses or repeats a frame at a seam, and the show ends with exit code 1.
# - Alone: each part's first frame is at its scheduled start, its last the last one before its end
#   (the room tour's may sit on its end), and the show then ends by itself with exit code 1.
#   timeline.sh VORNHOLD DATA_DIR
set -euo pipefail
vornhold=$(realpath "$1")
data=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ln -s "$data/lab.ac" "$work/lab.ac"
cd "$work"
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Plays with the given part.txt lines; the timed frames' times go to `times`, the exit code to `code`.
play() {
  printf '%s\n' "$@" >part.txt
  set +e
  "$vornhold" --headless --silent --fixed-step 20 --device null --escape-at 153000 --trace /dev/stdout |
    sed -n 's/^Present .* t=\(-*[0-9][0-9]*\)$/\1/p' >times
  code=${PIPESTATUS[0]}
  set -e
}

step=50
play part01 part02 part03 part04 part05 part06 part07 part08 part09 part10
[ "$code" = 1 ] || fail "the whole show ended with exit code $code"
gaps=$(awk -v step=$step 'NR == 1 && $1 != 0 { print "first frame at " $1 } NR > 1 && $1 != last + step {
  print "frame at " $1 " after " last } { last = $1 } END { if (last != 153000) print "last frame at " last }' times)
[ -z "$gaps" ] || fail "whole show: $gaps"

# part, scheduled start, end, and whether the last frame may sit on the end
parts=(
  "part01 0 18041 0" "part02 18041 36083 0" "part03 36083 45162 0" "part04 45162 50793 0"
  "part05 50793 54172 0" "part06 54172 72190 0" "part07 72190 107010 1" "part08 107010 126223 0"
  "part09 126223 136382 0" "part10 136382 289382 0"
)
for entry in "${parts[@]}"; do
  read -r part start end onEnd <<<"$entry"
  play "$part"
  [ "$code" = 1 ] || fail "$part alone ended with exit code $code"
  first=$(head -n 1 times)
  last=$(tail -n 1 times)
  [ "$first" = "$start" ] || fail "$part alone starts at $first, not $start"
  # The finale has no end: Escape comes 153000 ms after the music, which starts with the finale.
  [ "$part" = part10 ] && end=$((start + 153000)) onEnd=1
  if [ "$onEnd" = 1 ]; then
    [ "$last" -le "$end" ] && [ $((last + step)) -gt "$end" ] || fail "$part alone ends at $last, end $end"
  else
    [ "$last" -lt "$end" ] && [ $((last + step)) -ge "$end" ] || fail "$part alone ends at $last, end $end"
  fi
done
[ "$failures" = 0 ] && echo "the timeline holds: the whole show and ${#parts[@]} parts alone"
exit "$((failures > 0))"
