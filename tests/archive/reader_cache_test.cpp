// What the reader remembers between calls must never show in what it delivers: every sequence of
// requests gets, call by call, the result a reader without memory gives (ArchiveDropCache before
// each call). Archives are made by our writer (real solid streams) or by hand where a test needs
// every byte under control.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "support/archive_builder.h"
#include "support/flat_stream_writer.h"
#include "tools/rarpack/rar_listing.h"
#include "tools/rarpack/rar_writer.h"

namespace {

using testsupport::ArchiveBuilder;
using testsupport::Bytes;
using testsupport::FileBlock;
using testsupport::TempFile;
using testsupport::ToBytes;

struct Result {
  int ok = 0;
  Bytes data;
  bool operator==(const Result&) const = default;
};

Result Extract(const std::string& archive, const std::string& entry, const char* password = "") {
  unsigned char* data = nullptr;
  unsigned size = 0;
  Result r;
  r.ok = ArchiveExtract(&data, &size, entry.c_str(), archive.c_str(), password);
  if (r.ok) r.data.assign(data, data + size);
  std::free(data);
  return r;
}

Result Fresh(const std::string& archive, const std::string& entry, const char* password = "") {
  ArchiveDropCache();
  return Extract(archive, entry, password);
}

// Runs the requests in turn, starting with nothing remembered, and compares each with a fresh read.
void ExpectSameAsFresh(const std::string& archive, const std::vector<std::string>& requests,
                       const char* password = "") {
  std::vector<Result> fresh;
  for (const std::string& name : requests) fresh.push_back(Fresh(archive, name, password));
  ArchiveDropCache();
  for (std::size_t i = 0; i < requests.size(); ++i) {
    SCOPED_TRACE("request " + std::to_string(i) + ": " + requests[i]);
    EXPECT_EQ(Extract(archive, requests[i], password), fresh[i]);
  }
}

// Text that refers back across entries, a byte ramp that may go through the multimedia coder, an
// empty file, a folder and two entries whose names fold alike (the first one wins).
std::vector<ArchiveEntryInput> SampleEntries(char flavour) {
  std::vector<ArchiveEntryInput> entries;
  const auto add = [&](const std::string& name, Bytes data, bool directory = false) {
    ArchiveEntryInput e;
    e.name = name;
    e.data = std::move(data);
    e.directory = directory;
    entries.push_back(std::move(e));
  };
  std::string text;
  for (int i = 0; i < 400; ++i) text += "line " + std::to_string(i % 37) + " of " + flavour + '\n';
  add("data\\one.txt", ToBytes(text));
  add("data\\Twin.txt", ToBytes("the first twin " + text.substr(0, 900)));
  Bytes ramp(6000);
  for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = std::uint8_t(i / 3 + (i % 7) * flavour);
  add("data\\ramp.raw", ramp);
  add("data\\empty.txt", {});
  add("data\\folder", {}, true);
  add("DATA/TWIN.TXT", ToBytes("the second twin " + text.substr(100, 800)));
  add("data\\two.txt", ToBytes(text.substr(50, 3000) + "tail"));
  add("data\\three.txt", ToBytes(text.substr(3000) + text.substr(0, 2000)));
  return entries;
}

Bytes Pack(const std::vector<ArchiveEntryInput>& entries, bool solid, const std::string& password = "") {
  ArchiveWriterOptions options;
  options.solid = solid;
  options.password = password;
  Bytes out;
  std::string error;
  EXPECT_TRUE(WriteRarArchive(entries, options, out, error)) << error;
  return out;
}

TEST(ReaderCache, EveryOrderOfRequestsGetsWhatAFreshReadGets) {
  const std::vector<std::string> inOrder = {"data\\one.txt", "data\\Twin.txt", "data\\ramp.raw", "data\\empty.txt",
                                            "data\\folder",  "DATA/TWIN.TXT",  "data\\two.txt",  "data\\three.txt"};
  const std::vector<std::vector<std::string>> sequences = {
      inOrder,
      {"data\\three.txt", "data\\one.txt", "data\\two.txt", "data\\ramp.raw", "data\\one.txt"},  // back and forth
      {"data\\ramp.raw", "data\\ramp.raw", "data\\two.txt", "data\\two.txt"},                    // repeated
      // Past the second twin, either spelling must still give the first one.
      {"data\\two.txt", "data\\twin.txt", "data/one.txt", "DATA_TWIN.TXT", "data\\three.txt"},
      {"data\\one.txt", "absent", "data\\two.txt", "data\\ramp.raw", "absent", "data\\three.txt"},
  };
  struct Kind {
    const char* label;
    bool solid;
    const char* password;
  };
  const Kind kinds[] = {{"solid", true, ""}, {"not solid", false, ""}, {"solid, enciphered", true, "pw"}};
  for (const Kind& kind : kinds) {
    SCOPED_TRACE(kind.label);
    TempFile file(Pack(SampleEntries('a'), kind.solid, kind.password));
    EXPECT_EQ(Fresh(file.path(), "data/twin.txt", kind.password).data, SampleEntries('a')[1].data);
    for (const auto& requests : sequences) ExpectSameAsFresh(file.path(), requests, kind.password);
  }
}

// Two solid archives of the same size, hand-made with flat codes: "1" holds five letters, "2"
// repeats them by a match, so "2" depends on the window "1" left.
Bytes FlatSolidArchive(const std::string& word) {
  testsupport::FlatStreamWriter w;
  auto entry = [](const std::string& name, Bytes data, const std::string& content, bool solid) {
    FileBlock f;
    f.name = name;
    f.data = std::move(data);
    f.content = ToBytes(content);
    f.method = rar20::kMethodBest;
    if (solid) f.flags |= rar20::kFileSolid;
    return f;
  };
  w.LzTables();
  for (char c : word) w.Literal(static_cast<unsigned char>(c));
  const FileBlock first = entry("1", w.Finish(), word, false);
  w.Match(2, 0, 4, 0);  // length 5 at distance 5
  const FileBlock second = entry("2", w.Finish(), word, true);
  return ArchiveBuilder(rar20::kMainSolid).File(first).File(second).bytes();
}

TEST(ReaderCache, AChangedArchiveIsReadAfresh) {
  // Replaced by another file, rewritten in place at another size, or another path.
  const Bytes a = Pack(SampleEntries('a'), true), b = Pack(SampleEntries('b'), true);
  ASSERT_NE(a.size(), b.size());
  for (const char* change : {"renamed over", "rewritten in place", "another path"}) {
    SCOPED_TRACE(change);
    TempFile file(a);
    const std::string other = (file.dir() / "other.rar").string();
    EXPECT_EQ(Fresh(file.path(), "data\\one.txt").ok, 1);  // remembered: the walk stops after it
    std::string path = file.path();
    if (change == std::string("renamed over")) {
      TempFile replacement(b);
      std::filesystem::rename(replacement.path(), file.path());
    } else if (change == std::string("rewritten in place")) {
      file.Write(b);
    } else {
      std::FILE* f = std::fopen(other.c_str(), "wb");
      std::fwrite(b.data(), 1, b.size(), f);
      std::fclose(f);
      path = other;
    }
    const Result got = Extract(path, "data\\two.txt");
    EXPECT_EQ(got.ok, 1);
    EXPECT_EQ(got, Fresh(path, "data\\two.txt"));
  }

  // The same inode and size, only the modification time differs (set a second on, so that the test
  // does not rest on the clock ticking between two writes).
  const Bytes alpha = FlatSolidArchive("alpha"), omega = FlatSolidArchive("omega");
  ASSERT_EQ(alpha.size(), omega.size());
  TempFile file(alpha);
  EXPECT_EQ(Fresh(file.path(), "1").data, ToBytes("alpha"));
  struct stat before {};
  ASSERT_EQ(stat(file.path().c_str(), &before), 0);
  file.Write(omega);
  timespec times[2] = {before.st_atim, before.st_mtim};
  times[1].tv_sec += 1;
  ASSERT_EQ(utimensat(AT_FDCWD, file.path().c_str(), times, 0), 0);
  EXPECT_EQ(Extract(file.path(), "2").data, ToBytes("omega"));
}

TEST(ReaderCache, ADamagedEntryInTheMiddleLeavesNothingWrongBehind) {
  const Bytes good = Pack(SampleEntries('a'), true);
  ArchiveListing listing;
  std::string error;
  ASSERT_TRUE(ListRarArchive(good, listing, error)) << error;
  ASSERT_EQ(listing.entries[2].name, "data\\ramp.raw");
  const ListedEntry& ramp = listing.entries[2];
  std::vector<std::string> inOrder;
  for (const ListedEntry& e : listing.entries) inOrder.push_back(e.name);
  for (const char* damage : {"packed byte", "data CRC"}) {
    SCOPED_TRACE(damage);
    Bytes bad = good;
    if (damage == std::string("packed byte"))
      bad[ramp.dataOffset + ramp.packedSize / 2] ^= 0x5A;
    else
      bad[ramp.blockOffset + 16] ^= 1;  // the CRC of the unpacked data in the file header
    TempFile file(bad);
    EXPECT_EQ(Fresh(file.path(), ramp.name).ok, 0);
    ExpectSameAsFresh(file.path(), inOrder);
    // The failure forgot where the walk was: the first twin comes from the start, not from
    // after the damaged entry.
    ExpectSameAsFresh(file.path(), {"data\\one.txt", ramp.name, "data\\twin.txt", "data\\two.txt"});
  }
}

}  // namespace
