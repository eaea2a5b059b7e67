// The rarpack command as a user runs it: the built binary, real files and folders.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "rarpack_test_support.h"
#include "tools/rarpack/rar_listing.h"

namespace {

using namespace rarpacktest;

const std::string kRarpack = VORNHOLD_BINARY_DIR "/tools/rarpack/rarpack";

// Runs rarpack with the scratch folder as the working directory, its standard output captured or
// sent to `stdoutTo`.
RunResult Rarpack(const std::string& args, const ScratchDir& scratch, const char* stdoutTo = nullptr) {
  const std::string command = Quote(kRarpack) + " " + args;
  return Run("cd " + Quote(scratch.path().string()) + " && " +
                 (stdoutTo ? "{ " + command + " >" + stdoutTo + "; }" : command),
             scratch);
}

std::vector<std::string> ListedNames(const fs::path& archive) {
  ArchiveListing listing;
  std::string error;
  EXPECT_TRUE(ListRarArchive(ReadFile(archive), listing, error)) << error;
  EXPECT_TRUE(listing.warning.empty()) << listing.warning;
  std::vector<std::string> names;
  for (const ListedEntry& e : listing.entries) names.push_back(e.name);
  return names;
}

std::size_t Lines(const std::string& text) { return std::count(text.begin(), text.end(), '\n'); }

// Files in the folder other than the run's own capture files.
std::vector<std::string> FolderContents(const ScratchDir& scratch) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(scratch.path())) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(".run.", 0) != 0) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(RarpackCommand, BadArgumentsPrintUsageAndExitTwo) {
  ScratchDir scratch;
  WriteFile(scratch / "f.txt", {'x'});
  for (const char* args : {"", "z", "a", "a only.rar", "a -q t.rar f.txt", "a -p t.rar f.txt", "l",
                           "l a.rar b.rar", "x", "x t.rar", "x t.rar e p extra"}) {
    SCOPED_TRACE(args);
    const RunResult run = Rarpack(args, scratch);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("usage: rarpack"), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty());
  }
  EXPECT_EQ(FolderContents(scratch), std::vector<std::string>{"f.txt"});
}

// Folders go in recursively, sorted, with directory entries; names lose "./" and leading "/".
TEST(RarpackCommand, AddsFoldersListsAndExtracts) {
  ScratchDir scratch;
  const Bytes x = RandomBytes(1500, 1), b = TextBytes(900, 2);
  WriteFile(scratch / "src/a/x.bin", x);
  WriteFile(scratch / "src/b.txt", b);
  WriteFile(scratch / "src/zero", {});
  fs::create_directories(scratch / "src/a/empty");
  WriteFile(scratch / "loose.txt", {'L'});

  RunResult run = Rarpack("a t.rar ./src " + Quote((scratch / "loose.txt").string()), scratch);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  std::string absolute = (scratch / "loose.txt").string().substr(1);
  std::replace(absolute.begin(), absolute.end(), '/', '\\');
  EXPECT_EQ(ListedNames(scratch / "t.rar"),
            (std::vector<std::string>{"src", "src\\a", "src\\a\\empty", "src\\a\\x.bin",
                                      "src\\b.txt", "src\\zero", absolute}));

  run = Rarpack("x t.rar SRC/A/X.BIN", scratch);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Bytes(run.out.begin(), run.out.end()), x);
  run = Rarpack("x t.rar src\\\\zero", scratch);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(run.out.empty());

  run = Rarpack("l t.rar", scratch);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("src\\a\\x.bin"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("7 entries"), std::string::npos) << run.out;
}

TEST(RarpackCommand, SwitchesChooseHowEntriesArePacked) {
  ScratchDir scratch;
  WriteFile(scratch / "text.txt", TextBytes(20000, 1));
  WriteFile(scratch / "pcm.raw", PcmBytes(20000, 2, 2));
  struct Case {
    const char* switches;
    const char* password;
    bool solid, stored;
  };
  for (const Case& c : {Case{"-m0", "", false, true}, Case{"", "", false, false},
                        Case{"-s", "", true, false}, Case{"-mm", "", false, false},
                        Case{"-mm-", "", false, false}, Case{"-s -pk3y", "k3y", true, false}}) {
    SCOPED_TRACE(c.switches);
    fs::remove(scratch / "t.rar");
    ASSERT_EQ(Rarpack(std::string("a ") + c.switches + " t.rar text.txt pcm.raw", scratch).exitCode, 0);
    ArchiveListing listing;
    std::string error;
    ASSERT_TRUE(ListRarArchive(ReadFile(scratch / "t.rar"), listing, error)) << error;
    EXPECT_EQ(listing.Solid(), c.solid);
    for (const ListedEntry& e : listing.entries) {
      EXPECT_EQ(e.Stored(), c.stored) << e.name;
      EXPECT_EQ(e.Enciphered(), *c.password != 0) << e.name;
      const RunResult run = Rarpack("x t.rar " + e.name + " " + c.password, scratch);
      EXPECT_EQ(Bytes(run.out.begin(), run.out.end()), ReadFile(scratch / e.name)) << e.name;
    }
  }
}

TEST(RarpackCommand, UpdateKeepsEntriesAndReplacesSameNames) {
  ScratchDir scratch;
  WriteFile(scratch / "a.txt", TextBytes(300, 1));
  WriteFile(scratch / "B.TXT", TextBytes(40, 2));
  ASSERT_EQ(Rarpack("a -m0 -pkey t.rar a.txt B.TXT", scratch).exitCode, 0);
  const Bytes before = ReadFile(scratch / "t.rar");

  // A wrong password cannot read the kept entries back: nothing changes.
  WriteFile(scratch / "b.txt", TextBytes(55, 3));
  WriteFile(scratch / "c.txt", {'c'});
  RunResult run = Rarpack("a -m0 -pnokey t.rar b.txt c.txt", scratch);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(Lines(run.err), 1u) << run.err;
  EXPECT_EQ(ReadFile(scratch / "t.rar"), before);

  // The reader cannot tell b.txt from B.TXT: the new file takes the old entry's place.
  run = Rarpack("a -m0 -pkey t.rar b.txt c.txt", scratch);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(ListedNames(scratch / "t.rar"), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
    run = Rarpack(std::string("x t.rar ") + name + " key", scratch);
    EXPECT_EQ(run.exitCode, 0) << name << run.err;
    EXPECT_EQ(Bytes(run.out.begin(), run.out.end()), ReadFile(scratch / name)) << name;
  }
  EXPECT_EQ(FolderContents(scratch),
            (std::vector<std::string>{"B.TXT", "a.txt", "b.txt", "c.txt", "t.rar"}));

  // A solid archive stays solid when more is added without -s.
  ASSERT_EQ(Rarpack("a -s s.rar a.txt", scratch).exitCode, 0);
  ASSERT_EQ(Rarpack("a s.rar c.txt", scratch).exitCode, 0);
  ArchiveListing listing;
  std::string error;
  ASSERT_TRUE(ListRarArchive(ReadFile(scratch / "s.rar"), listing, error));
  EXPECT_TRUE(listing.Solid());
  EXPECT_EQ(listing.entries.size(), 2u);
}

TEST(RarpackCommand, FailuresAreOneLineAndLeaveNothingBehind) {
  ScratchDir scratch;
  WriteFile(scratch / "f.txt", TextBytes(100, 1));
  WriteFile(scratch / "junk.rar", TextBytes(100, 2));
  ASSERT_EQ(Rarpack("a -m0 -ppw t.rar f.txt", scratch).exitCode, 0);
  Bytes cut = ReadFile(scratch / "t.rar");
  cut.resize(cut.size() - 5);
  WriteFile(scratch / "cut.rar", cut);
  // A FIFO with no writer: read, it would wait for ever.
  ASSERT_EQ(mkfifo((scratch / "fifo.rar").c_str(), 0600), 0);

  for (const char* args :
       {"x missing.rar f.txt", "x t.rar nothing.txt", "x t.rar f.txt", "x t.rar f.txt wrong",
        "x junk.rar f.txt", "l missing.rar", "l junk.rar", "l cut.rar", "a new.rar missing.txt",
        "a -m0 cut.rar f.txt", "a -m0 junk.rar f.txt", "l fifo.rar", "x fifo.rar f.txt", "a -m0 fifo.rar f.txt",
        "a new.rar /dev/zero"}) {
    SCOPED_TRACE(args);
    const RunResult run = Rarpack(args, scratch);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(Lines(run.err), 1u) << run.err;
    EXPECT_EQ(run.err.rfind("rarpack: ", 0), 0u) << run.err;
    if (args[0] == 'x') {
      EXPECT_TRUE(run.out.empty());
    }
  }
  EXPECT_EQ(ReadFile(scratch / "cut.rar"), cut);
  EXPECT_EQ(FolderContents(scratch),
            (std::vector<std::string>{"cut.rar", "f.txt", "fifo.rar", "junk.rar", "t.rar"}));
}

// Inputs the archive could not hold as given, and output that cannot be written: one line on
// stderr, exit 1, and the archive as it was (still absent when there was none).
TEST(RarpackCommand, HostileInputsAreRefusedAndLeaveTheArchiveAlone) {
  ScratchDir scratch;
  for (const char* file : {"X.txt", "x.txt", "a/b.txt", "a_b.txt", "both/B.txt", "both/b.txt", "new\nline.txt",
                           "dir/ok.txt", "dir/esc\x1b[1m\x7f", "ok.txt"}) {
    WriteFile(scratch / file, {'z'});
  }
  // The archive holds x.txt: either colliding input alone would replace it, the two together may not.
  ASSERT_EQ(Rarpack("a -m0 t.rar x.txt ok.txt", scratch).exitCode, 0);
  const Bytes before = ReadFile(scratch / "t.rar");
  const std::string full = std::string("rarpack: cannot write output: ") + std::strerror(ENOSPC) + "\n";

  struct Case {
    std::string args;
    std::string err;
    bool toFullDevice = false;  // standard output to /dev/full
  };
  const Case cases[] = {
      {"a t.rar X.txt x.txt", "rarpack: X.txt and x.txt would get entry names the reader cannot tell apart\n"},
      {"a t.rar a/b.txt a_b.txt",
       "rarpack: a/b.txt and a_b.txt would get entry names the reader cannot tell apart\n"},
      {"a t.rar ok.txt both",
       "rarpack: both/B.txt and both/b.txt would get entry names the reader cannot tell apart\n"},
      {"a t.rar ok.txt " + Quote("new\nline.txt"),
       "rarpack: refusing new\\x0aline.txt: entry names cannot hold control characters\n"},
      {"a t.rar dir", "rarpack: refusing dir/esc\\x1b[1m\\x7f: entry names cannot hold control characters\n"},
      {"l t.rar", full, true},
      {"x t.rar ok.txt", full, true},
  };
  for (const Case& c : cases) {
    for (const bool existed : {true, false}) {
      if (!existed && c.args[0] != 'a') continue;
      SCOPED_TRACE(c.args + (existed ? " (archive present)" : " (no archive)"));
      fs::remove(scratch / "t.rar");
      if (existed) WriteFile(scratch / "t.rar", before);
      const RunResult run = Rarpack(c.args, scratch, c.toFullDevice ? "/dev/full" : nullptr);
      EXPECT_EQ(run.exitCode, 1);
      EXPECT_EQ(run.err, c.err);
      if (existed) {
        EXPECT_EQ(ReadFile(scratch / "t.rar"), before);
      } else {
        EXPECT_FALSE(fs::exists(scratch / "t.rar"));
      }
    }
  }
  EXPECT_EQ(FolderContents(scratch), (std::vector<std::string>{"X.txt", "a", "a_b.txt", "both", "dir",
                                                               "new\nline.txt", "ok.txt", "t.rar", "x.txt"}));

  // The same file reached twice under one name hides nothing and is still taken.
  ASSERT_EQ(Rarpack("a -m0 t.rar ok.txt a ./ok.txt a/b.txt", scratch).exitCode, 0);
  EXPECT_EQ(ListedNames(scratch / "t.rar"), (std::vector<std::string>{"x.txt", "ok.txt", "a", "a\\b.txt"}));
}

// Archives made elsewhere can hold any byte but NUL in a name: each entry keeps one row, with its
// control bytes written as \xHH and the '\' separator as it is.
TEST(RarpackCommand, ListsControlBytesInNamesEscaped) {
  ScratchDir scratch;
  ArchiveWriterOptions options;
  options.store = true;
  WriteArchiveFile(scratch / "odd.rar",
                   {FileEntry("two\nlines", {'a'}), FileEntry("dir\\tab\there\x7f", {}),
                    FileEntry("\x1b[2Jclear", {'c'})},
                   options);
  const RunResult run = Rarpack("l odd.rar", scratch);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  for (const char* row : {" two\\x0alines\n", " dir\\tab\\x09here\\x7f\n", " \\x1b[2Jclear\n"}) {
    EXPECT_NE(run.out.find(row), std::string::npos) << row << run.out;
  }
  EXPECT_EQ(Lines(run.out), 2u + 3u + 1u) << run.out;  // title, column heads, entries, totals
}

TEST(RarpackCommand, BigJobsShowProgress) {
  ScratchDir scratch;
  WriteFile(scratch / "big/one.bin", RandomBytes(3 << 20, 1));
  WriteFile(scratch / "big/two.bin", RandomBytes(2 << 20, 2));
  const RunResult run = Rarpack("a -m0 t.rar big", scratch);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.err.find("big\\one.bin"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("big\\two.bin"), std::string::npos) << run.err;
  EXPECT_TRUE(run.out.empty());
}

}  // namespace
