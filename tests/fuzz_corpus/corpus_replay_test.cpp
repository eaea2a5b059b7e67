// Replays the committed fuzz corpus (tests/fuzz/corpus/<target>/) through the fuzz targets' own
// entry points in the ordinary test builds, so that an input that once crashed a parser, and every
// input that reaches the parsers' corners, is run by CI under the sanitizers without clang or
// libFuzzer. A target aborts when the code under test breaks a promise; that ends this test too.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "fuzz_targets.h"

namespace {

namespace fs = std::filesystem;

struct Target {
  const char* name;  // the corpus folder and the libFuzzer program
  int (*entry)(const std::uint8_t*, std::size_t);
};

constexpr Target kTargets[] = {
    {"archive_extract_fuzz", vornhold::fuzz::ArchiveExtractFuzz},
    {"archive_cipher_fuzz", vornhold::fuzz::ArchiveCipherFuzz},
    {"unpack20_fuzz", vornhold::fuzz::Unpack20Fuzz},
    {"image_decode_fuzz", vornhold::fuzz::ImageDecodeFuzz},
    {"xfile_parse_fuzz", vornhold::fuzz::XFileParseFuzz},
    {"part_keywords_fuzz", vornhold::fuzz::PartKeywordsFuzz},
    {"mp3_stream_fuzz", vornhold::fuzz::Mp3StreamFuzz},
    {"rc_script_fuzz", vornhold::fuzz::RcScriptFuzz},
};

const fs::path kCorpus = fs::path(VORNHOLD_SOURCE_DIR) / "tests/fuzz/corpus";

std::vector<std::uint8_t> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class CorpusReplay : public testing::TestWithParam<Target> {};

TEST_P(CorpusReplay, EveryInputRunsAndSomeAreAccepted) {
  const Target& target = GetParam();
  const fs::path folder = kCorpus / target.name;
  ASSERT_TRUE(fs::is_directory(folder)) << folder;
  std::vector<fs::path> files;
  for (const fs::directory_entry& e : fs::directory_iterator(folder)) {
    if (e.is_regular_file()) files.push_back(e.path());
  }
  std::sort(files.begin(), files.end());
  EXPECT_FALSE(files.empty()) << "no seed in " << folder;
  const std::size_t acceptedBefore = vornhold::fuzz::AcceptedCount();
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.string());
    const std::vector<std::uint8_t> input = ReadFile(file);
    target.entry(input.data(), input.size());
  }
  // A harness that wraps its input wrongly, or a corpus that no longer fits the parser, would
  // still run cleanly while testing only the first checks.
  EXPECT_GT(vornhold::fuzz::AcceptedCount(), acceptedBefore) << "no input of the corpus is accepted by the parser";
}

INSTANTIATE_TEST_SUITE_P(Targets, CorpusReplay, testing::ValuesIn(kTargets),
                         [](const testing::TestParamInfo<Target>& param) { return std::string(param.param.name); });

TEST(CorpusReplay, EveryCorpusFolderHasATarget) {
  for (const fs::directory_entry& e : fs::directory_iterator(kCorpus)) {
    const std::string name = e.path().filename().string();
    const bool known = std::any_of(std::begin(kTargets), std::end(kTargets),
                                   [&](const Target& t) { return name == t.name; });
    EXPECT_TRUE(known) << "corpus folder without a replayed target: " << name;
  }
}

}  // namespace
