// Fuzz target: arbitrary bytes through the .x mesh reader (text, binary and compressed, picked by
// the header). A read must either fail cleanly or give a mesh whose indices, attributes and
// per-vertex arrays agree with each other.
#include <cstdint>

#include "fuzz_support.h"
#include "fuzz_targets.h"
#include "platform/d3dx8/xfile_mesh.h"

namespace vornhold::fuzz {

int XFileParseFuzz(const std::uint8_t* data, std::size_t size) {
  d3dx::XMeshData mesh;
  if (FAILED(d3dx::ParseXFile(data, size, &mesh))) {
    Require(mesh.positions.empty() && mesh.indices.empty(), "a failed read leaves an empty mesh");
    return 0;
  }
  const size_t vertices = mesh.positions.size();
  Require(mesh.indices.size() == 3 * mesh.attributes.size(), "three indices per face");
  Require(!mesh.materials.empty(), "a mesh has at least one material");
  const auto sized = [&](DWORD bit, size_t have, size_t perVertex) {
    return have == ((mesh.fvf & bit) ? perVertex * vertices : 0);
  };
  Require(sized(D3DFVF_NORMAL, mesh.normals.size(), 1) && sized(D3DFVF_DIFFUSE, mesh.colors.size(), 1) &&
              sized(D3DFVF_TEX1, mesh.texcoords.size(), 2),
          "per-vertex arrays follow the vertex format");
  for (DWORD index : mesh.indices) Require(index < vertices, "indices name vertices");
  for (DWORD attribute : mesh.attributes) Require(attribute < mesh.materials.size(), "attributes name materials");
  NoteAccepted();
  return 0;
}

}  // namespace vornhold::fuzz
