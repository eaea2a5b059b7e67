#include "demo/catalogue_positions.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

// Every entry is found by its file name at its own position: no file name stands twice in a table,
// so every asset of the show can be named.
template <int N>
void ExpectEveryFileNameLeadsBack(const char* const (&entries)[N]) {
  for (int i = 0; i < N; ++i) {
    EXPECT_EQ(catalogue::PositionOf(entries, catalogue::FileName(entries[i])), i) << entries[i];
  }
}

TEST(CataloguePositions, EveryEntryIsFoundAtItsPositionByItsFileName) {
  ExpectEveryFileNameLeadsBack(g_textureEntries);
  ExpectEveryFileNameLeadsBack(g_meshEntries);
  ExpectEveryFileNameLeadsBack(g_roomMeshEntries);
}

TEST(CataloguePositions, AMissingOrRepeatedFileNameHasNoPosition) {
  constexpr const char* kEntries[] = {"data\\a\\twin.x", "data\\b\\twin.x", "data\\c.x"};
  EXPECT_EQ(catalogue::PositionOf(kEntries, "c.x"), 2);
  EXPECT_EQ(catalogue::PositionOf(kEntries, "twin.x"), catalogue::kAmbiguous);
  EXPECT_EQ(catalogue::PositionOf(kEntries, "data\\c.x"), catalogue::kNotFound);  // a file name, not a path
  EXPECT_EQ(catalogue::PositionOf(kEntries, "c"), catalogue::kNotFound);
}

}  // namespace
