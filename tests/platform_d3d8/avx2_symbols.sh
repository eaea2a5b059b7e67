#!/usr/bin/env bash
# The rasterizer's AVX2 lane file must define nothing but its entry point: an inline function or
# template instance compiled there with AVX2 would be a weak symbol that the linker may keep in
# place of another file's copy, and that copy would then fault on a processor without AVX2.
#   avx2_symbols.sh OBJECT...   (the objects of platform_d3d8; the AVX2 one is picked out)
set -euo pipefail
object=""
for o in "$@"; do
  case "$o" in *ref_lanes_avx2.cpp.o) object="$o" ;; esac
done
[ -n "$object" ] || { echo "no ref_lanes_avx2.cpp.o among the objects" >&2; exit 1; }
# Global and weak definitions, less the entry point and the exception personality reference.
extra=$(nm -C --defined-only "$object" | awk '$2 ~ /^[TWVuiDBR]$/' |
        grep -v -e 'd3d8::ref::raster::Avx2LaneRows(' -e 'DW.ref.__gxx_personality_v0' || true)
if [ -n "$extra" ]; then
  echo "$object defines symbols other files could bind to:" >&2
  echo "$extra" >&2
  exit 1
fi
echo "$object: only Avx2LaneRows"
