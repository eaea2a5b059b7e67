// Drives the reader's RAR 2.0 decoder on packed bytes held in memory (tests only).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "archive/unpack20.h"

namespace testsupport {

class MemoryInput final : public PackedInput {
 public:
  explicit MemoryInput(const std::vector<std::uint8_t>& data) : data_(data) {}
  unsigned ReadPackedData(std::uint8_t* buffer, unsigned length) override {
    const unsigned n = unsigned(std::min<std::size_t>(length, data_.size() - pos_));
    if (n) std::memcpy(buffer, data_.data() + pos_, n);
    pos_ += n;
    return n;
  }

 private:
  const std::vector<std::uint8_t>& data_;
  std::size_t pos_ = 0;
};

// One decoder with its window, taking entries in sequence as a solid archive does.
class StreamDecoder {
 public:
  StreamDecoder() : window_(new std::uint8_t[rar20::kWindowSize]()), unpack_(window_.get()) {}

  // Decodes an entry of `size` bytes; returns what was delivered.
  std::vector<std::uint8_t> Entry(const std::vector<std::uint8_t>& packed, std::size_t size,
                                  bool continuesSolid = false) {
    MemoryInput input(packed);
    std::vector<std::uint8_t> out(size + 1, 0xEE);  // one spare byte catches writes past the end
    UnpackOutput output{out.data(), std::uint32_t(size), 0};
    unpack_.UnpackEntry(input, output, continuesSolid);
    EXPECT_EQ(out[size], 0xEE) << "decoder wrote past the unpacked size";
    out.resize(output.delivered);
    return out;
  }

  // An entry decoded only into the window, as a solid archive's earlier entries are.
  void Skip(const std::vector<std::uint8_t>& packed, std::size_t size, bool continuesSolid = false) {
    MemoryInput input(packed);
    UnpackOutput output{nullptr, std::uint32_t(size), 0};
    unpack_.UnpackEntry(input, output, continuesSolid);
  }

 private:
  std::unique_ptr<std::uint8_t[]> window_;
  Unpack20 unpack_;
};

}  // namespace testsupport
