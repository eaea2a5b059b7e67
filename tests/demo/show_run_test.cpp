// The whole program, run as a viewer would start it: headless, on the fixed-step clock (100 frames
// per second: every frame 10 ms) and the null device, with "part.txt" choosing the parts. The
// trace's Present lines say when each frame was drawn on the demo timeline.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/archive_builder.h"
#include "support/catalogue_archive.h"

namespace {

const std::string kProgram = std::string(VORNHOLD_BINARY_DIR) + "/host/vornhold";

struct ShowResult {
  int exitCode = -1;
  std::vector<long> frameTimes;  // t= of every Present, ms
  std::vector<std::string> lines;
  std::string errors;
};

class ShowRun : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vornhold-show-XXXXXX";
    dir_ = mkdtemp(pattern);
    std::string error;
    ASSERT_TRUE(testsupport::WriteCatalogueArchive(dir_ / "lab.ac", error)) << error;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  ShowResult Play(const std::string& partFile, const std::string& options) {
    if (!partFile.empty()) std::ofstream(dir_ / "part.txt") << partFile;
    const std::string command = "cd '" + dir_.string() + "' && '" + kProgram +
                                "' --headless --device null --fixed-step 100 --trace trace.txt " + options +
                                " 2>errors.txt";
    ShowResult run;
    const int status = std::system(command.c_str());
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream trace(dir_ / "trace.txt");
    for (std::string line; std::getline(trace, line);) {
      run.lines.push_back(line);
      const auto t = line.find(" t=");
      if (line.rfind("Present ", 0) == 0 && t != std::string::npos && line[t + 3] != '-')
        run.frameTimes.push_back(std::stol(line.substr(t + 3)));
    }
    std::ifstream errors(dir_ / "errors.txt");
    std::getline(errors, run.errors, '\0');
    return run;
  }

  std::filesystem::path dir_;
};

TEST_F(ShowRun, OnePartAloneKeepsItsScheduledTimes) {
  const ShowResult run = Play("part05\n", "");
  EXPECT_EQ(run.exitCode, 1);
  ASSERT_FALSE(run.frameTimes.empty());
  EXPECT_EQ(run.frameTimes.front(), 50793);
  EXPECT_EQ(run.frameTimes.back(), 54163);  // the last frame starts before 54172 ms
  EXPECT_EQ(run.frameTimes.size(), std::size_t((54172 - 50793 + 9) / 10));
}

TEST_F(ShowRun, EscapeEndsTheShowAfterTheFrameItArrivesIn) {
  const ShowResult run = Play("part01\npart02\npart03\n", "--escape-at 5000");
  EXPECT_EQ(run.exitCode, 1);
  ASSERT_FALSE(run.frameTimes.empty());
  EXPECT_EQ(run.frameTimes.front(), 0);
  EXPECT_EQ(run.frameTimes.back(), 5000);  // seen at the start of a frame, which is still drawn
}

TEST_F(ShowRun, SkippedJellyHallDoesNotReBaseTheNextPart) {
  const ShowResult run = Play("jelly\npart08\npart09\n", "--escape-at 1000");
  ASSERT_FALSE(run.frameTimes.empty());
  // Slot 6 re-based to its start (72190 ms) without playing; slot 7 is skipped entirely; slot 8
  // keeps that timeline instead of re-basing to 126223 ms.
  EXPECT_EQ(run.frameTimes.front(), 72190);
}

TEST_F(ShowRun, SecretPlaysOnlyTheLastSlotUntilEscape) {
  const ShowResult run = Play("secret\npart03\n", "--escape-at 300");
  EXPECT_EQ(run.exitCode, 1);
  ASSERT_EQ(run.frameTimes.size(), 31u);  // 0..300 ms on the clock, whatever the timeline says
  EXPECT_EQ(run.frameTimes.front(), 126223);  // slot 8 re-based the timeline before it
}

TEST_F(ShowRun, WithoutPartFileNoPartPlaysAndTheViewerIsTold) {
  const ShowResult run = Play("", "");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.frameTimes.empty());
  EXPECT_NE(run.errors.find("no part.txt"), std::string::npos);
}

TEST_F(ShowRun, EngineOperationsAndFramesAreTraced) {
  const ShowResult run = Play("part01\n", "--escape-at 20");
  ASSERT_GE(run.lines.size(), 3u);
  EXPECT_EQ(run.lines[0].rfind("CreateTextureFromMemory ", 0), 0u);  // the loading picture
  std::vector<std::string> presents;
  for (const std::string& line : run.lines)
    if (line.rfind("Present ", 0) == 0) presents.push_back(line);
  EXPECT_EQ(presents.at(0), "Present frame=0 tick=0 t=-");  // loading, before the timeline starts
  std::size_t first = 0;
  while (first < presents.size() && presents[first].find(" t=0") == std::string::npos) ++first;
  ASSERT_LT(first + 1, presents.size());
  const std::string tick = presents[first].substr(presents[first].find("tick=") + 5);
  const long start = std::stol(tick);
  EXPECT_EQ(presents[first], "Present frame=" + std::to_string(first) + " tick=" + std::to_string(start) + " t=0");
  EXPECT_EQ(presents[first + 1],
            "Present frame=" + std::to_string(first + 1) + " tick=" + std::to_string(start + 10) + " t=10");
}

TEST_F(ShowRun, HardwareRequestFallsBackToTheSoftwareDeviceWhoseFramesAreWritten) {
  const std::string options = "--device hal --mode 320x240x16 --frames shots --frames-every 5 --escape-at 60";
  const ShowResult run = Play("part01\n", options);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.frameTimes.size(), 7u);
  for (const char* name : {"frame_000000.png", "frame_000005.png"}) {
    std::ifstream png(dir_ / "shots" / name, std::ios::binary);
    char header[24] = {};
    png.read(header, sizeof header);
    ASSERT_TRUE(png) << name;
    const auto be32 = [&](int at) {
      return (unsigned(std::uint8_t(header[at])) << 24) | (unsigned(std::uint8_t(header[at + 1])) << 16) |
             (unsigned(std::uint8_t(header[at + 2])) << 8) | unsigned(std::uint8_t(header[at + 3]));
    };
    EXPECT_EQ(be32(16), 320u);  // the window's client size in the chosen mode
    EXPECT_EQ(be32(20), 240u);
  }
  EXPECT_FALSE(std::filesystem::exists(dir_ / "shots" / "frame_000001.png"));
}

TEST_F(ShowRun, BadOptionsAndModesFailWithOneLine) {
  ShowResult run = Play("part01\n", "--mode 641x480x32");
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.errors.find("is not offered; offered: 320x200 - 16bpp, 320x200 - 32bpp"), std::string::npos);
  run = Play("part01\n", "--bogus");
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.errors.find("unknown option '--bogus'"), std::string::npos);
}

// A first entry that declares 3 GiB in a few bytes is refused before anything is allocated for it:
// the show stops with the one line of a damaged archive, not of memory running out.
TEST_F(ShowRun, AnEntryDeclaringAHugeSizeStopsTheShowWithOneLine) {
  testsupport::FileBlock huge;
  huge.name = "data\\graphics\\lataus.bmp";
  huge.content = huge.data = testsupport::Bytes(64, 7);
  huge.unpackedSize = 3LL << 30;
  const testsupport::ArchiveBuilder archive = testsupport::ArchiveBuilder().File(huge);
  std::ofstream(dir_ / "lab.ac", std::ios::binary)
      .write(reinterpret_cast<const char*>(archive.bytes().data()), std::streamsize(archive.bytes().size()));
  const ShowResult run = Play("part01\n", "--escape-at 100");
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.errors.find("vornhold: cannot read data\\graphics\\lataus.bmp from lab.ac\n"), std::string::npos)
      << run.errors;
  EXPECT_EQ(run.errors.find("memory"), std::string::npos) << run.errors;
}

}  // namespace
