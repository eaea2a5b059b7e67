#!/usr/bin/env bash
# Frames per second of each scene on the OpenGL device (headless through EGL: Mesa's llvmpipe on a
# machine without a graphics card) against the software device, at 640x480, 1280x960 and 1920x1440
# (--size), headless, silent, fixed step, from a Release build. Prints both rates and their ratio
# (OpenGL / software: below 1 where the software device is ahead). A measurement, not a test.
# With VORNHOLD_GL_ES=1 in the environment the OpenGL device runs on OpenGL ES 3.0 (WebGL2's rules).
#   bench/gl_device.sh [PART...]     PART: 1..10 (default: all)
# Each part plays alone for its first VORNHOLD_BENCH_SECONDS seconds of show time (default 10, or
# the whole part when shorter), 50 frames a second.
set -euo pipefail
source "$(dirname "$0")/show_build.sh"
source "$VORNHOLD_ROOT/scripts/show_parts.sh"

parts=("$@")
[ ${#parts[@]} -gt 0 ] || parts=(1 2 3 4 5 6 7 8 9 10)
seconds=${VORNHOLD_BENCH_SECONDS:-10}
enter_show_folder

# rate PART SIZE DEVICE: frames/s, or "-" with the reason on stderr when the device was not the one
# asked for.
rate() {
  local length out
  length=$(show_part_length "$1")
  [ "$length" -gt $((seconds * 1000)) ] && length=$((seconds * 1000))
  out=$("$build/host/vornhold" --headless --silent --fixed-step 50 --size "$2" --device "$3" \
    --escape-at "$length" --stats 2>&1 || true)
  if [ "$3" = hal ] && ! grep -q "device OpenGL" <<<"$out"; then
    echo "part $1 $2: no OpenGL device: $(grep -m1 'hardware device' <<<"$out")" >&2
    echo -
    return
  fi
  sed -n 's/.*show [0-9]* frames in .*: \(.*\) frames\/s/\1/p' <<<"$out"
}

printf '%-6s %-10s %10s %10s %8s\n' part size software OpenGL ratio
for part in "${parts[@]}"; do
  printf 'part%02d\n' "$part" >part.txt
  for size in 640x480 1280x960 1920x1440; do
    soft=$(rate "$part" "$size" ref)
    hard=$(rate "$part" "$size" hal)
    ratio=$(awk -v s="$soft" -v h="$hard" 'BEGIN { if (s + 0 > 0 && h + 0 > 0) printf "%.2f", h / s; else print "-" }')
    printf 'part%02d %-10s %10s %10s %8s\n' "$part" "$size" "$soft" "$hard" "$ratio"
  done
done
