#!/usr/bin/env bash
# Makes the show's data again into a temporary folder and compares it byte for byte with what the
# build made: the generator must give the same bytes on every run.
#   reproducible.sh SHOWDATA_COMMAND BUILD_DATA_DIR
set -euo pipefail
showdata="$1"
made="$2"
again=$(mktemp -d)
trap 'rm -rf "$again"' EXIT
"$showdata" "$again" >/dev/null 2>&1
for f in lab.ac lab.mp3 part.txt; do
  cmp "$made/$f" "$again/$f"
done
echo "the data made again is identical"
