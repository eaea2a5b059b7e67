#!/usr/bin/env bash
# The show's timeline end to end, through the Present lines of the built show's trace (null device,
# frames of 50 ms, Escape at 153000 ms after the music starts):
# - whole, the timed frames follow one another a step apart from 0 to 153000 ms, so no part re-bases
#   the timeline or loses or repeats a frame at a seam, and the show ends with exit code 1;
# - alone, each part's first frame is at its scheduled start and its last the last before its end
#   (or on it: the room tour, and the finale, which Escape ends), then the show ends with exit 1.
#   timeline.sh VORNHOLD DATA_DIR
set -euo pipefail
vornhold=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ln -s "$(realpath "$2")/lab.ac" "$work/lab.ac"
cd "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Plays the parts named; the timed frames' times go to `times`, the exit code to `code`.
play() {
  printf '%s\n' "$@" >part.txt
  set +e
  "$vornhold" --headless --silent --fixed-step 20 --device null --escape-at 153000 --trace /dev/stdout |
    sed -n 's/^Present .* t=\(-*[0-9][0-9]*\)$/\1/p' >times
  code=${PIPESTATUS[0]}
  set -e
  [ "$code" = 1 ] || fail "$* ended with exit code $code"
}

play part01 part02 part03 part04 part05 part06 part07 part08 part09 part10
gaps=$(awk 'NR == 1 && $1 != 0 { print "first frame at " $1 } NR > 1 && $1 != last + 50 { print $1 " after " last }
  { last = $1 } END { if (last != 153000) print "last frame at " last }' times)
[ -z "$gaps" ] || fail "whole show: $gaps"

# part, start, end, whether the last frame may sit on the end
for entry in "part01 0 18041 0" "part02 18041 36083 0" "part03 36083 45162 0" "part04 45162 50793 0" \
  "part05 50793 54172 0" "part06 54172 72190 0" "part07 72190 107010 1" "part08 107010 126223 0" \
  "part09 126223 136382 0" "part10 136382 289382 1"; do
  read -r part start end onEnd <<<"$entry"
  play "$part"
  first=$(head -n 1 times) last=$(tail -n 1 times)
  [ "$first" = "$start" ] || fail "$part alone starts at $first, not $start"
  if [ "$onEnd" = 1 ]; then
    [ "$last" -le "$end" ] && [ $((last + 50)) -gt "$end" ] || fail "$part alone ends at $last, end $end"
  else
    [ "$last" -lt "$end" ] && [ $((last + 50)) -ge "$end" ] || fail "$part alone ends at $last, end $end"
  fi
done
[ "$failures" = 0 ] && echo "the timeline holds, whole and part by part"
exit "$((failures > 0))"
