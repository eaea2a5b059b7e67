// Fuzz target: the RAR 2.0 decoder alone, on arbitrary packed bytes, many times faster than
// going through archive files. The first four bytes give two entry sizes; the rest is split into
// two entries, the second continuing the first's solid stream, so that state carried from entry
// to entry (window, tables, audio model, work area) is reached too.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "archive/unpack20.h"
#include "fuzz_support.h"
#include "fuzz_targets.h"

namespace vornhold::fuzz {
namespace {

class MemoryInput final : public PackedInput {
 public:
  MemoryInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  unsigned ReadPackedData(std::uint8_t* buffer, unsigned length) override {
    const unsigned n = unsigned(std::min<std::size_t>(length, size_ - pos_));
    if (n) std::memcpy(buffer, data_ + pos_, n);
    pos_ += n;
    return n;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

void DecodeEntry(Unpack20& unpack, const std::uint8_t* data, std::size_t size, std::uint32_t unpacked,
                 bool continuesSolid) {
  std::vector<std::uint8_t> out(unpacked);
  UnpackOutput output{out.data(), unpacked, 0};
  MemoryInput input(data, size);
  unpack.UnpackEntry(input, output, continuesSolid);
  Require(output.delivered <= unpacked, "the decoder delivers at most the unpacked size");
  if (unpacked > 0 && output.delivered == unpacked) NoteAccepted();
}

}  // namespace

int Unpack20Fuzz(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  static const std::unique_ptr<std::uint8_t[]> window(new std::uint8_t[rar20::kWindowSize]());
  Unpack20 unpack(window.get());
  // Sizes up to 256 KiB: enough for window wrap-around within a few inputs, small enough to be fast.
  const std::uint32_t first = (std::uint32_t(data[0]) << 10 | data[1] << 2) & 0x3FFFF;
  const std::uint32_t second = (std::uint32_t(data[2]) << 10 | data[3] << 2) & 0x3FFFF;
  data += 4;
  size -= 4;
  const std::size_t split = size / 2;
  DecodeEntry(unpack, data, split, first, false);
  DecodeEntry(unpack, data + split, size - split, second, true);
  return 0;
}

}  // namespace vornhold::fuzz
