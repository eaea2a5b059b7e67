// Fixed-function lighting on the software device. Each scene draws one flat-shaded triangle that
// covers pixel (0, 0), so the pixel is the lit colour of the first vertex; the expected colours
// are worked out here from Direct3D's lighting equation. World, View and Projection are the
// identity unless a test says otherwise, so eye space equals the vertex positions.
#include <cmath>

#include "draw_test_support.h"

namespace d3d8_test {
namespace {

static_assert(sizeof(D3DLIGHT8) == 104, "D3DLIGHT8 layout");
static_assert(sizeof(D3DMATERIAL8) == 68, "D3DMATERIAL8 layout");

struct LitVertex {
  float x, y, z;
  float nx, ny, nz;
  D3DCOLOR diffuse, specular;
};
constexpr DWORD kLitFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR;

struct BareVertex {  // position and normal: every material colour comes from the material
  float x, y, z;
  float nx, ny, nz;
};
constexpr DWORD kBareFvf = D3DFVF_XYZ | D3DFVF_NORMAL;

// A channel as the device stores it: the clamped value times 255, rounded.
unsigned Channel(double value) {
  return static_cast<unsigned>(std::lround(std::fmin(std::fmax(value, 0.0), 1.0) * 255.0));
}
D3DCOLOR Rgb(double r, double g, double b, double a = 1.0) {
  return D3DCOLOR_ARGB(Channel(a), Channel(r), Channel(g), Channel(b));
}

D3DLIGHT8 PointLight(float x, float y, float z, float range) {
  D3DLIGHT8 light{};
  light.Type = D3DLIGHT_POINT;
  light.Diffuse = {1, 1, 1, 1};
  light.Position = {x, y, z};
  light.Range = range;
  light.Attenuation0 = 1;
  return light;
}

D3DLIGHT8 DirectionalLight(float x, float y, float z) {
  D3DLIGHT8 light{};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = {1, 1, 1, 1};
  light.Direction = {x, y, z};
  return light;
}

D3DMATERIAL8 Material(D3DCOLORVALUE diffuse, D3DCOLORVALUE ambient = {0, 0, 0, 0},
                      D3DCOLORVALUE specular = {0, 0, 0, 0}, D3DCOLORVALUE emissive = {0, 0, 0, 0},
                      float power = 0) {
  return {diffuse, ambient, specular, emissive, power};
}

class LightingTest : public D3D8Test {
 protected:
  IDirect3DDevice8* Device() {
    IDirect3DDevice8* device = MakeDevice(8, 8, D3DFMT_A8R8G8B8, false);
    device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    return device;
  }

  // The first vertex lies at (-1, 1, z) in eye space with the given normal.
  static D3DCOLOR DrawBare(IDirect3DDevice8* device, float nx, float ny, float nz,
                           float z = 0.5f) {
    const std::vector<BareVertex> tri = {{-1, 1, z, nx, ny, nz},
                                         {3, 1, z, nx, ny, nz},
                                         {-1, -3, z, nx, ny, nz}};
    EXPECT_EQ(DrawVertices(device, D3DPT_TRIANGLELIST, 1, tri, kBareFvf), D3D_OK);
    return PixelAt(device, 0, 0);
  }

  static D3DCOLOR DrawColored(IDirect3DDevice8* device, D3DCOLOR diffuse, D3DCOLOR specular) {
    const std::vector<LitVertex> tri = {{-1, 1, 0.5f, 0, 0, -1, diffuse, specular},
                                        {3, 1, 0.5f, 0, 0, -1, diffuse, specular},
                                        {-1, -3, 0.5f, 0, 0, -1, diffuse, specular}};
    EXPECT_EQ(DrawVertices(device, D3DPT_TRIANGLELIST, 1, tri, kLitFvf), D3D_OK);
    return PixelAt(device, 0, 0);
  }
};

TEST_F(LightingTest, LightsAndMaterialKeepWhatWasSet) {
  IDirect3DDevice8* device = MakeDevice(4, 4);
  D3DLIGHT8 got{};
  BOOL enabled = TRUE;
  EXPECT_EQ(device->GetLight(3, &got), D3DERR_INVALIDCALL) << "never set";
  EXPECT_EQ(device->GetLightEnable(3, &enabled), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->LightEnable(3, FALSE), D3D_OK);
  EXPECT_EQ(device->GetLight(3, &got), D3DERR_INVALIDCALL) << "disabling creates no light";

  // Enabling an unset index gives the default directional light.
  ASSERT_EQ(device->LightEnable(1000, TRUE), D3D_OK);
  ASSERT_EQ(device->GetLight(1000, &got), D3D_OK);
  EXPECT_EQ(got.Type, D3DLIGHT_DIRECTIONAL);
  EXPECT_EQ(got.Diffuse.r, 1.0f);
  EXPECT_EQ(got.Diffuse.b, 1.0f);
  EXPECT_EQ(got.Diffuse.a, 0.0f);
  EXPECT_EQ(got.Specular.r, 0.0f);
  EXPECT_EQ(got.Ambient.g, 0.0f);
  EXPECT_EQ(got.Direction.z, 1.0f);
  EXPECT_EQ(got.Range, 0.0f);
  ASSERT_EQ(device->GetLightEnable(1000, &enabled), D3D_OK);
  EXPECT_EQ(enabled, TRUE);

  // Setting keeps the enable flag; the record comes back field for field.
  D3DLIGHT8 point = PointLight(1, 2, 3, 4.5f);
  point.Specular = {0.25f, 0.5f, 0.75f, 1};
  point.Attenuation2 = 0.125f;
  point.Phi = 0.5f;
  ASSERT_EQ(device->SetLight(1000, &point), D3D_OK);
  ASSERT_EQ(device->GetLight(1000, &got), D3D_OK);
  EXPECT_EQ(std::memcmp(&got, &point, sizeof point), 0);
  device->GetLightEnable(1000, &enabled);
  EXPECT_EQ(enabled, TRUE);
  device->LightEnable(1000, FALSE);
  device->GetLightEnable(1000, &enabled);
  EXPECT_EQ(enabled, FALSE);
  EXPECT_EQ(device->SetLight(0, nullptr), D3DERR_INVALIDCALL);

  D3DMATERIAL8 material{};
  material.Power = 7;
  ASSERT_EQ(device->GetMaterial(&material), D3D_OK);
  EXPECT_EQ(material.Power, 0.0f) << "a new device's material is all zero";
  EXPECT_EQ(material.Diffuse.r, 0.0f);
  const D3DMATERIAL8 set = Material({0.1f, 0.2f, 0.3f, 0.4f}, {0.5f, 0.6f, 0.7f, 0.8f},
                                    {0.9f, 1, 1.1f, 1.2f}, {1.3f, 1.4f, 1.5f, 1.6f}, 12);
  ASSERT_EQ(device->SetMaterial(&set), D3D_OK);
  ASSERT_EQ(device->GetMaterial(&material), D3D_OK);
  EXPECT_EQ(std::memcmp(&material, &set, sizeof set), 0);
  EXPECT_EQ(device->SetMaterial(nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->Release(), 0u);
}

// A point light at distance 2 straight in front of the vertex (N.L = 1), attenuation
// 1 / (0.5 + 0.25 d + 0.125 d^2) = 2/3; the ambient term is attenuated as well. Within its range
// the light shines, just beyond it nothing does, not even its ambient colour.
TEST_F(LightingTest, PointLightAttenuatesAndStopsAtItsRange) {
  IDirect3DDevice8* device = Device();
  const D3DMATERIAL8 material = Material({1, 1, 1, 0.5f}, {1, 1, 1, 1});
  device->SetMaterial(&material);
  D3DLIGHT8 light = PointLight(-1, 1, -1.5f, 2.01f);
  light.Diffuse = {0.9f, 0.6f, 0.33f, 1};
  light.Ambient = {0.18f, 0.18f, 0.18f, 1};
  light.Attenuation0 = 0.5f;
  light.Attenuation1 = 0.25f;
  light.Attenuation2 = 0.125f;
  device->SetLight(0, &light);
  device->LightEnable(0, TRUE);
  const double att = 1.0 / (0.5 + 0.25 * 2 + 0.125 * 4);
  EXPECT_EQ(DrawBare(device, 0, 0, -1), Rgb((0.9 + 0.18) * att, (0.6 + 0.18) * att,
                                            (0.33 + 0.18) * att, 0.5));

  light.Range = 1.99f;
  device->SetLight(0, &light);
  EXPECT_EQ(DrawBare(device, 0, 0, -1), Rgb(0, 0, 0, 0.5));

  // A light is positioned in world space: moving the camera with the view moves it along.
  light.Range = 2.01f;
  device->SetLight(0, &light);
  D3DMATRIX view = d3d8::IdentityMatrix();
  view._43 = 0.25f;
  device->SetTransform(D3DTS_VIEW, &view);
  EXPECT_EQ(DrawBare(device, 0, 0, -1),
            Rgb((0.9 + 0.18) * att, (0.6 + 0.18) * att, (0.33 + 0.18) * att, 0.5));

  // A light behind the surface adds only its ambient colour.
  light.Position = {-1, 1, 2.5f};
  device->SetLight(0, &light);
  EXPECT_EQ(DrawBare(device, 0, 0, -1), Rgb(0.18 * att, 0.18 * att, 0.18 * att, 0.5));
  EXPECT_EQ(device->Release(), 0u);
}

// Emissive + material ambient * (D3DRS_AMBIENT + light ambient) + diffuse, clamped after the sum.
TEST_F(LightingTest, GlobalAmbientEmissiveAndDiffuseAddBeforeClamping) {
  IDirect3DDevice8* device = Device();
  const D3DMATERIAL8 material =
      Material({0.5f, 2.0f, 0.25f, 1}, {0.5f, 1, 0.25f, 1}, {0, 0, 0, 0}, {0.1f, 0, -0.5f, 0});
  device->SetMaterial(&material);
  device->SetRenderState(D3DRS_AMBIENT, D3DCOLOR_ARGB(0, 0x20, 0x40, 0x60));
  EXPECT_EQ(DrawBare(device, 0, 0, -1),
            Rgb(0.1 + 0.5 * 0x20 / 255.0, 0x40 / 255.0, -0.5 + 0.25 * 0x60 / 255.0))
      << "no lights: emissive and global ambient only";

  D3DLIGHT8 light = DirectionalLight(0, 0, 1);  // shines along +z, onto a normal facing -z
  light.Diffuse = {0.4f, 0.4f, 0.4f, 1};
  device->SetLight(5, &light);
  device->LightEnable(5, TRUE);
  EXPECT_EQ(DrawBare(device, 0, 0, -1),
            Rgb(0.1 + 0.5 * 0x20 / 255.0 + 0.5 * 0.4, 0x40 / 255.0 + 2.0 * 0.4,
                -0.5 + 0.25 * 0x60 / 255.0 + 0.25 * 0.4));

  // A normal at 60 degrees from the light scales the diffuse term by cos 60 = 0.5.
  const float s = std::sqrt(3.0f) / 2;
  EXPECT_EQ(DrawBare(device, s, 0, -0.5f),
            Rgb(0.1 + 0.5 * 0x20 / 255.0 + 0.5 * 0.2, 0x40 / 255.0 + 2.0 * 0.2,
                -0.5 + 0.25 * 0x60 / 255.0 + 0.25 * 0.2));
  device->LightEnable(5, FALSE);
  EXPECT_EQ(DrawBare(device, 0, 0, -1),
            Rgb(0.1 + 0.5 * 0x20 / 255.0, 0x40 / 255.0, -0.5 + 0.25 * 0x60 / 255.0));
  EXPECT_EQ(device->Release(), 0u);
}

// A spot light one unit to the side and two in front: the vertex sees it at rho = 2 / sqrt(5)
// from the spot axis, which is also N.L. Inside Theta/2 it is full, outside Phi/2 dark, between
// them it fades with ((rho - cos(Phi/2)) / (cos(Theta/2) - cos(Phi/2)))^Falloff.
TEST_F(LightingTest, SpotLightFadesBetweenItsCones) {
  IDirect3DDevice8* device = Device();
  const D3DMATERIAL8 material = Material({1, 1, 1, 1});
  device->SetMaterial(&material);
  D3DLIGHT8 spot = PointLight(0, 1, -1.5f, 10);
  spot.Type = D3DLIGHT_SPOT;
  spot.Direction = {0, 0, 1};
  spot.Falloff = 2;
  const double rho = 2 / std::sqrt(5.0);
  const auto drawWith = [&](float theta, float phi) {
    spot.Theta = theta;
    spot.Phi = phi;
    device->SetLight(2, &spot);
    device->LightEnable(2, TRUE);
    return DrawBare(device, 0, 0, -1);
  };
  EXPECT_EQ(drawWith(1.0f, 1.2f), Rgb(rho, rho, rho)) << "inside the inner cone";
  EXPECT_EQ(drawWith(0.6f, 0.8f), Rgb(0, 0, 0)) << "outside the outer cone";
  const double cosT = std::cos(0.3), cosP = std::cos(0.6);
  const double ratio = (rho - cosP) / (cosT - cosP);
  ASSERT_GT(ratio, 0.2);
  ASSERT_LT(ratio, 0.8);
  EXPECT_EQ(drawWith(0.6f, 1.2f), Rgb(rho * ratio * ratio, rho * ratio * ratio, rho * ratio * ratio));
  spot.Falloff = 1;
  EXPECT_EQ(drawWith(0.6f, 1.2f), Rgb(rho * ratio, rho * ratio, rho * ratio));
  EXPECT_EQ(device->Release(), 0u);
}

// Specular with a directional light: N.L = 0.8 for the tilted normal. Without a local viewer
// H = normalize(L + (0, 0, -1)) = (0, 0, -1); with one, H uses the direction to the eye.
// The highlight shows only with D3DRS_SPECULARENABLE, added to the diffuse colour.
TEST_F(LightingTest, SpecularNeedsSpecularEnableAndFollowsTheViewer) {
  IDirect3DDevice8* device = Device();
  const D3DMATERIAL8 material =
      Material({0.5f, 0.5f, 0.5f, 1}, {0, 0, 0, 0}, {1, 0.5f, 0, 1}, {0, 0, 0, 0}, 4);
  device->SetMaterial(&material);
  D3DLIGHT8 light = DirectionalLight(0, 0, 1);
  light.Specular = {1, 1, 1, 1};
  device->SetLight(0, &light);
  device->LightEnable(0, TRUE);
  device->SetRenderState(D3DRS_LOCALVIEWER, FALSE);
  const D3DCOLOR plain = Rgb(0.4, 0.4, 0.4);
  EXPECT_EQ(DrawBare(device, 0.6f, 0, -0.8f), plain) << "SPECULARENABLE is off by default";

  device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
  const double far = std::pow(0.8, 4);
  EXPECT_EQ(DrawBare(device, 0.6f, 0, -0.8f), Rgb(0.4 + far, 0.4 + 0.5 * far, 0.4));

  device->SetRenderState(D3DRS_LOCALVIEWER, TRUE);
  // Eye at the origin, vertex at (-1, 1, 0.5): H = normalize((0, 0, -1) + (1, -1, -0.5) / 1.5).
  const double hx = 1 / 1.5, hy = -1 / 1.5, hz = -1 - 0.5 / 1.5;
  const double length = std::sqrt(hx * hx + hy * hy + hz * hz);
  const double nDotH = (0.6 * hx - 0.8 * hz) / length;
  const double local = std::pow(nDotH, 4);
  EXPECT_EQ(DrawBare(device, 0.6f, 0, -0.8f), Rgb(0.4 + local, 0.4 + 0.5 * local, 0.4));
  EXPECT_NE(Rgb(0.4 + local, 0.4 + 0.5 * local, 0.4), Rgb(0.4 + far, 0.4 + 0.5 * far, 0.4));

  // A surface facing away gets no highlight even where N.H would be positive.
  EXPECT_EQ(DrawBare(device, 0, 0, 1), Rgb(0, 0, 0));
  EXPECT_EQ(device->Release(), 0u);
}

// The normal goes through the inverse transpose of World * View: a world scaled by 2 halves it,
// which dims the light unless D3DRS_NORMALIZENORMALS is on.
TEST_F(LightingTest, ScaledWorldScalesNormalsUnlessNormalized) {
  IDirect3DDevice8* device = Device();
  const D3DMATERIAL8 material = Material({1, 1, 1, 1});
  device->SetMaterial(&material);
  const D3DLIGHT8 light = DirectionalLight(0, 0, 1);
  device->SetLight(0, &light);
  device->LightEnable(0, TRUE);
  D3DMATRIX world = d3d8::IdentityMatrix();
  world._11 = world._22 = world._33 = 2;
  device->SetTransform(D3DTS_WORLD, &world);
  EXPECT_EQ(DrawBare(device, 0, 0, -0.8f, 0.25f), Rgb(0.4, 0.4, 0.4));
  device->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
  EXPECT_EQ(DrawBare(device, 0, 0, -0.8f, 0.25f), Rgb(1, 1, 1));
  EXPECT_EQ(device->Release(), 0u);
}

// Where each material colour comes from: the vertex colours named by the *MATERIALSOURCE states
// while D3DRS_COLORVERTEX is on, the material otherwise or when the vertex lacks the colour.
// Alpha always comes from the diffuse source.
TEST_F(LightingTest, MaterialSourcesPickVertexOrMaterialColours) {
  IDirect3DDevice8* device = Device();
  const D3DMATERIAL8 material = Material({0.2f, 0.2f, 0.2f, 0.2f}, {1, 1, 1, 1}, {0, 0, 0, 0},
                                         {0, 0, 0, 0});
  device->SetMaterial(&material);
  const D3DLIGHT8 light = DirectionalLight(0, 0, 1);
  device->SetLight(0, &light);
  device->LightEnable(0, TRUE);
  const D3DCOLOR diffuse = 0x80FF8000, specular = 0x40204060;

  // Defaults: diffuse from the vertex's diffuse colour, ambient and emissive from the material.
  EXPECT_EQ(DrawColored(device, diffuse, specular), diffuse);

  device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR2);
  EXPECT_EQ(DrawColored(device, diffuse, specular), specular);

  device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
  device->SetRenderState(D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_COLOR2);
  EXPECT_EQ(DrawColored(device, diffuse, specular),
            Rgb(0.2 + 0x20 / 255.0, 0.2 + 0x40 / 255.0, 0.2 + 0x60 / 255.0, 0.2));

  device->SetRenderState(D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL);
  device->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_COLOR1);
  device->SetRenderState(D3DRS_AMBIENT, 0xFF808080);
  EXPECT_EQ(DrawColored(device, diffuse, specular),
            Rgb(0.2 + 128 / 255.0, 0.2 + (128 / 255.0) * (128 / 255.0), 0.2, 0.2));

  // COLORVERTEX off: the material for everything.
  device->SetRenderState(D3DRS_COLORVERTEX, FALSE);
  device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
  EXPECT_EQ(DrawColored(device, diffuse, specular),
            Rgb(0.2 + 128 / 255.0, 0.2 + 128 / 255.0, 0.2 + 128 / 255.0, 0.2));

  // A vertex without colours falls back to the material even with COLORVERTEX on.
  device->SetRenderState(D3DRS_COLORVERTEX, TRUE);
  device->SetRenderState(D3DRS_AMBIENT, 0);
  EXPECT_EQ(DrawBare(device, 0, 0, -1), Rgb(0.2, 0.2, 0.2, 0.2));
  EXPECT_EQ(device->Release(), 0u);
}

// Gouraud shading interpolates the colours lit at each vertex; flat takes the first vertex's.
TEST_F(LightingTest, GouraudInterpolatesPerVertexLighting) {
  IDirect3DDevice8* device = MakeDevice(8, 8, D3DFMT_X8R8G8B8, false);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  const D3DMATERIAL8 material = Material({1, 1, 1, 1});
  device->SetMaterial(&material);
  const D3DLIGHT8 light = DirectionalLight(0, 0, 1);
  device->SetLight(0, &light);
  device->LightEnable(0, TRUE);
  // The quad's left edge faces the light, its right edge faces away (N.L = 0).
  const std::vector<BareVertex> quad = {{-1, 1, 0.5f, 0, 0, -1},
                                        {1, 1, 0.5f, 1, 0, 0},
                                        {1, -1, 0.5f, 1, 0, 0},
                                        {-1, -1, 0.5f, 0, 0, -1}};
  DrawVertices(device, D3DPT_TRIANGLEFAN, 2, quad, kBareFvf);
  const D3DCOLOR left = PixelAt(device, 0, 4), right = PixelAt(device, 7, 4);
  EXPECT_GT(left & 0xFF, 200u);
  EXPECT_LT(right & 0xFF, 40u);
  const unsigned middle = PixelAt(device, 4, 4) & 0xFF;
  EXPECT_GT(middle, 80u);
  EXPECT_LT(middle, 160u);
  device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
  DrawVertices(device, D3DPT_TRIANGLEFAN, 2, quad, kBareFvf);  // fan: triangle 0 takes vertex 1
  EXPECT_EQ(PixelAt(device, 0, 4), Rgb(0, 0, 0)) << "triangle 1 takes vertex 2";
  EXPECT_EQ(PixelAt(device, 7, 0), Rgb(0, 0, 0));
  EXPECT_EQ(device->Release(), 0u);
}

}  // namespace
}  // namespace d3d8_test
