// Flexible vertex formats: which fields a fixed-function vertex carries and where they lie.
//
// Fields are packed in Direct3D's order with no padding: position (3 floats, or 4 with rhw),
// normal (3 floats), point size (1 float), diffuse (D3DCOLOR), specular (D3DCOLOR), then the
// texture coordinate sets (1 to 4 floats each, D3DFVF_TEXCOORDSIZEn). Offsets are in bytes.
#pragma once

#include <array>

#include "platform/d3d8/d3d8.h"

namespace d3d8 {

struct FvfLayout {
  bool transformed = false;  // XYZRHW: x, y in pixels, z depth, rhw = 1/w
  int normal = -1;           // offsets; -1 when the vertex lacks the field
  int diffuse = -1;
  int specular = -1;
  UINT texCoordSets = 0;
  std::array<int, 8> texCoord{};    // offset of each set
  std::array<UINT, 8> texCoordSize{};  // floats in each set
  UINT size = 0;  // bytes of one vertex
};

// False for codes the fixed-function pipeline here does not take: no position, blend weights,
// XYZRHW with a normal, reserved bits, or a shader handle.
bool DecodeFvf(DWORD fvf, FvfLayout& layout);

}  // namespace d3d8
