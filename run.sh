#!/usr/bin/env bash
# Installs what is missing, builds (the build makes the show's data: build/data holds lab.ac,
# lab.mp3 and a part.txt that plays every part), then plays the show from there. Options are passed
# on to vornhold (see `./run.sh --help`). Without a display the show plays headless for five
# seconds of show time.
set -euo pipefail
VORNHOLD_ROOT="$(cd "$(dirname "$0")" && pwd)"
cd "$VORNHOLD_ROOT"
source scripts/setup.sh

vornhold_install_packages "${VORNHOLD_PACKAGES[@]}"
vornhold_build build -DVORNHOLD_TESTS=OFF

vornhold="$VORNHOLD_ROOT/build/demo/vornhold"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$VORNHOLD_ROOT/build/data"
# The show's exit code is 1 after a normal run, as the system was designed.
if [ $# -gt 0 ]; then
  exec "$vornhold" "$@"
elif [ -n "${DISPLAY:-}" ]; then
  echo "Playing the show in a window; Escape ends it."
  exec "$vornhold"
else
  echo "No display: playing five seconds of the show headless."
  status=0
  "$vornhold" --headless --silent --fixed-step 100 --escape-at 5000 --trace "$work/trace.txt" || status=$?
  echo "$(grep -c '^Present ' "$work/trace.txt") frames presented; exit code $status (1 is a normal end)."
  [ "$status" -eq 1 ]
fi
