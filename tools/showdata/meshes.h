// The show's meshes as `.x` text files, each modelled for the scene that draws it.
#pragma once

#include <vector>

#include "tools/showdata/data_entry.h"

namespace showdata {

std::vector<DataEntry> MakeMeshes();      // the 20 general meshes, in catalogue order
std::vector<DataEntry> MakeRoomMeshes();  // the 32 room meshes, in catalogue order

}  // namespace showdata
