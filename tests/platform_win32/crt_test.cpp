#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/win32/crt.h"

namespace {

TEST(WinRandTest, MatchesTheWindowsRuntimeSequence) {
  WinSrand(1);  // the state a never-seeded program starts with
  const int expected[] = {41, 18467, 6334, 26500, 19169};
  for (int value : expected) EXPECT_EQ(WinRand(), value);
  // Reseeding restarts the sequence; every value stays within 0..32767.
  WinSrand(1);
  EXPECT_EQ(WinRand(), 41);
  WinSrand(12345);
  for (int i = 0; i < 1000; ++i) {
    const int v = WinRand();
    ASSERT_GE(v, 0);
    ASSERT_LE(v, 0x7FFF);
  }
}

class TextModeFileTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& bytes) {
    path_ = std::filesystem::temp_directory_path() /
            ("vornhold_textmode_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::ofstream(path_, std::ios::binary) << bytes;
    return path_.string();
  }
  void TearDown() override {
    if (!path_.empty()) std::filesystem::remove(path_);
  }
  static std::vector<std::string> ReadAll(const std::string& name, std::size_t keep = 1000) {
    TextModeFile file(name.c_str());
    EXPECT_TRUE(file.IsOpen());
    std::vector<std::string> lines;
    std::string line;
    while (file.ReadLine(line, keep)) lines.push_back(line);
    EXPECT_FALSE(file.ReadLine(line, keep)) << "end of file stays the end";
    return lines;
  }

 private:
  std::filesystem::path path_;
};

TEST_F(TextModeFileTest, CrLfIsOneNewlineAndALoneCrIsKept) {
  const auto lines = ReadAll(Write("part01\r\npart02\n\r\nlone\rcr\r\nlast"));
  EXPECT_EQ(lines, (std::vector<std::string>{"part01", "part02", "", "lone\rcr", "last"}));
}

TEST_F(TextModeFileTest, CtrlZEndsTheFile) {
  EXPECT_EQ(ReadAll(Write("secret\r\nroom\x1Ajelly\r\n")),
            (std::vector<std::string>{"secret", "room"}));
  EXPECT_TRUE(ReadAll(Write("\x1Apart01\r\n")).empty());
}

TEST_F(TextModeFileTest, LinesAreCutToWhatIsKeptAndTheNextLineStillReads) {
  const std::string longLine(300, 'x');
  EXPECT_EQ(ReadAll(Write(longLine + "\r\nnext")), (std::vector<std::string>{longLine, "next"}));
  EXPECT_EQ(ReadAll(Write(longLine + "\r\nnext"), 80), (std::vector<std::string>{longLine.substr(0, 80), "next"}));
  EXPECT_TRUE(ReadAll(Write("")).empty());
}

// Anything but a regular file reads as missing, at once: a FIFO without a writer must not block.
TEST(TextModeFileMissingTest, WhatIsNotARegularFileIsNotOpenAndHasNoLines) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("vornhold_textmode_odd_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  for (const std::string& path :
       {std::string("/nonexistent/vornhold/part.txt"), std::string("/dev/zero"), dir.string(), (dir / "fifo").string()}) {
    TextModeFile file(path.c_str());
    EXPECT_FALSE(file.IsOpen()) << path;
    std::string line = "unchanged?";
    EXPECT_FALSE(file.ReadLine(line, 80)) << path;
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
