#!/usr/bin/env bash
# ./run.sh without a display, with the show already built and a short span: it says so, renders
# the start of the show to vornhold.mp4 in the current folder (video and soundtrack), and says
# where the file is. Skipped (exit code 77) without ffmpeg.
#   run_without_display.sh VORNHOLD
set -euo pipefail
command -v ffprobe >/dev/null || { echo "no ffmpeg: skipped"; exit 77; }
vornhold=$(realpath "$1")
runner="$(cd "$(dirname "$0")/../.." && pwd)/run.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
env -u DISPLAY VORNHOLD_BINARY="$vornhold" VORNHOLD_SPAN_MS=1000 bash "$runner" >said
grep -q "No display" said && grep -q "The video is $work/vornhold.mp4" said || { echo "FAIL: it said: $(cat said)"; exit 1; }
streams=$(ffprobe -v error -show_entries stream=codec_type -of csv=p=0 vornhold.mp4 | tr '\n' ' ')
[ "$streams" = "video audio " ] || { echo "FAIL: vornhold.mp4 holds: $streams"; exit 1; }
echo "run.sh renders a video without a display"
