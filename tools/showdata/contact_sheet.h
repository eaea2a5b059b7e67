// One PNG that shows every texture and a render of every mesh, made through the system's own
// loaders and the software device.
#pragma once

#include <string>
#include <vector>

#include "tools/showdata/data_entry.h"

namespace showdata {

// textures: catalogue pictures (decoded with D3DX); meshes: `.x` entries (rendered on the REF
// device). Returns false with *error set to one line when the sheet cannot be made or written.
bool WriteContactSheet(const std::vector<DataEntry>& textures, const std::vector<DataEntry>& meshes,
                       const std::string& pngPath, std::string* error);

}  // namespace showdata
