#!/usr/bin/env bash
# The open-ended finale played for a long time at a fixed step of 60 frames/s: an hour of show time
# on the null device and ten minutes on the software device (640x480), with the resident memory at
# every minute of the timeline, how far it moved from the first minute on, and whether every frame
# of the span was presented. A measurement, not a test.
#   bench/finale_soak.sh [NULL_MINUTES [SOFTWARE_MINUTES]]     (default 60 and 10)
set -euo pipefail
source "$(dirname "$0")/show_build.sh"
null_minutes=${1:-60}
software_minutes=${2:-10}
enter_show_folder
printf 'part10\n' >part.txt

soak() {
  local device=$1 minutes=$2
  echo "== the finale for $minutes min of show time on the $device device"
  # Played alone, the finale's timeline starts at 136382 ms; Escape counts from the music's start.
  "$build/host/vornhold" --headless --silent --fixed-step 60 --device "$device" --mode 640x480x32 \
    --escape-at "$((minutes * 60000))" --stats | tee log || true
  awk -v minutes="$minutes" '
    / min on the timeline/ {
      mib = $(NF - 2); if (!first) first = mib; if (mib < low || !low) low = mib; if (mib > high) high = mib; last = mib
    }
    / show [0-9]* frames in / { frames = $3 }
    END {
      printf "resident memory: %.1f MiB at the first minute, %.1f at the last", first, last
      printf ", %.1f to %.1f throughout (moved %+.1f MiB)\n", low, high, last - first
      printf "frames presented on the timeline: %d for %d expected", frames, minutes * 3600 + 1
      printf " (%d min at 60 frames/s)\n", minutes
    }' log
}
soak null "$null_minutes"
soak ref "$software_minutes"
