# Sourced by the show's benchmark scripts: installs what is missing and builds the show and its
# data in Release into $build (VORNHOLD_BENCH_BUILD, default build-bench/); offers
# enter_show_folder.
VORNHOLD_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$VORNHOLD_ROOT/scripts/setup.sh"
vornhold_install_packages "${VORNHOLD_PACKAGES[@]}"

build="${VORNHOLD_BENCH_BUILD:-$VORNHOLD_ROOT/build-bench}"
echo "Building the show and its data (Release) in $build..." >&2
cmake -S "$VORNHOLD_ROOT" -B "$build" -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Release -DVORNHOLD_TESTS=OFF \
  -DVORNHOLD_DATA_GENERATOR=ON -DVORNHOLD_DATA=ON >/dev/null
cmake --build "$build" --target vornhold show_data -j 2 >/dev/null

# A temporary folder, removed at exit, holding the built data and a part.txt that plays every
# part; the caller is moved into it.
enter_show_folder() {
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  ln -s "$build/data/lab.ac" "$build/data/lab.mp3" "$work/"
  cd "$work"
  printf 'part%02d\n' 1 2 3 4 5 6 7 8 9 10 >part.txt
}
