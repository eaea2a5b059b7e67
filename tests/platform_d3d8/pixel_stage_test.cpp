#include "draw_test_support.h"
#include "platform/d3d8/unimplemented_states.h"

namespace d3d8_test {
namespace {

using PixelStageTest = D3D8Test;

// A quad over the pixels [0, w) x [0, h) whose texture coordinates 0..1 cover it exactly (the
// half-pixel shift puts pixel centres on texel centres).
std::vector<RhwVertex> TexelAlignedQuad(float w, float h, D3DCOLOR color, float u1 = 1,
                                        float v1 = 1) {
  return {{-0.5f, -0.5f, 0.5f, 1, color, 0, 0},   {w - 0.5f, -0.5f, 0.5f, 1, color, u1, 0},
          {w - 0.5f, h - 0.5f, 0.5f, 1, color, u1, v1}, {-0.5f, h - 0.5f, 0.5f, 1, color, 0, v1}};
}

TEST_F(PixelStageTest, FreshStagesHoldDirect3DDefaults) {
  IDirect3DDevice8* device = MakeDevice(4, 4);
  const struct {
    D3DTEXTURESTAGESTATETYPE type;
    DWORD stage0, stage1;
  } expected[] = {
      {D3DTSS_COLOROP, D3DTOP_MODULATE, D3DTOP_DISABLE},
      {D3DTSS_COLORARG1, D3DTA_TEXTURE, D3DTA_TEXTURE},
      {D3DTSS_COLORARG2, D3DTA_CURRENT, D3DTA_CURRENT},
      {D3DTSS_ALPHAOP, D3DTOP_SELECTARG1, D3DTOP_DISABLE},
      {D3DTSS_ALPHAARG1, D3DTA_TEXTURE, D3DTA_TEXTURE},
      {D3DTSS_TEXCOORDINDEX, 0, 1},
      {D3DTSS_ADDRESSU, D3DTADDRESS_WRAP, D3DTADDRESS_WRAP},
      {D3DTSS_MAGFILTER, D3DTEXF_POINT, D3DTEXF_POINT},
      {D3DTSS_MIPFILTER, D3DTEXF_NONE, D3DTEXF_NONE},
      {D3DTSS_MAXANISOTROPY, 1, 1},
      {D3DTSS_RESULTARG, D3DTA_CURRENT, D3DTA_CURRENT},
  };
  for (const auto& e : expected) {
    DWORD value = 0xDEAD;
    ASSERT_EQ(device->GetTextureStageState(0, e.type, &value), D3D_OK);
    EXPECT_EQ(value, e.stage0) << e.type;
    ASSERT_EQ(device->GetTextureStageState(1, e.type, &value), D3D_OK);
    EXPECT_EQ(value, e.stage1) << e.type;
  }
  DWORD value = 0;
  EXPECT_EQ(device->GetTextureStageState(8, D3DTSS_COLOROP, &value), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->SetTextureStageState(0, static_cast<D3DTEXTURESTAGESTATETYPE>(12), 0),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device->Release(), 0u);
}

// The device holds one reference per bound stage and GetTexture hands the caller another.
TEST_F(PixelStageTest, BoundTexturesAreReferenceCounted) {
  IDirect3DDevice8* device = MakeDevice(4, 4);
  IDirect3DTexture8* texture = MakeTexture(device, 1, 1, {0xFFFFFFFF});
  ASSERT_EQ(device->SetTexture(0, texture), D3D_OK);
  ASSERT_EQ(device->SetTexture(3, texture), D3D_OK);
  IDirect3DBaseTexture8* got = nullptr;
  ASSERT_EQ(device->GetTexture(0, &got), D3D_OK);
  EXPECT_EQ(got, texture);
  EXPECT_EQ(got->Release(), 3u);
  EXPECT_EQ(texture->Release(), 2u);  // the test's own reference goes; the stages keep it alive
  ASSERT_EQ(device->SetTexture(0, nullptr), D3D_OK);
  ASSERT_EQ(device->GetTexture(0, &got), D3D_OK);
  EXPECT_EQ(got, nullptr);
  EXPECT_EQ(device->Release(), 0u);  // releases stage 3's reference and with it the texture
}

// Point sampling takes texel floor(u * width); WRAP repeats the texture.
TEST_F(PixelStageTest, PointSamplingPicksTexelsAndWraps) {
  IDirect3DDevice8* device = MakeDevice(8, 4, D3DFMT_X8R8G8B8, false);
  std::vector<D3DCOLOR> texels;
  for (UINT i = 0; i < 8; ++i) texels.push_back(0xFF000000u | (i * 0x20u) << 16 | i);
  IDirect3DTexture8* texture = MakeTexture(device, 4, 2, texels);
  device->SetTexture(0, texture);
  DrawVertices(device, D3DPT_TRIANGLEFAN, 2, TexelAlignedQuad(4, 2, 0xFFFFFFFF), kRhwFvf);
  for (UINT y = 0; y < 2; ++y) {
    for (UINT x = 0; x < 4; ++x) EXPECT_EQ(PixelAt(device, x, y), texels[y * 4 + x]) << x << "," << y;
  }
  // u from 0 to 2 across 8 pixels: the texture twice; v from 0 to 2 across 4 rows likewise.
  DrawVertices(device, D3DPT_TRIANGLEFAN, 2, TexelAlignedQuad(8, 4, 0xFFFFFFFF, 2, 2), kRhwFvf);
  for (UINT y = 0; y < 4; ++y) {
    for (UINT x = 0; x < 8; ++x) {
      EXPECT_EQ(PixelAt(device, x, y), texels[(y % 2) * 4 + x % 4]) << x << "," << y;
    }
  }
  device->SetTexture(0, nullptr);
  texture->Release();
  EXPECT_EQ(device->Release(), 0u);
}

// Stage 0's operations on an A8R8G8B8 target, whose alpha channel shows the alpha operation.
TEST_F(PixelStageTest, ModulateAndSelectOperations) {
  IDirect3DDevice8* device = MakeDevice(2, 2, D3DFMT_A8R8G8B8, false);
  IDirect3DTexture8* texture = MakeTexture(device, 1, 1, {0x40FF8020});
  const D3DCOLOR diffuse = 0x80808080;
  const auto draw = [&] {
    DrawVertices(device, D3DPT_TRIANGLEFAN, 2, TexelAlignedQuad(2, 2, diffuse), kRhwFvf);
    return PixelAt(device, 1, 1);
  };
  device->SetTexture(0, texture);
  // Defaults: colour = texture * diffuse (round(a * b / 255)), alpha = texture alpha alone.
  EXPECT_EQ(draw(), 0x40804010u);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  EXPECT_EQ(draw(), 0x20804010u);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  EXPECT_EQ(draw(), 0x20FF8020u);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
  EXPECT_EQ(draw(), 0x80808080u);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE | D3DTA_COMPLEMENT);
  EXPECT_EQ(draw(), 0x80004070u);

  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE2X);
  EXPECT_EQ(draw(), 0x40FF8120u);  // green round(2 * 128 * 128 / 255) = 129, red saturates
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_ADD);
  EXPECT_EQ(draw(), 0x40FFFFA0u);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SUBTRACT);
  EXPECT_EQ(draw(), 0x407F0000u);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);

  // No texture: a colour op reading the texture passes the diffuse colour and alpha through.
  device->SetTexture(0, nullptr);
  EXPECT_EQ(draw(), diffuse);
  texture->Release();
  EXPECT_EQ(device->Release(), 0u);
}

// Each blend factor on a known destination; results round to nearest and saturate at 255.
TEST_F(PixelStageTest, BlendFactorsRoundAndSaturate) {
  IDirect3DDevice8* device = MakeDevice(2, 2, D3DFMT_A8R8G8B8, false);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  const D3DCOLOR src = 0x40C08020, dst = 0x80604020;
  const struct {
    DWORD srcBlend, destBlend;
    D3DCOLOR expected;
  } cases[] = {
      {D3DBLEND_ONE, D3DBLEND_ZERO, src},
      {D3DBLEND_ZERO, D3DBLEND_ONE, dst},
      // src * 0x40/255 + dst * 0xBF/255 per channel
      {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0x70785020},
      {D3DBLEND_SRCALPHA, D3DBLEND_ONE, 0x90906028},
      {D3DBLEND_ONE, D3DBLEND_ONE, 0xC0FFC040},  // red 0xC0 + 0x60 saturates
      {D3DBLEND_SRCCOLOR, D3DBLEND_ZERO, 0x10914004},
      {D3DBLEND_INVSRCCOLOR, D3DBLEND_ZERO, 0x302F401C},
      {D3DBLEND_DESTALPHA, D3DBLEND_ZERO, 0x20604010},
      {D3DBLEND_INVDESTALPHA, D3DBLEND_DESTALPHA, 0x60906020},
      {D3DBLEND_DESTCOLOR, D3DBLEND_ZERO, 0x20482004},
      {D3DBLEND_INVDESTCOLOR, D3DBLEND_ZERO, 0x2078601C},
  };
  for (const auto& c : cases) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, dst, 1.0f, 0);
    device->SetRenderState(D3DRS_SRCBLEND, c.srcBlend);
    device->SetRenderState(D3DRS_DESTBLEND, c.destBlend);
    DrawVertices(device, D3DPT_TRIANGLEFAN, 2, TexelAlignedQuad(2, 2, src), kRhwFvf);
    EXPECT_EQ(PixelAt(device, 0, 0), c.expected) << c.srcBlend << "/" << c.destBlend;
  }
  EXPECT_EQ(device->Release(), 0u);
}

// A 16-bit target keeps the top bits of each channel: 0x7F becomes 15 of 31 and 31 of 63.
TEST_F(PixelStageTest, SixteenBitTargetsKeepTheirOwnPrecision) {
  IDirect3DDevice8* device = MakeDevice(2, 2, D3DFMT_R5G6B5, false);
  DrawVertices(device, D3DPT_TRIANGLEFAN, 2, TexelAlignedQuad(2, 2, 0xFF7F7F7F), kRhwFvf);
  const auto& surface = RefBackendOf(device).BackBuffer();
  EXPECT_EQ(d3d8::ref::ReadPixel(surface, 1, 1), (15u << 11) | (31u << 5) | 15u);
  EXPECT_EQ(PixelAt(device, 1, 1), 0xFF7B7D7Bu);

  // Blending reads the stored 16-bit colour widened (16 of 31 -> 0x84, 32 of 63 -> 0x82):
  // red round((255 * 128 + 0x84 * 127) / 255) = 0xC2, stored as 24 of 31, read as 0xC6.
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF808080, 1.0f, 0);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  DrawVertices(device, D3DPT_TRIANGLEFAN, 2, TexelAlignedQuad(2, 2, 0x80FFFFFF), kRhwFvf);
  EXPECT_EQ(PixelAt(device, 0, 1), 0xFFC6C3C6u);
  EXPECT_EQ(device->Release(), 0u);
}

// LESSEQUAL keeps the nearer surface; with writes off a farther one still draws; w-buffering
// under the identity projection (not w-friendly) compares z as z-buffering does.
TEST_F(PixelStageTest, DepthTestAndWrite) {
  for (DWORD mode : {DWORD{D3DZB_TRUE}, DWORD{D3DZB_USEW}}) {
    IDirect3DDevice8* device = MakeDevice(4, 4);
    device->SetRenderState(D3DRS_ZENABLE, mode);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    DrawVertices(device, D3DPT_TRIANGLELIST, 2, RhwRect(0, 0, 4, 4, 0xFFFF0000, 0.25f), kRhwFvf);
    DrawVertices(device, D3DPT_TRIANGLELIST, 2, RhwRect(0, 0, 4, 4, 0xFF00FF00, 0.5f), kRhwFvf);
    EXPECT_EQ(PixelAt(device, 1, 1), 0xFFFF0000u) << mode;
    DrawVertices(device, D3DPT_TRIANGLELIST, 2, RhwRect(0, 0, 4, 4, 0xFF0000FF, 0.25f), kRhwFvf);
    EXPECT_EQ(PixelAt(device, 1, 1), 0xFF0000FFu) << "equal depth passes LESSEQUAL";
    EXPECT_EQ(RefBackendOf(device).DepthBuffer()->values[5], 16384) << "0.25 * 65535 rounded";

    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    DrawVertices(device, D3DPT_TRIANGLELIST, 2, RhwRect(0, 0, 4, 4, 0xFF00FF00, 0.1f), kRhwFvf);
    EXPECT_EQ(PixelAt(device, 1, 1), 0xFF00FF00u);
    DrawVertices(device, D3DPT_TRIANGLELIST, 2, RhwRect(0, 0, 4, 4, 0xFFFFFFFF, 0.2f), kRhwFvf);
    EXPECT_EQ(PixelAt(device, 1, 1), 0xFFFFFFFFu) << "the 0.1 quad left no depth behind";

    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    DrawVertices(device, D3DPT_TRIANGLELIST, 2, RhwRect(0, 0, 4, 4, 0xFF123456, 0.9f), kRhwFvf);
    EXPECT_EQ(PixelAt(device, 1, 1), 0xFF123456u);
    EXPECT_EQ(device->Release(), 0u);
  }
}

TEST_F(PixelStageTest, DrawsAreCheckedBeforeAnythingIsDrawn) {
  IDirect3DDevice8* device = MakeDevice(4, 4);
  IDirect3DVertexBuffer8* buffer = nullptr;
  ASSERT_EQ(device->CreateVertexBuffer(3 * sizeof(RhwVertex), 0, kRhwFvf, D3DPOOL_MANAGED, &buffer),
            D3D_OK);
  EXPECT_EQ(device->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_NORMAL), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->SetStreamSource(1, buffer, sizeof(RhwVertex)), D3DERR_INVALIDCALL);
  ASSERT_EQ(device->SetVertexShader(kRhwFvf), D3D_OK);
  ASSERT_EQ(device->SetStreamSource(0, buffer, sizeof(RhwVertex)), D3D_OK);
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL) << "no scene";
  device->BeginScene();
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3D_OK);
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 1, 1), D3DERR_INVALIDCALL) << "past the end";
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->DrawPrimitive(D3DPT_LINELIST, 0, 1), D3DERR_INVALIDCALL);
  device->EndScene();
  EXPECT_EQ(buffer->Release(), 1u) << "the stream keeps its reference";
  EXPECT_EQ(device->Release(), 0u);
}

TEST(UnimplementedStates, DefaultsAreImplementedAndOthersListed) {
  using d3d8::RenderStateUnimplemented;
  using d3d8::StageStateUnimplemented;
  EXPECT_FALSE(RenderStateUnimplemented(D3DRS_FOGENABLE, FALSE));
  EXPECT_TRUE(RenderStateUnimplemented(D3DRS_FOGENABLE, TRUE));
  EXPECT_FALSE(RenderStateUnimplemented(D3DRS_FILLMODE, D3DFILL_WIREFRAME));
  EXPECT_FALSE(RenderStateUnimplemented(D3DRS_SPECULARENABLE, TRUE));
  EXPECT_FALSE(RenderStateUnimplemented(D3DRS_ZENABLE, D3DZB_USEW));
  EXPECT_FALSE(RenderStateUnimplemented(D3DRS_SRCBLEND, D3DBLEND_INVDESTCOLOR));
  EXPECT_FALSE(StageStateUnimplemented(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION));
  EXPECT_TRUE(StageStateUnimplemented(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACENORMAL));
  EXPECT_TRUE(StageStateUnimplemented(1, D3DTSS_COLOROP, D3DTOP_MODULATE));
  EXPECT_FALSE(StageStateUnimplemented(1, D3DTSS_COLOROP, D3DTOP_DISABLE));
  EXPECT_TRUE(StageStateUnimplemented(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR));
}

}  // namespace
}  // namespace d3d8_test
