#!/usr/bin/env bash
# Installs what is missing, builds, then runs what there is. The show itself is not built yet:
# for now this packs a sample archive with rarpack and reads an entry back through the reader.
set -euo pipefail
VORNHOLD_ROOT="$(cd "$(dirname "$0")" && pwd)"
cd "$VORNHOLD_ROOT"
source scripts/setup.sh

vornhold_install_packages cmake ninja-build g++ libgtest-dev libbenchmark-dev
vornhold_build build -DVORNHOLD_TESTS=OFF

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp README.md "$work/README.md"
build/tools/rarpack/rarpack a -s "$work/sample.rar" "$work/README.md"
build/tools/rarpack/rarpack l "$work/sample.rar"
echo "--- README.md read back through the archive reader:"
build/tools/rarpack/rarpack x "$work/sample.rar" README.md | head -n 5
