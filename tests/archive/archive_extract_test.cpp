// ArchiveExtract on hand-assembled containers: name matching, block walk, stored and enciphered
// entries, and archives damaged on purpose.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "archive/archive.h"
#include "archive/archive_reader.h"
#include "support/archive_builder.h"
#include "support/flat_stream_writer.h"

namespace {

using testsupport::ArchiveBuilder;
using testsupport::Bytes;
using testsupport::FileBlock;
using testsupport::TempFile;
using testsupport::ToBytes;

struct Result {
  int ok = 0;
  Bytes data;
  bool nullOnFailure = true;
};

Result Extract(const std::string& archive, const std::string& entry, const char* password = "") {
  unsigned char* data = reinterpret_cast<unsigned char*>(1);
  unsigned size = 777;
  Result r;
  r.ok = ArchiveExtract(&data, &size, entry.c_str(), archive.c_str(), password);
  if (r.ok) {
    r.data.assign(data, data + size);
  } else {
    r.nullOnFailure = data == nullptr && size == 0;
  }
  std::free(r.ok ? data : nullptr);
  return r;
}

Result Extract(const Bytes& archive, const std::string& entry, const char* password = "") {
  TempFile file(archive);
  return Extract(file.path(), entry, password);
}

TEST(EntryNames, CaseAndSeparatorsDoNotMatter) {
  EXPECT_EQ(EntryNamesEqual("data\\graphics\\sp01.jpg", "DATA/GRAPHICS/SP01.JPG"), 0);
  EXPECT_EQ(EntryNamesEqual("data\\graphics\\sp01.jpg", "data_graphics_sp01.jpg"), 0);
  EXPECT_LT(EntryNamesEqual("a", "b"), 0);
  EXPECT_GT(EntryNamesEqual("ab", "a"), 0);
  EXPECT_LT(EntryNamesEqual("a", "\xE9"), 0);  // bytes compare unsigned
  EXPECT_NE(EntryNamesEqual("\xE9", "\xC9"), 0);  // only a-z fold
}

TEST(ArchiveExtract, FindsEntriesByNormalisedNameAndTakesTheFirstOfTwins) {
  const Bytes archive = ArchiveBuilder()
                            .Stored("data\\mesh\\box.x", ToBytes("first box"))
                            .Stored("other.txt", ToBytes("other"))
                            .Stored("DATA/MESH/BOX.X", ToBytes("second box"))
                            .bytes();
  EXPECT_EQ(Extract(archive, "data/mesh/box.x").data, ToBytes("first box"));
  EXPECT_EQ(Extract(archive, "Data_Mesh_Box.X").data, ToBytes("first box"));
  EXPECT_EQ(Extract(archive, "OTHER.TXT").data, ToBytes("other"));
  const Result missing = Extract(archive, "absent.txt");
  EXPECT_EQ(missing.ok, 0);
  EXPECT_TRUE(missing.nullOnFailure);
}

TEST(ArchiveExtract, EmptyEntrySucceedsWithZeroBytes) {
  const Result r = Extract(ArchiveBuilder().Stored("empty", {}).bytes(), "empty");
  EXPECT_EQ(r.ok, 1);
  EXPECT_TRUE(r.data.empty());
}

TEST(ArchiveExtract, ArchiveStartsOtherThanTheMarkersAreRefused) {
  Bytes archive = ArchiveBuilder().Stored("a", ToBytes("x")).bytes();
  Bytes alt = archive;
  std::memcpy(alt.data(), "Tolvex!", 7);
  EXPECT_EQ(Extract(alt, "a").data, ToBytes("x"));

  Bytes old = archive;
  std::memcpy(old.data(), "RE~^", 4);
  EXPECT_EQ(Extract(old, "a").ok, 0);
  Bytes other = archive;
  other[6] = 1;
  EXPECT_EQ(Extract(other, "a").ok, 0);
  EXPECT_EQ(Extract(Bytes(archive.begin(), archive.begin() + 6), "a").ok, 0);
  EXPECT_EQ(Extract(Bytes(archive.begin(), archive.begin() + 19), "a").ok, 0);  // main header cut
  EXPECT_EQ(Extract(Bytes{}, "a").ok, 0);
}

TEST(ArchiveExtract, MissingOrUnreadableArchiveFails) {
  TempFile file(ArchiveBuilder().Stored("a", ToBytes("x")).bytes());
  EXPECT_EQ(Extract(file.path() + ".absent", "a").ok, 0);
  EXPECT_EQ(Extract(file.dir().string(), "a").ok, 0);  // a folder
  unsigned char* data = nullptr;
  unsigned size = 0;
  EXPECT_EQ(ArchiveExtract(nullptr, &size, "a", file.path().c_str(), ""), 0);
  EXPECT_EQ(ArchiveExtract(&data, nullptr, "a", file.path().c_str(), ""), 0);
  EXPECT_EQ(ArchiveExtract(&data, &size, nullptr, file.path().c_str(), ""), 0);
  EXPECT_EQ(ArchiveExtract(&data, &size, "a", nullptr, ""), 0);
  EXPECT_EQ(data, nullptr);
}

TEST(ArchiveExtract, SkipsExtraMainHeaderBytesAndForeignBlocks) {
  const Bytes archive = ArchiveBuilder(0, ToBytes("an archive comment inside the main header"))
                            .Block(0x75, 0, ToBytes("old comment block"))
                            .Block(0x78, rar20::kLongBlock, ToBytes("recovery"), Bytes(300, 0xAA))
                            .Stored("after", ToBytes("found"))
                            .bytes();
  EXPECT_EQ(Extract(archive, "after").data, ToBytes("found"));
}

TEST(ArchiveExtract, SubBlocksEndTheScan) {
  const Bytes archive =
      ArchiveBuilder().Block(rar20::kTypeSubBlock, 0, Bytes(25, 0)).Stored("after", ToBytes("x")).bytes();
  EXPECT_EQ(Extract(archive, "after").ok, 0);
}

TEST(ArchiveExtract, DataStartsAfterTheWholeHeader) {
  FileBlock f;
  f.name = "timed.txt";
  f.content = ToBytes("content after extended times");
  f.data = f.content;
  f.afterName = {0x00, 0xF0, 1, 2, 3, 4, 5};  // extended-time fields
  f.flags |= 0x1000;
  const Bytes archive = ArchiveBuilder().File(f).Stored("next", ToBytes("n")).bytes();
  EXPECT_EQ(Extract(archive, "timed.txt").data, f.content);
  EXPECT_EQ(Extract(archive, "next").data, ToBytes("n"));
}

TEST(ArchiveExtract, OverlongNamesFailCleanly) {
  const Bytes archive = ArchiveBuilder().Stored("a", ToBytes("x")).bytes();
  TempFile file(archive);
  EXPECT_EQ(Extract(file.path(), std::string(259, 'a')).ok, 0);  // longest allowed: just absent
  EXPECT_EQ(Extract(file.path(), std::string(260, 'a')).ok, 0);
  EXPECT_EQ(Extract(file.path(), std::string(5000, 'a')).ok, 0);
  EXPECT_EQ(Extract("/tmp/" + std::string(251, 'r'), "a").ok, 0);
  EXPECT_EQ(Extract(file.path(), "a", std::string(255, 'p').c_str()).ok, 0);
  EXPECT_EQ(Extract(file.path(), "a", std::string(254, 'p').c_str()).data, ToBytes("x"));
}

TEST(ArchiveExtract, StoredNameLongerThanKeptMatchesNothingButIsPassedCorrectly) {
  const std::string longName(300, 'n');
  const Bytes archive =
      ArchiveBuilder().Stored(longName, ToBytes("long")).Stored("short", ToBytes("short one")).bytes();
  EXPECT_EQ(Extract(archive, longName.substr(0, 259)).ok, 0);
  EXPECT_EQ(Extract(archive, "short").data, ToBytes("short one"));
}

TEST(ArchiveExtract, CorruptSizesAreRefusedBeforeAllocating) {
  auto with = [](auto change) {
    FileBlock f;
    f.name = "e";
    f.content = ToBytes("0123456789");
    f.data = f.content;
    change(f);
    return ArchiveBuilder().File(f).bytes();
  };
  EXPECT_EQ(Extract(with([](FileBlock&) {}), "e").ok, 1);
  EXPECT_EQ(Extract(with([](FileBlock& f) { f.unpackedSize = 0xFFFFFFF0; }), "e").ok, 0);
  EXPECT_EQ(Extract(with([](FileBlock& f) { f.unpackedSize = 11; }), "e").ok, 0);  // stored > packed
  EXPECT_EQ(Extract(with([](FileBlock& f) { f.method = 0x33; f.unpackedSize = 200u << 20; }), "e").ok, 0);
  // Declared sizes larger than the file could hold: refused before any allocation.
  EXPECT_EQ(Extract(with([](FileBlock& f) { f.packedSize = 100u << 20; f.unpackedSize = 100u << 20; }), "e").ok, 0);
  EXPECT_EQ(Extract(with([](FileBlock& f) { f.method = 0x33; f.packedSize = 1u << 20; f.unpackedSize = 100u << 20; }), "e").ok, 0);
  // A data area running past the end of the file: the entry's own bytes are all there.
  EXPECT_EQ(Extract(with([](FileBlock& f) { f.packedSize = 0x7FFFFFFF; }), "e").ok, 1);
  EXPECT_EQ(Extract(with([](FileBlock& f) { f.packedSize = 5; f.unpackedSize = 5; }), "e").ok, 0);
  EXPECT_EQ(Extract(with([](FileBlock& f) { f.headerSize = 3; }), "e").ok, 0);
  EXPECT_EQ(Extract(with([](FileBlock& f) { f.headerSize = 20; }), "e").ok, 0);
  EXPECT_EQ(Extract(with([](FileBlock& f) { f.nameSize = 0xFFFF; }), "e").ok, 0);
  EXPECT_EQ(Extract(with([](FileBlock& f) { f.dataCrc = 1234; }), "e").ok, 0);
  EXPECT_EQ(Extract(with([](FileBlock& f) { f.version = 12; }), "e").ok, 0);
  EXPECT_EQ(Extract(with([](FileBlock& f) { f.version = 29; }), "e").ok, 0);
}

TEST(ArchiveExtract, EncipheredStoredEntriesOfEverySize) {
  for (std::size_t size : {0u, 1u, 15u, 16u, 17u, 31u, 1000u}) {
    SCOPED_TRACE(size);
    Bytes content(size);
    for (std::size_t i = 0; i < size; ++i) content[i] = std::uint8_t(i * 7 + 3);
    const Bytes archive = ArchiveBuilder()
                              .Stored("first.bin", content, "secret")
                              .Stored("second.bin", ToBytes("second, also enciphered"), "secret")
                              .bytes();
    EXPECT_EQ(Extract(archive, "first.bin", "secret").data, content);
    EXPECT_EQ(Extract(archive, "second.bin", "secret").data, ToBytes("second, also enciphered"));
    if (size > 0) {
      EXPECT_EQ(Extract(archive, "first.bin", "Secret").ok, 0);
      EXPECT_EQ(Extract(archive, "first.bin", "").ok, 0);
      EXPECT_EQ(Extract(archive, "first.bin", nullptr).ok, 0);
    }
  }
}

TEST(ArchiveExtract, PasswordOnPlainEntryIsNotUsedAndOldCipherIsNotDeciphered) {
  EXPECT_EQ(Extract(ArchiveBuilder().Stored("p", ToBytes("plain")).bytes(), "p", "pw").data, ToBytes("plain"));
  FileBlock f;
  f.name = "old";
  f.content = ToBytes("sixteen bytes!!!");
  f.data = ArchiveBuilder::Encipher(f.content, "pw");
  f.flags |= rar20::kFileEnciphered;
  f.version = 15;
  EXPECT_EQ(Extract(ArchiveBuilder().File(f).bytes(), "old", "pw").ok, 0);
}

TEST(ArchiveExtract, SolidArchiveDecodesEarlierEntriesOnEveryCall) {
  testsupport::FlatStreamWriter w;
  auto compressed = [](const std::string& name, Bytes data, const std::string& content, bool solid) {
    FileBlock f;
    f.name = name;
    f.data = std::move(data);
    f.content = ToBytes(content);
    f.method = rar20::kMethodBest;
    if (solid) f.flags |= rar20::kFileSolid;
    return f;
  };
  w.LzTables();
  for (char c : std::string("alpha")) w.Literal(c);
  const FileBlock first = compressed("1", w.Finish(), "alpha", false);
  w.Match(2, 0, 4, 0);  // "alpha" again: length 5 at distance 4 + 1
  const FileBlock second = compressed("2", w.Finish(), "alpha", true);
  for (char c : std::string("beta")) w.Literal(c);
  const FileBlock third = compressed("3", w.Finish(), "beta", true);
  const Bytes archive = ArchiveBuilder(rar20::kMainSolid).File(first).File(second).File(third).bytes();
  EXPECT_EQ(Extract(archive, "3").data, ToBytes("beta"));
  EXPECT_EQ(Extract(archive, "2").data, ToBytes("alpha"));
  // Without the solid flag in the main header the second entry's history is missing.
  Bytes notSolid = archive;
  notSolid[10] &= ~rar20::kMainSolid;
  EXPECT_EQ(Extract(notSolid, "2").ok, 0);
}

// Every prefix and many random corruptions of a compressed, enciphered archive: the reader must
// fail cleanly (the sanitizer build checks every access) and never hang.
TEST(ArchiveExtract, DamagedArchivesFailWithoutHarm) {
  testsupport::FlatStreamWriter w;
  w.LzTables();
  std::string text;
  for (int i = 0; i < 300; ++i) text += "word" + std::to_string(i % 17) + ' ';
  for (char c : text) w.Literal(c);
  w.Match(20, 5, 20, 100);
  FileBlock f;
  f.name = "text";
  f.method = rar20::kMethodBest;
  f.data = w.Finish();
  f.unpackedSize = std::int64_t(text.size() + 64 + 5);
  f.content = Bytes(std::size_t(f.unpackedSize), 0);
  const Bytes archive = ArchiveBuilder().Stored("s", ToBytes("stored entry"), "pw").File(f).bytes();

  TempFile file(archive);
  for (std::size_t cut = 0; cut < archive.size(); cut += (cut < 200 ? 1 : 97)) {
    file.Write(Bytes(archive.begin(), archive.begin() + std::ptrdiff_t(cut)));
    Extract(file.path(), "text", "pw");
    Extract(file.path(), "s", "pw");
  }
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    Bytes damaged = archive;
    for (int flips = 1 + round % 4; flips > 0; --flips)
      damaged[random() % damaged.size()] ^= std::uint8_t(1 + random() % 255);
    file.Write(damaged);
    const Result r = Extract(file.path(), round % 2 ? "text" : "s", "pw");
    if (!r.ok) {
      EXPECT_TRUE(r.nullOnFailure);
    }
  }
}

}  // namespace
