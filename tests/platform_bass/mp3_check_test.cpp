// CheckMp3File on streams made of MPEG-1 layer III frames at 128 kbit/s and 44.1 kHz (417 bytes
// without padding), with tags, junk and cuts where files have them, and on a real encoded file.
#include "platform/bass/mp3_check.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform_bass/mp3_fixtures.h"

namespace {

using bass::Mp3Check;

std::string Frames(int count) {
  std::string frame(417, '\x55');
  frame.replace(0, 4, "\xFF\xFB\x90\x00", 4);
  std::string frames;
  for (int i = 0; i < count; ++i) frames += frame;
  return frames;
}

Mp3Check Check(const std::string& bytes) {
  return bass::CheckMp3File(bass_test::WriteFile("check.mp3", bytes).c_str());
}

TEST(Mp3Check, WalksFramesPastTagsAndJunkAndFindsWhereTheyEndEarly) {
  const std::string id3v2 = std::string("ID3\x03\x00\x00\x00\x00\x00\x14", 10) + std::string(20, '\0');
  const std::string junk(300, '\x11');
  const struct {
    const char* what;
    std::string bytes;
    Mp3Check expected;
  } cases[] = {
      {"frames", Frames(3), Mp3Check::kWhole},
      {"one frame", Frames(1), Mp3Check::kWhole},
      {"behind an ID3v2 tag", id3v2 + Frames(3), Mp3Check::kWhole},
      {"before an ID3v1 tag", Frames(3) + "TAG" + std::string(125, ' '), Mp3Check::kWhole},
      {"junk between frames", Frames(2) + junk + Frames(2), Mp3Check::kWhole},
      {"junk in front", junk + Frames(2), Mp3Check::kWhole},
      {"a frame header in trailing junk", Frames(2) + junk + Frames(1).substr(0, 100), Mp3Check::kWhole},
      {"the last frame cut", Frames(3).substr(0, 3 * 417 - 1), Mp3Check::kTruncated},
      {"cut behind its header", Frames(3) + Frames(1).substr(0, 4), Mp3Check::kTruncated},
      {"no frame", std::string(70000, 'x'), Mp3Check::kNotMp3},
      {"a lone header", Frames(1).substr(0, 4) + std::string(1000, 'x'), Mp3Check::kNotMp3},
      {"the first frame past 64 KiB", std::string(65600, 'x') + Frames(3), Mp3Check::kNotMp3},
      {"nothing", "", Mp3Check::kEmpty},
  };
  for (const auto& c : cases) EXPECT_EQ(Check(c.bytes), c.expected) << c.what;
}

TEST(Mp3Check, SaysWhyAFileCannotBeRead) {
  std::string why;
  EXPECT_EQ(bass::CheckMp3File((bass_test::TempDir() + "/absent.mp3").c_str(), &why), Mp3Check::kUnreadable);
  EXPECT_EQ(bass::DescribeMp3Check(Mp3Check::kUnreadable, why), "cannot be read (No such file or directory)");
  EXPECT_EQ(bass::CheckMp3File(bass_test::TempDir().c_str(), &why), Mp3Check::kUnreadable);
  EXPECT_EQ(why, "Is a directory");
  // A device or a FIFO is never read: it may never end, or never deliver a byte.
  const std::string fifo = bass_test::TempDir() + "/fifo.mp3";
  ::unlink(fifo.c_str());
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {std::string("/dev/zero"), fifo}) {
    EXPECT_EQ(bass::CheckMp3File(path.c_str(), &why), Mp3Check::kNotRegular) << path;
    EXPECT_EQ(bass::DescribeMp3Check(Mp3Check::kNotRegular, why), "is not a regular file");
  }
  ::unlink(fifo.c_str());
}

TEST(Mp3Check, AcceptsAnEncodedFileAndNoticesItCutInAFrame) {
  const std::string path = bass_test::SineMp3(44100, 2, 1.0, 440.0, 1000.0);
  BASS_TEST_REQUIRE_MP3(path);
  EXPECT_EQ(bass::CheckMp3File(path.c_str()), Mp3Check::kWhole);
  const std::string cut = bass_test::TempDir() + "/cut.mp3";  // the encoded file is shared: cut a copy
  std::filesystem::copy_file(path, cut, std::filesystem::copy_options::overwrite_existing);
  std::filesystem::resize_file(cut, std::filesystem::file_size(cut) - 50);
  EXPECT_EQ(bass::CheckMp3File(cut.c_str()), Mp3Check::kTruncated);
}

}  // namespace
