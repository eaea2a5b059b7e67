// The debug log is opt-in by folder: "temp/debug_unrar.txt" below the current directory, written
// only when "temp" exists. The log opens at the first extraction of a process, so each case runs
// in a fresh process (a death-test child) and reports through its exit code.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "archive/archive.h"
#include "support/archive_builder.h"

namespace {

using testsupport::ArchiveBuilder;
using testsupport::TempFile;
using testsupport::ToBytes;

constexpr const char* kLogPath = "temp/debug_unrar.txt";

std::string ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// A death-test child makes its own copy of the test's folder (it runs the test again up to the
// death statement) and leaves by exit, past the folder's destructor: it removes the folder itself.
[[noreturn]] void ExitRemoving(const TempFile& archive, int code) {
  std::error_code ignored;
  std::filesystem::remove_all(archive.dir(), ignored);
  std::exit(code);
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
        const std::string log = ReadAll(kLogPath);
        const bool good =
            log.find("~^~~~~~~~~~~~~~~~~~~~~~~~~~~~~^~\n(executable compiled on ") != std::string::npos &&
            log.find("- Extracting >entry.txt< from >test.rar< (password is ><)...\n") != std::string::npos &&
            log.find(" ms (line ") != std::string::npos && log.find("- Extracted 5 Bytes.\n") != std::string::npos &&
            log.find("- Couldn't read next filename from archive (I/O error).\n") != std::string::npos &&
            log.find("- Error - couldn't extract >absent.txt< and allocated 0 Bytes of unused memory!") !=
                std::string::npos;
        ExitRemoving(archive, good ? 0 : 1);
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
        const std::string log = ReadAll(kLogPath);
        const bool good = a == 0 && b == 0 &&
                          log.find("- Stored file larger than its packed data!\n") != std::string::npos &&
                          log.find("- Unpacked size impossible for the packed data!\n") != std::string::npos;
        ExitRemoving(archive, good ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

// The password given shows as a mask of one length, whatever it is; an empty one as nothing.
TEST(DebugLog, ThePasswordNeverAppears) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  TempFile archive(ArchiveBuilder().Stored("entry.txt", ToBytes("hello")).bytes());
  std::filesystem::create_directory(archive.dir() / "temp");
  EXPECT_EXIT(
      {
        if (chdir(archive.dir().c_str()) != 0) std::exit(2);
        unsigned char* data = nullptr;
        unsigned size = 0;
        for (const char* password : {"hunter2-secret", "x", ""}) {
          if (!ArchiveExtract(&data, &size, "entry.txt", "test.rar", password)) std::exit(2);  // plain: unused
          std::free(data);
        }
        const std::string log = ReadAll(kLogPath);
        const std::string masked = "- Extracting >entry.txt< from >test.rar< (password is >***<)...\n";
        const auto first = log.find(masked);
        const bool good = first != std::string::npos && log.find(masked, first + 1) != std::string::npos &&
                          log.find("(password is ><)") != std::string::npos &&
                          log.find("hunter2") == std::string::npos && log.find(">x<") == std::string::npos;
        ExitRemoving(archive, good ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

// What stands at temp/debug_unrar.txt, or in place of temp, when the show starts: only a regular
// file of its own is written (and truncated); anything else leaves logging off, writes nowhere and
// does not wait. Each case sets up and checks inside the child, in the archive's folder.
TEST(DebugLog, OnlyARegularFileOfItsOwnIsWritten) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  namespace fs = std::filesystem;
  const std::string kept = "someone else's file\n";
  const auto write = [](const char* path, const std::string& text) { std::ofstream(path) << text; };
  const auto freshLog = [&] {
    const std::string log = ReadAll(kLogPath);
    return log.rfind(" Vornhold archive reader RAR 2x \n", 0) == 0 &&
           log.find("- Extracted 5 Bytes.") != std::string::npos && log.find("old log") == std::string::npos;
  };
  struct Case {
    const char* label;
    std::function<bool()> setUp;  // false: could not be made
    std::function<bool()> check;  // after two extractions
    bool mayBeUnavailable = false;  // a device node needs a right the test may not have
  };
  int reader = -1;
  const Case cases[] = {
      {"regular file, truncated", [&] { write(kLogPath, "an old log\n"); return true; }, freshLog},
      {"link to a file", [&] { write("victim", kept); return symlink("../victim", kLogPath) == 0; },
       [&] { return ReadAll("victim") == kept && fs::is_symlink(kLogPath); }},
      {"link to nothing", [&] { return symlink("../created", kLogPath) == 0; },
       [&] { return !fs::exists("created") && fs::is_symlink(kLogPath); }},
      {"link to a folder",
       [&] { return fs::create_directory("elsewhere") && symlink("../elsewhere", kLogPath) == 0; },
       [&] { return fs::is_empty("elsewhere"); }},
      {"hard link", [&] { write("victim", kept); return link("victim", kLogPath) == 0; },
       [&] { return ReadAll("victim") == kept; }},
      {"folder", [&] { return fs::create_directory(kLogPath); },
       [&] { return fs::is_empty(kLogPath); }},
      {"FIFO without a reader", [&] { return mkfifo(kLogPath, 0600) == 0; },
       [&] { return fs::is_fifo(kLogPath); }},
      {"FIFO with a reader",
       [&] { return mkfifo(kLogPath, 0600) == 0 && (reader = open(kLogPath, O_RDONLY | O_NONBLOCK)) >= 0; },
       [&] { char c; return read(reader, &c, 1) <= 0; }},
      {"device", [&] { return mknod(kLogPath, S_IFCHR | 0666, makedev(1, 3)) == 0; },
       [&] { return fs::is_character_file(kLogPath); }, true},
      {"temp a link to a folder",
       [&] { return fs::remove("temp") && fs::create_directory("elsewhere") && symlink("elsewhere", "temp") == 0; },
       [&] { return fs::is_empty("elsewhere"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    TempFile archive(ArchiveBuilder().Stored("entry.txt", ToBytes("hello")).bytes());
    fs::create_directory(archive.dir() / "temp");
    // Exit codes: 0 as expected, 1 not, 2 extraction failed, 3 could not be set up here.
    const auto expected = [&c](int status) {
      return WIFEXITED(status) && (WEXITSTATUS(status) == 0 || (c.mayBeUnavailable && WEXITSTATUS(status) == 3));
    };
    EXPECT_EXIT(
        {
          if (chdir(archive.dir().c_str()) != 0) std::exit(2);
          if (!c.setUp()) ExitRemoving(archive, 3);
          if (!ExtractTwice("test.rar")) ExitRemoving(archive, 2);
          ExitRemoving(archive, c.check() ? 0 : 1);
        },
        expected, "");
  }
}

TEST(DebugLog, NothingIsWrittenWithoutTheTempFolder) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  TempFile archive(ArchiveBuilder().Stored("entry.txt", ToBytes("hello")).bytes());
  EXPECT_EXIT(
      {
        if (chdir(archive.dir().c_str()) != 0 || !ExtractTwice("test.rar")) std::exit(2);
        int files = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(".")) ++files;
        ExitRemoving(archive, files == 1 ? 0 : 1);  // only the archive
      },
      testing::ExitedWithCode(0), "");
}

}  // namespace
