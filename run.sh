#!/usr/bin/env bash
# Installs what is missing, builds (the build makes the show's data: build/data holds lab.ac,
# lab.mp3 and a part.txt that plays every part), then plays the show from there. Options are passed
# on to vornhold (see `./run.sh --help`); with a display and none, the show starts with its setup
# dialog. Without a display the show is rendered to a video instead: its first 60 s, or with
# `./run.sh --all` all of it, into vornhold.mp4 in the current folder.
#   VORNHOLD_BINARY=FILE   use that build of vornhold (next to its data) and build nothing
#   VORNHOLD_SPAN_MS=N     the span of the video without a display, in ms (default 60000)
set -euo pipefail
here=$PWD
VORNHOLD_ROOT="$(cd "$(dirname "$0")" && pwd)"
if [ -n "${VORNHOLD_BINARY:-}" ]; then
  vornhold=$(realpath "$VORNHOLD_BINARY")
else
  cd "$VORNHOLD_ROOT"
  source scripts/setup.sh
  vornhold_install_packages "${VORNHOLD_PACKAGES[@]}"
  vornhold_build build -DVORNHOLD_TESTS=OFF
  vornhold="$VORNHOLD_ROOT/build/host/vornhold"
fi
cd "$(dirname "$vornhold")/../data"

# The show's exit code is 1 after a normal run, as the system was designed.
all=0
[ "${1:-}" = "--all" ] && all=1 && shift
if [ $# -gt 0 ]; then
  exec "$vornhold" "$@"
elif [ -n "${DISPLAY:-}" ] && [ "$all" = 0 ]; then
  echo "Playing the show: its setup dialog first; Escape ends the show."
  exec "$vornhold"
else
  video="$here/vornhold.mp4"
  span=()
  if [ "$all" = 1 ]; then
    echo "Rendering the whole show to a video (a few minutes)."
  else
    [ -n "${DISPLAY:-}" ] || echo "No display to play the show on: rendering it to a video instead."
    echo "Rendering the first $((${VORNHOLD_SPAN_MS:-60000} / 1000)) s of the show (./run.sh --all for all of it)."
    span=(--escape-at "${VORNHOLD_SPAN_MS:-60000}")
  fi
  status=0
  "$vornhold" --headless --capture "$video" "${span[@]}" || status=$?
  [ "$status" -eq 1 ] || exit 1
  echo "The video is $video; play it with any video player, e.g. mpv or ffplay:"
  echo "  ffplay '$video'"
fi
