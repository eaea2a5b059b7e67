#include "tools/showdata/show_data.h"

#include <cstdio>
#include <set>

#include "demo/asset_catalogue.h"
#include "tools/showdata/frames.h"
#include "tools/showdata/meshes.h"
#include "tools/showdata/pictures.h"
#include "tools/showdata/soundtrack.h"

namespace showdata {
namespace {

void Append(std::vector<DataEntry>& to, const std::vector<DataEntry>& from) { to.insert(to.end(), from.begin(), from.end()); }

std::string FrameName(const char* pattern, int n) {
  char name[64];
  std::snprintf(name, sizeof name, pattern, n);
  return name;
}

// Every name the show asks the archive for, in catalogue order.
std::vector<std::string> CatalogueNames() {
  std::vector<std::string> names(g_textureEntries, g_textureEntries + g_textureCount);
  for (int n = 1; n <= g_video01FrameCount; ++n) names.push_back(FrameName(g_video01Pattern, n));
  for (int n = 1; n <= g_video02FrameCount; ++n) names.push_back(FrameName(g_video02Pattern, n));
  for (int n = 1; n <= g_video03FrameCount; ++n) names.push_back(FrameName(g_video03Pattern, n));
  names.push_back(g_txt2Entry);
  names.push_back(g_tekstiEntry);
  names.insert(names.end(), g_meshEntries, g_meshEntries + g_meshCount);
  names.insert(names.end(), g_roomMeshEntries, g_roomMeshEntries + g_roomMeshCount);
  names.insert(names.end(), g_secretPictureEntries, g_secretPictureEntries + 2);
  return names;
}

bool CheckComplete(const std::vector<DataEntry>& entries, std::string* error) {
  std::set<std::string> made;
  for (const DataEntry& e : entries) {
    if (!made.insert(e.name).second) {
      *error = "entry made twice: " + e.name;
      return false;
    }
  }
  for (const std::string& name : CatalogueNames()) {
    if (!made.count(name)) {
      *error = "no content made for " + name;
      return false;
    }
  }
  return true;
}

}  // namespace

bool MakeShowData(ShowData& data, const StepReport& report, std::string* error) {
  report("pictures");
  data.textures = MakeTextures();
  const std::vector<DataEntry> secret = MakeSecretPictures();
  const DataEntry scroller = MakeScrollerText();
  report("meshes");
  data.meshes = MakeMeshes();
  data.roomMeshes = MakeRoomMeshes();
  report("video frames and the tunnel map");
  const std::vector<DataEntry> frames = MakeVideoFrames();
  const DataEntry tunnelMap = MakeTunnelMap();

  // The show loads textures, then frames, maps and meshes, re-scanning the archive for each entry:
  // this order keeps every scan short.
  data.archiveEntries.clear();
  Append(data.archiveEntries, data.textures);
  Append(data.archiveEntries, frames);
  data.archiveEntries.push_back(tunnelMap);
  data.archiveEntries.push_back(scroller);
  Append(data.archiveEntries, data.meshes);
  Append(data.archiveEntries, data.roomMeshes);
  Append(data.archiveEntries, secret);
  if (!CheckComplete(data.archiveEntries, error)) return false;

  report("soundtrack");
  data.soundtrack = MakeSoundtrack(error);
  return !data.soundtrack.empty();
}

std::string AllPartsFile() {
  std::string text;
  for (int k = 1; k <= 10; ++k) text += FrameName("part%02d", k) + "\n";
  return text;
}

}  // namespace showdata
