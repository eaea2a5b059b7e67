// DxEngine's render-state switches, blend modes, textures from memory and screen quads.
//
// The order of device calls is the designed one; results are not examined. Trace lines name
// textures by creation order (tex0, tex1, ...), as the trace format fixes.
#include <cstring>
#include <string>

#include "engine/dx_engine.h"
#include "platform/trace/trace.h"

namespace {

// Program-wide: the invert notice is shown once per run.
bool g_invertNoticeShown = false;

// Textures the engine has made, for their trace names.
int g_texturesCreated = 0;

// Only a trace reads it: without one, no name is looked up for each of the thousands of quads.
std::string TextureName(const IDirect3DTexture8* texture) {
  if (!trace::Enabled()) return {};
  if (!texture) return "null";
  const char* name = trace::NameOf(texture);
  return *name ? name : "tex?";
}

DWORD Bool(BYTE on) { return on ? 1 : 0; }

}  // namespace

void DxEngine::SetLighting(BYTE on) {
  const trace::Operation operation(__func__, Bool(on));
  device->SetRenderState(D3DRS_LIGHTING, Bool(on));
}

void DxEngine::SetZBuffer(BYTE on) {
  const trace::Operation operation(__func__, Bool(on));
  device->SetRenderState(D3DRS_ZENABLE, on ? D3DZB_USEW : D3DZB_FALSE);
}

void DxEngine::SetZWrite(BYTE on) {
  const trace::Operation operation(__func__, Bool(on));
  device->SetRenderState(D3DRS_ZWRITEENABLE, Bool(on));
}

void DxEngine::SetCullMode(DWORD cullMode) {
  const trace::Operation operation(__func__, unsigned(cullMode));
  device->SetRenderState(D3DRS_CULLMODE, cullMode);
}

void DxEngine::SetAlphaBlend(BYTE on) {
  const trace::Operation operation(__func__, Bool(on));
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, Bool(on));
}

void DxEngine::SetShadeMode(DWORD shadeMode) {
  const trace::Operation operation(__func__, unsigned(shadeMode));
  device->SetRenderState(D3DRS_SHADEMODE, shadeMode);
}

void DxEngine::SetTexGen(BYTE on) {
  const trace::Operation operation(__func__, Bool(on));
  device->SetRenderState(D3DRS_NORMALIZENORMALS, Bool(on));
  device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, on ? D3DTSS_TCI_CAMERASPACEPOSITION : 0);
}

void DxEngine::SetBlendMode(int mode) {
  const trace::Operation operation(__func__, mode);
  switch (mode) {
    case BlendAlpha:
      device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
      device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
      device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);  // texture alpha x vertex alpha
      break;
    case BlendAdd:
      device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
      device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
      break;
    case BlendInvert:
      if (!g_invertNoticeShown) {
        g_invertNoticeShown = true;
        MessageBoxA(nullptr, "Invert blend not supported!!", "t3k notify", MB_OK);
      }
      break;
    default:
      break;
  }
}

void DxEngine::Set2DMode(BYTE on) {
  const trace::Operation operation(__func__, Bool(on));
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  if (on) {
    D3DXMATRIX ortho;
    D3DXMatrixOrthoOffCenterLH(&ortho, 0.0f, 640.0f, 480.0f, 0.0f, 0.0f, 1.0f);
    device->SetTransform(D3DTS_PROJECTION, &ortho);
    device->SetTransform(D3DTS_WORLD, &identity);
    device->SetTransform(D3DTS_VIEW, &identity);
  } else {
    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->SetTransform(D3DTS_VIEW, &view);
  }
}

IDirect3DTexture8** DxEngine::CreateTextureFromMemory(const void* data, UINT size) {
  lastTexture = nullptr;
  D3DXCreateTextureFromFileInMemory(device, data, size, &lastTexture);  // makes no traced device call
  // The line comes after the call, as it names the texture the call made.
  if (lastTexture) trace::SetName(lastTexture, "tex" + std::to_string(g_texturesCreated++));
  trace::Write(__func__, unsigned(size), TextureName(lastTexture));
  return &lastTexture;
}

void DxEngine::DrawScreenQuad(float x, float y, float w, float h, IDirect3DTexture8* texture) {
  const trace::Operation operation(__func__, x, y, w, h, TextureName(texture));
  DrawQuad(x, y, w, h, texture, 0xFFFFFFFF);
}

void DxEngine::DrawScreenQuadAlpha(float x, float y, float w, float h, IDirect3DTexture8* texture,
                                   float alpha) {
  const trace::Operation operation(__func__, x, y, w, h, TextureName(texture), alpha);
  // alpha x 255 truncated toward zero: 0.5 gives 127.
  const DWORD a = DWORD(int(alpha * 255.0f)) & 0xFF;
  DrawQuad(x, y, w, h, texture, (a << 24) | 0x00FFFFFF);
}

void DxEngine::DrawQuad(float x, float y, float w, float h, IDirect3DTexture8* texture, D3DCOLOR colour) {
  BYTE* bytes = nullptr;
  quadBuffer->Lock(0, kQuadBufferBytes, &bytes, 0);
  const ScreenVertex corners[4] = {{x, y, 1.0f, colour, 0.0f, 0.0f},
                                   {x + w, y, 1.0f, colour, 1.0f, 0.0f},
                                   {x + w, y + h, 1.0f, colour, 1.0f, 1.0f},
                                   {x, y + h, 1.0f, colour, 0.0f, 1.0f}};
  if (bytes) std::memcpy(bytes, corners, sizeof corners);
  quadBuffer->Unlock();

  device->SetTexture(0, texture);
  DWORD zEnable = 0, lighting = 0;
  device->GetRenderState(D3DRS_ZENABLE, &zEnable);
  device->GetRenderState(D3DRS_LIGHTING, &lighting);
  if (zEnable) device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  if (lighting) device->SetRenderState(D3DRS_LIGHTING, FALSE);

  device->BeginScene();
  device->SetVertexShader(kScreenVertexFormat);
  device->SetStreamSource(0, quadBuffer, sizeof(ScreenVertex));
  device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
  device->EndScene();

  device->SetTexture(0, nullptr);
  // Comes back as D3DZB_TRUE even when it was w-buffering.
  if (zEnable) device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  if (lighting) device->SetRenderState(D3DRS_LIGHTING, TRUE);
}

void ResetTextureNumbering() { g_texturesCreated = 0; }
