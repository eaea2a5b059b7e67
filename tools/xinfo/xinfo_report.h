// The one-line summary xinfo prints for a mesh read from a .x file.
#pragma once

#include <string>

#include "platform/d3dx8/xfile_mesh.h"

namespace xinfo {

// "vertices=V triangles=T subsets=S materials=M fvf=0xHEX bbox=x0,y0,z0,x1,y1,z1" (%g numbers;
// the box is all zeros for a mesh without vertices).
std::string Describe(const d3dx::XMeshData& mesh);

}  // namespace xinfo
