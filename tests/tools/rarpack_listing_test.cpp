// The block walker behind `rarpack l` and archive updates: what it reports for our own and for
// real archives, and that damaged input never makes it read past the bytes it was given.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "archive/crc32.h"
#include "rarpack_test_support.h"
#include "tools/rarpack/rar_listing.h"

namespace {

using namespace rarpacktest;

const fs::path kRealArchives = fs::path(VORNHOLD_TESTDATA_DIR) / "rar";

Bytes SampleArchive() {
  ArchiveWriterOptions options;
  options.store = true;
  options.password = "pw";
  options.mainHeaderExtra = {'n', 'o', 't', 'e'};
  Bytes out;
  std::string error;
  EXPECT_TRUE(WriteRarArchive({FileEntry("one/a.txt", TextBytes(100, 1)), DirectoryEntry("one"),
                               FileEntry("b", {}), FileEntry("c", RandomBytes(33, 2))},
                              options, out, error));
  return out;
}

TEST(RarListing, ReportsWhatTheWriterWrote) {
  const Bytes archive = SampleArchive();
  ArchiveListing listing;
  std::string error;
  ASSERT_TRUE(ListRarArchive(archive, listing, error)) << error;
  EXPECT_TRUE(listing.warning.empty()) << listing.warning;
  EXPECT_TRUE(listing.mainHeaderCrcOk);
  EXPECT_EQ(listing.mainHeaderExtra, (Bytes{'n', 'o', 't', 'e'}));
  ASSERT_EQ(listing.entries.size(), 4u);

  const ListedEntry& a = listing.entries[0];
  EXPECT_EQ(a.name, "one\\a.txt");
  EXPECT_EQ(a.unpackedSize, 100u);
  EXPECT_EQ(a.packedSize, 112u);
  EXPECT_TRUE(a.Enciphered() && a.Stored() && !a.Directory() && !a.ContinuesSolid());
  EXPECT_EQ(a.dataCrc, DataCrc32(TextBytes(100, 1).data(), 100));
  EXPECT_EQ(FormatDosTime(a.dosTime), "2025-01-01 00:00:00");
  EXPECT_TRUE(listing.entries[1].Directory());
  EXPECT_FALSE(listing.entries[2].Enciphered());
  EXPECT_EQ(listing.entries[3].dataOffset + listing.entries[3].packedSize, archive.size());
  for (const ListedEntry& e : listing.entries) EXPECT_TRUE(e.headerCrcOk) << e.name;

  // A flipped name byte shows as a header CRC error, not as a different walk.
  Bytes damaged = archive;
  damaged[listing.entries[0].blockOffset + 32] ^= 0x20;
  ASSERT_TRUE(ListRarArchive(damaged, listing, error));
  EXPECT_FALSE(listing.entries[0].headerCrcOk);
  EXPECT_EQ(listing.entries.size(), 4u);
}

TEST(RarListing, FoldsNamesAsTheReaderCompares) {
  EXPECT_EQ(FoldedEntryName("Data\\Sub/x_y.Txt"), "DATA_SUB_X_Y.TXT");
  EXPECT_EQ(FoldedEntryName("data/sub\\x\\y.txt"), FoldedEntryName("DATA_SUB_X/Y.TXT"));
  EXPECT_NE(FoldedEntryName("a.b"), FoldedEntryName("a_b"));
}

// Archives made by real RAR versions (comments in the main header, extended headers, recovery
// records) list the entries that their published table names, with sound header CRCs.
TEST(RarListing, ListsRealArchives) {
  if (!fs::exists(kRealArchives / "EXPECTED.tsv")) GTEST_SKIP() << "no real archives at " << kRealArchives;
  std::map<std::string, std::multiset<std::string>> expected;
  std::ifstream table(kRealArchives / "EXPECTED.tsv");
  std::string line;
  std::getline(table, line);
  while (std::getline(table, line)) {
    std::stringstream fields(line);
    std::string archive, name;
    std::getline(fields, archive, '\t');
    std::getline(fields, name, '\t');
    expected[archive].insert(name);
  }
  ASSERT_GT(expected.size(), 5u);
  for (const auto& [archive, names] : expected) {
    SCOPED_TRACE(archive);
    ArchiveListing listing;
    std::string error;
    ASSERT_TRUE(ListRarArchive(ReadFile(kRealArchives / archive), listing, error)) << error;
    EXPECT_TRUE(listing.warning.empty()) << listing.warning;
    EXPECT_TRUE(listing.mainHeaderCrcOk);
    std::multiset<std::string> listed;
    for (const ListedEntry& e : listing.entries) {
      EXPECT_TRUE(e.headerCrcOk) << e.name;
      listed.insert(e.name);
    }
    EXPECT_EQ(listed, names);
  }
}

// Every reported range lies inside the bytes: names within them, and data areas too unless the
// walk said the last one is cut.
void ExpectInBounds(const Bytes& bytes, const ArchiveListing& listing) {
  for (std::size_t i = 0; i < listing.entries.size(); ++i) {
    const ListedEntry& e = listing.entries[i];
    ASSERT_LE(e.blockOffset + 32 + e.name.size(), bytes.size());
    const bool last = i + 1 == listing.entries.size();
    if (!last || listing.warning.empty()) {
      ASSERT_LE(std::uint64_t{e.dataOffset} + e.packedSize, bytes.size()) << e.name;
    }
  }
}

TEST(RarListing, CutAndCorruptArchivesStayInBounds) {
  const Bytes archive = SampleArchive();
  ArchiveListing whole;
  std::string error;
  ASSERT_TRUE(ListRarArchive(archive, whole, error));
  std::set<std::size_t> boundaries = {archive.size()};
  for (const ListedEntry& e : whole.entries) boundaries.insert(e.blockOffset);

  for (std::size_t length = 0; length < archive.size(); ++length) {
    SCOPED_TRACE(length);
    const Bytes cut(archive.begin(), archive.begin() + length);
    ArchiveListing listing;
    if (!ListRarArchive(cut, listing, error)) {
      EXPECT_LT(length, 7u + 13u + 4u);  // marker and main header
      continue;
    }
    ExpectInBounds(cut, listing);
    EXPECT_EQ(listing.warning.empty(), boundaries.count(length) == 1);
  }

  Noise noise(99);
  for (int round = 0; round < 3000; ++round) {
    Bytes damaged = archive;
    const int flips = 1 + static_cast<int>(noise.Next() % 4);
    for (int k = 0; k < flips; ++k) {
      damaged[noise.Next() % damaged.size()] = static_cast<std::uint8_t>(noise.Next());
    }
    ArchiveListing listing;
    if (ListRarArchive(damaged, listing, error)) ExpectInBounds(damaged, listing);
  }
}

}  // namespace
