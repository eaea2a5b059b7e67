// A small text `.x` mesh for drawing tests: two triangles side by side in clip space (with identity
// transforms), face 0 (right) with material 1, face 1 (left) with material 0; the second material
// has diffuse alpha 0.5, an emissive colour and a texture file name.
#pragma once

namespace testsupport {

inline constexpr char kTwoMaterialMesh[] = R"(xof 0303txt 0032
Mesh {
  6;
  -0.9; -0.5; 0.5;, -0.1; 0.5; 0.5;, -0.1; -0.5; 0.5;,
   0.1; -0.5; 0.5;,  0.9; 0.5; 0.5;,  0.9; -0.5; 0.5;;
  2;
  3; 3, 4, 5;,
  3; 0, 1, 2;;
  MeshMaterialList {
    2; 2; 1, 0;;
    Material { 1.0; 0.0; 0.0; 1.0;; 8.0; 0.5; 0.5; 0.5;; 0.0; 0.0; 0.0;; }
    Material { 0.0; 1.0; 0.0; 0.5;; 2.0; 0.0; 0.0; 0.0;; 0.1; 0.2; 0.3;;
      TextureFilename { "wall.bmp"; }
    }
  }
}
)";

}  // namespace testsupport
