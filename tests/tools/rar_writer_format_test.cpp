// The bytes the archive writer lays down: marker, main header, file headers, data areas, and the
// limits it refuses. Header CRC constants were computed with an independent CRC-32 (zlib).
#include <gtest/gtest.h>

#include <cstring>

#include "archive/cipher20.h"
#include "archive/crc32.h"
#include "rarpack_test_support.h"
#include "tools/rarpack/rar_listing.h"
#include "tools/rarpack/rar_writer.h"

namespace {

using rarpacktest::Bytes;
using rarpacktest::DirectoryEntry;
using rarpacktest::FileEntry;
using rarpacktest::RandomBytes;
using rarpacktest::TextBytes;

std::uint32_t Load16(const Bytes& b, std::size_t at) { return b[at] | b[at + 1] << 8; }
std::uint32_t Load32(const Bytes& b, std::size_t at) {
  return Load16(b, at) | Load16(b, at + 2) << 16;
}

Bytes Write(const std::vector<ArchiveEntryInput>& entries, const ArchiveWriterOptions& options) {
  Bytes out;
  std::string error;
  EXPECT_TRUE(WriteRarArchive(entries, options, out, error)) << error;
  return out;
}

ArchiveWriterOptions Stored(std::string password = "") {
  ArchiveWriterOptions options;
  options.store = true;
  options.password = std::move(password);
  return options;
}

TEST(RarWriterFormat, MainHeaderBytes) {
  const Bytes plain = Write({}, Stored());
  const Bytes expected = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x00, 0xCF, 0x90, 0x73, 0x00,
                          0x00, 0x0D, 0x00, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(plain, expected);

  ArchiveWriterOptions solid = Stored();
  solid.solid = true;
  const Bytes solidBytes = Write({}, solid);
  EXPECT_EQ(Load16(solidBytes, 7), 0xD03Bu);
  EXPECT_EQ(Load16(solidBytes, 10), 0x0008u);

  // Extra bytes count in the header size and in its CRC.
  ArchiveWriterOptions extra = Stored();
  extra.mainHeaderExtra = {1, 2, 3};
  const Bytes withExtra = Write({}, extra);
  ASSERT_EQ(withExtra.size(), 7u + 16u);
  EXPECT_EQ(Load16(withExtra, 7), 0x729Du);
  EXPECT_EQ(Load16(withExtra, 12), 16u);
  EXPECT_EQ(Bytes(withExtra.end() - 3, withExtra.end()), (Bytes{1, 2, 3}));
}

// Walks the file headers after a 13-byte main header and checks every field.
TEST(RarWriterFormat, FileHeaderFieldsOfStoredEntries) {
  const std::vector<ArchiveEntryInput> entries = {
      FileEntry("a/b\\c.txt", TextBytes(17, 1)), DirectoryEntry("a"), FileEntry("e", {})};
  const Bytes archive = Write(entries, Stored());
  const char* storedNames[] = {"a\\b\\c.txt", "a", "e"};

  std::size_t pos = 7 + 13;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    SCOPED_TRACE(storedNames[i]);
    const ArchiveEntryInput& entry = entries[i];
    const std::size_t nameSize = std::strlen(storedNames[i]);
    ASSERT_LE(pos + 32 + nameSize, archive.size());
    EXPECT_EQ(Load16(archive, pos), DataCrc32(&archive[pos + 2], 30 + nameSize) & 0xFFFF);
    EXPECT_EQ(archive[pos + 2], 0x74);
    EXPECT_EQ(Load16(archive, pos + 3), entry.directory ? 0x80E0u : 0x8080u);
    EXPECT_EQ(Load16(archive, pos + 5), 32 + nameSize);
    const std::uint32_t packed = Load32(archive, pos + 7);
    EXPECT_EQ(packed, entry.data.size());
    EXPECT_EQ(Load32(archive, pos + 11), entry.data.size());
    EXPECT_EQ(archive[pos + 15], 2);  // Win32: '\' separates folders
    EXPECT_EQ(Load32(archive, pos + 16), DataCrc32(entry.data.data(), entry.data.size()));
    EXPECT_EQ(Load32(archive, pos + 20), entry.dosTime);
    EXPECT_EQ(archive[pos + 24], 20);
    EXPECT_EQ(archive[pos + 25], 0x30);
    EXPECT_EQ(Load16(archive, pos + 26), nameSize);
    EXPECT_EQ(Load32(archive, pos + 28), entry.directory ? 0x10u : 0x20u);
    EXPECT_EQ(std::string(archive.begin() + pos + 32, archive.begin() + pos + 32 + nameSize),
              storedNames[i]);
    pos += 32 + nameSize;
    EXPECT_EQ(Bytes(archive.begin() + pos, archive.begin() + pos + packed), entry.data);
    pos += packed;
  }
  EXPECT_EQ(pos, archive.size());
}

// Data areas are zero-padded to 16-byte blocks before enciphering; the packed size counts the
// padding. Empty files and directories carry nothing to encipher and stay plain.
TEST(RarWriterFormat, EncipheredStoredEntriesArePaddedToBlocks) {
  const std::string password = "opensesame";
  std::vector<ArchiveEntryInput> entries;
  for (std::size_t size : {1, 15, 16, 17}) {
    entries.push_back(FileEntry("f" + std::to_string(size), TextBytes(size, size)));
  }
  entries.push_back(FileEntry("empty", {}));
  entries.push_back(DirectoryEntry("dir"));
  const Bytes archive = Write(entries, Stored(password));

  std::size_t pos = 7 + 13;
  for (const ArchiveEntryInput& entry : entries) {
    SCOPED_TRACE(entry.name);
    const std::uint32_t flags = Load16(archive, pos + 3);
    const std::uint32_t packed = Load32(archive, pos + 7);
    const bool enciphered = !entry.data.empty();
    EXPECT_EQ((flags & 0x0004) != 0, enciphered);
    EXPECT_EQ(packed, (entry.data.size() + 15) / 16 * 16);
    EXPECT_EQ(Load32(archive, pos + 11), entry.data.size());
    pos += Load16(archive, pos + 5);

    Bytes area(archive.begin() + pos, archive.begin() + pos + packed);
    Rar20Cipher cipher;
    cipher.PrepareCipherKeys(password.c_str());
    for (std::size_t at = 0; at < area.size(); at += 16) cipher.DecipherBlock(&area[at]);
    Bytes expected = entry.data;
    expected.resize(packed, 0);
    EXPECT_EQ(area, expected);
    pos += packed;
  }
  EXPECT_EQ(pos, archive.size());
}

// Non-solid: an entry that does not shrink is stored. Solid: every non-empty file goes through the
// one stream, and all but the first carry the solid flag; folders and empty files stay outside.
TEST(RarWriterFormat, SolidFlagsAndStoredFallback) {
  const std::vector<ArchiveEntryInput> entries = {DirectoryEntry("d"), FileEntry("e", {}),
                                                  FileEntry("t1", TextBytes(5000, 1)),
                                                  FileEntry("n", RandomBytes(3000, 2)),
                                                  FileEntry("t2", TextBytes(5000, 3))};
  struct Expect {
    std::uint8_t method;
    bool solidFlag;
  };
  struct Case {
    bool solid;
    const char* password;
    std::vector<Expect> expect;
  };
  const Case cases[] = {
      {false, "", {{0x30, false}, {0x30, false}, {0x35, false}, {0x30, false}, {0x35, false}}},
      {false, "pw", {{0x30, false}, {0x30, false}, {0x35, false}, {0x30, false}, {0x35, false}}},
      {true, "", {{0x30, false}, {0x30, false}, {0x35, false}, {0x35, true}, {0x35, true}}},
      {true, "pw", {{0x30, false}, {0x30, false}, {0x35, false}, {0x35, true}, {0x35, true}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.solid ? "solid" : "not solid") + " password '" + c.password + "'");
    ArchiveWriterOptions options;
    options.solid = c.solid;
    options.password = c.password;
    ArchiveListing listing;
    std::string error;
    ASSERT_TRUE(ListRarArchive(Write(entries, options), listing, error)) << error;
    EXPECT_EQ(listing.Solid(), c.solid);
    ASSERT_EQ(listing.entries.size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const ListedEntry& e = listing.entries[i];
      SCOPED_TRACE(e.name);
      EXPECT_EQ(e.method, c.expect[i].method);
      EXPECT_EQ(e.ContinuesSolid(), c.expect[i].solidFlag);
      if (e.method == 0x35 && !c.solid) {
        EXPECT_LT(e.packedSize, e.unpackedSize);
      }
      if (*c.password) {
        EXPECT_EQ(e.packedSize % 16, 0u);
      }
    }
  }
}

// A compressed entry opens with a table block whose first bit selects audio (multimedia) mode.
TEST(RarWriterFormat, MultimediaSwitchReachesTheEncoder) {
  const std::vector<ArchiveEntryInput> entries = {
      FileEntry("mono.raw", rarpacktest::PcmBytes(8000, 1, 1)),
      FileEntry("quad.raw", rarpacktest::PcmBytes(8000, 4, 4))};
  for (MultimediaMode mode : {MultimediaMode::kForce, MultimediaMode::kForbid}) {
    ArchiveWriterOptions options;
    options.multimedia = mode;
    ArchiveListing listing;
    std::string error;
    const Bytes archive = Write(entries, options);
    ASSERT_TRUE(ListRarArchive(archive, listing, error)) << error;
    for (const ListedEntry& e : listing.entries) {
      ASSERT_EQ(e.method, 0x35) << e.name;
      EXPECT_EQ((archive[e.dataOffset] & 0x80) != 0, mode == MultimediaMode::kForce) << e.name;
    }
  }
}

TEST(RarWriterFormat, RefusesWhatTheReaderCannotHold) {
  struct Case {
    const char* what;
    std::vector<ArchiveEntryInput> entries;
    ArchiveWriterOptions options;
    bool accepted;
  };
  ArchiveWriterOptions bigExtra = Stored();
  bigExtra.mainHeaderExtra.resize(0xFFFF - 12);
  const Case cases[] = {
      {"name of 259 bytes", {FileEntry(std::string(259, 'n'), {1})}, Stored(), true},
      {"name of 260 bytes", {FileEntry(std::string(260, 'n'), {1})}, Stored(), false},
      {"empty name", {FileEntry("", {1})}, Stored(), false},
      {"NUL in a name", {FileEntry(std::string("a\0b", 3), {1})}, Stored(), false},
      {"directory with data", {[] { auto d = DirectoryEntry("d"); d.data = {1}; return d; }()},
       Stored(), false},
      {"password of 254 bytes", {FileEntry("f", {1})}, Stored(std::string(254, 'p')), true},
      {"password of 255 bytes", {FileEntry("f", {1})}, Stored(std::string(255, 'p')), false},
      {"main header over 64 KiB", {}, bigExtra, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes out = {9};
    std::string error;
    EXPECT_EQ(WriteRarArchive(c.entries, c.options, out, error), c.accepted);
    if (!c.accepted) {
      EXPECT_TRUE(out.empty());
      EXPECT_FALSE(error.empty());
      EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
  }
}

TEST(RarWriterFormat, SameInputsGiveSameBytesAndReportProgressInOrder) {
  const std::vector<ArchiveEntryInput> entries = {
      FileEntry("x/one", TextBytes(1000, 3)), DirectoryEntry("x"), FileEntry("two", {7, 7})};
  ArchiveWriterOptions options = Stored("pw");
  std::vector<std::string> seen;
  options.progress = [&](std::size_t index, const ArchiveEntryInput& entry) {
    EXPECT_EQ(index, seen.size() % entries.size());
    seen.push_back(entry.name);
  };
  const Bytes first = Write(entries, options);
  const Bytes second = Write(entries, options);
  EXPECT_EQ(first, second);
  EXPECT_EQ(seen, (std::vector<std::string>{"x/one", "x", "two", "x/one", "x", "two"}));
}

}  // namespace
