// Hand-assembled RAR 2.x containers for reader tests: every field under the test's control, so
// that damaged and unusual archives can be made on purpose.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/cipher20.h"
#include "archive/crc32.h"
#include "archive/rar20_format.h"

namespace testsupport {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& b, unsigned v) {
  b.push_back(std::uint8_t(v));
  b.push_back(std::uint8_t(v >> 8));
}
inline void Put32(Bytes& b, std::uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

inline Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

// One file header and its data area. Unset sizes and CRCs are filled in from the data.
struct FileBlock {
  std::string name;
  Bytes data;                 // the data area as stored (packed, possibly enciphered)
  Bytes content;              // what the entry unpacks to: gives the unpacked size and data CRC
  std::uint16_t flags = rar20::kLongBlock | rar20::kFileWindow1M;
  std::uint8_t version = 20;
  std::uint8_t method = rar20::kMethodStored;
  Bytes afterName;            // fields between the name and the data (comment, times)
  std::int64_t packedSize = -1;    // -1: data.size()
  std::int64_t unpackedSize = -1;  // -1: content.size()
  std::int64_t dataCrc = -1;       // -1: CRC of content
  std::int64_t headerSize = -1;    // -1: the real size
  std::int64_t nameSize = -1;      // -1: name.size()
  std::uint8_t type = rar20::kTypeFile;
};

class ArchiveBuilder {
 public:
  explicit ArchiveBuilder(std::uint16_t mainFlags = 0, Bytes mainExtra = {}) {
    bytes_.assign(rar20::kMarker, rar20::kMarker + 7);
    Bytes h;
    h.push_back(rar20::kTypeMain);
    Put16(h, mainFlags);
    Put16(h, unsigned(rar20::kMainHeaderSize + mainExtra.size()));
    Put16(h, 0);
    Put32(h, 0);
    h.insert(h.end(), mainExtra.begin(), mainExtra.end());
    Put16(bytes_, ~ArchiveCrc32(0xFFFFFFFFu, h.data(), h.size()) & 0xFFFF);
    bytes_.insert(bytes_.end(), h.begin(), h.end());
  }

  // A stored entry holding `content`, optionally enciphered (data padded to 16-byte blocks).
  ArchiveBuilder& Stored(const std::string& name, const Bytes& content, const char* password = nullptr) {
    FileBlock f;
    f.name = name;
    f.content = content;
    f.data = content;
    if (password) {
      f.flags |= rar20::kFileEnciphered;
      f.data = Encipher(content, password);
    }
    return File(f);
  }

  ArchiveBuilder& File(const FileBlock& f) {
    Bytes h;
    h.push_back(f.type);
    Put16(h, f.flags);
    const std::size_t realSize = rar20::kFileHeaderSize + f.name.size() + f.afterName.size();
    Put16(h, unsigned(f.headerSize >= 0 ? f.headerSize : std::int64_t(realSize)));
    Put32(h, std::uint32_t(f.packedSize >= 0 ? f.packedSize : std::int64_t(f.data.size())));
    Put32(h, std::uint32_t(f.unpackedSize >= 0 ? f.unpackedSize : std::int64_t(f.content.size())));
    h.push_back(2);  // host: Win32
    Put32(h, std::uint32_t(f.dataCrc >= 0 ? f.dataCrc : DataCrc32(f.content.data(), f.content.size())));
    Put32(h, 0x5A210000);
    h.push_back(f.version);
    h.push_back(f.method);
    Put16(h, unsigned(f.nameSize >= 0 ? f.nameSize : std::int64_t(f.name.size())));
    Put32(h, 0x20);
    h.insert(h.end(), f.name.begin(), f.name.end());
    const std::uint32_t crc = ~ArchiveCrc32(0xFFFFFFFFu, h.data(), h.size());
    Put16(bytes_, crc & 0xFFFF);
    bytes_.insert(bytes_.end(), h.begin(), h.end());
    bytes_.insert(bytes_.end(), f.afterName.begin(), f.afterName.end());
    bytes_.insert(bytes_.end(), f.data.begin(), f.data.end());
    return *this;
  }

  // Any other block: type, flags, the bytes after the 7 common ones, and an optional data area.
  ArchiveBuilder& Block(std::uint8_t type, std::uint16_t flags, const Bytes& rest, const Bytes& data = {}) {
    Put16(bytes_, 0);
    bytes_.push_back(type);
    Put16(bytes_, flags);
    Put16(bytes_, unsigned(7 + rest.size() + ((flags & rar20::kLongBlock) ? 4 : 0)));
    if (flags & rar20::kLongBlock) Put32(bytes_, std::uint32_t(data.size()));
    bytes_.insert(bytes_.end(), rest.begin(), rest.end());
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    return *this;
  }

  ArchiveBuilder& Raw(const Bytes& b) {
    bytes_.insert(bytes_.end(), b.begin(), b.end());
    return *this;
  }

  const Bytes& bytes() const { return bytes_; }

  static Bytes Encipher(const Bytes& plain, const char* password) {
    Bytes data = plain;
    data.resize((data.size() + 15) / 16 * 16, 0);
    Rar20Cipher cipher;
    cipher.PrepareCipherKeys(password);
    for (std::size_t i = 0; i < data.size(); i += 16) cipher.EncipherBlock(data.data() + i);
    return data;
  }

 private:
  Bytes bytes_;
};

// A file in a fresh temporary folder, removed with the object.
class TempFile {
 public:
  explicit TempFile(const Bytes& contents, const std::string& name = "test.rar") {
    char pattern[] = "/tmp/vornhold-test-XXXXXX";
    dir_ = mkdtemp(pattern);
    path_ = dir_ / name;
    Write(contents);
  }
  ~TempFile() { std::filesystem::remove_all(dir_); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  void Write(const Bytes& contents) const {
    std::FILE* f = std::fopen(path_.c_str(), "wb");
    if (!contents.empty()) std::fwrite(contents.data(), 1, contents.size(), f);
    std::fclose(f);
  }
  std::string path() const { return path_.string(); }
  const std::filesystem::path& dir() const { return dir_; }

 private:
  std::filesystem::path dir_;
  std::filesystem::path path_;
};

}  // namespace testsupport
