// Shared pieces of the mesh modules: materials, the set frame, and the scene sets.
#pragma once

#include <string>
#include <vector>

#include "tools/showdata/data_entry.h"
#include "tools/showdata/meshes/geometry.h"

namespace showdata {

Material Mat(Color diffuse, Color specular, float power, Color emissive, const std::string& texture = "");

// Turns geometry modelled upright in world coordinates into the frame that RotateY(kSetTurnY)
// followed by RotateX(kSetTurnX) turns back into the world.
void ToSetFrame(Geometry& g);

// The entry's `.x` file; unused vertices and materials are left out.
DataEntry MakeEntry(const char* name, Geometry g, bool textured);

// The scene-1 set in catalogue order: core, corridor, floor, chamber walls, roof, tube.
std::vector<Geometry> MakeScene1Set();
// The scene-2 hall in catalogue order: hall, centre, spikes.
std::vector<Geometry> MakeScene2Set();

}  // namespace showdata
