#!/usr/bin/env bash
# The show as a web page: installs what is missing, builds the page with emscripten into
# build-web/site (index.html, page.js, vornhold.js, vornhold.wasm and the show's three files: a
# static folder any web server serves), prints its transfer size, then serves it on 127.0.0.1.
# The page takes the desktop's options in its address, e.g. ?mode=640x480x32&windowed&device=ref.
#   ./web.sh [--build-only] [--port N]
# The libraries it links are built once from Debian's source packages into build-web/deps
# (scripts/web_deps.sh); the resources and the show's data come from the native build in build/.
set -euo pipefail
VORNHOLD_ROOT="$(cd "$(dirname "$0")" && pwd)"
build_only=0
port=8080
while [ $# -gt 0 ]; do
  case $1 in
    --build-only) build_only=1 ;;
    --port) port=${2:?--port needs a number}; shift ;;
    *) echo "usage: ./web.sh [--build-only] [--port N]" >&2; exit 2 ;;
  esac
  shift
done
cd "$VORNHOLD_ROOT"
source scripts/setup.sh
vornhold_install_packages "${VORNHOLD_PACKAGES[@]}" "${VORNHOLD_WEB_PACKAGES[@]}"
export NODE_PATH=/usr/share/nodejs  # emscripten's tools need Debian's node modules

echo "== the native build's resources and data"
[ -f build/CMakeCache.txt ] || cmake -S . -B build -G Ninja -Wno-dev >/dev/null
cmake --build build --target vornhold_resources show_data >/dev/null

echo "== the libraries, with emscripten"
bash scripts/web_deps.sh build-web/deps

echo "== the page"
PKG_CONFIG_LIBDIR="$VORNHOLD_ROOT/build-web/deps/prefix/lib/pkgconfig" \
  emcmake cmake -S . -B build-web -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Release \
  -DVORNHOLD_NATIVE_BUILD="$VORNHOLD_ROOT/build" -DCMAKE_PREFIX_PATH="$VORNHOLD_ROOT/build-web/deps/prefix" \
  -DCMAKE_FIND_ROOT_PATH="$VORNHOLD_ROOT/build-web/deps/prefix" >/dev/null
cmake --build build-web --target vornhold

site=build-web/site
rm -rf "$site" && mkdir -p "$site"
cp host/web/index.html host/web/page.js build-web/host/vornhold.js build-web/host/vornhold.wasm "$site/"
cp build/data/lab.ac build/data/lab.mp3 build/data/part.txt "$site/"
code=$(cat "$site"/index.html "$site"/page.js "$site"/vornhold.js "$site"/vornhold.wasm | wc -c)
data=$(cat "$site"/lab.ac "$site"/lab.mp3 "$site"/part.txt | wc -c)
compressed=$(cat "$site"/index.html "$site"/page.js "$site"/vornhold.js "$site"/vornhold.wasm | gzip -9 | wc -c)
awk -v code="$code" -v data="$data" -v gz="$compressed" 'BEGIN {
  mb = 1000 * 1000
  printf "The page: %.1f MB of code (%.1f MB gzip-compressed, as servers send it) and %.1f MB of data: %.1f MB in all (%.1f MB compressed)\n",
    code / mb, gz / mb, data / mb, (code + data) / mb, (gz + data) / mb }'
echo "The page is in $site"
[ "$build_only" = 1 ] && exit 0

echo "Serving the show on http://127.0.0.1:$port/ (Ctrl-C ends)"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory "$site"
