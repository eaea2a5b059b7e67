#!/usr/bin/env bash
# The whole show on the software device, from the first loading frame to Escape at 153000 ms, at a
# fixed step of 60 frames/s (headless, silent), at 640x480 and 1280x960: the run's wall time, the
# mean show frame and the slowest one with the timeline time it was presented at. From a Release
# build that makes the show's data. A measurement, not a test.
#   bench/show.sh
set -euo pipefail
source "$(dirname "$0")/show_build.sh"
enter_show_folder
for mode in 640x480x32 1280x960x32; do
  echo "whole show, $mode, fixed step 60, until 153000 ms:"
  "$build/host/vornhold" --headless --silent --fixed-step 60 --mode "$mode" --escape-at 153000 --stats |
    sed -n 's/^vornhold: /  /p' || true
done
