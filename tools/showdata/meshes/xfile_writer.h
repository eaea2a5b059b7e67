// Writes a Geometry as a DirectX `.x` text file: one Mesh with MeshNormals, MeshTextureCoords
// (when asked for) and MeshMaterialList. Numbers are printed with fixed precision, so the same
// geometry always gives the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/showdata/meshes/geometry.h"

namespace showdata {

std::vector<std::uint8_t> WriteXFile(const Geometry& geometry, const std::string& meshName, bool textureCoords);

}  // namespace showdata
