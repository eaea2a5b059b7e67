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
rarpack="$VORNHOLD_ROOT/build/tools/rarpack/rarpack"
cp README.md "$work/README.md"
cd "$work"
"$rarpack" a -s sample.rar README.md
"$rarpack" l sample.rar
echo "--- README.md read back through the archive reader:"
"$rarpack" x sample.rar README.md
