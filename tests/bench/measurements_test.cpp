// The benchmark's self-checks: a figure is only reported after the output behind it was compared
// with the originals, so the comparisons themselves must catch a wrong or missing entry, and must
// find unar's output wherever unar puts it.
#include <gtest/gtest.h>

#include <filesystem>

#include "bench/external_tools.h"
#include "bench/measurements.h"

namespace fs = std::filesystem;

namespace {

class BenchMeasurements : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("vornhold-bench-test-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  static CorpusFile File(const std::string& name, CorpusKind kind, std::vector<std::uint8_t> data) {
    CorpusFile f;
    f.name = name;
    f.kind = kind;
    f.data = std::move(data);
    return f;
  }

  static std::vector<CorpusFile> TwoFolders() {
    return {File("text/a.txt", CorpusKind::kText, GenerateText(5000, 1, TextStyle::kProse)),
            File("pictures/b.bmp", CorpusKind::kPicture, GenerateBmpOfSize(20, 10, 2)),
            File("text/empty.txt", CorpusKind::kText, {})};
  }

  fs::path dir_;
};

TEST_F(BenchMeasurements, ReaderCheckCatchesWrongAndMissingEntries) {
  std::vector<CorpusFile> files = TwoFolders();
  for (const bool store : {true, false}) {
    ArchiveWriterOptions options;
    options.store = store;
    const PackedArchive packed = PackToFile(files, options, dir_ / "a.rar");
    ASSERT_TRUE(packed.error.empty()) << packed.error;
    EXPECT_EQ(packed.bytes, fs::file_size(dir_ / "a.rar"));
    ASSERT_EQ(packed.entries.size(), files.size());
    EXPECT_EQ(packed.entries[1].unpackedSize, files[1].data.size());
    std::string error;
    EXPECT_TRUE(ExtractEveryEntry(packed.path, files, true, error)) << error;
  }

  std::vector<CorpusFile> changed = files;
  changed[1].data[60] ^= 1;
  std::string error;
  EXPECT_FALSE(ExtractEveryEntry(dir_ / "a.rar", changed, true, error));
  EXPECT_NE(error.find("differs from the original for pictures/b.bmp"), std::string::npos) << error;
  EXPECT_TRUE(ExtractEveryEntry(dir_ / "a.rar", changed, false, error)) << "unverified runs only extract";

  changed = files;
  changed.push_back(File("text/missing.txt", CorpusKind::kText, {1}));
  EXPECT_FALSE(ExtractEveryEntry(dir_ / "a.rar", changed, true, error));
  EXPECT_NE(error.find("could not extract text/missing.txt"), std::string::npos) << error;
}

TEST_F(BenchMeasurements, UnarOutputIsFoundAndCheckedWhateverFolderItMakes) {
  if (!ProgramAvailable("unar")) GTEST_SKIP() << "unar is not installed";
  ArchiveWriterOptions stored;
  stored.store = true;

  // Several top-level folders: unar adds a folder named after the archive.
  const std::vector<CorpusFile> files = TwoFolders();
  const PackedArchive several = PackToFile(files, stored, dir_ / "several.rar");
  ASSERT_TRUE(several.error.empty()) << several.error;
  UnarTiming timing = TimeUnar(several.path, files, dir_, 2);
  EXPECT_FALSE(timing.failed) << timing.note;
  ASSERT_TRUE(timing.bestSeconds.has_value()) << timing.note;
  EXPECT_GT(*timing.bestSeconds, 0.0);
  EXPECT_FALSE(fs::exists(dir_ / "unar-out")) << "the output folder is removed";

  // One top-level folder: unar extracts in place.
  const std::vector<CorpusFile> oneFolder = {File("data/x.raw", CorpusKind::kPicture, {1, 2, 3}),
                                             File("data/y.raw", CorpusKind::kPicture, {4, 5})};
  const PackedArchive single = PackToFile(oneFolder, stored, dir_ / "single.rar");
  ASSERT_TRUE(single.error.empty()) << single.error;
  timing = TimeUnar(single.path, oneFolder, dir_, 1);
  EXPECT_FALSE(timing.failed) << timing.note;
  EXPECT_TRUE(timing.bestSeconds.has_value());

  std::vector<CorpusFile> changed = files;
  changed[0].data.push_back('!');
  timing = TimeUnar(several.path, changed, dir_, 2);
  EXPECT_TRUE(timing.failed);
  EXPECT_FALSE(timing.bestSeconds.has_value());
  EXPECT_NE(timing.note.find("differs from the original for text/a.txt"), std::string::npos) << timing.note;

  timing = TimeUnar((dir_ / "no-such.rar").string(), files, dir_, 1);
  EXPECT_TRUE(timing.failed);
  EXPECT_NE(timing.note.find("unar failed"), std::string::npos) << timing.note;
}

TEST_F(BenchMeasurements, PeerSizesAddUpPerKind) {
  if (!ProgramAvailable("gzip") || !ProgramAvailable("xz") || !ProgramAvailable("tar"))
    GTEST_SKIP() << "gzip, xz or tar is not installed";
  const std::vector<CorpusFile> files = TwoFolders();
  std::string error;
  for (const CorpusFile& f : files) ASSERT_TRUE(WriteFile(dir_ / "corpus" / f.name, f.data, error)) << error;
  const PeerSizes sizes = MeasurePeerSizes(files, dir_ / "corpus");
  ASSERT_TRUE(sizes.gzip && sizes.xz && sizes.tarXz) << sizes.note;
  EXPECT_EQ(sizes.gzipByKind.at(CorpusKind::kText) + sizes.gzipByKind.at(CorpusKind::kPicture), *sizes.gzip);
  EXPECT_EQ(sizes.xzByKind.at(CorpusKind::kText) + sizes.xzByKind.at(CorpusKind::kPicture), *sizes.xz);
  EXPECT_LT(*sizes.gzip, TotalBytes(files));  // prose compresses
  EXPECT_GT(*sizes.gzip, 3u * 18u);           // but every file costs at least a gzip header

  const PeerSizes missing = MeasurePeerSizes({File("nope.txt", CorpusKind::kText, {1})}, dir_ / "corpus");
  EXPECT_FALSE(missing.gzip.has_value());
  EXPECT_NE(missing.note.find("gzip"), std::string::npos) << missing.note;
}

}  // namespace
