// The fixed-function state a draw resolves to, the same for every device: the device front
// resolves it once per draw from the pipeline state and hands it on with the draw request, so that
// the Direct3D rules below are written once and every backend draws by the same reading of them.
//
//   Stage 0       the texture bound to it; without one, a colour operation that reads the texture
//                 turns the stage off (diffuse colour and alpha pass through) and alpha arguments
//                 naming the texture read the diffuse alpha instead. Texture coordinates from a
//                 vertex set (D3DTSS_TCI_PASSTHRU, a set the vertex has) or the camera-space
//                 position (not for XYZRHW vertices), else none.
//   Depth         tested when the device has a depth buffer and D3DRS_ZENABLE is not FALSE.
//                 D3DZB_USEW stores w (eye-space depth, w_clip / _34) spread linearly over
//                 WNear = -_43/_33 .. WFar = _43/(1 - _33); that needs a w-friendly projection
//                 (_34 non-zero, _44 zero, WNear < WFar); under any other the values compared are
//                 z/w, as with D3DZB_TRUE, the visibility a single projection would give.
//   Blending      D3DBLEND_BOTHSRCALPHA and BOTHINVSRCALPHA as source factor fold into the pair
//                 (SRCALPHA, INVSRCALPHA) and (INVSRCALPHA, SRCALPHA); the destination is ignored.
//   Lighting      on for untransformed vertices with D3DRS_LIGHTING. Material colours come from
//                 the vertex colours when D3DRS_COLORVERTEX and the matching *MATERIALSOURCE name a
//                 colour the vertex has, otherwise from the material. The enabled lights (at most
//                 kMaxActiveLights, lowest indices first, undefined types left out) in eye space;
//                 normals transform by the inverse transpose of World * View.
#pragma once

#include <array>

#include "platform/d3d8/d3d8.h"
#include "platform/d3d8/device_state.h"
#include "platform/d3d8/fvf.h"
#include "platform/d3d8/shared_pipeline.h"

namespace d3d8 {

// An enabled light as the per-vertex work reads it.
struct EyeLight {
  DWORD type;
  Color3 diffuse, specular, ambient;
  Vec3 position;   // eye space
  Vec3 direction;  // eye space, normalised, pointing away from the light
  float range, a0, a1, a2;
  float cosTheta, cosPhi, falloff;  // of the half angles
};

enum class MaterialSource { kMaterial, kVertexDiffuse, kVertexSpecular };
enum class TexCoordSource { kNone, kVertexSet, kCameraPosition };

// Stage 0's operations and arguments as drawn.
struct StageOps {
  DWORD colorOp = D3DTOP_DISABLE, colorArg1 = 0, colorArg2 = 0;
  DWORD alphaOp = D3DTOP_DISABLE, alphaArg1 = 0, alphaArg2 = 0;
};

struct FixedFunctionState {
  FvfLayout layout;                 // of the draw's vertices
  D3DMATRIX worldView{};            // World * View
  D3DMATRIX worldViewProjection{};  // World * View * Projection

  const Texture* texture = nullptr;  // stage 0's; null when none is bound
  StageOps stage;
  TexCoordSource texCoords = TexCoordSource::kNone;
  UINT texCoordSet = 0;  // with kVertexSet

  bool depthTest = false;
  bool wBuffer = false;   // w-buffering under a projection that allows it
  float wScale = 1.0f;    // 1 / _34: w_clip times this is w
  float wNear = 0.0f;     // WNear
  float wInvRange = 1.0f; // 1 / (WFar - WNear)

  bool blend = false;  // D3DRS_ALPHABLENDENABLE
  DWORD srcBlend = D3DBLEND_ONE, destBlend = D3DBLEND_ZERO;  // BOTH* folded

  bool specular = false;  // D3DRS_SPECULARENABLE
  bool lighting = false;
  // The rest is set only with lighting.
  MaterialSource diffuseFrom = MaterialSource::kMaterial, ambientFrom = MaterialSource::kMaterial,
                 specularFrom = MaterialSource::kMaterial, emissiveFrom = MaterialSource::kMaterial;
  std::array<float, 9> normalMatrix{};  // row-vector 3x3: n_e = n * normalMatrix
  std::array<EyeLight, kMaxActiveLights> lights{};
  int lightCount = 0;
};

// The state of a draw of `fvf` vertices; depthBuffer: the device has one.
void ResolveFixedFunction(const DeviceState& state, DWORD fvf, bool depthBuffer, FixedFunctionState& out);

// The inverse transpose of the upper 3x3 of m, as a row-vector matrix (n_e = n * result, row by
// row); the identity when m's 3x3 cannot be inverted.
std::array<float, 9> NormalMatrix(const D3DMATRIX& m);

}  // namespace d3d8
