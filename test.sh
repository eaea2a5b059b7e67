#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once in a normal build and once with
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
VORNHOLD_ROOT="$(cd "$(dirname "$0")" && pwd)"
cd "$VORNHOLD_ROOT"
source scripts/setup.sh

vornhold_install_packages "${VORNHOLD_PACKAGES[@]}"
vornhold_install_node_tools

vornhold_build build -DVORNHOLD_TESTS=ON
vornhold_build build-asan -DVORNHOLD_TESTS=ON -DVORNHOLD_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DVORNHOLD_DATA=OFF

jobs=$(nproc)
echo "== tests (normal build)"
ctest --test-dir build --output-on-failure -j "$jobs"
echo "== tests (AddressSanitizer + UndefinedBehaviorSanitizer)"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

# The page: built with emscripten (libraries from Debian's sources, the first time), then played
# in headless Chromium against the native program.
echo "== the page (emscripten) in Chromium"
started=$SECONDS
if vornhold_install_packages chromium "${VORNHOLD_WEB_PACKAGES[@]}"; then
  ./web.sh --build-only
  bash tests/web/page.sh build-web/site build/host/vornhold build/data || [ $? = 77 ]
  echo "the page: built and checked in $((SECONDS - started)) s"
else
  echo "the page: skipped: emscripten or Chromium cannot be installed here"
fi
