#include "tools/xinfo/xinfo_report.h"

#include <algorithm>
#include <cstdio>

namespace xinfo {

std::string Describe(const d3dx::XMeshData& mesh) {
  float lo[3] = {0.0f, 0.0f, 0.0f};
  float hi[3] = {0.0f, 0.0f, 0.0f};
  for (size_t i = 0; i < mesh.positions.size(); ++i) {
    const float p[3] = {mesh.positions[i].x, mesh.positions[i].y, mesh.positions[i].z};
    for (int k = 0; k < 3; ++k) {
      lo[k] = i == 0 ? p[k] : std::min(lo[k], p[k]);
      hi[k] = i == 0 ? p[k] : std::max(hi[k], p[k]);
    }
  }
  char line[512];
  std::snprintf(line, sizeof line,
                "vertices=%zu triangles=%zu subsets=%zu materials=%zu fvf=0x%X bbox=%g,%g,%g,%g,%g,%g",
                mesh.VertexCount(), mesh.FaceCount(), mesh.attributeTable.size(),
                mesh.materials.size(), static_cast<unsigned>(mesh.fvf), lo[0], lo[1], lo[2], hi[0],
                hi[1], hi[2]);
  return line;
}

}  // namespace xinfo
