#!/usr/bin/env bash
# Capture speed: the whole show (every part, from the first loading frame to the end at 147139 ms
# on its timeline) rendered on the software device at 60 frames/s into an MP4 with its soundtrack,
# at 640x480 and 1280x960: frames per second and the ratio to real time, from the capture's own
# summary line. From a Release build that makes the show's data; needs ffmpeg. A measurement, not
# a test.
#   bench/capture.sh
set -euo pipefail
source "$(dirname "$0")/show_build.sh"
enter_show_folder
for mode in 640x480x32 1280x960x32; do
  "$build/host/vornhold" --headless --mode "$mode" --capture show.mp4 2>err >/dev/null || true
  summary=$(grep 'captured' err || cat err)
  # "captured N frames (S s) to FILE in W s, R x real time"
  read -r frames seconds <<<"$(sed -n 's/.*captured \([0-9]*\) frames .* in \([0-9.]*\) s,.*/\1 \2/p' <<<"$summary")"
  if [ -n "${frames:-}" ]; then
    awk -v m="$mode" -v f="$frames" -v s="$seconds" \
      'BEGIN { printf "%-12s %6d frames in %7.1f s: %6.1f frames/s, %.2fx real time\n", m, f, s, f / s, f / 60 / s }'
  else
    echo "$mode: no capture: $summary"
  fi
done
