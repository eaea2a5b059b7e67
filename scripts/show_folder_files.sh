# Files that stand in for a show folder's own, for the tests and benchmarks that try a folder the
# way an unlucky user or an attacker would. Sourced, not run.

# huge_tga W H: a 24-bit run-length TGA of W x H pixels of one colour on standard output, 4 bytes
# for every 128 pixels (W, H below 65536; W x H a multiple of 128).
huge_tga() {
  local w=$1 h=$2
  printf '\0\0\012\0\0\0\0\0\0\0\0\0'
  printf "\\x$(printf %02x $((w & 255)))\\x$(printf %02x $((w >> 8)))"
  printf "\\x$(printf %02x $((h & 255)))\\x$(printf %02x $((h >> 8)))\\x18\\x20"
  head -c $((w * h / 128 * 4)) /dev/zero | tr '\0' '\377'
}

# replace_entry RARPACK ARCHIVE ENTRY FILE [-s]: ARCHIVE with ENTRY ('\' separators) holding FILE's
# bytes, every other entry kept in its place; with -s the whole archive is repacked solid.
replace_entry() {
  local rarpack=$1 archive=$2 entry=$3 file=$4 solid=${5:-}
  local dir
  dir=$(mktemp -d)
  mkdir -p "$dir/$(dirname "${entry//\\//}")"
  cp "$file" "$dir/${entry//\\//}"
  archive=$(realpath "$archive")
  (cd "$dir" && "$rarpack" a $solid "$archive" "${entry//\\//}" >/dev/null 2>&1)
  local code=$?
  rm -rf "$dir"
  return $code
}
