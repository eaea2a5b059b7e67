// The software device's fixed-function lighting, in eye space.
//
// Once per draw, Prepare takes the lights in eye space and the material sources as the device front
// resolved them (fixed_function_state.h); Light then runs per vertex without allocating:
//   diffuse  = clamp01(Ce + Ca * (Ga + sum La*att*spot) + Cd * sum Ld*max(0, N.L)*att*spot)
//   alpha    = Cd.a
//   specular = clamp01(Cs * sum Ls*(N.H)^Power*att*spot), a light adding only where N.L > 0 and
//              N.H > 0
// Point and spot lights attenuate as 1 / (A0 + A1 d + A2 d^2) and contribute nothing beyond
// Range; spot lights fade between the Phi/2 and Theta/2 cones with the power Falloff. H is
// normalize(L + normalize(-pe)) with D3DRS_LOCALVIEWER, normalize(L + (0, 0, -1)) without.
// Normals transform by the inverse transpose of World * View and are renormalised only with
// D3DRS_NORMALIZENORMALS. A vertex without a normal gets no diffuse or specular terms.
// Ca, Cd, Cs and Ce come from the vertex colours when D3DRS_COLORVERTEX and the matching
// *MATERIALSOURCE state name a colour the vertex has, otherwise from the material.
#pragma once

#include <array>

#include "platform/d3d8/d3d8.h"
#include "platform/d3d8/device_state.h"
#include "platform/d3d8/fixed_function_state.h"
#include "platform/d3d8/fvf.h"

namespace d3d8::ref {

// Vertex colours after lighting, channels 0..255.
struct LitColor {
  float r, g, b, a;     // diffuse
  float sr, sg, sb;     // specular
};

class Lighting {
 public:
  // fixed: the draw's resolved state (its lights, material sources, World * View and normal
  // matrix); the specular colour is computed only with fixed.specular.
  void Prepare(const DeviceState& state, const FixedFunctionState& fixed);
  // vertex: the vertex's bytes in the layout given to Prepare.
  LitColor Light(const BYTE* vertex) const;
  // Light for `count` vertices `stride` bytes apart into out[0 .. count): the same values, four
  // vertices at a time where the set-up allows (point and directional lights, material colours,
  // normals, no specular).
  void LightMany(const BYTE* first, UINT stride, UINT count, LitColor* out) const;

 private:
  using Source = MaterialSource;
  static constexpr Source kMaterial = Source::kMaterial, kVertexDiffuse = Source::kVertexDiffuse,
                          kVertexSpecular = Source::kVertexSpecular;

  std::array<EyeLight, kMaxActiveLights> lights_{};
  int lightCount_ = 0;
  D3DMATRIX worldView_{};
  std::array<float, 9> normalMatrix_{};  // row-vector 3x3: n_e = n * normalMatrix_
  FvfLayout layout_{};
  bool normalize_ = false;
  bool localViewer_ = true;
  bool specular_ = false;
  Source diffuseSource_ = kMaterial, ambientSource_ = kMaterial, specularSource_ = kMaterial,
         emissiveSource_ = kMaterial;
  D3DCOLORVALUE material_[4]{};  // diffuse, ambient, specular, emissive
  float power_ = 0;
  Color3 globalAmbient_{};
  bool fourAtOnce_ = false;  // LightMany may take four vertices at a time
};

}  // namespace d3d8::ref
