# Shared set-up for run.sh and test.sh: installs what is missing, then configures and builds.
# Sourced, not run. Quiet when everything is already there.

VORNHOLD_PACKAGES=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev unar gzip xz-utils libmpg123-dev libsdl2-dev lame libmp3lame-dev libfreetype-dev fonts-dejavu-core xvfb xdotool ffmpeg
                   libpng-dev libjpeg62-turbo-dev pkg-config zlib1g-dev
                   libegl-dev libgl-dev libegl-mesa0 libgl1-mesa-dri)
# The page (web.sh): emscripten, dpkg-source for the libraries' Debian sources, the dialog's font,
# a web server.
VORNHOLD_WEB_PACKAGES=(emscripten dpkg-dev fonts-dejavu-core python3)

vornhold_install_packages() {
  local missing=()
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing Debian packages: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# The format author's own extractor (a WebAssembly build from npm), for the conformance tests.
vornhold_install_node_tools() {
  local dir="$VORNHOLD_ROOT/tests/conformance"
  [ -d "$dir/node_modules/node-unrar-js" ] && return 0
  # Node.js may come from elsewhere than Debian (with npm inside): install only what is missing,
  # never Debian's nodejs over another one.
  if ! command -v node >/dev/null; then
    vornhold_install_packages nodejs npm
  elif ! command -v npm >/dev/null; then
    vornhold_install_packages npm
  fi
  command -v npm >/dev/null || return 0
  echo "Installing the npm extractor for the conformance tests"
  (cd "$dir" && npm install --no-audit --no-fund --no-package-lock --loglevel=error >/dev/null) ||
    echo "warning: npm install failed; the extractor cross-checks will be skipped" >&2
}

# vornhold_build DIR [cmake options...]
vornhold_build() {
  local dir="$1"
  shift
  cmake -S "$VORNHOLD_ROOT" -B "$dir" -G Ninja -Wno-dev "$@" >/dev/null
  cmake --build "$dir"
}
