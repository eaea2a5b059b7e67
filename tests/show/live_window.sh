#!/usr/bin/env bash
# The live window on an X display (Xvfb): a 320x240 show in a window resized to 800x400 keeps its
# shape. Smooth scaling fills the height (533x400 at x 133), sharp scaling shows it in whole
# multiples (here once: 320x240 at 240, 80); beside it the window is black. Of two monitors the
# second can be picked, and a third that does not exist is refused with one line; a show whose
# window is unmapped and mapped, or loses the focus and gets it back, goes on drawing. Read back
# with ffmpeg's X11 grabber. The hardware device on llvmpipe shows it the same way, on OpenGL 3.3
# and on OpenGL ES 3.0. The viewer's F1 overlay shows in the window and F12 saves the frame
# (below). Skipped (exit code 77) without Xvfb, xdotool or ffmpeg.
#   live_window.sh VORNHOLD DATA_DIR
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/own_display.sh"
for tool in Xvfb xdotool ffmpeg; do command -v $tool >/dev/null || { echo "no $tool: skipped"; exit 77; }; done
vornhold=$(realpath "$1")
work=$(mktemp -d)
ln -s "$(realpath "$2")/lab.ac" "$(realpath "$2")/lab.mp3" "$work/"
printf 'part01\n' >"$work/part.txt"
cd "$work"
own_display -screen 0 1024x768x24 -screen 1 800x600x24
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The colour of window pixels "x,y ..." as r,g,b, once the last point is no longer black (the show
# is past its loading picture and shows its bars), trying for a few seconds.
look() {
  local scale=$1 colours=
  shift
  env "${show_env[@]}" timeout 40 "$vornhold" --windowed --mode 320x240x32 --silent --scale "$scale" \
    --escape-at 12000 --stats >stats 2>&1 &
  local show=$! window
  window=$(timeout 10 xdotool search --sync --onlyvisible --classname vornhold | head -n 1)
  xdotool windowsize "$window" 800 400 windowmove "$window" 0 0
  for _ in 1 2 3 4; do
    sleep 2
    ffmpeg -v error -f x11grab -video_size 800x400 -i "$DISPLAY+0,0" -frames:v 1 -f rawvideo -pix_fmt rgb24 - >grab
    colours=
    for point in "$@"; do
      IFS=, read -r x y <<<"$point"
      colours+=$(od -An -tu1 -j $(((y * 800 + x) * 3)) -N3 grab | awk '{ printf "%s,%s,%s ", $1, $2, $3 }')
    done
    [[ "$colours" == *"0,0,0 " ]] || break
  done
  kill "$show" 2>/dev/null || true
  wait "$show" 2>/dev/null || true
  echo "$colours"
}
black="0,0,0"
show_env=()
read -r -a smooth <<<"$(look smooth 100,40 200,40)"
[ "${smooth[0]}" = "$black" ] && [ "${smooth[1]}" != "$black" ] ||
  fail "smooth: beside the picture ${smooth[0]}, its top bar ${smooth[1]}"
read -r -a sharp <<<"$(look sharp 200,40 400,90)"
[ "${sharp[0]}" = "$black" ] && [ "${sharp[1]}" != "$black" ] ||
  fail "sharp: beside the picture ${sharp[0]}, its top bar ${sharp[1]}"

# The hardware device (llvmpipe let count as hardware), chosen by default as the system asks for
# it first, draws into the window itself: the same picture in the same place. Without the switch
# the default runs above took the software device.
grep -q "device software" stats || fail "without the switch: $(grep device stats)"
show_env=(VORNHOLD_LLVMPIPE_IS_HARDWARE=1)
read -r -a gl <<<"$(look sharp 200,40 400,90 400,310)"
grep -q "device OpenGL" stats && [ "${gl[0]}" = "$black" ] && [ "${gl[1]}" != "$black" ] &&
  [ "${gl[2]}" != "$black" ] || fail "OpenGL: $(grep device stats), beside ${gl[0]}, bars ${gl[1]} ${gl[2]}"
# And on the window's OpenGL ES 3.0 context, as in a web page: the same picture.
show_env=(VORNHOLD_LLVMPIPE_IS_HARDWARE=1 VORNHOLD_GL_ES=1)
read -r -a es <<<"$(look sharp 200,40 400,90 400,310)"
grep -q "device OpenGL (.*, OpenGL ES)" stats && [ "${es[*]}" = "${gl[*]}" ] ||
  fail "OpenGL ES: $(grep device stats), beside ${es[0]}, bars ${es[1]} ${es[2]} (on 3.3: ${gl[*]})"
show_env=()

# Away and back: the window unmapped (minimised) and mapped again, the focus given to another
# window and taken back. The show neither stops nor hangs: it draws on throughout and ends on its
# own Escape at 6000 ms.
timeout 40 "$vornhold" --windowed --mode 320x240x32 --silent --escape-at 6000 --trace trace.txt >/dev/null 2>&1 &
show=$!
window=$(timeout 10 xdotool search --sync --onlyvisible --classname vornhold | head -n 1)
sleep 1
xdotool windowunmap "$window"
sleep 1.5
xdotool windowmap "$window"
timeout 20 "$vornhold" --windowed --mode 320x240x32 --silent --escape-at 2000 >/dev/null 2>&1 &
other=
for _ in $(seq 50); do
  other=$(xdotool search --onlyvisible --classname vornhold | grep -vx "$window" | head -n 1) && break
  sleep 0.2
done
xdotool windowfocus "$other"
sleep 1
xdotool windowfocus "$window"
code=0
wait "$show" || code=$?
gap=$(awk '/^Present .* t=[0-9]/ { split($3, a, "="); if (seen && a[2] - last > gap) gap = a[2] - last
  last = a[2]; seen = 1 } END { print gap + 0 }' trace.txt)
end=$(sed -n 's/^Present .* t=\([0-9]*\)$/\1/p' trace.txt | tail -n 1)
[ "$code" = 1 ] && [ "$end" -ge 6000 ] && [ "$gap" -lt 500 ] ||
  fail "away and back: exit code $code, longest pause between frames $gap ms"

# The viewer's keys, on a fixed-step run that also writes its frames: F1's overlay shows in the
# window's corner (light text on the dark panel where the show's corner is dark), F12 saves the
# frame on screen as rendered (byte for byte one of the run's --frames files, so never with the
# overlay), and the frames of a run with the overlay on are those of a run without it.
viewer_run() {  # viewer_run NAME [KEY]: frames in NAME/, the corner's light pixels in NAME.light
  mkdir "$1.shots"
  ln -s "$PWD/lab.ac" "$PWD/lab.mp3" "$PWD/part.txt" "$1.shots/"
  (cd "$1.shots" && timeout 60 "$vornhold" --windowed --mode 320x240x32 --silent --fixed-step 25 \
    --escape-at 8000 --frames "../$1" >../"$1.out" 2>../"$1.err") &
  local show=$! window
  window=$(timeout 10 xdotool search --sync --onlyvisible --classname vornhold | head -n 1)
  xdotool windowmove "$window" 0 0
  [ -n "${2:-}" ] && xdotool key --window "$window" "$2"
  sleep 2
  ffmpeg -v error -f x11grab -video_size 120x24 -i "$DISPLAY+0,0" -frames:v 1 -f rawvideo -pix_fmt gray - |
    od -An -v -tu1 | awk '{ for (i = 1; i <= NF; ++i) n += $i > 180 } END { print n + 0 }' >"$1.light"
  xdotool key --window "$window" F12
  wait "$show" || true
}
viewer_run plain
viewer_run overlay F1
for run in plain overlay; do
  shot=$(cd "$run.shots" && ls vornhold-* 2>/dev/null || true)
  said=$(grep -v -e '^ALSA' -e '^vornhold: wrote [0-9]* frames' "$run.err" || true)  # but the frames' summary
  [[ "$shot" =~ ^vornhold-[0-9]{7}ms\.png$ ]] && [ "$said" = "vornhold: screenshot $shot" ] &&
    for frame in "$run"/frame_*.png; do cmp -s "$frame" "$run.shots/$shot" && break; done ||
    fail "F12 ($run): wrote '$shot', not one of the run's frames; said: $said"
done
[ "$(cat plain.light)" = 0 ] && [ "$(cat overlay.light)" -gt 20 ] ||
  fail "F1: light pixels in the corner $(cat plain.light) without the overlay, $(cat overlay.light) with it"
[ "$(ls plain | wc -l)" -gt 100 ] && diff -r plain overlay >/dev/null ||
  fail "F1: the frames written with the overlay on ($(ls overlay | wc -l)) differ from those without ($(ls plain | wc -l))"

# Two monitors (two X screens): the second is there to be picked; a third is refused.
code=0
timeout 40 "$vornhold" --windowed --mode 320x240x32 --display 1 --silent --escape-at 500 >out 2>err || code=$?
[ "$code" = 1 ] && [ ! -s err ] || fail "--display 1: exit $code, said: $(cat err)"
code=0
"$vornhold" --display 2 --silent >out 2>err || code=$?
[ "$code" = 2 ] && grep -q "no monitor 2: the display has 2" err && [ "$(wc -l <err)" = 1 ] ||
  fail "--display 2: exit $code, said: $(cat err)"
[ "$failures" = 0 ] && echo "the window keeps the show's shape, smooth or sharp"
exit "$((failures > 0))"
