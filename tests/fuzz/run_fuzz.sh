#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, ASan, UBSan) and runs them one after another.
#
#   tests/fuzz/run_fuzz.sh [SECONDS] [TARGET...]   every target (or those named) for SECONDS each
#                                                  (default 300)
#   tests/fuzz/run_fuzz.sh merge [TARGET...]       replaces the committed corpus of the targets by
#                                                  the fewest inputs, of it and of what the runs
#                                                  found, that reach every edge they reach (-merge=1)
#
# Targets (tests/fuzz/targets.cmake): archive_extract_fuzz, archive_cipher_fuzz, unpack20_fuzz,
# image_decode_fuzz, xfile_parse_fuzz, part_keywords_fuzz, mp3_stream_fuzz, rc_script_fuzz.
# Each starts from its committed corpus tests/fuzz/corpus/<target>/ (read only; inputs that once
# broke a parser are kept there as regression-*, the corpus replay test runs them) and its dictionary
# tests/fuzz/<target>.dict. Working corpora go to build-fuzz/corpus/<target>/, crashes to
# build-fuzz/crashes/<target>/, logs to build-fuzz/logs/. One fuzzer process at a time, niced.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root"
VORNHOLD_ROOT="$root"
source scripts/setup.sh
vornhold_install_packages cmake ninja-build clang libclang-rt-14-dev python3

all_targets=(archive_extract_fuzz archive_cipher_fuzz unpack20_fuzz image_decode_fuzz xfile_parse_fuzz
             part_keywords_fuzz mp3_stream_fuzz rc_script_fuzz)
mode=run
if [ "${1:-}" = merge ]; then
  mode=merge
  shift
fi
seconds=300
if [ "$mode" = run ] && [[ "${1:-}" =~ ^[0-9]+$ ]]; then
  seconds="$1"
  shift
fi
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all_targets[@]}")

build=build-fuzz
flags="-fsanitize=fuzzer-no-link,address,undefined -fsanitize-coverage-ignorelist=$root/tests/fuzz/coverage_ignore.txt"
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -Wno-dev -DVORNHOLD_FUZZ=ON -DVORNHOLD_TESTS=OFF \
  -DVORNHOLD_BENCH=OFF -DVORNHOLD_DATA=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS="$flags" >/dev/null
nice -n 19 ninja -C "$build" -j2 "${targets[@]}" >/dev/null

# Largest input per target: enough for the formats' structures, small enough to stay fast.
max_len() {
  case "$1" in
    part_keywords_fuzz) echo 4096 ;;
    rc_script_fuzz | xfile_parse_fuzz) echo 16384 ;;
    *) echo 65536 ;;
  esac
}

# The parsers that read files by name write them below TMPDIR: a memory file system when there is
# one (creating files on the disk here costs milliseconds). The debug log of the archive reader is
# written only when ./temp exists, so the runs start in a folder without one.
mkdir -p "$build/run" "$build/logs"
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
  export TMPDIR=/dev/shm
else
  export TMPDIR="$root/$build/run"
fi
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
status=0
for target in "${targets[@]}"; do
  program="$root/$build/tests/fuzz/$target"
  committed="$root/tests/fuzz/corpus/$target"
  corpus="$root/$build/corpus/$target"
  crashes="$root/$build/crashes/$target"
  mkdir -p "$corpus" "$crashes" "$committed"
  common=(-dict="$root/tests/fuzz/$target.dict" -max_len="$(max_len "$target")" -timeout=10 -rss_limit_mb=2048
          -artifact_prefix="$crashes/")
  if [ "$mode" = merge ]; then
    fresh="$root/$build/merged/$target"
    rm -rf "$fresh"
    mkdir -p "$fresh"
    # Edges only, not hit counts: a committed corpus that reaches every edge stays small.
    (cd "$build/run" && nice -n 19 "$program" "${common[@]}" -use_counters=0 -merge=1 "$fresh" "$committed" "$corpus") \
      >"$build/logs/$target.merge.log" 2>&1
    # Inputs that once broke a parser stay whatever their edges: they are named regression-*.
    find "$committed" -maxdepth 1 -name 'regression-*' -exec cp {} "$fresh/" \;
    rm -rf "$committed"
    mv "$fresh" "$committed"
    echo "$target: $(ls "$committed" | wc -l) files, $(du -sk "$committed" | cut -f1) KiB"
    continue
  fi
  echo "== $target: $seconds s"
  log="$build/logs/$target.log"
  if (cd "$build/run" && nice -n 19 "$program" "${common[@]}" -max_total_time="$seconds" -print_final_stats=1 \
      "$corpus" "$committed") >"$log" 2>&1; then
    :
  else
    status=1
    echo "   failed: see $log and $crashes/"
  fi
  grep -E '^#[0-9]+[[:space:]]+(DONE|INITED)' "$log" | tail -2 | sed 's/^/   /' || true
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$log" | sed 's/^/   /' || true
done
exit $status
