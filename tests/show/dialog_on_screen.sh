#!/usr/bin/env bash
# The setup dialog on a real X display (Xvfb at 96 DPI), driven as a viewer drives it, with the
# show that follows: the mode chosen decides the size of the frames written.
# - keys: Tab to the resolution list, Down, Enter: the mode after 640x480 - 32bpp (800x600 - 16bpp);
# - mouse: a click opens the resolution list, one on its first row (320x200 - 16bpp), one on OK;
# - the list's bottom reached with the wheel, or by dragging its scroll bar's thumb: its last row
#   shown is the last mode (1280x960 - 32bpp), chosen by a click;
# - the dialog's window name;
# - Escape: Cancel, exit code 1, no frame.
# Skipped (exit code 77) where Xvfb or xdotool is missing.
#   dialog_on_screen.sh VORNHOLD DATA_DIR
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/own_display.sh"
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || { echo "no Xvfb or xdotool: skipped"; exit 77; }
vornhold=$(realpath "$1")
work=$(mktemp -d)
ln -s "$(realpath "$2")/lab.ac" "$work/lab.ac"
printf 'part01\n' >"$work/part.txt"
cd "$work"
own_display -screen 0 1280x1024x24 -dpi 96
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
failures=0

# Runs the show with --dialog, waits for the dialog's window, gives it the xdotool commands
# (WINDOW stands for the window), and prints the exit code and the size of the first frame.
drive() {
  rm -rf frames
  timeout 60 "$vornhold" --dialog --escape-at 200 --frames frames --frames-every 100000 >log 2>&1 &
  local show=$! window code=0 size=none
  window=$(timeout 10 xdotool search --sync --onlyvisible --classname vornhold | head -n 1)
  for command in "$@"; do xdotool ${command//WINDOW/$window} 2>/dev/null; done
  wait "$show" || code=$?
  [ -f frames/frame_000000.png ] && size=$(od -An -tu1 -j16 -N8 frames/frame_000000.png |
    awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }')
  echo "$code $size"
}
check() {
  local what=$1 want=$2 got
  shift 2
  got=$(drive "$@")
  [ "$got" = "$want" ] && return
  echo "FAIL: $what: exit code and frame size $got, not $want"
  grep -v '^ALSA' log || true
  failures=$((failures + 1))
}

check "keys" "1 800x600" "key --window WINDOW Tab Tab Tab Down Return"
check "mouse" "1 320x200" "mousemove --window WINDOW 100 82 click 1" "mousemove --window WINDOW 100 101 click 1" \
  "mousemove --window WINDOW 49 184 click 1"
check "wheel" "1 1280x960" "mousemove --window WINDOW 100 82 click 1" "mousemove --window WINDOW 100 130 click 5" \
  "click 5" "mousemove --window WINDOW 100 188 click 1" "mousemove --window WINDOW 49 184 click 1"
check "thumb" "1 1280x960" "mousemove --window WINDOW 100 82 click 1" "mousemove --window WINDOW 224 125 mousedown 1" \
  "mousemove --window WINDOW 224 160" "mousemove --window WINDOW 224 200 mouseup 1" \
  "mousemove --window WINDOW 100 188 click 1" "mousemove --window WINDOW 49 184 click 1"
check "Escape" "1 none" "key --window WINDOW Escape"
# No caption is drawn, but the dialog's window carries the program's name for taskbars.
timeout 60 "$vornhold" --dialog >log 2>&1 &
show=$!
window=$(timeout 10 xdotool search --sync --onlyvisible --classname vornhold | head -n 1)
name=$(xdotool getwindowname "$window" 2>/dev/null || true)
xdotool key --window "$window" Escape 2>/dev/null || true  # (the window may be gone before it returns)
wait "$show" || true
[ "$name" = Vornhold ] || { echo "FAIL: the dialog's window is called \"$name\", not Vornhold"; failures=$((failures + 1)); }
[ "$failures" = 0 ] && echo "the dialog answers keys, clicks and the wheel on screen"
exit "$((failures > 0))"
