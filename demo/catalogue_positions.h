// Catalogue positions looked up by file name at compile time, so that a scene says which asset it
// means (textures[TextureIndex("feidi.tga")]) and the name and the position cannot disagree.
//
// A name is an entry's file name, the part after its last backslash ("s1_core.x" for
// data\meshes\scene1\s1_core.x). A name that is not in the table, or that stands there twice, stops
// the build. The positions are the ones the trace prints (tex<k>, mesh<k>, room<k>).
#pragma once

#include <string_view>

#include "demo/asset_catalogue.h"

namespace catalogue {

inline constexpr int kNotFound = -1;
inline constexpr int kAmbiguous = -2;

constexpr std::string_view FileName(std::string_view entry) { return entry.substr(entry.rfind('\\') + 1); }

// The position of the one entry of `entries` whose file name is `name`; kNotFound or kAmbiguous.
template <int N>
constexpr int PositionOf(const char* const (&entries)[N], std::string_view name) {
  int found = kNotFound;
  for (int i = 0; i < N; ++i) {
    if (FileName(entries[i]) != name) continue;
    if (found != kNotFound) return kAmbiguous;
    found = i;
  }
  return found;
}

// Never defined: reached only while a lookup is evaluated at compile time, where a call to it stops
// the build with its name in the message.
void NameIsNotOnceInTheCatalogue();

consteval int Checked(int position) {
  if (position < 0) NameIsNotOnceInTheCatalogue();
  return position;
}

}  // namespace catalogue

consteval int TextureIndex(std::string_view name) {
  return catalogue::Checked(catalogue::PositionOf(g_textureEntries, name));
}
consteval int MeshIndex(std::string_view name) {
  return catalogue::Checked(catalogue::PositionOf(g_meshEntries, name));
}
consteval int RoomMeshIndex(std::string_view name) {
  return catalogue::Checked(catalogue::PositionOf(g_roomMeshEntries, name));
}
