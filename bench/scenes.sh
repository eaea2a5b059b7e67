#!/usr/bin/env bash
# Frames per second of each scene on the software device (headless, fixed step, silent) at
# 640x480, 1280x960 and 1440x1080 (--size: the 4:3 picture of a full-HD screen), each against its
# goal (200, 60 and 60 frames/s) as a ratio, and the loading pause (LoadAssets without its fades),
# from a Release build that makes the show's data. A measurement, not a test.
#   bench/scenes.sh [PART...]     PART: 1..10 (default: all)
# VORNHOLD_BENCH_RUNS=N runs each measurement N times and reports the median frame rate: on a shared
# or virtual machine one run can be a quarter slower than the next.
set -euo pipefail
source "$(dirname "$0")/show_build.sh"
source "$VORNHOLD_ROOT/scripts/show_parts.sh"

# Each part is played alone over its own length; the finale, which has no end, over a minute.
parts=("$@")
[ ${#parts[@]} -gt 0 ] || parts=(1 2 3 4 5 6 7 8 9 10)
enter_show_folder
for part in "${parts[@]}"; do
  printf 'part%02d\n' "$part" >part.txt
  for size in "640x480 --mode 640x480x32 200" "1280x960 --mode 1280x960x32 60" "1440x1080 --size 1440x1080 60"; do
    read -r name option value goal <<<"$size"
    rates=()
    for ((run = 0; run < ${VORNHOLD_BENCH_RUNS:-1}; ++run)); do
      out=$("$build/host/vornhold" --headless --silent --fixed-step 50 "$option" "$value" \
        --escape-at "$(show_part_length "$part")" --stats || true)
      frames=$(sed -n 's/.*show \([0-9]*\) frames in .*/\1/p' <<<"$out")
      pause=$(sed -n 's/.*longest pause \(.*\) s/\1/p' <<<"$out")
      rates+=($(sed -n 's/.*show [0-9]* frames in .*: \(.*\) frames\/s/\1/p' <<<"$out"))
    done
    rate=""
    [ ${#rates[@]} -gt 0 ] && rate=$(printf '%s\n' "${rates[@]}" | sort -g | sed -n "$(((${#rates[@]} + 1) / 2))p")
    if [ -n "$rate" ]; then
      printf 'part%02d %-10s %5s frames, %7.1f frames/s, %4.2fx the goal of %3s   loading %s s\n' "$part" "$name" \
        "$frames" "$rate" "$(awk -v r="$rate" -v g="$goal" 'BEGIN { print r / g }')" "$goal" "$pause"
    else
      printf 'part%02d %-10s no frames\n' "$part" "$name"
    fi
  done
done
