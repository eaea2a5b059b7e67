#!/usr/bin/env bash
# Frames per second of the ten part slots' loop with nothing but Clear and Present: the cost every
# scene pays. Headless, fixed-step clock (100 frames/s of show time), software device, no sound;
# 3000 frames (30 s of show) per mode. Builds in Release into build-bench/ first.
#   bench/show_loop.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
VORNHOLD_ROOT="$root"
source "$root/scripts/setup.sh"
vornhold_install_packages "${VORNHOLD_PACKAGES[@]}"
vornhold_build "$root/build-bench" -DCMAKE_BUILD_TYPE=Release -DVORNHOLD_TESTS=OFF >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'part%02d\n' 1 2 3 4 5 6 7 8 9 10 >"$work/part.txt"
cd "$work"

run() {  # mode device
  local start end
  start=$(date +%s.%N)
  "$root/build-bench/demo/vornhold" --headless --fixed-step 100 --silent --device "$2" --mode "$1" \
    --escape-at 29990 --trace trace.txt 2>/dev/null || true
  end=$(date +%s.%N)
  local frames
  frames=$(grep -c '^Present ' trace.txt)
  awk -v f="$frames" -v s="$start" -v e="$end" -v m="$1" -v d="$2" \
    'BEGIN { printf "%-12s %-5s %6d frames in %6.2f s: %8.1f frames/s\n", m, d, f, e - s, f / (e - s) }'
}

echo "Empty part loop (Clear + Present), headless, fixed step:"
run 640x480x32 ref
run 1280x960x32 ref
run 640x480x16 ref
run 640x480x32 null
