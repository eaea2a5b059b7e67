#!/usr/bin/env bash
# Prints a fingerprint of what a build of the show produces, for telling whether a change moved a
# pixel or a trace line: the SHA-256 of the whole show's trace (null device, fixed step 25) and of
# every 25th frame at 1280x960 on the software device, once per raster path the processor has.
# Two builds agree when their fingerprints are the same lines:
#   scripts/show_fingerprint.sh OLD/vornhold DATA_DIR >old.txt
#   scripts/show_fingerprint.sh NEW/vornhold DATA_DIR >new.txt && diff old.txt new.txt
# DATA_DIR holds lab.ac and lab.mp3 (build/data); every part plays. Takes a few minutes.
set -euo pipefail
vornhold=$(realpath "$1")
data=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
ln -s "$data/lab.ac" "$data/lab.mp3" .
printf 'part%02d\n' 1 2 3 4 5 6 7 8 9 10 >part.txt
end=147139
# The show's own end exits with 1, as the system was designed; anything else is a failure.
play() { "$vornhold" "$@" >/dev/null || [ $? = 1 ]; }

play --headless --silent --device null --fixed-step 25 --escape-at "$end" --trace trace.txt
echo "trace $(sha256sum <trace.txt | cut -c1-64) $(wc -l <trace.txt) lines"
for path in scalar sse2 avx2; do
  if [ "$path" != scalar ] && ! grep -q -w "$path" /proc/cpuinfo; then continue; fi
  rm -rf frames
  VORNHOLD_RASTER_PATH=$path play --headless --silent --device ref --mode 1280x960x32 --fixed-step 25 \
    --escape-at "$end" --frames frames --frames-every 25
  (cd frames && sha256sum -- *.png) | sed "s/^/$path /"
done
