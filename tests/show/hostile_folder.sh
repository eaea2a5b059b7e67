#!/usr/bin/env bash
# A show folder made by an attacker or an unlucky user, one row a way, through the built programs:
# the hostile input is made here, then the expected line and exit code are checked, and where the
# fault was a cost (memory, load time) a loose bound on the process's own figures (--stats, or an
# address-space limit). The exact figures belong to bench/.
#   hostile_folder.sh VORNHOLD DATA_DIR RARPACK
set -euo pipefail
vornhold=$(realpath "$1")
data=$(realpath "$2")
rarpack=$(realpath "$3")
source "$(dirname "$0")/../../scripts/show_folder_files.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The ripple grid (part04) on the null device, frames of 20 ms; exit code in `code`, stderr in
# `err`, stdout in `out`, frames on the timeline in `timed`. A run that waits for ever is a failure.
play() {
  code=0
  timeout 60 "$vornhold" --headless --silent --fixed-step 50 --device null --escape-at 3000 --trace trace.txt \
    --stats "$@" >out 2>err || code=$?
  timed=$(grep -c '^Present .* t=[0-9]' trace.txt 2>/dev/null || true)
}
reset() {
  rm -rf lab.ac lab.mp3 part.txt temp victim new.ac in ./*.tga
  ln -s "$data/lab.ac" lab.ac
  ln -s "$data/lab.mp3" lab.mp3
  printf 'part04\n' >part.txt
}
one_line() { [ "$(wc -l <err)" = 1 ] && grep -qF -- "$1" err; }
stat_of() { sed -n "s/^vornhold: $1 \([0-9.]*\).*/\1/p" out; }
played() { [ "$code" = 1 ] && [ "$timed" -gt 100 ]; }

for row in log-link log-password folding-case folding-separator huge-picture solid fifo-archive fifo-part \
  endless-part-line part-names-nothing soundtrack-device listing-full control-name; do
  reset
  case $row in
    log-link)  # 1: the debug log is never written through a link
      mkdir temp && printf 'precious\n' >victim && ln -s ../victim temp/debug_unrar.txt
      play
      played && [ "$(cat victim)" = precious ] || fail "$row: exit code $code, victim now: $(head -c 100 victim)"
      ;;
    log-password)  # 1: nor does it hold the password
      mkdir temp
      "$rarpack" x lab.ac 'data\graphics\feidi.tga' hunter2 >/dev/null 2>err || true
      grep -q Extracting temp/debug_unrar.txt && ! grep -q hunter2 temp/debug_unrar.txt ||
        fail "$row: log: $(cat temp/debug_unrar.txt 2>/dev/null | head -c 400)"
      ;;
    folding-case | folding-separator)  # 2: two inputs that would be one entry
      mkdir -p in/a
      if [ $row = folding-case ]; then first=in/X.txt second=in/x.txt; else first=in/a/b.txt second=in/a_b.txt; fi
      printf one >"$first" && printf two >"$second"
      code=0
      (cd in && "$rarpack" a ../new.ac "${first#in/}" "${second#in/}") >/dev/null 2>err || code=$?
      [ "$code" = 1 ] && one_line "${first#in/}" && grep -qF "${second#in/}" err && [ ! -e new.ac ] ||
        fail "$row: exit code $code, archive made: $([ -e new.ac ] && echo yes || echo no), said: $(cat err)"
      ;;
    huge-picture)  # 3: a few KB that would expand to 1 GiB are refused before they are expanded
      huge_tga 16384 16384 >huge.tga
      rm lab.ac && cp "$data/lab.ac" lab.ac
      replace_entry "$rarpack" lab.ac 'data\graphics\texture01.tga' huge.tga
      code=0
      (ulimit -v 800000; exec "$vornhold" --headless --silent --fixed-step 50 --escape-at 3000) >out 2>err || code=$?
      [ "$code" = 2 ] && one_line 'data\graphics\texture01.tga' && grep -qF "is not a picture that can be decoded" err ||
        fail "$row: exit code $code, said: $(cat err)"
      ;;
    solid)  # 4: a solid archive loads in about the time a plain one does
      "$rarpack" x lab.ac 'data\graphics\feidi.tga' >feidi.tga
      rm lab.ac && cp "$data/lab.ac" lab.ac
      replace_entry "$rarpack" lab.ac 'data\graphics\feidi.tga' feidi.tga -s
      [ "$("$rarpack" l lab.ac | awk '$6 == "s"' | wc -l)" -gt 500 ] || fail "$row: the archive was not made solid"
      play
      pause=$(stat_of "loading screen [0-9]* frames, longest pause")
      played && awk -v p="$pause" 'BEGIN { exit !(p != "" && p < 3) }' ||
        fail "$row: exit code $code, $timed frames, loading pause ${pause:-?} s, said: $(cat err)"
      ;;
    fifo-archive)  # 5: a FIFO is no archive, and nothing waits for its writer
      rm lab.ac && mkfifo lab.ac
      play
      [ "$code" = 2 ] && one_line "cannot open the archive lab.ac: not a regular file" ||
        fail "$row: exit code $code, said: $(cat err)"
      ;;
    fifo-part)  # 5: a FIFO part.txt is a missing one
      rm part.txt && mkfifo part.txt
      play
      [ "$code" = 1 ] && one_line "no part.txt in the current directory: no part will play" ||
        fail "$row: exit code $code, said: $(cat err)"
      ;;
    endless-part-line)  # 6: 300 MiB without a newline cost time, not memory
      truncate -s 300M part.txt && printf '\npart04\n' >>part.txt
      play
      peak=$(stat_of "peak resident")
      played && awk -v p="$peak" 'BEGIN { exit !(p != "" && p < 150) }' ||
        fail "$row: exit code $code, $timed frames, peak resident ${peak:-?} MiB, said: $(cat err)"
      ;;
    part-names-nothing)  # 7: keywords in another case name no part
      printf 'PART04\nRoom\n' >part.txt
      play
      [ "$code" = 1 ] && one_line "part.txt names no part: no part will play" && [ "$timed" = 0 ] ||
        fail "$row: exit code $code, $timed frames, said: $(cat err)"
      ;;
    soundtrack-device)  # 8: the real reason, not "(Success)"
      rm lab.mp3 && ln -s /dev/zero lab.mp3
      play
      played && one_line "warning: lab.mp3 is not a regular file; playing without music" ||
        fail "$row: exit code $code, said: $(cat err)"
      ;;
    listing-full)  # 9: a listing that could not be written is a failure
      code=0
      "$rarpack" l lab.ac >/dev/full 2>err || code=$?
      [ "$code" = 1 ] && [ "$(wc -l <err)" = 1 ] || fail "$row: exit code $code, said: $(cat err)"
      ;;
    control-name)  # 10: a name with a newline is refused, not stored
      mkdir in && printf one >in/$'two\nlines.txt'
      code=0
      (cd in && "$rarpack" a ../new.ac $'two\nlines.txt') >/dev/null 2>err || code=$?
      [ "$code" = 1 ] && [ "$(wc -l <err)" = 1 ] && [ ! -e new.ac ] ||
        fail "$row: exit code $code, archive made: $([ -e new.ac ] && echo yes || echo no), said: $(cat err)"
      ;;
  esac
done
[ "$failures" = 0 ] && echo "a hostile show folder is refused in one line, bounded in memory and time"
exit "$((failures > 0))"
