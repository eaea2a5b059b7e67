// Everything the show reads, made by the content modules and put in the archive's order.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/showdata/data_entry.h"

namespace showdata {

struct ShowData {
  std::vector<DataEntry> textures;       // catalogue order
  std::vector<DataEntry> meshes;         // the 20 general meshes, catalogue order
  std::vector<DataEntry> roomMeshes;     // the 32 room meshes, catalogue order
  std::vector<DataEntry> archiveEntries;  // every entry of "lab.ac", in the order the show loads them
  std::vector<std::uint8_t> soundtrack;   // "lab.mp3"
};

// Reports each step as it starts ("pictures", "meshes", ...), for progress lines.
using StepReport = std::function<void(const char* step)>;

// Makes all content. Returns false with a one-line reason in *error (a module failed, or a
// catalogue name is missing or made twice).
bool MakeShowData(ShowData& data, const StepReport& report, std::string* error);

// The "part.txt" that plays all ten parts.
std::string AllPartsFile();

}  // namespace showdata
