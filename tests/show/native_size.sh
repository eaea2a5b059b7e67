#!/usr/bin/env bash
# --size on a real X display (Xvfb), read back with ffmpeg's X11 grabber:
# - full screen with --size desktop on a 1920x1080 screen draws 1440x1080 (--stats), shown one for
#   one between black bars: with the show stopped, the screen's middle is one of the last frames
#   written, pixel for pixel (tried a few times: the screen is black until the first frame);
# - a windowed --size 3840x2160 on a 1280x1024 screen gets a 1280x960 window, said in one line.
# Skipped (exit code 77) without Xvfb, xdotool or ffmpeg.
#   native_size.sh VORNHOLD DATA_DIR
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/own_display.sh"
for tool in Xvfb xdotool ffmpeg; do command -v $tool >/dev/null || { echo "no $tool: skipped"; exit 77; }; done
vornhold=$(realpath "$1")
work=$(mktemp -d)
ln -s "$(realpath "$2")/lab.ac" "$(realpath "$2")/lab.mp3" "$work/"
cd "$work"
own_display -screen 0 1920x1080x24 -screen 1 1280x1024x24
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# Raw pixels: a part (crop=W:H:X:Y) of the screenshot, or a PNG frame.
part() { ffmpeg -v error -f rawvideo -pix_fmt rgb24 -video_size 1920x1080 -i screen -vf "crop=$1" -f rawvideo -; }
pixels() { ffmpeg -v error -i "$1" -f rawvideo -pix_fmt rgb24 - 2>/dev/null; }

printf 'secret\n' >part.txt
timeout 60 "$vornhold" --fullscreen --size desktop --silent --stats --frames full --escape-at 6000 >stats 2>err &
show=$!
timeout 10 xdotool search --sync --onlyvisible --classname vornhold >/dev/null
shown=
for _ in 1 2 3 4; do
  sleep 1
  kill -STOP -- -$show  # timeout(1) and the show: a group of their own
  ffmpeg -v error -f x11grab -video_size 1920x1080 -i "$DISPLAY+0,0" -frames:v 1 -f rawvideo -pix_fmt rgb24 - >screen
  middle=$(part 1440:1080:240:0 | md5sum)
  bars=$( (part 240:1080:0:0; part 240:1080:1680:0) | tr -d '\0' | wc -c)
  for frame in $(ls full | sort | tail -n 3); do [ "$(pixels "full/$frame" | md5sum)" = "$middle" ] && shown=$frame; done
  kill -CONT -- -$show
  [ -n "$shown" ] && break
done
code=0
wait "$show" || code=$?
[ "$code" = 1 ] && grep -qx "vornhold: back buffer 1440x1080" stats && [ -n "$shown" ] && [ "$bars" = 0 ] ||
  fail "full screen --size desktop: exit code $code, $(grep 'back buffer' stats), one for one: ${shown:-no}: $(cat err)"

printf 'part01\n' >part.txt
timeout 60 "$vornhold" --display 1 --size 3840x2160 --silent --stats --escape-at 1500 >stats 2>err &
show=$!
DISPLAY=$DISPLAY.1 timeout 10 xdotool search --sync --onlyvisible --classname vornhold getwindowgeometry >geometry
code=0
wait "$show" || code=$?
[ "$code" = 1 ] && grep -qx "vornhold: back buffer 1280x960" stats && grep -q "Geometry: 1280x960" geometry &&
  [ "$(grep -c . err)" = 1 ] && grep -q "^vornhold: --size 3840x2160: .* it is 1280x960$" err ||
  fail "window larger than the screen: exit code $code, $(grep 'back buffer' stats), $(grep Geometry geometry): $(cat err)"
[ "$failures" = 0 ] && echo "full screen draws at the screen's own size; a window fits on its screen"
exit "$((failures > 0))"
