#!/usr/bin/env bash
# What a show folder costs before the show starts, from a Release build: the loading pause and the
# peak resident memory (--stats) of the ripple grid on the software device at 640x480, with
#   - the shipped data as built (a plain archive), and the same entries packed solid;
#   - a part.txt holding a 300 MiB line without a newline before its keyword;
#   - the largest picture the device takes (VORNHOLD_BENCH_PICTURE pixels square, default 4096) in
#     place of a shipped texture, and a picture one step past it, which is refused.
# A measurement, not a test: the figures are printed, never compared.
set -euo pipefail
source "$(dirname "$0")/show_build.sh"
source "$VORNHOLD_ROOT/scripts/show_folder_files.sh"
cmake --build "$build" --target rarpack -j 2 >/dev/null
rarpack="$build/tools/rarpack/rarpack"
largest=${VORNHOLD_BENCH_PICTURE:-4096}

enter_show_folder
printf 'part04\n' >part.txt
rm lab.ac

# measure NAME: one run with the folder as it is now; prints its figures or what it said.
measure() {
  local out code=0
  out=$("$build/host/vornhold" --headless --silent --fixed-step 50 --escape-at 3000 --stats 2>&1) || code=$?
  local pause peak
  pause=$(sed -n 's/.*longest pause \(.*\) s/\1/p' <<<"$out")
  peak=$(sed -n 's/.*peak resident \(.*\) MiB/\1/p' <<<"$out")
  if [ -n "$pause" ]; then
    printf '%-44s loading pause %7.3f s   peak resident %8.1f MiB\n' "$1" "$pause" "$peak"
  else
    printf '%-44s exit code %s: %s\n' "$1" "$code" "$(head -n 1 <<<"$out")"
  fi
}

cp "$build/data/lab.ac" lab.ac
measure "shipped data, plain archive"
"$rarpack" x lab.ac 'data\graphics\feidi.tga' >feidi.tga
replace_entry "$rarpack" lab.ac 'data\graphics\feidi.tga' feidi.tga -s
measure "the same entries, solid archive"

cp "$build/data/lab.ac" lab.ac
truncate -s 300M part.txt && printf '\npart04\n' >>part.txt
measure "part.txt with a 300 MiB line"
printf 'part04\n' >part.txt

huge_tga "$largest" "$largest" >picture.tga
replace_entry "$rarpack" lab.ac 'data\graphics\texture01.tga' picture.tga
measure "a ${largest}x${largest} picture (largest taken)"
cp "$build/data/lab.ac" lab.ac
huge_tga $((largest * 2)) $((largest * 2)) >picture.tga
replace_entry "$rarpack" lab.ac 'data\graphics\texture01.tga' picture.tga
measure "a $((largest * 2))x$((largest * 2)) picture (past the largest)"
