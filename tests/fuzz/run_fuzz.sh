#!/usr/bin/env bash
# Builds the reader's fuzz targets with clang (libFuzzer, ASan, UBSan) and runs one.
#   tests/fuzz/run_fuzz.sh [SECONDS] [TARGET]     (default 600 s, archive_extract_fuzz)
# archive_extract_fuzz: whole archives through ArchiveExtract; unpack20_fuzz: the decoder alone;
# image_decode_fuzz: bytes through the texture loader's BMP, TGA, JPEG and PNG decoders.
# Seeds: archives of every kind made by rarpack, and the real archives of ../shared/testdata when
# present. The corpus and any crash files stay in build-fuzz/.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
seconds="${1:-600}"
target="${2:-archive_extract_fuzz}"
cd "$root"
VORNHOLD_ROOT="$root"
source scripts/setup.sh
vornhold_install_packages cmake ninja-build clang libclang-rt-14-dev python3

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DVORNHOLD_FUZZ=ON -DVORNHOLD_TESTS=OFF \
  -DVORNHOLD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" >/dev/null
cmake --build build-fuzz

corpus=build-fuzz/corpus-$target
seeds=build-fuzz/seeds
mkdir -p "$corpus" "$seeds"
if [ -z "$(ls -A "$seeds")" ]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  python3 - "$work" <<'PY'
import math, os, random, sys
d = sys.argv[1]
random.seed(1)
open(os.path.join(d, "rnd.bin"), "wb").write(bytes(random.randrange(256) for _ in range(3000)))
open(os.path.join(d, "a"), "w").write("a line of text for the fuzz seeds\n" * 200)
open(os.path.join(d, "pcm.raw"), "wb").write(bytes(int(128 + 100 * math.sin(i / 5)) for i in range(4000)))
PY
  pack="$root/build-fuzz/tools/rarpack/rarpack"
  i=0
  for opts in "-m0" "" "-s" "-mm" "-mm-" "-ppassword" "-m0 -ppassword" "-s -ppassword"; do
    # shellcheck disable=SC2086
    (cd "$work" && "$pack" a $opts "seed$i.rar" a pcm.raw rnd.bin >/dev/null 2>&1) && cp "$work/seed$i.rar" "$seeds/"
    i=$((i + 1))
  done
  [ -d ../shared/testdata/rar ] && cp ../shared/testdata/rar/*.rar "$seeds/"
fi
build-fuzz/tests/fuzz/$target -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -max_len=65536 -artifact_prefix=build-fuzz/ "$corpus" "$seeds"
