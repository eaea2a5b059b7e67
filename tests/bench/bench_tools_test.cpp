// The benchmark's measuring helpers: the peer-program pipeline (byte counts beyond a pipe's
// buffer, failures named) and the per-entry sizes read back from our writer's archives.
#include <gtest/gtest.h>

#include "bench/archive_layout.h"
#include "bench/external_tools.h"
#include "tools/rarpack/rar_writer.h"

namespace {

TEST(BenchTools, PipelineCountsTheLastCommandsOutput) {
  const CommandResult r = RunPipeline({{"head", "-c", "300000", "/dev/zero"}, {"cat"}, {"cat"}}, true);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.outputBytes, 300000u);
  EXPECT_GT(r.seconds, 0.0);

  const CommandResult quiet = RunPipeline({{"head", "-c", "1000", "/dev/zero"}}, false);
  EXPECT_TRUE(quiet.ok) << quiet.error;
  EXPECT_EQ(quiet.outputBytes, 0u);
}

TEST(BenchTools, PipelineReportsWhichCommandFailed) {
  const CommandResult failed = RunPipeline({{"head", "-c", "10", "/dev/zero"}, {"false"}}, true);
  EXPECT_FALSE(failed.ok);
  EXPECT_NE(failed.error.find("false: exited with status 1"), std::string::npos) << failed.error;

  const CommandResult missing = RunPipeline({{"vornhold-no-such-program"}}, true);
  EXPECT_FALSE(missing.ok);
  EXPECT_NE(missing.error.find("vornhold-no-such-program"), std::string::npos) << missing.error;

  EXPECT_TRUE(ProgramAvailable("sh"));
  EXPECT_FALSE(ProgramAvailable("vornhold-no-such-program"));
}

TEST(BenchTools, PackedEntrySizesComeFromTheFileHeaders) {
  std::vector<ArchiveEntryInput> inputs(2);
  inputs[0].name = "dir/a.txt";
  inputs[0].data.assign(100, 'a');
  inputs[1].name = "b.bin";
  inputs[1].data.assign(7, 1);
  ArchiveWriterOptions options;
  options.store = true;
  options.mainHeaderExtra = {'c', 'o', 'm'};
  std::vector<std::uint8_t> archive;
  std::string error;
  ASSERT_TRUE(WriteRarArchive(inputs, options, archive, error)) << error;

  std::vector<PackedEntryInfo> entries;
  ASSERT_TRUE(ListPackedEntries(archive, entries));
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "dir\\a.txt");
  EXPECT_EQ(entries[0].packedSize, 100u);
  EXPECT_EQ(entries[0].unpackedSize, 100u);
  EXPECT_EQ(entries[1].name, "b.bin");
  EXPECT_EQ(entries[1].packedSize, 7u);

  std::vector<std::uint8_t> truncated(archive.begin(), archive.end() - 1);
  EXPECT_FALSE(ListPackedEntries(truncated, entries));
  std::vector<std::uint8_t> notArchive(archive.size(), 0);
  EXPECT_FALSE(ListPackedEntries(notArchive, entries));
}

}  // namespace
