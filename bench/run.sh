#!/usr/bin/env bash
# Builds the archive benchmark in Release and runs it. Installs what it needs first (the compilers
# and Google Benchmark, and the peer programs unar, gzip and xz). Arguments go to the program
# (try --help); progress goes to stderr, results to stdout.
set -euo pipefail
VORNHOLD_ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$VORNHOLD_ROOT"
source scripts/setup.sh

vornhold_install_packages cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev unar gzip xz-utils tar

build="${VORNHOLD_BENCH_BUILD:-$VORNHOLD_ROOT/build-bench}"  # its own Release build folder
echo "Building the benchmark (Release) in $build..." >&2
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
if ! { cmake -S "$VORNHOLD_ROOT" -B "$build" -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Release -DVORNHOLD_TESTS=OFF &&
       cmake --build "$build" --target archive_bench -j 2; } >"$log" 2>&1; then
  tail -n 40 "$log" >&2
  echo "bench/run.sh: the build failed (output above)" >&2
  exit 1
fi
rm -f "$log"
trap - EXIT

# The program removes its temporary folder when it ends; this also covers an interrupted run.
keep=0
for arg in "$@"; do [ "$arg" = "--keep" ] && keep=1; done
if [ "$keep" = 1 ]; then
  exec "$build/bench/archive_bench" "$@"
fi
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
trap 'exit 130' INT TERM
TMPDIR="$scratch" "$build/bench/archive_bench" "$@"
