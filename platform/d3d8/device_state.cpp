#include "platform/d3d8/device_state.h"

#include <cstring>
#include <utility>

namespace d3d8 {
namespace {

// (memcpy rather than std::bit_cast, which emscripten's C++ library lacks)
DWORD FloatBits(float value) {
  DWORD bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// Every render state of Direct3D 8 with its value on a freshly created device. D3DRS_ZENABLE is
// listed as FALSE and raised to TRUE when the device has an automatic depth buffer.
const std::pair<D3DRENDERSTATETYPE, DWORD>* DefaultTable(std::size_t& count) {
  static const std::pair<D3DRENDERSTATETYPE, DWORD> table[] = {
      {D3DRS_ZENABLE, D3DZB_FALSE},
      {D3DRS_FILLMODE, D3DFILL_SOLID},
      {D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
      {D3DRS_LINEPATTERN, 0},
      {D3DRS_ZWRITEENABLE, TRUE},
      {D3DRS_ALPHATESTENABLE, FALSE},
      {D3DRS_LASTPIXEL, TRUE},
      {D3DRS_SRCBLEND, D3DBLEND_ONE},
      {D3DRS_DESTBLEND, D3DBLEND_ZERO},
      {D3DRS_CULLMODE, D3DCULL_CCW},
      {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
      {D3DRS_ALPHAREF, 0},
      {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS},
      {D3DRS_DITHERENABLE, FALSE},
      {D3DRS_ALPHABLENDENABLE, FALSE},
      {D3DRS_FOGENABLE, FALSE},
      {D3DRS_SPECULARENABLE, FALSE},
      {D3DRS_ZVISIBLE, 0},
      {D3DRS_FOGCOLOR, 0},
      {D3DRS_FOGTABLEMODE, D3DFOG_NONE},
      {D3DRS_FOGSTART, FloatBits(0.0f)},
      {D3DRS_FOGEND, FloatBits(1.0f)},
      {D3DRS_FOGDENSITY, FloatBits(1.0f)},
      {D3DRS_EDGEANTIALIAS, FALSE},
      {D3DRS_ZBIAS, 0},
      {D3DRS_RANGEFOGENABLE, FALSE},
      {D3DRS_STENCILENABLE, FALSE},
      {D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP},
      {D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP},
      {D3DRS_STENCILPASS, D3DSTENCILOP_KEEP},
      {D3DRS_STENCILFUNC, D3DCMP_ALWAYS},
      {D3DRS_STENCILREF, 0},
      {D3DRS_STENCILMASK, 0xFFFFFFFFu},
      {D3DRS_STENCILWRITEMASK, 0xFFFFFFFFu},
      {D3DRS_TEXTUREFACTOR, 0xFFFFFFFFu},
      {D3DRS_WRAP0, 0},
      {D3DRS_WRAP1, 0},
      {D3DRS_WRAP2, 0},
      {D3DRS_WRAP3, 0},
      {D3DRS_WRAP4, 0},
      {D3DRS_WRAP5, 0},
      {D3DRS_WRAP6, 0},
      {D3DRS_WRAP7, 0},
      {D3DRS_CLIPPING, TRUE},
      {D3DRS_LIGHTING, TRUE},
      {D3DRS_AMBIENT, 0},
      {D3DRS_FOGVERTEXMODE, D3DFOG_NONE},
      {D3DRS_COLORVERTEX, TRUE},
      {D3DRS_LOCALVIEWER, TRUE},
      {D3DRS_NORMALIZENORMALS, FALSE},
      {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1},
      {D3DRS_SPECULARMATERIALSOURCE, D3DMCS_COLOR2},
      {D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL},
      {D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL},
      {D3DRS_VERTEXBLEND, D3DVBF_DISABLE},
      {D3DRS_CLIPPLANEENABLE, 0},
      {D3DRS_SOFTWAREVERTEXPROCESSING, FALSE},
      {D3DRS_POINTSIZE, FloatBits(1.0f)},
      {D3DRS_POINTSIZE_MIN, FloatBits(0.0f)},
      {D3DRS_POINTSPRITEENABLE, FALSE},
      {D3DRS_POINTSCALEENABLE, FALSE},
      {D3DRS_POINTSCALE_A, FloatBits(1.0f)},
      {D3DRS_POINTSCALE_B, FloatBits(0.0f)},
      {D3DRS_POINTSCALE_C, FloatBits(0.0f)},
      {D3DRS_MULTISAMPLEANTIALIAS, TRUE},
      {D3DRS_MULTISAMPLEMASK, 0xFFFFFFFFu},
      {D3DRS_PATCHEDGESTYLE, D3DPATCHEDGE_DISCRETE},
      {D3DRS_PATCHSEGMENTS, FloatBits(1.0f)},
      {D3DRS_DEBUGMONITORTOKEN, D3DDMT_ENABLE},
      {D3DRS_POINTSIZE_MAX, FloatBits(64.0f)},
      {D3DRS_INDEXEDVERTEXBLENDENABLE, FALSE},
      {D3DRS_COLORWRITEENABLE, 0x0000000Fu},
      {D3DRS_TWEENFACTOR, FloatBits(0.0f)},
      {D3DRS_BLENDOP, D3DBLENDOP_ADD},
      {D3DRS_POSITIONORDER, D3DORDER_CUBIC},
      {D3DRS_NORMALORDER, D3DORDER_LINEAR},
  };
  count = std::size(table);
  return table;
}

std::array<bool, kRenderStateLimit> KnownIds() {
  std::array<bool, kRenderStateLimit> known{};
  std::size_t count = 0;
  const auto* table = DefaultTable(count);
  for (std::size_t i = 0; i < count; ++i) known[table[i].first] = true;
  return known;
}

}  // namespace

bool IsRenderState(DWORD id) {
  static const std::array<bool, kRenderStateLimit> known = KnownIds();
  return id < kRenderStateLimit && known[id];
}

bool IsStageState(DWORD id) { return id >= D3DTSS_COLOROP && id < kStageStateLimit && id != 12; }

D3DMATRIX IdentityMatrix() {
  D3DMATRIX identity{};
  identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
  return identity;
}

DeviceState DeviceState::Fresh(UINT backBufferWidth, UINT backBufferHeight, bool autoDepth) {
  DeviceState state;
  std::size_t count = 0;
  const auto* table = DefaultTable(count);
  for (std::size_t i = 0; i < count; ++i) state.renderStates[table[i].first] = table[i].second;
  state.renderStates[D3DRS_ZENABLE] = autoDepth ? D3DZB_TRUE : D3DZB_FALSE;

  const D3DMATRIX identity = IdentityMatrix();
  state.view = identity;
  state.projection = identity;
  state.texture.fill(identity);
  state.world.fill(identity);
  state.viewport = {0, 0, backBufferWidth, backBufferHeight, 0.0f, 1.0f};
  for (DWORD stage = 0; stage < kStageCount; ++stage) {
    auto& tss = state.stages[stage];
    tss[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    tss[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    tss[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    tss[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    tss[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    tss[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    tss[D3DTSS_TEXCOORDINDEX] = stage;
    tss[D3DTSS_ADDRESSU] = D3DTADDRESS_WRAP;
    tss[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
    tss[D3DTSS_ADDRESSW] = D3DTADDRESS_WRAP;
    tss[D3DTSS_MAGFILTER] = D3DTEXF_POINT;
    tss[D3DTSS_MINFILTER] = D3DTEXF_POINT;
    tss[D3DTSS_MIPFILTER] = D3DTEXF_NONE;
    tss[D3DTSS_MAXANISOTROPY] = 1;
    tss[D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_DISABLE;
    tss[D3DTSS_COLORARG0] = D3DTA_CURRENT;
    tss[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
    tss[D3DTSS_RESULTARG] = D3DTA_CURRENT;
    // Bump-mapping matrix, scale and offset, LOD bias: 0.0f, whose bits are 0; border colour 0.
  }
  return state;
}

D3DMATRIX* DeviceState::Transform(D3DTRANSFORMSTATETYPE id) {
  const DWORD value = id;
  if (value == D3DTS_VIEW) return &view;
  if (value == D3DTS_PROJECTION) return &projection;
  if (value >= D3DTS_TEXTURE0 && value <= D3DTS_TEXTURE7) return &texture[value - D3DTS_TEXTURE0];
  if (value >= D3DTS_WORLD && value < D3DTS_WORLD + 256) return &world[value - D3DTS_WORLD];
  return nullptr;
}

}  // namespace d3d8
