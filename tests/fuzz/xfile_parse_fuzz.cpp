// Arbitrary bytes through the .x mesh reader (text, binary and compressed, picked by the header).
// A read must either fail cleanly or give a mesh whose indices, attributes and per-vertex arrays
// agree with each other.
#include <cstdint>
#include <cstdlib>

#include "platform/d3dx8/xfile_mesh.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  d3dx::XMeshData mesh;
  if (FAILED(d3dx::ParseXFile(data, size, &mesh))) {
    if (!mesh.positions.empty() || !mesh.indices.empty()) std::abort();
    return 0;
  }
  const size_t vertices = mesh.positions.size();
  if (mesh.indices.size() != 3 * mesh.attributes.size() || mesh.materials.empty()) std::abort();
  const auto sized = [&](DWORD bit, size_t have, size_t perVertex) {
    return have == ((mesh.fvf & bit) ? perVertex * vertices : 0);
  };
  if (!sized(D3DFVF_NORMAL, mesh.normals.size(), 1) || !sized(D3DFVF_DIFFUSE, mesh.colors.size(), 1) ||
      !sized(D3DFVF_TEX1, mesh.texcoords.size(), 2)) {
    std::abort();
  }
  for (DWORD index : mesh.indices) {
    if (index >= vertices) std::abort();
  }
  for (DWORD attribute : mesh.attributes) {
    if (attribute >= mesh.materials.size()) std::abort();
  }
  return 0;
}
