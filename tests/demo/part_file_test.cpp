// "part.txt": one keyword per line, compared whole and case-sensitively, read as a Windows text
// stream (CR LF is one newline).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "demo/demo.h"

namespace {

class PartFile : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vornhold-part-XXXXXX";
    dir_ = mkdtemp(pattern);
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
  }
  void TearDown() override {
    std::filesystem::current_path(old_);
    std::filesystem::remove_all(dir_);
  }
  static void Write(const std::string& text) {
    std::FILE* f = std::fopen("part.txt", "wb");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
  std::filesystem::path dir_, old_;
};

TEST_F(PartFile, KeywordsSetTheirFlagsInAnyOrderAndCase) {
  Write("part03\nroom\nPART04\npart03\nlesbian\nstoned\njelly\npart10\n");
  const Demo demo;
  EXPECT_EQ(demo.flags.part03, 1);
  EXPECT_EQ(demo.flags.part04, 0);  // case matters
  EXPECT_EQ(demo.flags.part10, 1);
  EXPECT_EQ(demo.flags.room, 1);
  EXPECT_EQ(demo.flags.lesbian, 1);
  EXPECT_EQ(demo.flags.stoned, 1);
  EXPECT_EQ(demo.flags.jelly, 1);
  EXPECT_EQ(demo.flags.secret, 0);
  EXPECT_EQ(demo.running, 1);
  EXPECT_EQ(demo.startTick, 0u);
  EXPECT_EQ(demo.archiveName, nullptr);
}

TEST_F(PartFile, CrLfMatchesTrailingBlankDoesNot) {
  Write("part01\r\npart02 \r\npart05\r\n\r\npart06");
  const Demo demo;
  EXPECT_EQ(demo.flags.part01, 1);
  EXPECT_EQ(demo.flags.part02, 0);
  EXPECT_EQ(demo.flags.part05, 1);
  EXPECT_EQ(demo.flags.part06, 1);  // the last line needs no newline
}

TEST_F(PartFile, OverlongLineMatchesNothingAndReadingGoesOn) {
  Write("part01\n" + std::string(79, 'x') + "\n" + std::string(200, 'y') + "part02\npart03\n");
  const Demo demo;
  EXPECT_EQ(demo.flags.part01, 1);
  EXPECT_EQ(demo.flags.part02, 0);
  EXPECT_EQ(demo.flags.part03, 1);
}

TEST_F(PartFile, SecretLeavesOnlyTheLastSlot) {
  Write("part01\npart05\nsecret\n");
  const Demo demo;
  EXPECT_EQ(demo.flags.secret, 1);
  EXPECT_EQ(demo.flags.part01 + demo.flags.part05 + demo.flags.part09, 0);
  EXPECT_EQ(demo.flags.part10, 1);
}

TEST_F(PartFile, MissingFileSetsNothing) {
  const Demo demo;
  const BYTE* bytes = reinterpret_cast<const BYTE*>(&demo.flags);
  for (std::size_t i = 0; i < sizeof demo.flags; ++i) EXPECT_EQ(bytes[i], 0) << i;
}

// The host says so when part.txt is there but names nothing that plays.
TEST_F(PartFile, OnlyPartKeywordsAndSecretMakeSomethingPlay) {
  using namespace std::string_literals;
  const struct {
    std::string text;
    bool plays;
  } cases[] = {
      {"part07\n", true},
      {"secret\n", true},
      {"room\njelly\nstoned\nlesbian\n", false},
      {"PART01\nPart02\n", false},
      {"p\0a\0r\0t\0\x30\0\x31\0\n\0"s, false},  // UTF-16
      {"", false},
  };
  for (const auto& c : cases) {
    Write(c.text);
    DemoFlags flags{};
    ApplyPartKeywords("part.txt", flags);
    EXPECT_EQ(AnyPartPlays(flags), c.plays) << c.text;
  }
}

}  // namespace
