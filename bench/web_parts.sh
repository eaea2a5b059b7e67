#!/usr/bin/env bash
# Frames per second of every part in headless Chromium against the native program (web_parts.js):
# the page's software device (WebAssembly, one thread) against the native one on one thread, and
# the page's WebGL2 device. Builds the page first with ./web.sh --build-only unless it is there.
#   bench/web_parts.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
[ -f build-web/site/vornhold.wasm ] || ./web.sh --build-only
command -v chromium >/dev/null || { source scripts/setup.sh; vornhold_install_packages chromium; }
node bench/web_parts.js build-web/site build/host/vornhold build/data
