// Helpers for writing small .x files in every encoding.
#pragma once

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/d3dx8/xfile_mesh.h"

namespace xtest {

inline std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

inline HRESULT Parse(const std::vector<uint8_t>& file, d3dx::XMeshData* mesh) {
  return d3dx::ParseXFile(file.data(), file.size(), mesh);
}

inline HRESULT ParseText(const std::string& body, d3dx::XMeshData* mesh) {
  return Parse(Bytes("xof 0303txt 0032\n" + body), mesh);
}

// Binary token writer.
class Binary {
 public:
  explicit Binary(bool doubles = false) : doubles_(doubles) {
    const char* header = doubles ? "xof 0303bin 0064" : "xof 0303bin 0032";
    bytes_.assign(header, header + 16);
  }
  Binary& Token(uint16_t id) { return U16(id); }
  Binary& Name(const std::string& s) { Token(1).U32(static_cast<uint32_t>(s.size())); return Raw(s); }
  Binary& String(const std::string& s) {
    Token(2).U32(static_cast<uint32_t>(s.size()));
    return Raw(s).Token(20);
  }
  Binary& Ints(const std::vector<uint32_t>& values) {
    Token(6).U32(static_cast<uint32_t>(values.size()));
    for (uint32_t v : values) U32(v);
    return *this;
  }
  Binary& Floats(const std::vector<double>& values) {
    Token(7).U32(static_cast<uint32_t>(values.size()));
    for (double v : values) {
      if (doubles_) {
        uint8_t raw[8];
        std::memcpy(raw, &v, 8);
        bytes_.insert(bytes_.end(), raw, raw + 8);
      } else {
        const float f = static_cast<float>(v);
        uint8_t raw[4];
        std::memcpy(raw, &f, 4);
        bytes_.insert(bytes_.end(), raw, raw + 4);
      }
    }
    return *this;
  }
  Binary& Open() { return Token(10); }
  Binary& Close() { return Token(11); }
  Binary& Guid() {
    Token(5);
    bytes_.insert(bytes_.end(), 16, 0x5A);
    return *this;
  }
  Binary& U16(uint16_t v) {
    bytes_.push_back(static_cast<uint8_t>(v));
    bytes_.push_back(static_cast<uint8_t>(v >> 8));
    return *this;
  }
  Binary& U32(uint32_t v) { return U16(static_cast<uint16_t>(v)).U16(static_cast<uint16_t>(v >> 16)); }
  Binary& Raw(const std::string& s) {
    bytes_.insert(bytes_.end(), s.begin(), s.end());
    return *this;
  }
  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  bool doubles_;
  std::vector<uint8_t> bytes_;
};

// MSZIP-compresses a whole file (16-byte header + body): "tzip"/"bzip" header, the total size,
// then blocks of at most blockSize bytes, each deflated with the previous output as its history.
inline std::vector<uint8_t> Compress(const std::vector<uint8_t>& file, size_t blockSize) {
  std::vector<uint8_t> out(file.begin(), file.begin() + 16);
  std::memcpy(out.data() + 8, std::memcmp(file.data() + 8, "txt ", 4) == 0 ? "tzip" : "bzip", 4);
  const uint32_t total = static_cast<uint32_t>(file.size());
  for (int k = 0; k < 4; ++k) out.push_back(static_cast<uint8_t>(total >> (8 * k)));
  for (size_t start = 16; start < file.size(); start += blockSize) {
    const size_t plain = std::min(blockSize, file.size() - start);
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    if (start > 16) {
      const size_t window = std::min<size_t>(start - 16, 32768);
      deflateSetDictionary(&z, file.data() + start - window, static_cast<uInt>(window));
    }
    std::vector<uint8_t> packed(deflateBound(&z, static_cast<uLong>(plain)) + 16);
    z.next_in = const_cast<Bytef*>(file.data() + start);
    z.avail_in = static_cast<uInt>(plain);
    z.next_out = packed.data();
    z.avail_out = static_cast<uInt>(packed.size());
    deflate(&z, Z_FINISH);
    const size_t packedSize = packed.size() - z.avail_out;
    deflateEnd(&z);
    out.push_back(static_cast<uint8_t>(plain));
    out.push_back(static_cast<uint8_t>(plain >> 8));
    out.push_back(static_cast<uint8_t>(packedSize + 2));
    out.push_back(static_cast<uint8_t>((packedSize + 2) >> 8));
    out.push_back('C');
    out.push_back('K');
    out.insert(out.end(), packed.begin(), packed.begin() + static_cast<long>(packedSize));
  }
  return out;
}

}  // namespace xtest
