#!/usr/bin/env bash
# Builds the archive benchmark in Release and runs it. Installs what it needs first (the compilers
# and Google Benchmark, and the peer programs unar, gzip and xz). Arguments go to the program
# (try --help); progress goes to stderr, results to stdout.
set -euo pipefail
VORNHOLD_ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$VORNHOLD_ROOT"
source scripts/setup.sh

vornhold_install_packages cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev unar gzip xz-utils tar

build="$VORNHOLD_ROOT/build-bench"
echo "Building the benchmark (Release) in $build..." >&2
cmake -S "$VORNHOLD_ROOT" -B "$build" -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Release -DVORNHOLD_TESTS=OFF >/dev/null
cmake --build "$build" --target archive_bench -j 2 >/dev/null

exec "$build/bench/archive_bench" "$@"
