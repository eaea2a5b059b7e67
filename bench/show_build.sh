# Sourced by the show's benchmark scripts: installs what is missing and builds the show and its
# data in Release into $build (VORNHOLD_BENCH_BUILD, default build-bench/).
VORNHOLD_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$VORNHOLD_ROOT/scripts/setup.sh"
vornhold_install_packages "${VORNHOLD_PACKAGES[@]}"

build="${VORNHOLD_BENCH_BUILD:-$VORNHOLD_ROOT/build-bench}"
echo "Building the show and its data (Release) in $build..." >&2
cmake -S "$VORNHOLD_ROOT" -B "$build" -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Release -DVORNHOLD_TESTS=OFF \
  -DVORNHOLD_DATA_GENERATOR=ON -DVORNHOLD_DATA=ON >/dev/null
cmake --build "$build" --target vornhold show_data -j 2 >/dev/null
