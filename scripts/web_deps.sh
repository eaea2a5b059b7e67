#!/usr/bin/env bash
# Builds the C libraries the show links (zlib, libpng, libjpeg-turbo, FreeType, mpg123, SDL2) with
# emscripten, from Debian's own source packages with Debian's patches applied, into
# DIR/prefix (static libraries, headers, pkg-config and CMake files). What it built is kept: a
# library whose prefix stamp exists is not built again. Needs a deb-src entry (added beside the
# Debian deb entry when missing) and dpkg-dev.
#   web_deps.sh DIR
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: web_deps.sh DIR" >&2; exit 2; }
mkdir -p "$1"
deps=$(realpath "$1")
prefix="$deps/prefix"
mkdir -p "$deps/src" "$prefix"
export NODE_PATH=/usr/share/nodejs  # emscripten's tools need Debian's node modules
jobs=$(nproc)

# Source package, and the library whose stamp says it is built.
packages=(zlib libpng1.6 libjpeg-turbo freetype mpg123 libsdl2)

ensure_deb_src() {
  apt-get source --download-only --print-uris zlib >/dev/null 2>&1 && return 0
  local list=/etc/apt/sources.list.d/debian.sources entry
  if [ -f "$list" ]; then
    # The same archives as the deb entries, as sources; not the security archive, whose mirror here
    # holds no sources (its newer versions would be chosen and then not found).
    entry=$(awk 'BEGIN { RS = ""; ORS = "\n\n" } /Types: deb/ && !/deb-src/ && !/security/ {
      sub(/Types: deb/, "Types: deb-src"); print }' "$list")
  else
    entry=$(sed -n '/security/d; s/^deb \(.*\)/deb-src \1/p' /etc/apt/sources.list)
  fi
  [ -n "$entry" ] || { echo "web_deps: no Debian deb entry to add sources beside" >&2; exit 1; }
  if [ -f "$list" ]; then
    printf '%s\n' "$entry" >/etc/apt/sources.list.d/vornhold-deb-src.sources
  else
    printf '%s\n' "$entry" >/etc/apt/sources.list.d/vornhold-deb-src.list
  fi
  apt-get update -qq
}

# Unpacks NAME's source package into src/NAME (once) and prints the folder.
unpack() {
  local name=$1 folder="$deps/src/$1"
  if [ ! -d "$folder" ]; then
    local download="$deps/src/download-$name"
    rm -rf "$download" && mkdir -p "$download"
    # apt complains when an upstream signature file is missing; the tarballs and .dsc arrive.
    (cd "$download" && apt-get source --download-only -qq "$name" >/dev/null 2>&1 || true)
    local dsc
    dsc=$(ls "$download"/*.dsc 2>/dev/null | head -n 1)
    [ -n "$dsc" ] || { echo "web_deps: apt-get source $name brought no .dsc" >&2; exit 1; }
    (cd "$download" && dpkg-source --no-check -x "$(basename "$dsc")" "$folder" >/dev/null)
  fi
  echo "$folder"
}

cmake_build() {
  local source=$1
  shift
  emcmake cmake -S "$source" -B "$source/build-web" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_FIND_ROOT_PATH="$prefix" \
    -DBUILD_SHARED_LIBS=OFF "$@" &&
    cmake --build "$source/build-web" -j "$jobs" &&
    cmake --install "$source/build-web"
}

build() {
  local name=$1 source
  [ -f "$prefix/.built-$name" ] && return 0
  echo "web_deps: building $name with emscripten"
  source=$(unpack "$name")
  # What the build says goes to a log, shown when it fails.
  if ! build_one "$name" "$source" >"$deps/$name.log" 2>&1; then
    tail -n 30 "$deps/$name.log" >&2
    echo "web_deps: building $name failed (the whole log: $deps/$name.log)" >&2
    exit 1
  fi
  touch "$prefix/.built-$name"
}

build_one() {
  local name=$1 source=$2
  case $name in
    # Debian's zlib source lacks the files its CMake build names for Windows: its own configure.
    zlib) (cd "$source" && emconfigure ./configure --static --prefix="$prefix" &&
      emmake make -j "$jobs" libz.a && emmake make install) ;;
    libpng1.6) cmake_build "$source" -DPNG_SHARED=OFF -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
                 -DZLIB_ROOT="$prefix" -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include" ;;
    # CMake misreads the size of size_t from a WebAssembly object: it is 4, as is long.
    libjpeg-turbo) cmake_build "$source" -DENABLE_SHARED=OFF -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF \
                     -DHAVE_SIZE_T=TRUE -DSIZE_T=4 -DHAVE_UNSIGNED_LONG=TRUE -DUNSIGNED_LONG=4 ;;
    freetype) cmake_build "$source" -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON \
                -DFT_DISABLE_BROTLI=ON -DFT_REQUIRE_ZLIB=ON -DZLIB_LIBRARY="$prefix/lib/libz.a" \
                -DZLIB_INCLUDE_DIR="$prefix/include" ;;
    # Only the decoding library; its non-recursive makefile has no install target for it alone.
    mpg123)
      (cd "$source" && emconfigure ./configure --host=i686-pc-linux-gnu --with-cpu=generic_fpu --disable-shared \
        --enable-static --disable-modules --with-default-audio=dummy --with-audio=dummy --prefix="$prefix" &&
        emmake make -j "$jobs" src/libmpg123/libmpg123.la)
      mkdir -p "$prefix/lib/pkgconfig" "$prefix/include"
      cp "$source/src/libmpg123/.libs/libmpg123.a" "$prefix/lib/"
      cp "$source/src/libmpg123/mpg123.h" "$source/src/libmpg123/fmt123.h" "$prefix/include/"
      cp "$source/libmpg123.pc" "$prefix/lib/pkgconfig/" ;;
    libsdl2) cmake_build "$source" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF ;;
  esac
}

ensure_deb_src
for package in "${packages[@]}"; do build "$package"; done
echo "web_deps: the libraries are in $prefix"
