#!/usr/bin/env bash
# Capture to video with the built show and ffmpeg: the finale alone at 320x240, 60 frames/s.
# - MKV: one video frame per presented frame; the audio exactly as long, silent until the frame on
#   which the music starts and then the soundtrack from its first sample; the last frame the first
#   at or past 147139 ms; a second capture decodes to the same frames.
# - A clip (--start-at, --escape-at): the whole capture's frames and audio from the moment on.
# - MP4: H.264 in yuv420p, tagged BT.601 in limited range as ffmpeg converts it, and AAC; its
#   quality number and preset reach the encoder; both refused for the lossless MKV.
# - --size 480x270: the 4:3 picture, 360x270, rendered at that size between black bars 60 wide.
# - Failures: no ffmpeg, a folder that cannot hold the file, a container we do not write, a full
#   disk: one line, exit code 2, no file.
# Skipped (exit code 77) without ffmpeg.
#   capture.sh VORNHOLD DATA_DIR
set -euo pipefail
command -v ffmpeg >/dev/null && command -v ffprobe >/dev/null || { echo "no ffmpeg: skipped"; exit 77; }
vornhold=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ln -s "$(realpath "$2")/lab.ac" "$(realpath "$2")/lab.mp3" "$work/"
cd "$work"
printf 'part10\n' >part.txt
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
run() { code=0; env PATH="$path" "$vornhold" --headless "$@" >out 2>err || code=$?; }
path=$PATH
# The index of the first stereo sample that is not silent in an audio stream.
onset() {
  ffmpeg -v error -i "$1" -map 0:a -t 5 -f s16le - 2>/dev/null | od -An -v -td2 -w4 | awk '$1 || $2 { print NR - 1; exit }'
}

run --mode 320x240x32 --capture a.mkv --trace trace.txt
[ "$code" = 1 ] || fail "capture ended with exit code $code: $(cat err)"
frames=$(grep -c '^Present' trace.txt)
loading=$(grep -c '^Present .* t=-$' trace.txt)
got=$(ffprobe -v error -count_frames -select_streams v -show_entries stream=nb_read_frames -of csv=p=0 a.mkv)
[ "$got" = "$frames" ] || fail "$got video frames for $frames presented"
bytes=$(ffmpeg -v error -i a.mkv -map 0:a -f s16le - | wc -c)
[ "$bytes" = $((frames * 44100 / 60 * 4)) ] || fail "$bytes bytes of audio for $frames frames"
[ $(($(onset a.mkv) - $(onset lab.mp3))) = $((loading * 44100 / 60)) ] ||
  fail "the music starts at sample $(onset a.mkv) (its own onset $(onset lab.mp3)), not after $loading frames"
last=$(sed -n 's/^Present .* t=\([0-9]*\)$/\1/p' trace.txt | tail -n 2 | tr '\n' ' ')
read -r before end <<<"$last"
[ "$before" -lt 147139 ] && [ "$end" -ge 147139 ] || fail "the capture ends at $before, $end ms"

run --mode 320x240x32 --capture b.mkv
cmp -s <(ffmpeg -v error -i a.mkv -map 0:v -f framemd5 -) <(ffmpeg -v error -i b.mkv -map 0:v -f framemd5 -) ||
  fail "two captures decode to different frames"

# A clip from a moment: its frames are those of the whole capture from the first frame at or after
# the moment, and its audio is the whole capture's audio from that frame's first sample, to the
# sample (FLAC is lossless). part10 alone re-bases the timeline to 136382 ms when the music starts,
# so --escape-at 3000 is 139382 ms on the timeline. (The whole capture's decoder is cut short by
# `head`: its broken pipe is not a failure.)
run --mode 320x240x32 --capture clip.mkv --start-at 138000 --escape-at 3000 --trace clip.txt
first=$(awk '/^Present/ && !/t=-$/ { sub("frame=", "", $2); print $2; exit }' clip.txt)
expected=$(awk '/^Present/ { split($4, t, "="); if (t[2] != "-" && t[2] >= 138000) { sub("frame=", "", $2); print $2; exit } }' trace.txt)
clipframes=$(ffprobe -v error -count_frames -select_streams v -show_entries stream=nb_read_frames -of csv=p=0 clip.mkv)
[ "$code" = 1 ] && [ -n "$first" ] && [ "$first" = "$expected" ] ||
  fail "the clip begins at frame ${first:-none}, not $expected (exit code $code: $(cat err))"
cmp -s <(ffmpeg -v error -i clip.mkv -map 0:v -f framemd5 - | grep -v '^#' | cut -d, -f6) \
  <(ffmpeg -v error -i a.mkv -map 0:v -f framemd5 - 2>/dev/null | grep -v '^#' | cut -d, -f6 | tail -n +$((expected + 1)) | head -n "$clipframes") ||
  fail "the clip's frames are not the whole capture's from frame $expected"
cmp -s <(ffmpeg -v error -i clip.mkv -map 0:a -f s16le -) \
  <(ffmpeg -v error -i a.mkv -map 0:a -f s16le - 2>/dev/null | tail -c +$((expected * 44100 / 60 * 4 + 1)) | head -c $((clipframes * 44100 / 60 * 4))) ||
  fail "the clip's audio is not the soundtrack from frame $expected's first sample"

run --mode 320x240x32 --capture c.mp4 --escape-at 1000
streams=$(ffprobe -v error -show_entries stream=codec_name,pix_fmt,color_range,color_space -of csv=p=0 c.mp4 | tr '\n' ' ')
[ "$streams" = "h264,yuv420p,tv,smpte170m aac " ] || fail "the MP4 holds $streams"
# A quality number and a preset reach the encoder: a coarser, faster encoding is smaller.
run --mode 320x240x32 --capture coarse.mp4 --escape-at 1000 --quality 40 --encoder-preset ultrafast
[ "$code" = 1 ] && [ "$(stat -c %s coarse.mp4)" -lt $(($(stat -c %s c.mp4) / 2)) ] ||
  fail "--quality 40 --encoder-preset ultrafast: exit code $code, $(stat -c %s coarse.mp4 2>/dev/null) bytes against $(stat -c %s c.mp4)"

run --capture g.mkv --escape-at 500 --size 480x270 --frames shots --frames-every 100000
row=$(ffmpeg -v error -sseof -0.05 -i g.mkv -frames:v 1 -f rawvideo -pix_fmt rgb24 - | od -An -v -tu1 -w1440 | sed -n 11p)
read -r -a px <<<"$row"
[ "$(ffprobe -v error -show_entries stream=width,height -of csv=p=0 g.mkv)" = "480,270" ] &&
  [ "$(od -An -tu1 -j16 -N8 shots/frame_000000.png | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }')" = "360x270" ] &&
  [ "$(printf '%s' "${px[@]:0:180}" | tr -d 0)" = "" ] && [ "${px[180]}${px[181]}${px[182]}" != 000 ] ||
  fail "--size 480x270: not a 360x270 picture between black bars"

# what, options, the line expected
check_refused() {
  local what=$1 line=$2
  shift 2
  run "$@" --escape-at 500
  [ "$code" = 2 ] && grep -qF -- "$line" err && [ "$(wc -l <err)" = 1 ] || fail "$what: exit code $code, said: $(cat err)"
}
path=/nonexistent check_refused "no ffmpeg" "ffmpeg is not installed" --capture d.mkv
check_refused "no folder" "cannot write part.txt/e.mkv" --capture part.txt/e.mkv
check_refused "container" "must end in .mp4" --capture f.avi
check_refused "quality of a lossless video" "--quality is for an .mp4 capture" --capture f.mkv --quality 20
check_refused "quality out of range" "bad --quality '52'" --capture f.mp4 --quality 52
check_refused "unknown preset" "bad --encoder-preset 'turbo'" --capture f.mp4 --encoder-preset turbo
check_refused "preset without a capture" "--encoder-preset goes only with --capture" --encoder-preset fast
check_refused "size with a mode" "cannot go with --mode" --capture f.mkv --size 480x270 --mode 320x240x32
# A full disk, as a limit on the file's size: ffmpeg's writes fail part-way through the show, and
# it may then stay alive without reading its inputs.
for file in h.mkv h.mp4; do
  code=0
  (trap '' XFSZ; ulimit -f 64; exec "$vornhold" --headless --mode 320x240x32 --capture $file --escape-at 3000) \
    >out 2>err || code=$?
  [ "$code" = 2 ] && grep -q "File too large" err && [ "$(wc -l <err)" = 1 ] ||
    fail "$file on a full disk: exit code $code, said: $(cat err)"
done
ls -A | grep -E '^\.|^[defh]\.' && fail "files left behind: $(ls -A | grep -E '^\.|^[defh]\.' | tr '\n' ' ')"
[ "$failures" = 0 ] && echo "captures hold every frame and the soundtrack in sync"
exit "$((failures > 0))"
