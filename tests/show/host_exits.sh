#!/usr/bin/env bash
# How a run of the program ends, as a script sees it:
# - every failure says one line and exits 2; the show's own end (Cancel too) is 1, never a
#   failure's code;
# - --capture without a display renders headless instead of failing;
# - SIGTERM ends a headless capture as Escape does: exit 1 and a file ffprobe reads; a second
#   signal ends the program at once with no file under the video's name and nothing hidden left;
# - a headless run that nothing ends says so in one line, and SIGTERM ends it;
# - the options table: meaningless combinations refused in one line, --help within 80 columns
#   and ending with the exit statuses.
# Skipped (exit code 77) without ffmpeg.
#   host_exits.sh VORNHOLD DATA_DIR
set -euo pipefail
command -v ffprobe >/dev/null || { echo "no ffmpeg: skipped"; exit 77; }
vornhold=$(realpath "$1")
data=$(realpath "$2")
work=$(mktemp -d)
cd "$work"
ln -s "$data/lab.ac" "$data/lab.mp3" .
printf 'part04\n' >part.txt
mkdir runtime && chmod 700 runtime
export XDG_RUNTIME_DIR=$work/runtime  # SDL says one line of its own without it
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Runs the program with `env` settings and options; exit code in `code`, stderr in `err`.
run() {
  local settings=$1
  shift
  code=0
  env -u DISPLAY $settings timeout 60 "$vornhold" "$@" >out 2>err || code=$?
}

quick="--fixed-step 50 --silent --device null --escape-at 500"
# what | env settings | options | exit status | the one line (a fixed string)
while IFS='|' read -r what settings options status line; do
  # shellcheck disable=SC2086
  run "$settings" $options
  [ "$code" = "$status" ] && if [ -z "$line" ]; then [ ! -s err ]; else [ "$(wc -l <err)" = 1 ] && grep -qF -- "$line" err; fi ||
    fail "$what: exit status $code, said: $(cat err)"
done <<EOF
unknown option||--bogus|2|vornhold: unknown option '--bogus' (see --help)
value missing||--trace|2|vornhold: option --trace needs a value
every without frames||--headless --frames-every 2|2|vornhold: --frames-every goes only with --frames
window option without a window||--headless --no-vsync|2|vornhold: --no-vsync cannot go with --headless
dialog cancelled at once||--dialog --cancel|2|vornhold: --dialog cannot go with --headless or --cancel
size and a mode||--headless --size 800x600 --mode 320x240x32|2|vornhold: --size cannot go with --mode
size past 4K||--headless --size 4000x3000|2|vornhold: bad --size '4000x3000': expected WIDTHxHEIGHT from 16x16 to 3840x2160, or desktop
desktop size headless||--headless --size desktop|2|vornhold: --size desktop cannot go with --headless
desktop size in a capture without a display|SDL_VIDEODRIVER=x11|--capture d.mkv --size desktop --silent --escape-at 500|2|vornhold: --size desktop needs a display
size in full screen headless||--headless --fullscreen --size 800x600 $quick|1|
a part that is not there||--headless --start-at part11|2|vornhold: bad --start-at 'part11': expected milliseconds from 0, or part01 to part10
a moment in seconds||--headless --start-at 5s|2|vornhold: bad --start-at '5s'
a moment past a video's end||--capture d.mkv --silent --start-at 150000|2|vornhold: --start-at 150000 is past the video's end at 147139 ms
no display|SDL_VIDEODRIVER=x11|--windowed --silent|2|vornhold: no display (
unwritable trace file||--headless $quick --trace part.txt/trace.txt|2|vornhold: cannot write trace file part.txt/trace.txt
unmakeable frame folder||--headless $quick --frames part.txt/frames|2|vornhold: cannot make frame folder part.txt/frames
cancel is the show's own end||--headless --cancel|1|
EOF
[ -z "$(ls -A | grep 'd\.mkv')" ] || fail "a refused capture left $(ls -A | grep 'd\.mkv')"
# Bad data, for comparison: a folder without lab.ac.
mkdir bare && cd bare && printf 'part04\n' >part.txt && ln -s "$data/lab.mp3" .
# shellcheck disable=SC2086
run "" --headless $quick
cd ..
[ "$code" = 2 ] && [ "$(wc -l <bare/err)" = 1 ] || fail "no lab.ac: exit status $code, said: $(cat bare/err)"

# --capture without a display: no window, a video all the same.
run "SDL_VIDEODRIVER=x11" --capture short.mkv --silent --mode 320x240x32 --escape-at 300
[ "$code" = 1 ] && [ -s short.mkv ] || fail "capture without a display: exit status $code, said: $(cat err)"

# Signals. The page without end plays until something ends it.
printf 'secret\n' >part.txt
code=0
"$vornhold" --headless --silent --mode 320x240x32 --capture whole.mkv --escape-at 100000000 >out 2>err &
show=$!
for _ in $(seq 100); do [ -n "$(ls -A | grep '^\.whole')" ] && break; sleep 0.1; done
sleep 2
# Twice at once, as timeout(1) sends it (to the process and to its group): still one request.
kill -TERM $show $show
wait $show || code=$?
duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 whole.mkv 2>&1 || true)
[ "$code" = 1 ] && [[ "$duration" =~ ^[0-9.]+$ ]] && [ -z "$(ls -A | grep '^\.')" ] ||
  fail "SIGTERM to a capture: exit status $code, ffprobe said: $duration, left: $(ls -A)"

code=0
"$vornhold" --headless --silent --mode 320x240x32 --capture cut.mkv --escape-at 100000000 >out 2>err &
show=$!
for _ in $(seq 100); do [ -n "$(ls -A | grep '^\.cut')" ] && break; sleep 0.1; done
sleep 1
# A second signal half a second or more after the first.
kill -TERM $show
sleep 0.8
kill -INT $show 2>/dev/null || true
wait $show || code=$?
[ "$code" != 1 ] && [ "$code" != 0 ] && [ -z "$(ls -A | grep 'cut')" ] ||
  fail "two signals to a capture: exit status $code, left: $(ls -A | tr '\n' ' ')"

# Sound open (or tried) on a headless run that nothing ends: said at the start; SIGTERM ends it.
code=0
"$vornhold" --headless --fixed-step 50 >out 2>err &
show=$!
sleep 3
kill -TERM $show
wait $show || code=$?
[ "$code" = 1 ] && grep -q "plays until a signal ends it" err ||
  fail "headless without end: exit status $code, said: $(cat err)"

# --help: 80 columns, the keys and the exit statuses last.
code=0
"$vornhold" --help >help || code=$?
[ "$code" = 0 ] && [ "$(awk 'length($0) > 80' help | wc -l)" = 0 ] &&
  grep -q "Escape, or closing the window, ends the show" help &&
  [ "$(grep -n '^Exit status:' help | cut -d: -f1)" -gt "$(grep -n '^  --help' help | cut -d: -f1)" ] &&
  tail -n 3 help | grep -q "^  1 " && tail -n 3 help | grep -q "^  2 " && tail -n 3 help | grep -q "^  255 " ||
  fail "--help: exit status $code, wider lines: $(awk 'length($0) > 80' help)"

[ "$failures" = 0 ] && echo "failures exit 2 with one line, the show's end 1, signals end the show cleanly"
exit "$((failures > 0))"
