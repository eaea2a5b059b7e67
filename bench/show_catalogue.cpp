#include "bench/show_catalogue.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "archive/archive.h"
#include "bench/archive_layout.h"
#include "demo/asset_catalogue.h"

bool ReadShowArchive(const std::string& path, std::vector<CorpusFile>& entries, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<PackedEntryInfo> listed;
  if (!ListPackedEntries(bytes, listed) || listed.empty()) {
    error = "cannot list " + path + " as an archive of our writer";
    return false;
  }
  entries.clear();
  for (const PackedEntryInfo& e : listed) {
    unsigned char* data = nullptr;
    unsigned int size = 0;
    if (!ArchiveExtract(&data, &size, e.name.c_str(), path.c_str(), "")) {
      error = "the reader could not extract " + e.name + " from " + path;
      return false;
    }
    entries.push_back({e.name, CorpusKind::kPicture, std::vector<std::uint8_t>(data, data + size)});
    std::free(data);
  }
  return true;
}

std::vector<std::string> CatalogueEntryNames() {
  std::vector<std::string> names(g_textureEntries, g_textureEntries + g_textureCount);
  const auto frames = [&](const char* pattern, int count) {
    for (int n = 1; n <= count; ++n) {
      char name[64];
      std::snprintf(name, sizeof name, pattern, n);
      names.push_back(name);
    }
  };
  frames(g_video01Pattern, g_video01FrameCount);
  frames(g_video02Pattern, g_video02FrameCount);
  frames(g_video03Pattern, g_video03FrameCount);
  names.push_back(g_txt2Entry);
  names.push_back(g_tekstiEntry);
  names.insert(names.end(), g_meshEntries, g_meshEntries + g_meshCount);
  names.insert(names.end(), g_roomMeshEntries, g_roomMeshEntries + g_roomMeshCount);
  names.insert(names.end(), std::begin(g_secretPictureEntries), std::end(g_secretPictureEntries));
  return names;
}
