// Archives from the writer read back through the archive reader, entry by entry, for every
// combination of the writer's options: stored or compressed, solid or not, enciphered or not, and
// each multimedia setting. Entries are looked up the way callers name them: '/' separators and
// other letter case.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "archive/archive.h"
#include "rarpack_test_support.h"

namespace {

using namespace rarpacktest;

// Sizes around the cipher's 16-byte blocks, a folder, a name with '\', data that does not
// compress, PCM for the multimedia mode, and last an entry larger than the 1 MiB window (last,
// so that solid look-ups of the other entries do not decode it each time). Forced multimedia
// mode leaves the big entry out: audio-coding a MiB of text costs seconds under the sanitizers
// and adds nothing the other combinations and the extractor cross-checks do not cover.
std::vector<ArchiveEntryInput> Entries(bool withBig) {
  std::vector<ArchiveEntryInput> entries = {
      FileEntry("sizes/zero.bin", {}),
      FileEntry("sizes/one.bin", {0x41}),
      FileEntry("sizes/fifteen.txt", TextBytes(15, 15)),
      FileEntry("sizes/sixteen.txt", TextBytes(16, 16)),
      FileEntry("sizes/seventeen.txt", TextBytes(17, 17)),
      DirectoryEntry("sizes"),
      FileEntry("back\\slash\\name.txt", TextBytes(3000, 4)),
      FileEntry("noise.bin", RandomBytes(20000, 5)),
      FileEntry("pcm/stereo.raw", PcmBytes(24000, 2, 6)),
  };
  if (withBig) entries.push_back(FileEntry("big/text.txt", TextBytes((1 << 20) + 4321, 7)));
  return entries;
}

// How callers name an entry: '/' for '\', upper case.
std::string LookupName(const std::string& name) {
  std::string lookup = name;
  std::replace(lookup.begin(), lookup.end(), '\\', '/');
  std::transform(lookup.begin(), lookup.end(), lookup.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return lookup;
}

struct Combo {
  bool store;
  bool solid;
  const char* password;
  MultimediaMode multimedia;
};

void PrintTo(const Combo& c, std::ostream* os) {
  *os << (c.store ? "stored" : "compressed") << (c.solid ? " solid" : "") << " password \""
      << c.password << "\" multimedia " << static_cast<int>(c.multimedia);
}

std::string ComboName(const ::testing::TestParamInfo<Combo>& info) {
  const Combo& c = info.param;
  static const char* const kModes[] = {"MmAuto", "MmForce", "MmForbid"};
  return std::string(c.store ? "Stored" : "Packed") + (c.solid ? "Solid" : "") +
         (*c.password ? "Enciphered" : "") + (c.store ? "" : kModes[static_cast<int>(c.multimedia)]);
}

std::vector<Combo> AllCombos() {
  std::vector<Combo> combos;
  for (bool solid : {false, true}) {
    for (const char* password : {"", "pass word"}) {
      combos.push_back({true, solid, password, MultimediaMode::kAuto});
      for (MultimediaMode mode :
           {MultimediaMode::kAuto, MultimediaMode::kForce, MultimediaMode::kForbid}) {
        combos.push_back({false, solid, password, mode});
      }
    }
  }
  return combos;
}

class RoundTrip : public ::testing::TestWithParam<Combo> {};

TEST_P(RoundTrip, EveryEntryExtractsThroughTheReader) {
  const Combo& combo = GetParam();
  ArchiveWriterOptions options;
  options.store = combo.store;
  options.solid = combo.solid;
  options.password = combo.password;
  options.multimedia = combo.multimedia;
  const std::vector<ArchiveEntryInput> entries =
      Entries(combo.store || combo.multimedia != MultimediaMode::kForce);
  ScratchDir scratch;
  const std::string archive = (scratch / "round.rar").string();
  WriteArchiveFile(archive, entries, options);

  for (const ArchiveEntryInput& entry : entries) {
    SCOPED_TRACE(entry.name);
    unsigned char* data = nullptr;
    unsigned size = 0;
    ASSERT_EQ(ArchiveExtract(&data, &size, LookupName(entry.name).c_str(), archive.c_str(),
                             combo.password),
              1);
    EXPECT_EQ(Bytes(data, data + size), entry.data);
    std::free(data);
  }

  // Without the password nothing with data comes back; a wrong one fails the CRC check.
  if (*combo.password) {
    for (const char* wrong : {"", "pass wort"}) {
      unsigned char* data = nullptr;
      unsigned size = 0;
      EXPECT_EQ(ArchiveExtract(&data, &size, "noise.bin", archive.c_str(), wrong), 0) << wrong;
      EXPECT_EQ(data, nullptr);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllOptions, RoundTrip, ::testing::ValuesIn(AllCombos()), ComboName);

}  // namespace
