#!/usr/bin/env bash
# The devices meet only in the device front (platform/d3d8/*): no file of the software device
# (ref/) includes one of the OpenGL device (gl/), nor the other way round, so that either can be
# changed, or left out of a build, without touching the other.
#   backend_includes.sh D3D8_DIR
set -euo pipefail
dir=$1
[ -d "$dir/ref" ] && [ -d "$dir/gl" ] || { echo "no ref/ and gl/ under $dir" >&2; exit 1; }
crossing=$( (grep -Hn '^[[:space:]]*#[[:space:]]*include.*[/"]gl/' "$dir"/ref/* || true
             grep -Hn '^[[:space:]]*#[[:space:]]*include.*[/"]ref/' "$dir"/gl/* || true) )
if [ -n "$crossing" ]; then
  echo "a device includes the other device's files:" >&2
  echo "$crossing" >&2
  exit 1
fi
echo "ref/ and gl/ include only their own files and the device front's"
