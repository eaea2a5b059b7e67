// The texinfo command, run as a program: its line, its exit codes and its PNG output.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "image_builders.h"
#include "platform/d3dx8/image_decode.h"
#include "tools/common/sha256.h"

namespace image_test {
namespace {

namespace fs = std::filesystem;

struct RunResult {
  int exitCode = -1;
  std::string out;
};

// Runs texinfo with the arguments; stderr goes to `errFile`.
RunResult RunTexinfo(const std::string& args, const fs::path& errFile) {
  const std::string command = std::string(VORNHOLD_BINARY_DIR) + "/tools/texinfo/texinfo " + args +
                              " 2>" + errFile.string();
  RunResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  std::array<char, 512> buf{};
  while (fgets(buf.data(), buf.size(), pipe)) result.out += buf.data();
  const int status = pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class TexinfoCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("texinfo_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path Write(const std::string& name, const Bytes& bytes) {
    std::ofstream(dir_ / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return dir_ / name;
  }
  fs::path dir_;
};

TEST_F(TexinfoCommand, PrintsSizesFormatAndTheHashOfTheRgbaRows) {
  TgaSpec spec;
  spec.width = 3;
  spec.height = 1;
  spec.bpp = 32;
  const fs::path file = Write("a.tga", MakeTga(spec, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  const RunResult run = RunTexinfo(file.string() + " --png " + (dir_ / "out.png").string(),
                                   dir_ / "err");
  EXPECT_EQ(run.exitCode, 0) << ReadFile(dir_ / "err");
  // R, G, B, A of each pixel in order, hashed by an independent implementation.
  const uint8_t rgba[] = {3, 2, 1, 4, 7, 6, 5, 8, 11, 10, 9, 12};
  EXPECT_EQ(run.out, "image=3x1 texture=4x1 format=A8R8G8B8 sha256=" +
                         tools::Sha256Hex(rgba, sizeof rgba) + "\n");

  const std::string png = ReadFile(dir_ / "out.png");
  d3dx::DecodedImage back;
  ASSERT_EQ(d3dx::DecodeImage(png.data(), png.size(), &back), D3D_OK);
  EXPECT_EQ(back.width, 3);
  EXPECT_EQ(back.argb, (std::vector<uint32_t>{0x04030201, 0x08070605, 0x0C0B0A09}));
}

TEST_F(TexinfoCommand, ExitCodesSayWhatWentWrong) {
  const fs::path junk = Write("junk.bin", Bytes(40, 0x33));
  RunResult run = RunTexinfo(junk.string(), dir_ / "err");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.out.empty());
  std::string err = ReadFile(dir_ / "err");
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;

  // A picture past the largest texture is refused from its header, and the line says so.
  TgaSpec huge;
  huge.imageType = 11;
  huge.width = huge.height = 16384;
  huge.bpp = 8;
  Bytes runs;
  for (int i = 0; i < 16384 * 16384 / 128; ++i) runs.insert(runs.end(), {0xFF, 0x40});
  run = RunTexinfo(Write("huge.tga", MakeTga(huge, runs)).string(), dir_ / "err");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(ReadFile(dir_ / "err").find("pixels a side"), std::string::npos) << ReadFile(dir_ / "err");

  run = RunTexinfo((dir_ / "missing.bmp").string(), dir_ / "err");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(ReadFile(dir_ / "err").find("missing.bmp"), std::string::npos);

  EXPECT_EQ(RunTexinfo("", dir_ / "err").exitCode, 2);
  EXPECT_EQ(RunTexinfo(junk.string() + " --png", dir_ / "err").exitCode, 2);
  EXPECT_EQ(RunTexinfo(junk.string() + " --bogus", dir_ / "err").exitCode, 2);
  run = RunTexinfo("--help", dir_ / "err");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.out.find("SHA-256"), std::string::npos);
}

}  // namespace
}  // namespace image_test
