// The debug log is opt-in by folder: "temp/debug_unrar.txt" below the current directory, written
// only when "temp" exists. The log opens at the first extraction of a process, so each case runs
// in a fresh process (a death-test child) and reports through its exit code.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "archive/archive.h"
#include "support/archive_builder.h"

namespace {

using testsupport::ArchiveBuilder;
using testsupport::TempFile;
using testsupport::ToBytes;

std::string ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

int ExtractTwice(const std::string& archive) {
  unsigned char* data = nullptr;
  unsigned size = 0;
  const int ok = ArchiveExtract(&data, &size, "entry.txt", archive.c_str(), "");
  std::free(data);
  ArchiveExtract(&data, &size, "absent.txt", archive.c_str(), "");
  return ok;
}

TEST(DebugLog, WritesTimedLinesIntoAnExistingTempFolder) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  TempFile archive(ArchiveBuilder().Stored("entry.txt", ToBytes("hello")).bytes());
  std::filesystem::create_directory(archive.dir() / "temp");
  EXPECT_EXIT(
      {
        if (chdir(archive.dir().c_str()) != 0 || !ExtractTwice("test.rar")) std::exit(2);
        const std::string log = ReadAll("temp/debug_unrar.txt");
        const bool good =
            log.find("~^~~~~~~~~~~~~~~~~~~~~~~~~~~~~^~\n(executable compiled on ") != std::string::npos &&
            log.find("- Extracting >entry.txt< from >test.rar< (password is ><)...\n") != std::string::npos &&
            log.find(" ms (line ") != std::string::npos && log.find("- Extracted 5 Bytes.\n") != std::string::npos &&
            log.find("- Couldn't read next filename from archive (I/O error).\n") != std::string::npos &&
            log.find("- Error - couldn't extract >absent.txt< and allocated 0 Bytes of unused memory!") !=
                std::string::npos;
        std::exit(good ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

// Sizes a damaged header declares beyond what the file holds are refused before allocating, and
// the log says why.
TEST(DebugLog, ImpossibleSizesAreRefusedWithAReason) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  testsupport::FileBlock stored;
  stored.name = "stored";
  stored.content = ToBytes("ten bytes!");
  stored.data = stored.content;
  stored.packedSize = stored.unpackedSize = 100u << 20;
  testsupport::FileBlock packed = stored;
  packed.name = "packed";
  packed.method = rar20::kMethodBest;
  packed.data = {0};
  packed.packedSize = 1;
  packed.unpackedSize = 4096;
  TempFile archive(ArchiveBuilder().File(packed).File(stored).bytes());
  std::filesystem::create_directory(archive.dir() / "temp");
  EXPECT_EXIT(
      {
        if (chdir(archive.dir().c_str()) != 0) std::exit(2);
        unsigned char* data = nullptr;
        unsigned size = 0;
        const int a = ArchiveExtract(&data, &size, "stored", "test.rar", "");
        const int b = ArchiveExtract(&data, &size, "packed", "test.rar", "");
        const std::string log = ReadAll("temp/debug_unrar.txt");
        const bool good = a == 0 && b == 0 &&
                          log.find("- Stored file larger than its packed data!\n") != std::string::npos &&
                          log.find("- Unpacked size impossible for the packed data!\n") != std::string::npos;
        std::exit(good ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

TEST(DebugLog, NothingIsWrittenWithoutTheTempFolder) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  TempFile archive(ArchiveBuilder().Stored("entry.txt", ToBytes("hello")).bytes());
  EXPECT_EXIT(
      {
        if (chdir(archive.dir().c_str()) != 0 || !ExtractTwice("test.rar")) std::exit(2);
        int files = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(".")) ++files;
        std::exit(files == 1 ? 0 : 1);  // only the archive
      },
      testing::ExitedWithCode(0), "");
}

}  // namespace
