#!/usr/bin/env bash
# The page in headless Chromium, served from 127.0.0.1, against the native program (page_checks.js
# says what is checked). Skipped (exit code 77) without Chromium, node or ffmpeg.
#   page.sh SITE_DIR NATIVE_VORNHOLD DATA_DIR
set -euo pipefail
for tool in chromium node ffmpeg python3; do command -v $tool >/dev/null || { echo "no $tool: skipped"; exit 77; }; done
site=$(realpath "$1")
native=$(realpath "$2")
data=$(realpath "$3")
work=$(mktemp -d)
trap 'kill $server $xvfb 2>/dev/null; rm -rf "$work"' EXIT
# An X display, where Xvfb is at hand, for the WebGL2 device drawn through Mesa's OpenGL.
xvfb=
if command -v Xvfb >/dev/null; then
  Xvfb -displayfd 3 -screen 0 1024x768x24 3>"$work/display" 2>/dev/null &
  xvfb=$!
  for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] && export VORNHOLD_PAGE_DISPLAY=":$(cat "$work/display")"
fi
# Two sites: the show, and the show without its archive.
mkdir -p "$work/www/show" "$work/www/no-archive" "$work/show"
for f in index.html page.js vornhold.js vornhold.wasm; do
  ln -s "$site/$f" "$work/www/show/$f"
  ln -s "$site/$f" "$work/www/no-archive/$f"
done
cp "$data/lab.ac" "$data/lab.mp3" "$data/part.txt" "$work/show/"
ln -s "$work/show/lab.ac" "$work/show/lab.mp3" "$work/show/part.txt" "$work/www/show/"
ln -s "$work/show/lab.mp3" "$work/show/part.txt" "$work/www/no-archive/"
# And a site for each part played alone.
for part in 01 02 03 04 05 06 07 08 09 10; do
  mkdir "$work/www/part$part"
  ln -s "$site"/{index.html,page.js,vornhold.js,vornhold.wasm} "$work/show/lab.ac" "$work/show/lab.mp3" "$work/www/part$part/"
  printf 'part%s\n' "$part" >"$work/www/part$part/part.txt"
done
python3 -m http.server 0 --bind 127.0.0.1 --directory "$work/www" >"$work/server.log" 2>&1 &
server=$!
port=
for _ in $(seq 50); do
  port=$(sed -n 's/.* port \([0-9]*\).*/\1/p' "$work/server.log" | head -n 1)
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { echo "FAIL: the web server did not start: $(cat "$work/server.log")"; exit 1; }
node "$(dirname "$0")/page_checks.js" "http://127.0.0.1:$port" "$native" "$work"
