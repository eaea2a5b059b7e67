// Every kind of archive the writer makes, listed and extracted by real extractors and compared
// byte for byte with what was packed:
// - the format author's own extractor (node-unrar-js, a WebAssembly build of unrar) through
//   tests/conformance/unrar_check.js: it must list every entry with our name, size and flags and
//   extract the same bytes;
// - Debian's unar, which fails on some valid old solid archives (ours too: an empty file or a
//   folder between compressed entries of a solid stream stops it, while unrar and our reader
//   take them): its failure alone is only reported, but bytes it extracts must be ours.
// Each tool is skipped with a message when it is not installed.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>

#include "rarpack_test_support.h"
#include "tools/common/sha256.h"

namespace {

using namespace rarpacktest;

const fs::path kDriver = fs::path(VORNHOLD_SOURCE_DIR) / "tests/conformance/unrar_check.js";
const fs::path kNodeModule =
    fs::path(VORNHOLD_SOURCE_DIR) / "tests/conformance/node_modules/node-unrar-js";

bool HaveUnrar() { return HaveProgram("node") && fs::exists(kNodeModule); }
bool HaveUnar() { return HaveProgram("unar"); }

std::string Sha256(const Bytes& bytes) { return tools::Sha256Hex(bytes.data(), bytes.size()); }

std::string SlashName(std::string name) {
  std::replace(name.begin(), name.end(), '\\', '/');
  return name;
}

struct Kind {
  std::string label;
  ArchiveWriterOptions options;
  std::vector<ArchiveEntryInput> entries;
};

void PrintTo(const Kind& kind, std::ostream* os) { *os << kind.label; }

std::vector<ArchiveEntryInput> SizedEntries(bool withBig) {
  std::vector<ArchiveEntryInput> entries = {
      FileEntry("empty.txt", {}),
      FileEntry("one.bin", {0xFF}),
      FileEntry("data\\fifteen.txt", TextBytes(15, 1)),
      FileEntry("data\\sixteen.txt", TextBytes(16, 2)),
      FileEntry("data/seventeen.txt", TextBytes(17, 3)),
      DirectoryEntry("data"),
      DirectoryEntry("data\\empty folder"),
      FileEntry("data\\deeper\\text.txt", TextBytes(70000, 4)),
      FileEntry("noise.bin", RandomBytes(30000, 5)),
  };
  if (withBig) entries.push_back(FileEntry("big\\window.txt", TextBytes((1 << 20) + 999, 6)));
  return entries;
}

std::vector<Kind> Kinds() {
  auto make = [](std::string label, auto setUp, std::vector<ArchiveEntryInput> entries) {
    Kind kind{std::move(label), {}, std::move(entries)};
    setUp(kind.options);
    return kind;
  };
  std::vector<ArchiveEntryInput> pcm;
  for (int channels = 1; channels <= 4; ++channels) {
    pcm.push_back(FileEntry("pcm" + std::to_string(channels) + ".raw",
                            PcmBytes(40000, channels, channels)));
  }
  std::vector<ArchiveEntryInput> mixed = pcm;
  mixed.push_back(FileEntry("notes.txt", TextBytes(20000, 8)));
  std::vector<ArchiveEntryInput> many;
  for (int i = 0; i < 160; ++i) {
    const std::string folder = "set" + std::to_string(i / 40);
    if (i % 40 == 0) many.push_back(DirectoryEntry(folder));
    many.push_back(FileEntry(folder + "\\item" + std::to_string(i) + ".txt",
                             TextBytes(static_cast<std::size_t>(i * 7 % 500), i)));
  }
  return {
      make("Stored", [](auto& o) { o.store = true; }, SizedEntries(true)),
      make("Compressed", [](auto&) {}, SizedEntries(true)),
      make("Solid", [](auto& o) { o.solid = true; }, SizedEntries(true)),
      make("MultimediaForced", [](auto& o) { o.multimedia = MultimediaMode::kForce; }, pcm),
      make("MultimediaForcedSolid",
           [](auto& o) {
             o.multimedia = MultimediaMode::kForce;
             o.solid = true;
           },
           pcm),
      make("MultimediaAuto", [](auto&) {}, mixed),
      make("MultimediaForbidden", [](auto& o) { o.multimedia = MultimediaMode::kForbid; }, mixed),
      make("PasswordStored",
           [](auto& o) {
             o.store = true;
             o.password = "s3cret pass";
           },
           SizedEntries(false)),
      make("PasswordCompressed", [](auto& o) { o.password = "s3cret pass"; }, SizedEntries(false)),
      make("PasswordSolid",
           [](auto& o) {
             o.solid = true;
             o.password = "a password longer than sixteen bytes";
           },
           SizedEntries(true)),
      make("MainHeaderComment",
           [](auto& o) {
             const std::string note = "archive comment carried in the main header";
             o.mainHeaderExtra.assign(note.begin(), note.end());
           },
           SizedEntries(false)),
      make("ManyEntries", [](auto&) {}, many),
      make("ManyEntriesSolid", [](auto& o) { o.solid = true; }, many),
  };
}

// Which entries the writer marks as continuing the solid stream: every non-empty file after the
// first one of a solid, compressed archive.
std::vector<bool> ExpectedSolidFlags(const Kind& kind) {
  std::vector<bool> flags;
  bool started = false;
  for (const ArchiveEntryInput& e : kind.entries) {
    const bool streamed = kind.options.solid && !kind.options.store && !e.directory && !e.data.empty();
    flags.push_back(streamed && started);
    started = started || streamed;
  }
  return flags;
}

std::vector<std::vector<std::string>> SplitLines(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::stringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::vector<std::string> fields;
    std::stringstream cells(line);
    std::string cell;
    while (std::getline(cells, cell, '\t')) fields.push_back(cell);
    rows.push_back(fields);
  }
  return rows;
}

RunResult RunUnrar(const fs::path& archive, const std::string& password, const ScratchDir& scratch) {
  return Run("node " + Quote(kDriver.string()) + " " + Quote(archive.string()) + " " + Quote(password),
             scratch);
}

void CheckWithUnrar(const Kind& kind, const fs::path& archive, const ScratchDir& scratch) {
  const RunResult run = RunUnrar(archive, kind.options.password, scratch);
  ASSERT_EQ(run.exitCode, 0) << run.err << run.out;
  const auto rows = SplitLines(run.out);
  ASSERT_EQ(rows.size(), kind.entries.size() + 1) << run.out;
  ASSERT_EQ(rows[0].size(), 3u);
  EXPECT_EQ(rows[0][1], kind.options.solid ? "1" : "0");
  const std::vector<bool> solidFlags = ExpectedSolidFlags(kind);
  for (std::size_t i = 0; i < kind.entries.size(); ++i) {
    const ArchiveEntryInput& entry = kind.entries[i];
    SCOPED_TRACE(entry.name);
    const auto& row = rows[i + 1];
    ASSERT_EQ(row.size(), 7u);
    EXPECT_EQ(row[1], SlashName(entry.name));
    EXPECT_EQ(row[2], std::to_string(entry.data.size()));
    std::string flags;
    if (entry.directory) flags += 'd';
    if (!kind.options.password.empty() && !entry.data.empty()) flags += 'e';
    if (solidFlags[i]) flags += 's';
    EXPECT_EQ(row[3], flags.empty() ? "-" : flags);
    EXPECT_EQ(row[6], entry.directory ? "-" : Sha256(entry.data));
  }
}

// The entries unar reports as done ("  name  (size B)... OK.", folders with a trailing '/').
std::set<std::string> UnarDoneEntries(const std::string& output) {
  std::set<std::string> done;
  std::stringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    const std::size_t sizeAt = line.rfind("  (");
    if (line.rfind("  ", 0) != 0 || sizeAt == std::string::npos || !line.ends_with("... OK.")) continue;
    std::string name = line.substr(2, sizeAt - 2);
    if (name.ends_with('/')) name.pop_back();
    done.insert(name);
  }
  return done;
}

void CheckWithUnar(const Kind& kind, const fs::path& archive, const ScratchDir& scratch) {
  const fs::path out = scratch / "unar";
  std::string command = "unar -nr -D -f -o " + Quote(out.string());
  if (!kind.options.password.empty()) command += " -p " + Quote(kind.options.password);
  const RunResult run = Run(command + " " + Quote(archive.string()), scratch);
  const std::set<std::string> done = UnarDoneEntries(run.out);
  std::vector<std::string> missed;
  for (const ArchiveEntryInput& entry : kind.entries) {
    SCOPED_TRACE(entry.name);
    const std::string name = SlashName(entry.name);
    if (!done.count(name)) {
      EXPECT_NE(run.exitCode, 0) << "unar reported success without " << name << ":\n" << run.out;
      missed.push_back(name);
      continue;
    }
    // What unar says it extracted must be exactly ours.
    const fs::path path = out / name;
    if (entry.directory) {
      EXPECT_TRUE(fs::is_directory(path));
    } else {
      EXPECT_EQ(Sha256(ReadFile(path)), Sha256(entry.data));
    }
  }
  if (!missed.empty()) {
    std::cout << "[ NOTE     ] unar (which fails on some valid archives) could not extract "
              << missed.size() << " of " << kind.entries.size() << " entries of the "
              << kind.label << " archive, first " << missed.front() << "\n";
  }
}

class Extractors : public ::testing::TestWithParam<Kind> {};

TEST_P(Extractors, ListAndExtractWhatWasPacked) {
  if (!HaveUnrar() && !HaveUnar()) GTEST_SKIP() << "neither node-unrar-js nor unar is installed";
  const Kind& kind = GetParam();
  ScratchDir scratch;
  const fs::path archive = scratch / "kind.rar";
  WriteArchiveFile(archive, kind.entries, kind.options);
  if (HaveUnrar()) {
    CheckWithUnrar(kind, archive, scratch);
  } else {
    std::cout << "[ SKIPPED  ] node-unrar-js not installed (npm install in tests/conformance)\n";
  }
  if (HaveUnar()) {
    CheckWithUnar(kind, archive, scratch);
  } else {
    std::cout << "[ SKIPPED  ] unar not installed\n";
  }
}

std::string KindName(const ::testing::TestParamInfo<Kind>& param) { return param.param.label; }

INSTANTIATE_TEST_SUITE_P(WriterKinds, Extractors, ::testing::ValuesIn(Kinds()), KindName);

// The cross-check can fail: unrar rejects a damaged header CRC and a damaged data byte.
TEST(ExtractorsControl, UnrarRejectsDamage) {
  if (!HaveUnrar()) GTEST_SKIP() << "node-unrar-js not installed (npm install in tests/conformance)";
  ScratchDir scratch;
  ArchiveWriterOptions options;
  options.store = true;
  Bytes archive;
  std::string error;
  ASSERT_TRUE(WriteRarArchive({FileEntry("a.txt", TextBytes(100, 1))}, options, archive, error));
  const std::size_t fileHeader = 7 + 13;
  const fs::path path = scratch / "damaged.rar";
  for (std::size_t at : {fileHeader + 1, archive.size() - 10}) {
    SCOPED_TRACE(at);
    Bytes damaged = archive;
    damaged[at] ^= 0x01;
    WriteFile(path, damaged);
    EXPECT_NE(RunUnrar(path, "", scratch).exitCode, 0);
  }
  WriteFile(path, archive);
  EXPECT_EQ(RunUnrar(path, "", scratch).exitCode, 0);
}

}  // namespace
