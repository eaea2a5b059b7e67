#!/usr/bin/env bash
# The platform is the bottom layer and knows nothing of what stands on it: no file under platform/
# includes the show (demo/, Win32Platform/), the engine, the resources, the archive reader, the
# tools or the host. Which device backend may include what is checked by backend_includes.sh.
#   platform_includes.sh SOURCE_DIR
set -euo pipefail
cd "$1"
[ -d platform ] || { echo "no platform/ under $1" >&2; exit 1; }
upward=$(grep -rHn -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"(demo|Win32Platform|engine|resources|archive|tools|host)/' \
  --include='*.h' --include='*.cpp' platform || true)
if [ -n "$upward" ]; then
  echo "platform/ includes what stands above it:" >&2
  echo "$upward" >&2
  exit 1
fi
echo "platform/ includes nothing of the layers above it"
