#!/usr/bin/env bash
# Frames per second of each scene on the software device (headless, fixed step, silent), at
# 640x480 and 1280x960, and the loading pause (LoadAssets without its fades), from a Release build
# that makes the show's data. A measurement, not a test.
#   bench/scenes.sh [PART...]     PART: 1..10 (default: all)
set -euo pipefail
source "$(dirname "$0")/show_build.sh"

# Played alone, a part starts the timeline at its own start; it ends by itself at the next part's
# start, and Escape (counted from the music's start) is only a backstop. The finale, which has no
# end, is measured over a minute.
starts=(0 18041 36083 45162 50793 54172 72190 107010 126223 136382)
ends=(18041 36083 45162 50793 54172 72190 107010 126223 136382 196382)
parts=("$@")
[ ${#parts[@]} -gt 0 ] || parts=(1 2 3 4 5 6 7 8 9 10)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ln -s "$build/data/lab.ac" "$build/data/lab.mp3" "$work/"
cd "$work"
for part in "${parts[@]}"; do
  printf 'part%02d\n' "$part" >part.txt
  for mode in 640x480x32 1280x960x32; do
    out=$("$build/demo/vornhold" --headless --silent --fixed-step 50 --mode "$mode" \
      --escape-at "$((ends[part - 1] - starts[part - 1]))" --stats || true)
    rate=$(sed -n 's/.*show \([0-9]*\) frames in .*: \(.*\) frames\/s/\1 frames, \2 frames\/s/p' <<<"$out")
    pause=$(sed -n 's/.*longest pause \(.*\) s/\1/p' <<<"$out")
    printf 'part%02d %-12s %-32s loading %s s\n' "$part" "$mode" "${rate:-no frames}" "$pause"
  done
done
