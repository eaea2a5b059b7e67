// Real archives made by RAR 1.5x, 2.0x and 2.50 and published in other projects' test suites,
// with the content that independent extractors agree on.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "tools/common/sha256.h"

namespace {

const std::filesystem::path kRarDir = std::filesystem::path(VORNHOLD_TESTDATA_DIR) / "rar";

struct ExpectedEntry {
  std::string archive, name, password, expected, sha256;
  unsigned size = 0;
};

std::vector<ExpectedEntry> ReadExpected() {
  std::vector<ExpectedEntry> entries;
  std::ifstream in(kRarDir / "EXPECTED.tsv");
  std::string line;
  std::getline(in, line);  // column names
  while (std::getline(in, line)) {
    std::vector<std::string> f;
    std::stringstream ss(line);
    std::string field;
    while (std::getline(ss, field, '\t')) f.push_back(field);
    if (f.size() < 6) continue;
    entries.push_back({f[0], f[1], f[2], f[3], f[5], unsigned(std::stoul(f[4]))});
  }
  return entries;
}

TEST(RealArchives, EveryEntryExtractsAsPublished) {
  if (!std::filesystem::exists(kRarDir / "EXPECTED.tsv")) GTEST_SKIP() << "no real archives at " << kRarDir;
  const auto entries = ReadExpected();
  ASSERT_GT(entries.size(), 20u);
  for (const auto& e : entries) {
    SCOPED_TRACE(e.archive + " / " + e.name);
    const std::string path = (kRarDir / e.archive).string();
    unsigned char* data = nullptr;
    unsigned size = 12345;
    const int ok = ArchiveExtract(&data, &size, e.name.c_str(), path.c_str(), e.password.c_str());
    if (e.expected == "ok") {
      ASSERT_EQ(ok, 1);
      EXPECT_EQ(size, e.size);
      EXPECT_EQ(tools::Sha256Hex(data, size), e.sha256);
    } else if (e.expected == "directory") {
      EXPECT_EQ(ok, 1);
      EXPECT_EQ(size, 0u);
    } else {  // data of an older method, rejected by the CRC check
      EXPECT_EQ(ok, 0);
      EXPECT_EQ(data, nullptr);
      EXPECT_EQ(size, 0u);
    }
    std::free(data);
  }
}

TEST(RealArchives, EncipheredEntriesNeedTheRightPassword) {
  if (!std::filesystem::exists(kRarDir / "EXPECTED.tsv")) GTEST_SKIP() << "no real archives at " << kRarDir;
  for (const char* archive : {"junrar__rar20-password-compressed.rar", "junrar__rar20-password-stored.rar"}) {
    SCOPED_TRACE(archive);
    const std::string path = (kRarDir / archive).string();
    for (const char* password : {"", "Password", "wrong one"}) {
      unsigned char* data = nullptr;
      unsigned size = 1;
      EXPECT_EQ(ArchiveExtract(&data, &size, "SECRET.TXT", path.c_str(), password), 0) << password;
      EXPECT_EQ(data, nullptr);
      EXPECT_EQ(size, 0u);
    }
  }
}

}  // namespace
