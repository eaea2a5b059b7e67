#!/usr/bin/env bash
# The OpenGL device (headless through EGL, llvmpipe here) against the software device on the show's
# own data: every part alone (the finale for 10 s) at 160x120 and 10 frames a second of show time,
# a frame every two seconds written as PNG by both devices and compared by PSNR against the part's
# floor; the two runs' traces are the same; a capture on the OpenGL device has a video frame per
# presented frame.
# A second pass draws on OpenGL ES 3.0 (VORNHOLD_GL_ES=1, WebGL2's rules) the parts whose frames
# differ there, against the same floors; it is left out, with a line saying so, where ES cannot
# start.
# Skipped (exit code 77) where OpenGL 3.3 cannot start, without ffmpeg, or with "sanitized" as the
# third argument (Mesa is not built for the sanitizers).
#   gl_frames.sh VORNHOLD DATA_DIR [sanitized]
set -euo pipefail
source "$(dirname "$0")/../../scripts/show_parts.sh"
[ "${3:-}" = sanitized ] && { echo "the OpenGL device is compared in the normal build only: skipped"; exit 77; }
command -v ffmpeg >/dev/null && command -v ffprobe >/dev/null || { echo "no ffmpeg: skipped"; exit 77; }
vornhold=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ln -s "$(realpath "$2")/lab.ac" "$(realpath "$2")/lab.mp3" "$work/"
cd "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
printf 'part01\n' >part.txt
"$vornhold" --headless --silent --device hal --escape-at 100 --stats >probe 2>&1 || true
grep -q "device OpenGL" probe || { echo "no OpenGL device: $(grep -m1 . probe): skipped"; exit 77; }

# Floors: each part's lowest frame on Mesa llvmpipe (LLVM 15) less about 3 dB. What differs, seen
# in the frames: single texels of point-sampled, perspective-mapped textures taken from across a
# texel edge (the devices' perspective divisions round apart: a pixel can change by up to 175),
# and rounding within 2 per channel of interpolated colours and blends. Lowest measured:
#   part  1    2    3    4    5    6    7    8    9    10
#   dB    47.3 54.7 72.6 54.5 49.5 48.3 47.1 46.8 60.5 64.6
floors=(44 51 69 51 46 45 44 43 57 61)
# compare_part PART [LABEL]: both devices play PART; the frames and traces are compared. The
# environment chooses the OpenGL device's API.
compare_part() {
  local part=$1 label=${2:-} lowest= at= frame name psnr device
  printf 'part%02d\n' "$part" >part.txt
  for device in ref hal; do
    rm -rf "$device" && mkdir "$device"
    "$vornhold" --headless --silent --device "$device" --size 160x120 --fixed-step 10 --frames "$device" \
      --frames-every 20 --escape-at "$(show_part_length "$part" 10000)" --trace "$device.trace" >/dev/null 2>&1 ||
      true
  done
  cmp -s ref.trace hal.trace || fail "${label}part $part: the traces differ: $(diff ref.trace hal.trace | head -n 3)"
  for frame in ref/*.png; do
    name=$(basename "$frame")
    [ -f "hal/$name" ] || { fail "${label}part $part: no $name from the OpenGL device"; continue; }
    psnr=$(ffmpeg -v info -i "$frame" -i "hal/$name" -lavfi psnr -f null - 2>&1 |
      sed -n 's/.*PSNR .*average:\([0-9.inf]*\).*/\1/p')
    [ "$psnr" = inf ] && continue
    awk -v p="$psnr" -v l="${lowest:-1000}" 'BEGIN { exit !(p < l) }' && lowest=$psnr && at=$name
  done
  echo "${label}part $part: lowest PSNR ${lowest:-inf} dB ($(ls ref | wc -l) frames)"
  if [ -n "$lowest" ] && awk -v p="$lowest" -v f="${floors[part - 1]}" 'BEGIN { exit !(p < f) }'; then
    fail "${label}part $part: $at at $lowest dB, below its floor of ${floors[part - 1]} dB"
  fi
}
for part in 1 2 3 4 5 6 7 8 9 10; do compare_part "$part"; done

# OpenGL ES: the parts whose frames it draws otherwise than 3.3 (flat triangles turned round, 16-bit
# indices widened: interpolation rounds a little apart) at the 2-second steps compared here.
printf 'part01\n' >part.txt
VORNHOLD_GL_ES=1 "$vornhold" --headless --silent --device hal --escape-at 100 --stats >probe 2>&1 || true
if grep -q "device OpenGL (.*, OpenGL ES)" probe; then
  for part in 1 7 8 10; do VORNHOLD_GL_ES=1 compare_part "$part" "OpenGL ES: "; done
else
  echo "no OpenGL ES device: $(grep -m1 . probe): its pass left out"
fi

# A capture on the OpenGL device: one video frame per presented frame.
printf 'part01\n' >part.txt
"$vornhold" --headless --device hal --size 160x120 --escape-at 2000 --capture a.mkv --trace capture.trace \
  >/dev/null 2>err || true
presented=$(grep -c '^Present' capture.trace || true)
got=$(ffprobe -v error -count_frames -select_streams v -show_entries stream=nb_read_frames -of csv=p=0 a.mkv || true)
[ -n "$got" ] && [ "$got" = "$presented" ] || fail "capture: $got video frames for $presented presented: $(cat err)"
[ "$failures" = 0 ] && echo "the OpenGL device draws the show's frames as the software device does"
exit "$((failures > 0))"
