#!/usr/bin/env bash
# The viewer's timeline keys in a live window on an X display (Xvfb), driven by xdotool, read from
# the trace of a real-clock run:
# - Space pauses: two screenshots a second apart are the same and no frame is presented between
#   them; Space again goes on.
# - Right: the next frame is 5 s further on the timeline (the seconds between played undrawn); the
#   same while paused, which then plays on.
# - Page Down: the next frame is the first of the next part, at its scheduled start.
# - Home: the show starts over in the same window (the next frames are at the timeline's start);
#   Left after it goes back 5 s the same way: frames at the moment reached.
# Skipped (exit code 77) without Xvfb, xdotool or ffmpeg.
#   viewer_timeline.sh VORNHOLD DATA_DIR
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/own_display.sh"
for tool in Xvfb xdotool ffmpeg; do command -v $tool >/dev/null || { echo "no $tool: skipped"; exit 77; }; done
vornhold=$(realpath "$1")
work=$(mktemp -d)
ln -s "$(realpath "$2")/lab.ac" "$(realpath "$2")/lab.mp3" "$(realpath "$2")/part.txt" "$work/"
cd "$work"
own_display -screen 0 800x600x24
show=
trap 'kill $show $xvfb 2>/dev/null; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

timeout 120 "$vornhold" --windowed --mode 320x240x32 --silent --trace trace.txt >out 2>err &
show=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --classname vornhold | head -n 1)
# Timeline times of the frames presented so far, one per line.
times() { sed -n 's/^Present .* t=\([0-9]*\)$/\1/p' trace.txt; }
# Waits until the show's timeline has passed `ms`.
until_past() {
  for _ in $(seq 900); do [ "$(times | tail -n 1)" -gt "$1" ] 2>/dev/null && return; sleep 0.1; done
  fail "the timeline never passed $1 ms"
}
grab() { ffmpeg -v error -f x11grab -video_size 320x240 -i "$DISPLAY+0,0" -frames:v 1 -f rawvideo -pix_fmt rgb24 - >"$1"; }
press() { xdotool key --window "$window" "$1"; sleep 1; }
# The first jump of the timeline (more than 500 ms between two frames) after the first `n` frames:
# the frame before it and the one after.
step_after() { times | awk -v n="$1" 'NR >= n && NR > 1 && ($1 - prev > 500 || prev - $1 > 500) { print prev, $1; exit } { prev = $1 }'; }

until_past 20500
press space
count=$(times | wc -l)
grab a && sleep 1 && grab b
[ "$(times | wc -l)" = "$count" ] && cmp -s a b ||
  fail "Space: $(($(times | wc -l) - count)) frames presented while paused; screenshots $(cmp -s a b && echo same || echo differ)"
press space
until_past "$(times | tail -n 1)"
# key_moves WHAT KEY LOW HIGH [WAIT]: after KEY the timeline jumps from a frame at `before` to
# one at `after`, and `after - before` lies in [LOW, HIGH] (a jump back is negative). WAIT: seconds
# more to wait for it (a restart loads the show again behind the frame on screen, about 2 s).
key_moves() {
  local count
  count=$(times | wc -l)
  press "$2"
  sleep "${5:-0}"
  read -r before after <<<"$(step_after "$count")"
  [ -n "${after:-}" ] && [ $((after - before)) -ge "$3" ] && [ $((after - before)) -le "$4" ] ||
    fail "$1: from ${before:-none} ms the next frame is at ${after:-none} ms"
}
key_moves Right Right 5000 5099
# From inside part02 (18041 to 36083) to part03's start.
key_moves "Page Down" Next 1 99999
[ "${before:-0}" -lt 36083 ] && [ "${after:-0}" -ge 36083 ] && [ "${after:-0}" -lt 36150 ] ||
  fail "Page Down: the next frame is at ${after:-none} ms, not at part03's start 36083"
press space
key_moves "Right while paused" Right 5000 5099
until_past 41500
key_moves Home Home -99999 -40000 4
[ "${after:-99999}" -lt 1000 ] && xdotool getwindowname "$window" >/dev/null 2>&1 ||
  fail "Home: the next frame is at ${after:-none} ms, or the window is gone"
until_past 8000
key_moves Left Left -5100 -4900 4
xdotool key --window "$window" Escape || true
code=0 && wait "$show" || code=$?
show=
[ "$code" = 1 ] || fail "Escape: exit code $code: $(cat err)"
[ "$failures" = 0 ] && echo "pause, seeks, the next part and a restart move the timeline as the keys say"
exit "$((failures > 0))"
