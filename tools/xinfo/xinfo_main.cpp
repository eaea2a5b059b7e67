// xinfo FILE: reads a .x mesh file as D3DXLoadMeshFromXInMemory does and prints one line about
// the mesh it builds. Exit 0 when the file loads, 1 when it does not (one line on stderr), 2 for
// bad usage.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/common/read_whole_file.h"
#include "tools/xinfo/xinfo_report.h"

namespace {

const char kUsage[] =
    "usage: xinfo FILE\n"
    "Reads the .x mesh file FILE (text, binary or compressed) as D3DXLoadMeshFromXInMemory does\n"
    "and prints one line:\n"
    "  vertices=V triangles=T subsets=S materials=M fvf=0xHEX bbox=x0,y0,z0,x1,y1,z1\n"
    "All meshes of the file merged into one, frame transforms applied; subsets: the attribute\n"
    "ranges (one per material that has faces); fvf: XYZ plus NORMAL, DIFFUSE and TEX1 when the\n"
    "file gives normals, vertex colours and texture coordinates; bbox: the vertex bounding box.\n"
    "Exit status: 0 loaded, 1 not loadable or not readable, 2 bad usage.\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc != 2 || argv[1][0] == '\0') {
    std::fprintf(stderr, "xinfo: expected one FILE (usage: xinfo FILE; --help for more)\n");
    return 2;
  }
  const std::string path = argv[1];
  std::vector<uint8_t> bytes;
  std::string why;
  if (!tools::ReadWholeFile(path, bytes, why)) {
    std::fprintf(stderr, "xinfo: cannot read %s: %s\n", path.c_str(), why.c_str());
    return 1;
  }
  d3dx::XMeshData mesh;
  if (FAILED(d3dx::ParseXFile(bytes.data(), bytes.size(), &mesh))) {
    std::fprintf(stderr, "xinfo: %s: not a loadable .x mesh file (invalid or damaged data)\n",
                 path.c_str());
    return 1;
  }
  std::printf("%s\n", xinfo::Describe(mesh).c_str());
  return 0;
}
