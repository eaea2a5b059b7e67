#!/usr/bin/env bash
# The show with damaged or odd data files (null device, frames of 20 ms, the ripple grid alone):
# - "lab.mp3" missing, empty, not MP3 or cut inside a frame: one warning line naming the file, and
#   the part plays its frames all the same; capturing with it: one line, exit code 2, no video;
# - "lab.ac" cut short, with a flipped byte, another archive's bytes, enciphered, or a folder: one
#   line naming the archive (and the entry it could not read, or that it is no regular file), exit code 2;
# - "part.txt" of random bytes, huge, without a final newline, with NUL bytes or CR-LF endings:
#   read as lines of keywords, the part plays where a line names it; where none does, one line says so;
# - too little memory, anywhere in loading: one line, exit code 2.
#   bad_files.sh VORNHOLD DATA_DIR RARPACK
set -euo pipefail
vornhold=$(realpath "$1")
data=$(realpath "$2")
rarpack=$(realpath "$3")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Plays the ripple grid (part04) with the files as they are now: exit code in `code`, stderr in
# `err`, the number of frames on the timeline in `timed`.
play() {
  code=0
  timeout 60 "$vornhold" --headless --silent --fixed-step 50 --device null --escape-at 8000 --trace trace.txt \
    "$@" >out 2>err || code=$?
  timed=$(grep -c '^Present .* t=[0-9]' trace.txt || true)
}
reset() {
  rm -rf lab.ac lab.mp3 part.txt
  ln -s "$data/lab.ac" lab.ac
  cp "$data/lab.mp3" lab.mp3
  printf 'part04\n' >part.txt
}
one_line() { [ "$(wc -l <err)" = 1 ] && grep -qF "$1" err; }

for case in "missing:cannot be read (No such file or directory)" "empty:is empty" \
  "random:is not an MP3 file" "cut:is cut short"; do
  name=${case%%:*} line=${case#*:}
  reset
  case $name in
    missing) rm lab.mp3 ;;
    empty) : >lab.mp3 ;;
    random) head -c 100000 /dev/urandom >lab.mp3 ;;
    cut) head -c 3000001 "$data/lab.mp3" >lab.mp3 ;;
  esac
  play
  [ "$code" = 1 ] && one_line "warning: lab.mp3 $line" && grep -q "playing without music$" err &&
    [ "$timed" -gt 100 ] ||
    fail "lab.mp3 $name: exit code $code, $timed frames, said: $(cat err)"
  code=0
  "$vornhold" --headless --escape-at 500 --capture show.mkv >out 2>err || code=$?
  [ "$code" = 2 ] && one_line "cannot capture: lab.mp3 $line" && [ -z "$(ls -A | grep show)" ] ||
    fail "capturing with lab.mp3 $name: exit code $code, said: $(cat err)"
done

mkdir -p data/graphics
"$rarpack" x "$data/lab.ac" 'data\graphics\lataus.bmp' >data/graphics/lataus.bmp
for case in 'cut:cannot read data\graphics\respect.tga from lab.ac' \
  'flipped:cannot read data\graphics\texture01.tga from lab.ac' \
  'zip:cannot read data\graphics\lataus.bmp from lab.ac' \
  'enciphered:cannot read data\graphics\lataus.bmp from lab.ac' \
  'folder:cannot open the archive lab.ac: not a regular file'; do
  name=${case%%:*} line=${case#*:}
  reset
  rm lab.ac
  case $name in
    cut) head -c 200000 "$data/lab.ac" >lab.ac ;;
    flipped) cp "$data/lab.ac" lab.ac && printf '\x55' | dd of=lab.ac bs=1 seek=150000 conv=notrunc 2>/dev/null ;;
    zip) { printf 'PK\003\004'; head -c 5000 /dev/urandom; } >lab.ac ;;
    enciphered) "$rarpack" a -psecret lab.ac data >/dev/null ;;
    folder) mkdir lab.ac ;;
  esac
  play
  [ "$code" = 2 ] && one_line "$line" || fail "lab.ac $name: exit code $code, said: $(cat err)"
done

# name, whether part04 plays
for case in "random:no" "huge:yes" "unended:yes" "nul:no" "crlf:yes"; do
  name=${case%%:*} plays=${case#*:}
  reset
  case $name in
    random) head -c 65536 /dev/urandom >part.txt ;;
    huge) { head -c 8000000 /dev/urandom | base64 -w 60; printf 'part04\n'; } >part.txt ;;
    unended) printf 'room\npart04' >part.txt ;;
    nul) printf 'part04\000\n\000part04\n' >part.txt ;;
    crlf) printf 'jelly\r\npart04\r\n' >part.txt ;;
  esac
  play
  played=no
  [ "$timed" -gt 100 ] && played=yes
  said=""
  [ "$plays" = no ] && said="vornhold: part.txt names no part: no part will play"
  [ "$code" = 1 ] && [ "$(cat err)" = "$said" ] && [ "$played" = "$plays" ] &&
    { [ "$timed" -gt 100 ] || [ "$timed" = 0 ]; } ||
    fail "part.txt $name: exit code $code, $timed frames (plays: $plays), said: $(cat err)"
done
# Memory: address-space limits across what loading needs (about 55 to 70 MB here, the software
# device at 1280x960). Each run plays, or ends with one line and exit code 2; runs whose libraries
# cannot even be mapped (exit code 127, before the program starts) are passed over.
reset
ran_out=0 played=0
for limit in $(seq 24000 4000 84000); do
  code=0
  (ulimit -v "$limit"; exec "$vornhold" --headless --silent --fixed-step 50 --mode 1280x960x32 --escape-at 500) \
    >out 2>err || code=$?
  if [ "$code" = 1 ] && [ ! -s err ]; then
    played=$((played + 1))
  elif [ "$code" = 2 ] && one_line "out of memory"; then
    ran_out=$((ran_out + 1))
  elif [ "$code" != 127 ]; then
    fail "within $limit KiB: exit code $code, said: $(head -c 300 err)"
  fi
done
[ "$ran_out" -gt 0 ] && [ "$played" -gt 0 ] || fail "memory limits: $ran_out runs ran out, $played played"
[ "$failures" = 0 ] && echo "damaged data files are said in one line, odd ones read as lines"
exit "$((failures > 0))"
