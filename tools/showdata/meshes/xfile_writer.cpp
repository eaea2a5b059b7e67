#include "tools/showdata/meshes/xfile_writer.h"

#include <cmath>
#include <cstdio>

namespace showdata {

namespace {

// Four decimals (a tenth of a millimetre in the room), and never "-0.0000".
std::string Number(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4f", double(value));
  std::string out = text;
  if (out.find_first_not_of("-0.") == std::string::npos && out[0] == '-') out.erase(0, 1);
  return out;
}

void AppendList(std::string& out, size_t count, const std::function<std::string(size_t)>& item) {
  for (size_t i = 0; i < count; ++i) {
    out += "  " + item(i);
    out += i + 1 < count ? ",\n" : ";\n";
  }
}

std::string Rgb(const Color& c) { return Number(c.r) + ";" + Number(c.g) + ";" + Number(c.b) + ";;"; }

}  // namespace

std::vector<std::uint8_t> WriteXFile(const Geometry& g, const std::string& meshName, bool textureCoords) {
  const auto& vertices = g.Vertices();
  const auto& faces = g.Faces();
  std::string out = "xof 0302txt 0032\n\n";
  out += "Mesh " + meshName + " {\n";
  out += "  " + std::to_string(vertices.size()) + ";\n";
  AppendList(out, vertices.size(), [&](size_t i) {
    const Vec3 p = vertices[i].position;
    return Number(p.x) + ";" + Number(p.y) + ";" + Number(p.z) + ";";
  });
  auto faceList = [&](std::string& text) {
    text += "  " + std::to_string(faces.size()) + ";\n";
    AppendList(text, faces.size(), [&](size_t i) {
      return "3;" + std::to_string(faces[i][0]) + "," + std::to_string(faces[i][1]) + "," + std::to_string(faces[i][2]) +
             ";";
    });
  };
  faceList(out);

  out += "  MeshNormals {\n  " + std::to_string(vertices.size()) + ";\n";
  AppendList(out, vertices.size(), [&](size_t i) {
    const Vec3 n = vertices[i].normal;
    return Number(n.x) + ";" + Number(n.y) + ";" + Number(n.z) + ";";
  });
  faceList(out);
  out += "  }\n";

  if (textureCoords) {
    out += "  MeshTextureCoords {\n  " + std::to_string(vertices.size()) + ";\n";
    AppendList(out, vertices.size(),
               [&](size_t i) { return Number(vertices[i].u) + ";" + Number(vertices[i].v) + ";"; });
    out += "  }\n";
  }

  const auto& materials = g.Materials();
  out += "  MeshMaterialList {\n  " + std::to_string(materials.size()) + ";\n  " + std::to_string(faces.size()) + ";\n";
  AppendList(out, faces.size(), [&](size_t i) { return std::to_string(g.FaceMaterials()[i]); });
  for (const Material& m : materials) {
    out += "  Material {\n";
    out += "    " + Number(m.diffuse.r) + ";" + Number(m.diffuse.g) + ";" + Number(m.diffuse.b) + ";" + Number(m.alpha) +
           ";;\n";
    out += "    " + Number(m.power) + ";\n";
    out += "    " + Rgb(m.specular) + "\n";
    out += "    " + Rgb(m.emissive) + "\n";
    if (!m.texture.empty()) out += "    TextureFilename { \"" + m.texture + "\"; }\n";
    out += "  }\n";
  }
  out += "  }\n}\n";
  return std::vector<std::uint8_t>(out.begin(), out.end());
}

}  // namespace showdata
