// The fixed-function state a draw resolves to, on the rules where a device could go its own way:
// stage 0 without its texture, blend folding, the w range, material sources, texture coordinate
// sources and the lights that shine. (gl_device_test.cpp draws the same rules on both devices.)
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/d3d8/fixed_function_state.h"
#include "platform/d3d8/texture.h"
#include "platform/d3dx8/d3dx8.h"

namespace d3d8_test {
namespace {

using d3d8::DeviceState;
using d3d8::FixedFunctionState;
using d3d8::MaterialSource;
using d3d8::TexCoordSource;

constexpr DWORD kLitFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// What a row expects; a fresh state resolves to these (Direct3D's defaults take the diffuse material
// from the vertex).
struct Expected {
  DWORD srcBlend = D3DBLEND_ONE, destBlend = D3DBLEND_ZERO;
  DWORD colorOp = D3DTOP_MODULATE, alphaArg1 = D3DTA_TEXTURE;
  TexCoordSource texCoords = TexCoordSource::kVertexSet;
  bool depthTest = true, wBuffer = false;
  bool lighting = true;
  MaterialSource diffuseFrom = MaterialSource::kVertexDiffuse, specularFrom = MaterialSource::kMaterial;
  int lightCount = 0;
};

struct Row {
  const char* name;
  DWORD fvf;
  bool depthBuffer;
  std::function<void(DeviceState&, Expected&)> change;  // the state, and what that changes
};

D3DLIGHT8 Light(D3DLIGHTTYPE type) {
  D3DLIGHT8 light{};
  light.Type = type;
  light.Direction = {0, 0, 1};
  return light;
}

TEST(FixedFunctionState, ResolvesTheRulesOnce) {
  d3d8::Texture* texture = new d3d8::Texture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  const Row rows[] = {
      {"fresh state", kLitFvf, true, [](DeviceState&, Expected&) {}},
      {"BOTHSRCALPHA ignores the destination", kLitFvf, true,
       [](DeviceState& s, Expected& e) {
         s.renderStates[D3DRS_SRCBLEND] = D3DBLEND_BOTHSRCALPHA;
         s.renderStates[D3DRS_DESTBLEND] = D3DBLEND_ONE;
         e.srcBlend = D3DBLEND_SRCALPHA, e.destBlend = D3DBLEND_INVSRCALPHA;
       }},
      {"BOTHINVSRCALPHA", kLitFvf, true,
       [](DeviceState& s, Expected& e) {
         s.renderStates[D3DRS_SRCBLEND] = D3DBLEND_BOTHINVSRCALPHA;
         e.srcBlend = D3DBLEND_INVSRCALPHA, e.destBlend = D3DBLEND_SRCALPHA;
       }},
      {"stage 0 without a texture", kLitFvf, true,
       [](DeviceState& s, Expected& e) {
         s.stages[0][D3DTSS_ALPHAARG1] = D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE;
         s.textures[0] = nullptr;
         e.colorOp = D3DTOP_DISABLE, e.alphaArg1 = D3DTA_DIFFUSE | D3DTA_ALPHAREPLICATE;
       }},
      {"stage 0 without a texture, not reading one", kLitFvf, true,
       [](DeviceState& s, Expected& e) {
         s.stages[0][D3DTSS_COLORARG1] = D3DTA_TFACTOR;
         s.textures[0] = nullptr;
         e.alphaArg1 = D3DTA_DIFFUSE;
       }},
      {"w-buffering under a perspective projection", kLitFvf, true,
       [](DeviceState& s, Expected& e) {
         D3DXMatrixPerspectiveFovLH(reinterpret_cast<D3DXMATRIX*>(&s.projection), 0.9f, 1.0f, 0.5f, 10.0f);
         s.renderStates[D3DRS_ZENABLE] = D3DZB_USEW;
         e.wBuffer = true;
       }},
      {"w-buffering under an orthographic projection is z-buffering", kLitFvf, true,
       [](DeviceState& s, Expected&) {
         D3DXMatrixOrthoOffCenterLH(reinterpret_cast<D3DXMATRIX*>(&s.projection), 0, 640, 480, 0, 0, 1);
         s.renderStates[D3DRS_ZENABLE] = D3DZB_USEW;
       }},
      {"w-buffering without a depth buffer", kLitFvf, false,
       [](DeviceState& s, Expected& e) {
         D3DXMatrixPerspectiveFovLH(reinterpret_cast<D3DXMATRIX*>(&s.projection), 0.9f, 1.0f, 0.5f, 10.0f);
         s.renderStates[D3DRS_ZENABLE] = D3DZB_USEW;
         e.depthTest = false;
       }},
      {"material from vertex colours the vertex lacks", D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, true,
       [](DeviceState& s, Expected& e) {
         s.renderStates[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
         e.diffuseFrom = MaterialSource::kMaterial;
       }},
      {"material from the vertex's specular colour", kLitFvf | D3DFVF_SPECULAR, true,
       [](DeviceState& s, Expected& e) {
         s.renderStates[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
         e.specularFrom = MaterialSource::kVertexSpecular;
       }},
      {"material sources without D3DRS_COLORVERTEX", kLitFvf | D3DFVF_SPECULAR, true,
       [](DeviceState& s, Expected& e) {
         s.renderStates[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
         s.renderStates[D3DRS_COLORVERTEX] = FALSE;
         e.diffuseFrom = MaterialSource::kMaterial;
       }},
      {"transformed vertices are not lit and have no camera position", D3DFVF_XYZRHW | D3DFVF_DIFFUSE, true,
       [](DeviceState& s, Expected& e) {
         s.stages[0][D3DTSS_TEXCOORDINDEX] = D3DTSS_TCI_CAMERASPACEPOSITION;
         s.lights[0] = {Light(D3DLIGHT_DIRECTIONAL), true};
         e.lighting = false, e.texCoords = TexCoordSource::kNone;
       }},
      {"a texture coordinate set the vertex lacks", kLitFvf, true,
       [](DeviceState& s, Expected& e) {
         s.stages[0][D3DTSS_TEXCOORDINDEX] = 1;
         e.texCoords = TexCoordSource::kNone;
       }},
      {"the lowest eight enabled lights of defined types", kLitFvf, true,
       [](DeviceState& s, Expected& e) {
         s.lights[0] = {Light(static_cast<D3DLIGHTTYPE>(7)), true};
         s.lights[1] = {Light(D3DLIGHT_POINT), false};
         for (DWORD i = 2; i < 12; ++i) s.lights[i] = {Light(D3DLIGHT_SPOT), true};
         e.lightCount = 8;
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    DeviceState state = DeviceState::Fresh(64, 64, true);
    state.renderStates[D3DRS_ALPHABLENDENABLE] = TRUE;
    state.textures[0] = texture;
    Expected expected;
    row.change(state, expected);
    FixedFunctionState fixed;
    d3d8::ResolveFixedFunction(state, row.fvf, row.depthBuffer, fixed);
    EXPECT_EQ(fixed.srcBlend, expected.srcBlend);
    EXPECT_EQ(fixed.destBlend, expected.destBlend);
    EXPECT_EQ(fixed.stage.colorOp, expected.colorOp);
    EXPECT_EQ(fixed.stage.alphaArg1, expected.alphaArg1);
    EXPECT_EQ(fixed.texCoords, expected.texCoords);
    EXPECT_EQ(fixed.depthTest, expected.depthTest);
    EXPECT_EQ(fixed.wBuffer, expected.wBuffer);
    EXPECT_EQ(fixed.lighting, expected.lighting);
    if (expected.lighting) {  // material sources matter only then
      EXPECT_EQ(fixed.diffuseFrom, expected.diffuseFrom);
      EXPECT_EQ(fixed.specularFrom, expected.specularFrom);
    }
    EXPECT_EQ(fixed.lightCount, expected.lightCount);
    if (fixed.wBuffer) {  // the planes the projection was made with
      EXPECT_NEAR(fixed.wNear, 0.5f, 1e-5f);
      EXPECT_NEAR(fixed.wNear + 1.0f / fixed.wInvRange, 10.0f, 1e-3f);
    }
  }
  texture->Release();
}

// Lights shine in eye space: positions move with the view, directions turn with it and are
// normalised; normals take the inverse transpose of World * View.
TEST(FixedFunctionState, LightsAndNormalsInEyeSpace) {
  DeviceState state = DeviceState::Fresh(64, 64, true);
  D3DXMatrixRotationY(reinterpret_cast<D3DXMATRIX*>(&state.view), 1.5707963f);
  state.view._43 = 5.0f;
  D3DLIGHT8 spot = Light(D3DLIGHT_SPOT);
  spot.Position = {1, 2, 3};
  spot.Direction = {0, 0, 4};
  state.lights[0] = {spot, true};
  state.world[0]._11 = 2.0f;  // x stretched: normals shrink along x
  FixedFunctionState fixed;
  d3d8::ResolveFixedFunction(state, kLitFvf, true, fixed);
  ASSERT_EQ(fixed.lightCount, 1);
  const d3d8::EyeLight& light = fixed.lights[0];
  // A quarter turn about y takes +z to +x and +x to -z; the view then moves everything 5 along z.
  EXPECT_NEAR(light.position.x, 3.0f, 1e-5f);
  EXPECT_NEAR(light.position.y, 2.0f, 1e-5f);
  EXPECT_NEAR(light.position.z, 4.0f, 1e-5f);
  EXPECT_NEAR(light.direction.x, 1.0f, 1e-5f);
  EXPECT_NEAR(light.direction.z, 0.0f, 1e-5f);
  // A normal along x (n * matrix, the matrix's first row): halved by the stretch, then turned to -z.
  const auto& n = fixed.normalMatrix;
  EXPECT_NEAR(n[0], 0.0f, 1e-5f);
  EXPECT_NEAR(n[1], 0.0f, 1e-5f);
  EXPECT_NEAR(n[2], -0.5f, 1e-5f);
}

}  // namespace
}  // namespace d3d8_test
