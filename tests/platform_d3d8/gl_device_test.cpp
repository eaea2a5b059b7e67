// The OpenGL device against the software device: each case draws the same things on both (a
// 64 x 48 back buffer with depth) and the presented frames must agree pixel for pixel, within a
// tolerance per channel where the case says why the software device's rounding is its own.
// Every test runs on both of the device's APIs, OpenGL 3.3 core and OpenGL ES 3.0 (with WebGL2's
// rules), each skipped, with the reason, where its context cannot start.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <numeric>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "draw_test_support.h"
#include "platform/d3d8/d3d8_host.h"
#include "platform/d3dx8/d3dx8.h"
#include "platform/win32/window_backend.h"

namespace d3d8_test {
namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

struct Case {
  const char* name;
  int tolerance;  // per channel
  const char* why;  // why the tolerance is not 0
  std::function<void(IDirect3DDevice8*)> draw;
  D3DFORMAT format = D3DFMT_X8R8G8B8;  // of the back buffer (and the desktop's, as windowed needs)
  int stray = 0;  // pixels that may differ by more than the tolerance (the case says why)
};

// D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE.
struct LitVertex {
  float x, y, z;
  float nx, ny, nz;
  D3DCOLOR color;
};
constexpr DWORD kLitFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE;

// Texels that differ in every channel from their neighbours, with alpha rising along the row.
std::vector<D3DCOLOR> Checker(UINT width, UINT height) {
  std::vector<D3DCOLOR> texels;
  for (UINT y = 0; y < height; ++y) {
    for (UINT x = 0; x < width; ++x) {
      const UINT alpha = (x * 255) / (width - 1);
      const UINT r = (x * 70 + y * 20) & 255, g = (y * 90 + 30) & 255, b = ((x ^ y) * 50 + 10) & 255;
      texels.push_back(D3DCOLOR_ARGB(alpha, r, g, b));
    }
  }
  return texels;
}

// A rectangle whose colours run left to right from `left` to `right`, texture 0..1 across.
std::vector<RhwVertex> Gradient(float x0, float y0, float x1, float y1, D3DCOLOR left, D3DCOLOR right,
                                float z = 0.5f) {
  return {{x0, y0, z, 1, left, 0, 0}, {x1, y0, z, 1, right, 1, 0}, {x1, y1, z, 1, right, 1, 1},
          {x0, y0, z, 1, left, 0, 0}, {x1, y1, z, 1, right, 1, 1}, {x0, y1, z, 1, left, 0, 1}};
}

void DrawTexturedRect(IDirect3DDevice8* device, const std::vector<RhwVertex>& rect, UINT size) {
  IDirect3DTexture8* texture = MakeTexture(device, size, size, Checker(size, size));
  device->SetTexture(0, texture);
  DrawVertices(device, D3DPT_TRIANGLELIST, 2, rect, kRhwFvf);
  device->SetTexture(0, nullptr);
  texture->Release();
}

// A grid of `cells` x `cells` quads on the sphere's front half, as a triangle list.
std::vector<LitVertex> Sphere(int cells) {
  std::vector<LitVertex> corners;
  const auto at = [&](int i, int j) {
    const float theta = 3.14159265f * static_cast<float>(i) / static_cast<float>(cells);  // around
    const float phi = 3.14159265f * (static_cast<float>(j) / static_cast<float>(cells) - 0.5f);  // up
    const float x = std::cos(phi) * std::cos(theta), y = std::sin(phi), z = -std::cos(phi) * std::sin(theta);
    const D3DCOLOR color = D3DCOLOR_ARGB(255, 200 - 10 * i, 120 + 8 * j, 90);
    return LitVertex{x, y, z, x, y, z, color};
  };
  for (int i = 0; i < cells; ++i) {
    for (int j = 0; j < cells; ++j) {  // clockwise as seen from -z
      corners.push_back(at(i, j));
      corners.push_back(at(i, j + 1));
      corners.push_back(at(i + 1, j + 1));
      corners.push_back(at(i, j));
      corners.push_back(at(i + 1, j + 1));
      corners.push_back(at(i + 1, j));
    }
  }
  return corners;
}

// The lit sphere's camera, the world turned by 0.3 about y, scaled and moved along x.
void LookAtSphere(IDirect3DDevice8* device, float scale = 1.0f, float x = 0.0f) {
  D3DXMATRIX turn, size, move, world, view, projection;
  D3DXMatrixRotationY(&turn, 0.3f);
  D3DXMatrixScaling(&size, scale, scale, scale);
  D3DXMatrixTranslation(&move, x, 0, 0);
  world = turn * size * move;
  const D3DXVECTOR3 eye(0.2f, 0.4f, -3.0f), target(0, 0, 0), up(0, 1, 0);
  D3DXMatrixLookAtLH(&view, &eye, &target, &up);
  D3DXMatrixPerspectiveFovLH(&projection, 0.9f, 4.0f / 3.0f, 0.5f, 10.0f);
  device->SetTransform(D3DTS_WORLD, &world);
  device->SetTransform(D3DTS_VIEW, &view);
  device->SetTransform(D3DTS_PROJECTION, &projection);
}

// D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR: the sphere with a second colour.
struct TwoColorVertex {
  LitVertex lit;
  D3DCOLOR specular;
};
constexpr DWORD kTwoColorFvf = kLitFvf | D3DFVF_SPECULAR;

std::vector<TwoColorVertex> TwoColorSphere(int cells) {
  std::vector<TwoColorVertex> out;
  for (const LitVertex& v : Sphere(cells)) {
    out.push_back({v, D3DCOLOR_ARGB(255, static_cast<int>(100 + 90 * v.y), 60, static_cast<int>(120 - 100 * v.x))});
  }
  return out;
}

// Writes the vertices into `buffer` and draws them from it, as the engine draws its screen quads.
template <typename Vertex>
void DrawRewritten(IDirect3DDevice8* device, IDirect3DVertexBuffer8* buffer, D3DPRIMITIVETYPE type, UINT primitives,
                   const std::vector<Vertex>& vertices, DWORD fvf) {
  BYTE* data = nullptr;
  buffer->Lock(0, 0, &data, 0);
  std::memcpy(data, vertices.data(), vertices.size() * sizeof(Vertex));
  buffer->Unlock();
  device->BeginScene();
  device->SetVertexShader(fvf);
  device->SetStreamSource(0, buffer, sizeof(Vertex));
  device->DrawPrimitive(type, 0, primitives);
  device->EndScene();
}

IDirect3DVertexBuffer8* MakeVertexBuffer(IDirect3DDevice8* device, UINT bytes) {
  IDirect3DVertexBuffer8* buffer = nullptr;
  device->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &buffer);
  return buffer;
}

// A band of `columns` quads from x0 to x1 (clip space, identity matrices) as a triangle strip.
std::vector<XyzVertex> Band(int columns, float x0, float x1, float y0, float y1, int seed) {
  std::vector<XyzVertex> strip;
  for (int i = 0; i <= columns; ++i) {
    const float x = x0 + (x1 - x0) * static_cast<float>(i) / static_cast<float>(columns);
    const D3DCOLOR color = D3DCOLOR_ARGB(255, (i * 37 + seed) & 255, (i * 11 + 3 * seed) & 255, seed & 255);
    strip.push_back({x, y1, 0.5f, color, 0, 0});
    strip.push_back({x, y0, 0.5f, color, 0, 0});
  }
  return strip;
}

void DrawLitSphere(IDirect3DDevice8* device, DWORD shadeMode) {
  LookAtSphere(device);
  D3DMATERIAL8 material{};
  material.Diffuse = {0.9f, 0.8f, 0.7f, 1.0f};
  material.Ambient = {0.2f, 0.25f, 0.3f, 1.0f};
  material.Specular = {1, 1, 1, 1};
  material.Power = 12;
  device->SetMaterial(&material);
  D3DLIGHT8 sun{};
  sun.Type = D3DLIGHT_DIRECTIONAL;
  sun.Diffuse = {1.0f, 0.9f, 0.8f, 1};
  sun.Specular = {0.6f, 0.6f, 0.6f, 1};
  sun.Direction = {0.5f, -0.6f, 0.7f};
  D3DLIGHT8 lamp{};
  lamp.Type = D3DLIGHT_POINT;
  lamp.Diffuse = {0.2f, 0.4f, 1.0f, 1};
  lamp.Position = {-1.5f, 0.5f, -1.5f};
  lamp.Range = 8;
  lamp.Attenuation1 = 0.4f;
  device->SetLight(0, &sun);
  device->SetLight(1, &lamp);
  device->LightEnable(0, TRUE);
  device->LightEnable(1, TRUE);
  device->SetRenderState(D3DRS_LIGHTING, TRUE);
  device->SetRenderState(D3DRS_AMBIENT, D3DCOLOR_ARGB(255, 40, 40, 40));
  device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
  device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
  device->SetRenderState(D3DRS_SHADEMODE, shadeMode);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  DrawVertices(device, D3DPT_TRIANGLELIST, 2 * 8 * 8, Sphere(8), kLitFvf);
}

std::vector<Case> Cases() {
  std::vector<Case> cases;
  cases.push_back({"clear rectangles and depth", 0, "", [](IDirect3DDevice8* d) {
                     d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF204060, 1.0f, 0);
                     const D3DRECT rects[] = {{3, 4, 20, 30}, {50, 0, 64, 48}, {10, 40, 11, 41}};
                     d->Clear(3, rects, D3DCLEAR_TARGET, 0x00C08010, 1.0f, 0);
                     const D3DRECT nearer = {0, 20, 64, 30};
                     d->Clear(1, &nearer, D3DCLEAR_ZBUFFER, 0, 0.25f, 0);
                     // Drawn at depth 0.5: hidden where the depth was cleared to 0.25.
                     DrawVertices(d, D3DPT_TRIANGLELIST, 2, RhwRect(8, 8, 56, 40, 0xFF30D040), kRhwFvf);
                   }});
  cases.push_back({"textured quad, modulate, wrap and clamp", 0, "", [](IDirect3DDevice8* d) {
                     d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
                     // Texel centres fall between pixel centres: u runs 0..1 over 31.5 pixels.
                     DrawTexturedRect(d, Gradient(-0.25f, -0.25f, 31.25f, 23.25f, 0xFFFFFFFF, 0xFF80C0FF), 8);
                     std::vector<RhwVertex> tiled = Gradient(32.3f, 0.3f, 63.6f, 23.6f, 0xFFFFFFFF, 0xFFFFFFFF);
                     for (RhwVertex& v : tiled) v.u = v.u * 2.6f - 0.8f, v.v = v.v * 3.1f - 1.05f;
                     DrawTexturedRect(d, tiled, 4);
                     d->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
                     d->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
                     for (RhwVertex& v : tiled) v.y += 24.0f;
                     DrawTexturedRect(d, tiled, 4);
                   }});
  cases.push_back({"stage operations and arguments", 0, "", [](IDirect3DDevice8* d) {
                     d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF101010, 1.0f, 0);
                     d->SetRenderState(D3DRS_TEXTUREFACTOR, 0x80406080);
                     const DWORD ops[] = {D3DTOP_SELECTARG1, D3DTOP_SELECTARG2, D3DTOP_MODULATE, D3DTOP_MODULATE2X,
                                          D3DTOP_ADD, D3DTOP_SUBTRACT, D3DTOP_MODULATE4X, D3DTOP_DISABLE};
                     const DWORD args[] = {D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTA_TFACTOR,
                                           D3DTA_TEXTURE | D3DTA_COMPLEMENT, D3DTA_DIFFUSE | D3DTA_ALPHAREPLICATE};
                     for (int i = 0; i < 8; ++i) {
                       d->SetTextureStageState(0, D3DTSS_COLOROP, ops[i]);
                       d->SetTextureStageState(0, D3DTSS_COLORARG1, args[i % 5]);
                       d->SetTextureStageState(0, D3DTSS_COLORARG2, args[(i + 2) % 5]);
                       d->SetTextureStageState(0, D3DTSS_ALPHAOP, ops[(i + 3) % 7]);
                       const float x = static_cast<float>(8 * i) - 0.25f;
                       DrawTexturedRect(d, Gradient(x, -0.25f, x + 8, 47.75f, 0x40FF8020, 0xC02080FF), 4);
                     }
                     d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);  // no texture bound: diffuse
                     DrawVertices(d, D3DPT_TRIANGLELIST, 2, Gradient(20, 20, 44, 28, 0xFF0000FF, 0xFFFF0000),
                                  kRhwFvf);
                   }});
  cases.push_back({"blend factors", 2,
                   "llvmpipe rounds src * sf and dst * df to 8 bits each before adding them (up to 1 "
                   "each); the software device rounds (src * sf + dst * df) / 255 once",
                   [](IDirect3DDevice8* d) {
                     d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
                     DrawVertices(d, D3DPT_TRIANGLELIST, 2, Gradient(0, 0, 64, 48, 0xFF2040F0, 0xFFF0A010),
                                  kRhwFvf);
                     d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
                     const DWORD pairs[][2] = {{D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
                                               {D3DBLEND_SRCALPHA, D3DBLEND_ONE},
                                               {D3DBLEND_ONE, D3DBLEND_ONE},
                                               {D3DBLEND_ZERO, D3DBLEND_SRCCOLOR},
                                               {D3DBLEND_DESTCOLOR, D3DBLEND_ZERO},
                                               {D3DBLEND_INVDESTCOLOR, D3DBLEND_ONE},
                                               {D3DBLEND_BOTHSRCALPHA, D3DBLEND_ZERO},
                                               {D3DBLEND_INVSRCALPHA, D3DBLEND_INVSRCCOLOR}};
                     for (int i = 0; i < 8; ++i) {
                       d->SetRenderState(D3DRS_SRCBLEND, pairs[i][0]);
                       d->SetRenderState(D3DRS_DESTBLEND, pairs[i][1]);
                       const float y = static_cast<float>(6 * i);
                       DrawVertices(d, D3DPT_TRIANGLELIST, 2, Gradient(0, y, 64, y + 6, 0x10FF8040, 0xF040C0FF),
                                    kRhwFvf);
                     }
                   }});
  cases.push_back({"alpha test", 0, "", [](IDirect3DDevice8* d) {
                     d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF303030, 1.0f, 0);
                     d->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
                     d->SetRenderState(D3DRS_ALPHAREF, 0x80);
                     const DWORD funcs[] = {D3DCMP_GREATER, D3DCMP_LESSEQUAL, D3DCMP_EQUAL, D3DCMP_NOTEQUAL};
                     for (int i = 0; i < 4; ++i) {
                       d->SetRenderState(D3DRS_ALPHAFUNC, funcs[i]);
                       const float y = static_cast<float>(12 * i);
                       // Diffuse alpha runs 0..255 across 64 pixels, so 0x80 itself is met.
                       DrawVertices(d, D3DPT_TRIANGLELIST, 2, Gradient(-0.5f, y, 63.5f, y + 12, 0x00FFC080, 0xFF80C0FF),
                                    kRhwFvf);
                     }
                   }});
  cases.push_back({"depth test and writes", 0, "", [](IDirect3DDevice8* d) {
                     d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
                     DrawVertices(d, D3DPT_TRIANGLELIST, 2, RhwRect(4, 4, 40, 40, 0xFFFF0000, 0.5f), kRhwFvf);
                     // Nearer at the left, farther at the right: crosses the first one.
                     std::vector<RhwVertex> slope = RhwRect(20, 10, 60, 30, 0xFF00FF00, 0.2f);
                     for (RhwVertex& v : slope) v.z = v.x < 30 ? 0.2f : 0.8f;
                     DrawVertices(d, D3DPT_TRIANGLELIST, 2, slope, kRhwFvf);
                     d->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
                     DrawVertices(d, D3DPT_TRIANGLELIST, 2, RhwRect(10, 20, 50, 44, 0xFF0000FF, 0.4f), kRhwFvf);
                     d->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
                     d->SetRenderState(D3DRS_ZFUNC, D3DCMP_GREATER);
                     DrawVertices(d, D3DPT_TRIANGLELIST, 2, RhwRect(0, 0, 64, 16, 0xFFFFFF00, 0.6f), kRhwFvf);
                   }});
  cases.push_back({"top-left fill rule and culling", 0, "", [](IDirect3DDevice8* d) {
                     d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
                     d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);  // pixels drawn twice show up
                     d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
                     d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
                     // Edges through pixel centres: rectangles side by side, and a fan around a centre.
                     for (int i = 0; i < 4; ++i) {
                       const float x = static_cast<float>(2 + 7 * i);
                       DrawVertices(d, D3DPT_TRIANGLELIST, 2, RhwRect(x, 2, x + 7, 9, 0xFF404040), kRhwFvf);
                     }
                     std::vector<RhwVertex> fan = {{40, 24, 0.5f, 1, 0xFF606060, 0, 0}};
                     for (int k = 0; k <= 8; ++k) {
                       const float angle = 6.2831853f * static_cast<float>(k) / 8.0f;
                       fan.push_back({40 + std::round(16 * std::cos(angle)), 24 + std::round(16 * std::sin(angle)),
                                      0.5f, 1, 0xFF606060, 0, 0});
                     }
                     DrawVertices(d, D3DPT_TRIANGLEFAN, 8, fan, kRhwFvf);
                     // Anticlockwise on screen: culled by the default D3DCULL_CCW, drawn with D3DCULL_NONE.
                     std::vector<RhwVertex> back = {{2, 20, 0.5f, 1, 0xFFFF0000, 0, 0},
                                                    {2, 40, 0.5f, 1, 0xFFFF0000, 0, 0},
                                                    {20, 40, 0.5f, 1, 0xFFFF0000, 0, 0}};
                     DrawVertices(d, D3DPT_TRIANGLELIST, 1, back, kRhwFvf);
                     d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
                     for (RhwVertex& v : back) v.x += 2, v.color = 0xFF0000FF;
                     DrawVertices(d, D3DPT_TRIANGLELIST, 1, back, kRhwFvf);
                   }});
  cases.push_back({"flat shading takes the first vertex", 0, "", [](IDirect3DDevice8* d) {
                     d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
                     d->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
                     std::vector<RhwVertex> strip;
                     for (int i = 0; i < 8; ++i) {
                       const float x = static_cast<float>(8 * (i / 2)) + 0.5f;
                       const float y = i % 2 ? 22.5f : 2.5f;
                       strip.push_back({x, y, 0.5f, 1, D3DCOLOR_ARGB(255, 30 * i, 255 - 30 * i, 90), 0, 0});
                     }
                     d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
                     DrawVertices(d, D3DPT_TRIANGLESTRIP, 6, strip, kRhwFvf);
                     std::vector<RhwVertex> fan = {{48, 36, 0.5f, 1, 0xFFFFFFFF, 0, 0}};
                     for (int k = 0; k < 6; ++k) {
                       const float angle = 6.2831853f * static_cast<float>(k) / 5.0f;
                       fan.push_back({48 + 11.3f * std::cos(angle), 36 + 11.3f * std::sin(angle), 0.5f, 1,
                                      D3DCOLOR_ARGB(255, 40 * k, 200, 250 - 40 * k), 0, 0});
                     }
                     DrawVertices(d, D3DPT_TRIANGLEFAN, 5, fan, kRhwFvf);
                   }});
  cases.push_back({"lit sphere, Gouraud", 1,
                   "colours interpolated across a triangle round to the nearest 8-bit value from "
                   "slightly different floats",
                   [](IDirect3DDevice8* d) {
                     d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
                     DrawLitSphere(d, D3DSHADE_GOURAUD);
                   }});
  cases.push_back({"w-buffer", 0, "", [](IDirect3DDevice8* d) {
                     d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
                     D3DXMATRIX projection;
                     D3DXMatrixPerspectiveFovLH(&projection, 0.9f, 4.0f / 3.0f, 0.5f, 10.0f);
                     d->SetTransform(D3DTS_PROJECTION, &projection);
                     d->SetRenderState(D3DRS_LIGHTING, FALSE);
                     d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
                     d->SetRenderState(D3DRS_ZENABLE, D3DZB_USEW);
                     // 0.0005 apart at distance 8: one step of the 16-bit z/w there is about 0.002,
                     // of w about 0.00015, so only w-buffering keeps the farther one hidden.
                     const auto square = [](float half, float z, D3DCOLOR color) {
                       return std::vector<XyzVertex>{{-half, -half, z, color, 0, 0}, {-half, half, z, color, 0, 0},
                                                     {half, half, z, color, 0, 0}, {half, -half, z, color, 0, 0}};
                     };
                     DrawVertices(d, D3DPT_TRIANGLEFAN, 2, square(2.0f, 8.0f, 0xFFFF2020), kXyzFvf);
                     DrawVertices(d, D3DPT_TRIANGLEFAN, 2, square(3.0f, 8.0005f, 0xFF20FF20), kXyzFvf);
                   }});
  cases.push_back({"w-buffering refused by an orthographic projection", 0, "", [](IDirect3DDevice8* d) {
                     d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
                     D3DXMATRIX projection;
                     D3DXMatrixOrthoOffCenterLH(&projection, -4, 4, -3, 3, 0, 1);
                     d->SetTransform(D3DTS_PROJECTION, &projection);
                     d->SetRenderState(D3DRS_LIGHTING, FALSE);
                     d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
                     d->SetRenderState(D3DRS_ZENABLE, D3DZB_USEW);
                     const auto square = [](float x, float z, D3DCOLOR color) {
                       return std::vector<XyzVertex>{{x - 2, -2, z, color, 0, 0}, {x - 2, 2, z, color, 0, 0},
                                                     {x + 2, 2, z, color, 0, 0}, {x + 2, -2, z, color, 0, 0}};
                     };
                     DrawVertices(d, D3DPT_TRIANGLEFAN, 2, square(-1, 0.3f, 0xFFFF2020), kXyzFvf);
                     DrawVertices(d, D3DPT_TRIANGLEFAN, 2, square(1, 0.6f, 0xFF20FF20), kXyzFvf);
                   }});
  cases.push_back({"BOTHINVSRCALPHA, and stage 0 reading a texture that is not there", 2,
                   "blending rounds as in \"blend factors\"", [](IDirect3DDevice8* d) {
                     d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
                     DrawVertices(d, D3DPT_TRIANGLELIST, 2, Gradient(0, 0, 64, 48, 0xFF2040F0, 0xFFF0A010),
                                  kRhwFvf);
                     d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
                     d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_BOTHINVSRCALPHA);
                     d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);  // ignored
                     // Colour: the texture's arguments turn the stage off. Alpha: texture alpha
                     // modulated by itself reads the diffuse alpha twice.
                     d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_ADD);
                     d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
                     d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TEXTURE);
                     DrawVertices(d, D3DPT_TRIANGLELIST, 2, Gradient(0, 8, 64, 40, 0x10FF8040, 0xF040C0FF),
                                  kRhwFvf);
                   }});
  cases.push_back({"lit sphere, flat", 0, "", [](IDirect3DDevice8* d) {
                     d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
                     DrawLitSphere(d, D3DSHADE_FLAT);
                   }});
  cases.push_back({"16-bit back buffer", 9,
                   "blending and interpolation round to the nearest 5- or 6-bit value on OpenGL; the "
                   "software device drops the low bits (one step, up to 9 once widened)",
                   [](IDirect3DDevice8* d) {
                     d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF1F3F5F, 1.0f, 0);
                     DrawTexturedRect(d, Gradient(-0.25f, -0.25f, 31.25f, 47.25f, 0xFFFFFFFF, 0xFF80C0FF), 8);
                     DrawVertices(d, D3DPT_TRIANGLELIST, 2, Gradient(32, 0, 64, 48, 0xFF2040F0, 0xFFF0A010),
                                  kRhwFvf);
                     d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
                     d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
                     d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
                     DrawVertices(d, D3DPT_TRIANGLELIST, 2, Gradient(16, 12, 60, 36, 0x20FF8040, 0xE040C0FF),
                                  kRhwFvf);
                   },
                   D3DFMT_R5G6B5});
  cases.push_back({"wireframe and point fill", 0,
                   "up to 8 pixels: where edges of neighbouring triangles meet, OpenGL's line rule ends "
                   "a line a pixel apart from the software device's, so the other edge's colour shows",
                   [](IDirect3DDevice8* d) {
                     d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
                     d->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
                     DrawLitSphere(d, D3DSHADE_FLAT);
                     d->SetRenderState(D3DRS_LIGHTING, FALSE);
                     d->SetRenderState(D3DRS_FILLMODE, D3DFILL_POINT);
                     DrawVertices(d, D3DPT_TRIANGLELIST, 2, RhwRect(4, 4, 20, 16, 0xFFFFFF00), kRhwFvf);
                   },
                   D3DFMT_X8R8G8B8, 8});
  cases.push_back({"point and spot lights", 1,
                   "lit in the vertex shader in OpenGL's floats (its own pow and division), colours "
                   "round from slightly different floats",
                   [](IDirect3DDevice8* d) {
                     d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
                     D3DMATERIAL8 material{};
                     material.Diffuse = {0.8f, 0.9f, 0.7f, 0.5f};
                     material.Ambient = {0.5f, 0.4f, 0.3f, 1.0f};
                     d->SetMaterial(&material);
                     D3DLIGHT8 lamp{};  // near enough that its range cuts the sphere
                     lamp.Type = D3DLIGHT_POINT;
                     lamp.Diffuse = {1.0f, 0.5f, 0.2f, 1};
                     lamp.Ambient = {0.1f, 0.2f, 0.1f, 1};
                     lamp.Position = {-1.2f, 1.0f, -1.0f};
                     lamp.Range = 2.2f;
                     lamp.Attenuation0 = 0.3f;
                     lamp.Attenuation1 = 0.2f;
                     lamp.Attenuation2 = 0.15f;
                     D3DLIGHT8 spot{};  // its cones fall across the sphere
                     spot.Type = D3DLIGHT_SPOT;
                     spot.Diffuse = {0.3f, 0.6f, 1.0f, 1};
                     spot.Position = {1.0f, 0.5f, -3.0f};
                     spot.Direction = {-0.2f, -0.1f, 1.0f};
                     spot.Range = 10;
                     spot.Attenuation0 = 1;
                     spot.Theta = 0.3f;
                     spot.Phi = 0.7f;
                     spot.Falloff = 2.5f;
                     d->SetLight(2, &lamp);
                     d->SetLight(5, &spot);
                     d->LightEnable(2, TRUE);
                     d->LightEnable(5, TRUE);
                     d->SetRenderState(D3DRS_AMBIENT, D3DCOLOR_ARGB(255, 20, 30, 10));
                     d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
                     LookAtSphere(d, 1.0f, -0.4f);  // many vertices: drawn from the buffer's copy
                     DrawVertices(d, D3DPT_TRIANGLELIST, 2 * 10 * 10, Sphere(10), kLitFvf);
                     LookAtSphere(d, 0.5f, 1.3f);  // few: drawn through a batch
                     DrawVertices(d, D3DPT_TRIANGLELIST, 2 * 3 * 3, Sphere(3), kLitFvf);
                   }});
  cases.push_back({"material sources, specular, local viewer, normalised normals", 1,
                   "lit in the vertex shader in OpenGL's floats (its own pow and division), colours "
                   "round from slightly different floats",
                   [](IDirect3DDevice8* d) {
                     d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
                     D3DMATERIAL8 material{};
                     material.Diffuse = {0.7f, 0.7f, 0.9f, 1.0f};
                     material.Ambient = {0.3f, 0.2f, 0.2f, 1.0f};
                     material.Specular = {0.9f, 0.8f, 0.5f, 1.0f};
                     material.Emissive = {0.05f, 0.0f, 0.1f, 1.0f};
                     material.Power = 7;
                     d->SetMaterial(&material);
                     D3DLIGHT8 sun{};
                     sun.Type = D3DLIGHT_DIRECTIONAL;
                     sun.Diffuse = {0.9f, 0.9f, 0.8f, 1};
                     sun.Specular = {1.0f, 1.0f, 1.0f, 1};
                     sun.Ambient = {0.2f, 0.2f, 0.3f, 1};
                     sun.Direction = {0.4f, -0.5f, 0.8f};
                     d->SetLight(0, &sun);
                     d->LightEnable(0, TRUE);
                     d->SetRenderState(D3DRS_AMBIENT, D3DCOLOR_ARGB(255, 30, 30, 30));
                     d->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
                     d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
                     d->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_COLOR1);
                     d->SetRenderState(D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_COLOR2);
                     d->SetRenderState(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL);
                     // Shrunk without renormalising: the normals lengthen and the light saturates.
                     d->SetRenderState(D3DRS_LOCALVIEWER, FALSE);
                     LookAtSphere(d, 0.6f, -1.2f);
                     DrawVertices(d, D3DPT_TRIANGLELIST, 2 * 8 * 8, TwoColorSphere(8), kTwoColorFvf);
                     d->SetRenderState(D3DRS_LOCALVIEWER, TRUE);
                     d->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
                     d->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR2);
                     d->SetRenderState(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_COLOR1);
                     LookAtSphere(d, 0.6f, 0.0f);
                     DrawVertices(d, D3DPT_TRIANGLELIST, 2 * 8 * 8, TwoColorSphere(8), kTwoColorFvf);
                     // Without COLORVERTEX every colour is the material's; the vertex lacks a
                     // specular colour, so COLOR2 falls back to the material too.
                     d->SetRenderState(D3DRS_COLORVERTEX, FALSE);
                     LookAtSphere(d, 0.6f, 1.2f);
                     DrawVertices(d, D3DPT_TRIANGLELIST, 2 * 8 * 8, Sphere(8), kLitFvf);
                   }});
  cases.push_back({"camera-space texture coordinates", 0, "", [](IDirect3DDevice8* d) {
                     d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
                     d->SetRenderState(D3DRS_LIGHTING, FALSE);
                     d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
                     d->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION);
                     // Parallel projection, 16 pixels to a unit of eye space across (16.5 down)
                     // and 4 texels, moved by 0.5 (0.5625 down) pixels so that texel edges keep
                     // off the pixel centres, where the devices' interpolations could fall either
                     // side.
                     D3DXMATRIX projection, view, world;
                     D3DXMatrixIdentity(&projection);
                     projection._11 = 0.5f;
                     projection._22 = 0.6875f;
                     projection._33 = 0.1f;
                     projection._41 = 1.0f / 64.0f;
                     projection._42 = 3.0f / 128.0f;
                     D3DXMatrixTranslation(&view, 0.25f, -0.125f, 3.0f);
                     D3DXMatrixTranslation(&world, 0.5f, 0.0f, 0.0f);
                     d->SetTransform(D3DTS_PROJECTION, &projection);
                     d->SetTransform(D3DTS_VIEW, &view);
                     d->SetTransform(D3DTS_WORLD, &world);
                     IDirect3DTexture8* texture = MakeTexture(d, 4, 4, Checker(4, 4));
                     d->SetTexture(0, texture);
                     // The vertices' own coordinates are 0: drawn with them, all would be one texel.
                     DrawVertices(d, D3DPT_TRIANGLESTRIP, 80, Band(40, -2.0f, 2.0f, 0.0f, 1.4f, 7), kXyzFvf);
                     DrawVertices(d, D3DPT_TRIANGLESTRIP, 4, Band(2, -1.5f, 0.5f, -1.4f, -0.2f, 9), kXyzFvf);
                     d->SetTexture(0, nullptr);
                     texture->Release();
                   }});
  cases.push_back({"vertex and index buffers rewritten between draws", 0, "", [](IDirect3DDevice8* d) {
                     d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
                     d->SetRenderState(D3DRS_LIGHTING, FALSE);
                     d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
                     d->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);  // colours exact: stale ones show
                     // 82 vertices: more than a batch takes, so the draws read the buffer's copy.
                     const std::vector<XyzVertex> first = Band(40, -1.0f, 1.0f, 0.6f, 1.0f, 40);
                     IDirect3DVertexBuffer8* buffer =
                         MakeVertexBuffer(d, static_cast<UINT>(first.size() * sizeof(XyzVertex)));
                     DrawRewritten(d, buffer, D3DPT_TRIANGLESTRIP, 80, first, kXyzFvf);
                     DrawRewritten(d, buffer, D3DPT_TRIANGLESTRIP, 80, Band(40, -1.0f, 1.0f, 0.1f, 0.5f, 200), kXyzFvf);
                     // Only part of the buffer rewritten, through a lock of its own range.
                     std::vector<XyzVertex> part = Band(40, -1.0f, 1.0f, -0.4f, 0.0f, 90);
                     BYTE* data = nullptr;
                     buffer->Lock(0, 0, &data, 0);
                     std::memcpy(data, part.data(), part.size() * sizeof(XyzVertex));
                     buffer->Unlock();
                     part = Band(40, 0.0f, 1.0f, -0.4f, 0.0f, 150);
                     buffer->Lock(40 * sizeof(XyzVertex), 0, &data, 0);
                     std::memcpy(data, part.data(), 20 * sizeof(XyzVertex));
                     buffer->Unlock();
                     d->BeginScene();
                     d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 80);
                     // Indices rewritten between two draws from the same vertices: first the
                     // left half of the band, then the right half.
                     IDirect3DIndexBuffer8* indices = nullptr;
                     d->CreateIndexBuffer(2 * 84, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices);
                     d->SetIndices(indices, 0);
                     D3DXMATRIX down;
                     D3DXMatrixTranslation(&down, 0, -0.5f, 0);
                     for (int half = 0; half < 2; ++half) {
                       WORD* index = nullptr;
                       indices->Lock(0, 0, reinterpret_cast<BYTE**>(&index), 0);
                       for (int k = 0; k < 84; ++k) index[k] = static_cast<WORD>((half * 40 + k / 2) % 82);
                       indices->Unlock();
                       d->SetTransform(D3DTS_WORLD, &down);
                       d->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 82, 0, 40);
                     }
                     d->EndScene();
                     d->SetIndices(nullptr, 0);
                     d->SetStreamSource(0, nullptr, 0);
                     indices->Release();
                     buffer->Release();
                   }});
  cases.push_back({"screen quads from one rewritten buffer, batched across state changes", 0, "",
                   [](IDirect3DDevice8* d) {
                     d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF102030, 1.0f, 0);
                     d->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);  // fans after the first keep their own
                     IDirect3DVertexBuffer8* quad = MakeVertexBuffer(d, 4 * sizeof(RhwVertex));
                     const auto square = [](float x, float y, float size, D3DCOLOR color) {
                       return std::vector<RhwVertex>{{x, y, 0.5f, 1, color, 0, 0},
                                                     {x + size, y, 0.5f, 1, color ^ 0x00FF0000u, 1, 0},
                                                     {x + size, y + size, 0.5f, 1, color, 1, 1},
                                                     {x, y + size, 0.5f, 1, color, 0, 1}};
                     };
                     for (int i = 0; i < 32; ++i) {
                       if (i == 8) {  // blending on halfway along the second row
                         d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
                         d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
                         d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
                       }
                       if (i == 20) {  // a Clear between two quads of the same state
                         const D3DRECT hole = {20, 10, 44, 20};
                         d->Clear(1, &hole, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
                       }
                       const float x = static_cast<float>((i % 8) * 8 - 2), y = static_cast<float>((i / 8) * 6);
                       const D3DCOLOR color = D3DCOLOR_ARGB(255, 30 * (i % 8), 40 + 6 * i, 200 - 5 * i);
                       DrawRewritten(d, quad, D3DPT_TRIANGLEFAN, 2, square(x, y, 10, color), kRhwFvf);
                     }
                     d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
                     d->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
                     // Texels changed between two quads: the first keeps the texels it was drawn with.
                     IDirect3DTexture8* texture = MakeTexture(d, 4, 4, Checker(4, 4));
                     d->SetTexture(0, texture);
                     DrawRewritten(d, quad, D3DPT_TRIANGLEFAN, 2, square(0, 26, 10, 0xFFFFFFFF), kRhwFvf);
                     D3DLOCKED_RECT locked{};
                     texture->LockRect(0, &locked, nullptr, 0);
                     static_cast<D3DCOLOR*>(locked.pBits)[0] = 0xFF0000FF;
                     texture->UnlockRect(0);
                     DrawRewritten(d, quad, D3DPT_TRIANGLEFAN, 2, square(10, 26, 10, 0xFFFFFFFF), kRhwFvf);
                     d->SetTexture(0, nullptr);
                     texture->Release();
                     // Untransformed quads: a new world matrix must not reach the quads before it.
                     d->SetRenderState(D3DRS_LIGHTING, FALSE);
                     d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
                     IDirect3DVertexBuffer8* xyz = MakeVertexBuffer(d, 4 * sizeof(XyzVertex));
                     for (int i = 0; i < 6; ++i) {
                       D3DXMATRIX move;
                       D3DXMatrixTranslation(&move, 0.1f * static_cast<float>(i / 2), 0, 0);
                       d->SetTransform(D3DTS_WORLD, &move);
                       const float y = -0.2f - 0.25f * static_cast<float>(i % 2);
                       const D3DCOLOR color = D3DCOLOR_ARGB(255, 60 * i, 250 - 40 * i, 128);
                       const std::vector<XyzVertex> strip = {{0.2f, y, 0.5f, color, 0, 0},
                                                             {0.2f, y - 0.2f, 0.5f, color, 0, 0},
                                                             {0.3f, y, 0.5f, color, 0, 0},
                                                             {0.3f, y - 0.2f, 0.5f, color, 0, 0}};
                       DrawRewritten(d, xyz, D3DPT_TRIANGLESTRIP, 2, strip, kXyzFvf);
                     }
                     // A small indexed draw: its indices count from MinIndex past BaseVertexIndex.
                     const std::vector<RhwVertex> corners = {{0, 0, 0, 1, 0, 0, 0}, {0, 0, 0, 1, 0, 0, 0},
                                                            {4, 40, 0.5f, 1, 0xFFFF8000, 0, 0},
                                                            {16, 40, 0.5f, 1, 0xFF0080FF, 0, 0},
                                                            {16, 47, 0.5f, 1, 0xFF80FF00, 0, 0},
                                                            {4, 47, 0.5f, 1, 0xFFFFFFFF, 0, 0}};
                     IDirect3DVertexBuffer8* six = MakeVertexBuffer(d, 6 * sizeof(RhwVertex));
                     DrawRewritten(d, six, D3DPT_TRIANGLEFAN, 2, square(50, 38, 8, 0xFF8080FF), kRhwFvf);
                     BYTE* data = nullptr;
                     six->Lock(0, 0, &data, 0);
                     std::memcpy(data, corners.data(), 6 * sizeof(RhwVertex));
                     six->Unlock();
                     IDirect3DIndexBuffer8* indices = nullptr;
                     d->CreateIndexBuffer(6 * 4, 0, D3DFMT_INDEX32, D3DPOOL_MANAGED, &indices);
                     DWORD* index = nullptr;
                     indices->Lock(0, 0, reinterpret_cast<BYTE**>(&index), 0);
                     const DWORD order[] = {1, 2, 3, 1, 3, 4};
                     std::memcpy(index, order, sizeof order);
                     indices->Unlock();
                     d->BeginScene();
                     d->SetIndices(indices, 1);
                     d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 1, 4, 0, 2);
                     d->EndScene();
                     d->SetIndices(nullptr, 0);
                     d->SetStreamSource(0, nullptr, 0);
                     indices->Release();
                     six->Release();
                     xyz->Release();
                     quad->Release();
                   }});
  // A texture as wide or as tall as the caps allow must be one the driver takes, or it would draw as nothing.
  // Stripes of 512 texels: no pixel centre samples the edge between two.
  cases.push_back({"the widest and the tallest texture the caps allow", 0, "", [](IDirect3DDevice8* d) {
                     d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
                     D3DCAPS8 caps{};
                     d->GetDeviceCaps(&caps);
                     const UINT wide = caps.MaxTextureWidth, tall = caps.MaxTextureHeight;
                     std::vector<D3DCOLOR> stripes(std::max(wide, tall));
                     for (UINT i = 0; i < stripes.size(); ++i) {
                       stripes[i] = D3DCOLOR_XRGB(i / 512 * 30, 160, 255 - i / 512 * 30);
                     }
                     for (const auto& [w, h, x] : {std::tuple{wide, 1u, 0.0f}, std::tuple{1u, tall, 32.0f}}) {
                       IDirect3DTexture8* texture = MakeTexture(d, w, h, stripes);
                       d->SetTexture(0, texture);
                       DrawVertices(d, D3DPT_TRIANGLELIST, 2, Gradient(x, 0, x + 32, 48, 0xFFFFFFFF, 0xFFFFFFFF),
                                    kRhwFvf);
                       d->SetTexture(0, nullptr);
                       if (texture) texture->Release();
                     }
                   }});
  return cases;
}

// Colours that differ in every channel from one vertex number to the next.
D3DCOLOR Hue(int i) {
  return D3DCOLOR_ARGB(255, (i * 53 + 20) & 255, (i * 97 + 40) & 255, (i * 29 + 100) & 255);
}

// A strip of `columns` quads from x0 to x1, each column's top vertex first (anticlockwise
// triangles on screen) or its bottom one (clockwise); vertex i coloured Hue(i + seed).
std::vector<RhwVertex> RhwStrip(int columns, float x0, float x1, float y0, float y1, bool clockwise, int seed) {
  std::vector<RhwVertex> strip;
  for (int i = 0; i <= columns; ++i) {
    const float x = x0 + (x1 - x0) * static_cast<float>(i) / static_cast<float>(columns);
    const float first = clockwise ? y1 : y0, second = clockwise ? y0 : y1;
    strip.push_back({x, first, 0.5f, 1, Hue(2 * i + seed), 0, 0});
    strip.push_back({x, second, 0.5f, 1, Hue(2 * i + 1 + seed), 0, 0});
  }
  return strip;
}

// A fan of `rim` - 1 triangles: the centre, then rim points on an arc of 300 degrees, clockwise on
// screen (or anticlockwise).
std::vector<RhwVertex> RhwFan(float cx, float cy, float radius, int rim, bool clockwise, int seed) {
  std::vector<RhwVertex> fan = {{cx, cy, 0.5f, 1, Hue(seed), 0, 0}};
  for (int k = 0; k < rim; ++k) {
    const float angle = (clockwise ? 1.0f : -1.0f) * 5.2359878f * static_cast<float>(k) / static_cast<float>(rim - 1);
    fan.push_back({cx + radius * std::cos(angle), cy + radius * std::sin(angle), 0.5f, 1, Hue(k + 1 + seed), 0, 0});
  }
  return fan;
}

// The triangles of a strip of `count` vertices as list indices (from `first`), every other
// triangle turned round when `mixed` (so that culling takes every other one).
template <typename Index>
std::vector<Index> StripAsList(int count, std::uint32_t first, bool mixed) {
  std::vector<Index> list;
  for (int i = 0; i + 2 < count; ++i) {
    std::uint32_t a = first + i, b = first + i + 1, c = first + i + 2;
    if (i % 2 == 1) std::swap(a, b);  // as a strip draws it
    if (mixed && i % 2 == 1) std::swap(b, c);
    for (const std::uint32_t index : {a, b, c}) list.push_back(static_cast<Index>(index));
  }
  return list;
}

// DrawIndexedPrimitive from a vertex buffer and an index buffer of their own (16- or 32-bit as
// Index is), the index buffer set with BaseVertexIndex `base`.
template <typename Index>
void DrawIndexed(IDirect3DDevice8* d, D3DPRIMITIVETYPE type, UINT primitives, const std::vector<RhwVertex>& vertices,
                 const std::vector<Index>& indices, UINT base, UINT minIndex, UINT numVertices, UINT startIndex) {
  const UINT vertexBytes = static_cast<UINT>(vertices.size() * sizeof(RhwVertex));
  IDirect3DVertexBuffer8* vertexBuffer = nullptr;
  ASSERT_EQ(d->CreateVertexBuffer(vertexBytes, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &vertexBuffer), D3D_OK);
  BYTE* data = nullptr;
  vertexBuffer->Lock(0, 0, &data, 0);
  std::memcpy(data, vertices.data(), vertexBytes);
  vertexBuffer->Unlock();
  const UINT indexBytes = static_cast<UINT>(indices.size() * sizeof(Index));
  IDirect3DIndexBuffer8* indexBuffer = nullptr;
  ASSERT_EQ(d->CreateIndexBuffer(indexBytes, 0, sizeof(Index) == 2 ? D3DFMT_INDEX16 : D3DFMT_INDEX32,
                                 D3DPOOL_MANAGED, &indexBuffer),
            D3D_OK);
  indexBuffer->Lock(0, 0, &data, 0);
  std::memcpy(data, indices.data(), indexBytes);
  indexBuffer->Unlock();
  d->BeginScene();
  d->SetVertexShader(kRhwFvf);
  d->SetStreamSource(0, vertexBuffer, sizeof(RhwVertex));
  d->SetIndices(indexBuffer, base);
  EXPECT_EQ(d->DrawIndexedPrimitive(type, minIndex, numVertices, startIndex, primitives), D3D_OK);
  d->EndScene();
  d->SetIndices(nullptr, 0);
  d->SetStreamSource(0, nullptr, 0);
  indexBuffer->Release();
  vertexBuffer->Release();
}

// What the device draws otherwise on OpenGL ES (WebGL2) than on OpenGL 3.3: flat colours from the
// first vertex, wireframe and point fill without a polygon mode, 16-bit index 0xFFFF (where
// WebGL2 always restarts), base vertices without glDrawElementsBaseVertex. Each case draws
// through a batch (at most 64 vertices) and from buffers' copies (more).
std::vector<Case> RewrittenDrawCases() {
  // A vertex or a triangle lost or misplaced changes pixels by far more.
  static constexpr const char* kInterpolated =
      "Gouraud colours, far apart from vertex to vertex, round to the nearest 8-bit value from slightly "
      "different floats";
  std::vector<Case> cases;
  cases.push_back({"flat shading takes each triangle's first vertex", 0, "", [](IDirect3DDevice8* d) {
                     d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
                     d->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
                     d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
                     DrawVertices(d, D3DPT_TRIANGLESTRIP, 6, RhwStrip(3, 0.3f, 30.3f, 0.3f, 10.3f, false, 0), kRhwFvf);
                     DrawVertices(d, D3DPT_TRIANGLESTRIP, 80, RhwStrip(40, 32.3f, 63.7f, 0.3f, 10.3f, true, 7),
                                  kRhwFvf);
                     DrawVertices(d, D3DPT_TRIANGLEFAN, 5, RhwFan(10.2f, 21.7f, 9.6f, 6, true, 3), kRhwFvf);
                     DrawVertices(d, D3DPT_TRIANGLEFAN, 69, RhwFan(42.2f, 21.7f, 9.6f, 70, false, 5), kRhwFvf);
                     // Lists: unindexed, few; 16-bit indexed, many.
                     std::vector<RhwVertex> few;
                     const std::vector<RhwVertex> band = RhwStrip(3, 0.3f, 30.3f, 34.3f, 46.3f, true, 11);
                     for (const WORD i : StripAsList<WORD>(8, 0, false)) few.push_back(band[i]);
                     DrawVertices(d, D3DPT_TRIANGLELIST, 6, few, kRhwFvf);
                     DrawIndexed(d, D3DPT_TRIANGLELIST, 80, RhwStrip(40, 32.3f, 63.7f, 34.3f, 46.3f, false, 13),
                                 StripAsList<WORD>(82, 0, false), 0, 0, 82, 0);
                   }});
  cases.push_back({"wireframe, culled either way, flat and Gouraud", 0,
                   "3 pixels: the devices' lines end a pixel apart at some corners",
                   [](IDirect3DDevice8* d) {
                     d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
                     d->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
                     // Corners on pixel centres, every edge's run along its longer axis odd or its
                     // slope whole: no pixel centre lies half-way, where the devices' line rules
                     // choose apart. The longer draws run on past the right edge.
                     // Anticlockwise triangles culled (the default): every other one of a list.
                     const std::vector<RhwVertex> narrow = RhwStrip(4, 1, 29, 1, 14, true, 0);
                     std::vector<RhwVertex> few;
                     for (const WORD i : StripAsList<WORD>(10, 0, true)) few.push_back(narrow[i]);
                     DrawVertices(d, D3DPT_TRIANGLELIST, 8, few, kRhwFvf);
                     DrawIndexed(d, D3DPT_TRIANGLELIST, 80, RhwStrip(40, 31, 191, 1, 14, true, 9),
                                 StripAsList<WORD>(82, 0, true), 0, 0, 82, 0);
                     // Clockwise ones culled: a fan drawn, the same fan the other way round not
                     // (its other colours would show on the same edges), and a strip, flat.
                     d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
                     d->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
                     const float rim[][2] = {{10, 24}, {19, 21}, {13, 15}, {4, 17}, {3, 28}, {12, 33}};
                     std::vector<RhwVertex> fan, back;
                     for (int k = 0; k < 6; ++k) fan.push_back({rim[k][0], rim[k][1], 0.5f, 1, Hue(3 + k), 0, 0});
                     back = {fan[0]};
                     for (int k = 5; k > 0; --k) back.push_back({fan[k].x, fan[k].y, 0.5f, 1, Hue(40 + k), 0, 0});
                     DrawVertices(d, D3DPT_TRIANGLEFAN, 4, fan, kRhwFvf);
                     DrawVertices(d, D3DPT_TRIANGLEFAN, 4, back, kRhwFvf);
                     DrawVertices(d, D3DPT_TRIANGLESTRIP, 80, RhwStrip(40, 22, 182, 16, 29, false, 5), kRhwFvf);
                     DrawVertices(d, D3DPT_TRIANGLESTRIP, 80, RhwStrip(40, 22, 182, 32, 45, true, 6), kRhwFvf);
                   },
                   D3DFMT_X8R8G8B8, 3});
  cases.push_back({"point fill, flat and Gouraud", 0, "", [](IDirect3DDevice8* d) {
                     d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
                     d->SetRenderState(D3DRS_FILLMODE, D3DFILL_POINT);
                     d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
                     // Corners on pixel centres, all inside the frame (OpenGL 3.3's polygon mode
                     // would add corners where the frame's edge clips a triangle).
                     DrawVertices(d, D3DPT_TRIANGLESTRIP, 6, RhwStrip(3, 1, 31, 1, 11, true, 20), kRhwFvf);
                     DrawVertices(d, D3DPT_TRIANGLESTRIP, 80, RhwStrip(40, 2, 42, 14, 22, true, 22), kRhwFvf);
                     // Flat: each corner in its triangle's first colour (the later triangle's, where
                     // corners are shared).
                     d->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
                     DrawVertices(d, D3DPT_TRIANGLESTRIP, 6, RhwStrip(3, 33, 63, 1, 11, true, 24), kRhwFvf);
                     DrawVertices(d, D3DPT_TRIANGLESTRIP, 80, RhwStrip(40, 2, 42, 26, 34, false, 26), kRhwFvf);
                     std::vector<RhwVertex> rim = RhwFan(53, 38, 7, 70, true, 28);
                     for (RhwVertex& v : rim) v.x = std::round(v.x), v.y = std::round(v.y);
                     std::vector<DWORD> fan(71);
                     std::iota(fan.begin(), fan.end(), 0u);
                     DrawIndexed(d, D3DPT_TRIANGLEFAN, 69, rim, fan, 0, 0, 71, 0);
                   }});
  cases.push_back({"a 16-bit index of 65535 names a vertex", 1, kInterpolated, [](IDirect3DDevice8* d) {
                     d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
                     d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
                     // Vertices 65400 and on hold a strip of 68 columns, its 61st vertex moved to
                     // 65535 (and vertex 65535's to where the 61st was).
                     std::vector<RhwVertex> vertices(65536, RhwVertex{0, 0, 0.5f, 1, 0xFFFF0000, 0, 0});
                     const std::vector<RhwVertex> strip = RhwStrip(67, 0.3f, 63.7f, 4.3f, 20.3f, true, 0);
                     std::vector<WORD> indices;
                     for (int k = 0; k < 136; ++k) {
                       const int vertex = k == 60 ? 65535 : k == 135 ? 65460 : 65400 + k;
                       vertices[vertex] = strip[k];
                       indices.push_back(static_cast<WORD>(vertex));
                     }
                     // The same strip again as a list, lower down, and a draw from the same
                     // indices that stops short of 65535.
                     const std::vector<WORD> list = StripAsList<WORD>(136, 0, false);
                     for (const WORD k : list) indices.push_back(indices[k]);
                     DrawIndexed(d, D3DPT_TRIANGLESTRIP, 134, vertices, indices, 0, 65400, 136, 0);
                     d->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
                     std::vector<RhwVertex> lower = vertices;
                     for (RhwVertex& v : lower) v.y += 24.0f;
                     DrawIndexed(d, D3DPT_TRIANGLELIST, 134, lower, indices, 0, 65400, 136, 136);
                     for (RhwVertex& v : lower) v.y -= 10.0f;
                     DrawIndexed(d, D3DPT_TRIANGLESTRIP, 58, lower, indices, 0, 65400, 136, 0);
                   }});
  cases.push_back({"base vertex and first index", 1, kInterpolated, [](IDirect3DDevice8* d) {
                     d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
                     d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
                     // The strip's vertices start at 37 + 5; its indices count from MinIndex 5 and
                     // are read from the 7th on. Drawn with 16- and 32-bit indices, many and few.
                     const auto placed = [](const std::vector<RhwVertex>& strip) {
                       std::vector<RhwVertex> vertices(42, RhwVertex{0, 0, 0.5f, 1, 0xFFFF0000, 0, 0});
                       vertices.insert(vertices.end(), strip.begin(), strip.end());
                       return vertices;
                     };
                     const auto indices = [](int count) {
                       std::vector<DWORD> list(6, 0);
                       for (int k = 0; k < count; ++k) list.push_back(static_cast<DWORD>(5 + k));
                       return list;
                     };
                     const std::vector<DWORD> wide = indices(82);
                     const std::vector<WORD> narrow(wide.begin(), wide.end());
                     DrawIndexed(d, D3DPT_TRIANGLESTRIP, 80, placed(RhwStrip(40, 0.3f, 63.7f, 0.3f, 10.3f, true, 0)),
                                 wide, 37, 5, 82, 6);
                     d->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
                     DrawIndexed(d, D3DPT_TRIANGLESTRIP, 80, placed(RhwStrip(40, 0.3f, 63.7f, 12.3f, 22.3f, true, 3)),
                                 narrow, 37, 5, 82, 6);
                     d->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
                     DrawIndexed(d, D3DPT_TRIANGLESTRIP, 6, placed(RhwStrip(3, 0.3f, 30.3f, 24.3f, 34.3f, true, 5)),
                                 wide, 37, 5, 8, 6);
                     DrawIndexed(d, D3DPT_TRIANGLESTRIP, 6, placed(RhwStrip(3, 32.3f, 63.7f, 24.3f, 34.3f, true, 7)),
                                 narrow, 37, 5, 8, 6);
                   }});
  return cases;
}

// With VORNHOLD_GL_TEST_DUMP=DIR, the two frames of a case that fails are written there as PPM.
void Dump(const char* name, const char* device, const platform::FrameImage& image) {
  const char* dir = std::getenv("VORNHOLD_GL_TEST_DUMP");
  if (!dir) return;
  std::string file = std::string(dir) + "/" + name + "." + device + ".ppm";
  std::replace(file.begin() + static_cast<long>(std::string(dir).size()) + 1, file.end(), ' ', '_');
  std::FILE* out = std::fopen(file.c_str(), "wb");
  if (!out) return;
  std::fprintf(out, "P6 %d %d 255\n", image.width, image.height);
  for (const std::uint32_t pixel : image.xrgb) {
    const unsigned char rgb[3] = {static_cast<unsigned char>(pixel >> 16), static_cast<unsigned char>(pixel >> 8),
                                  static_cast<unsigned char>(pixel)};
    std::fwrite(rgb, 1, 3, out);
  }
  std::fclose(out);
}

// The parameter: the API the OpenGL device is made on (VORNHOLD_GL_ES chooses it).
class GlDeviceTest : public D3D8Test, public testing::WithParamInterface<win32::GlApi> {
 protected:
  void SetUp() override {
    D3D8Test::SetUp();
    if (const char* before = std::getenv("VORNHOLD_GL_ES")) esBefore_ = before;
    setenv("VORNHOLD_GL_ES", Es() ? "1" : "0", 1);
  }
  void TearDown() override {
    d3d8::UseHardwareDevice(d3d8::HardwareDevice::kNever);
    if (esBefore_) {
      setenv("VORNHOLD_GL_ES", esBefore_->c_str(), 1);
    } else {
      unsetenv("VORNHOLD_GL_ES");
    }
    D3D8Test::TearDown();
  }

  static bool Es() { return GetParam() == win32::GlApi::kEs30; }
  static const char* Api() { return Es() ? "OpenGL ES 3.0" : "OpenGL 3.3"; }

  bool OpenGlStarts() {
#ifdef VORNHOLD_SANITIZED
    return false;  // Mesa is not built for the sanitizers
#endif
    d3d8::UseHardwareDevice(d3d8::HardwareDevice::kAnyOpenGl);
    IDirect3DDevice8* probe = nullptr;
    D3DPRESENT_PARAMETERS pp = WindowedParameters(D3DFMT_X8R8G8B8);
    if (FAILED(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, MakeWindow(kWidth, kHeight),
                                  D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &probe))) {
      return false;
    }
    const std::string device = d3d8::DeviceInUse();
    EXPECT_EQ(device.rfind("OpenGL (", 0), 0u) << device;
    EXPECT_EQ(device.find(", OpenGL ES)") != std::string::npos, Es()) << device;
    probe->Release();
    return true;
  }

  std::optional<std::string> esBefore_;

  // Draws the case on both devices and compares the frames.
  void Compare(const Case& c) {
    SCOPED_TRACE(c.name);
    const platform::FrameImage soft = Render(D3DDEVTYPE_REF, c);
    const platform::FrameImage hard = Render(D3DDEVTYPE_HAL, c);
    ASSERT_EQ(soft.width, kWidth);
    ASSERT_EQ(hard.width, kWidth);
    ASSERT_EQ(hard.height, kHeight);
    int worst = 0, beyond = 0, firstX = -1, firstY = -1;
    D3DCOLOR softAt = 0, hardAt = 0;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const std::uint32_t s = soft.xrgb[y * kWidth + x], h = hard.xrgb[y * kWidth + x];
        int difference = 0;
        for (int shift : {0, 8, 16}) {
          difference = std::max(difference, std::abs(static_cast<int>((s >> shift) & 255) -
                                                     static_cast<int>((h >> shift) & 255)));
        }
        worst = std::max(worst, difference);
        if (difference > c.tolerance && beyond++ == 0) firstX = x, firstY = y, softAt = s, hardAt = h;
      }
    }
    if (beyond > 0) Dump(c.name, "software", soft), Dump(c.name, "opengl", hard);
    EXPECT_LE(beyond, c.stray) << beyond << " pixels differ by more than " << c.tolerance << " (worst " << worst
                               << "); the first at (" << firstX << ", " << firstY << "): software " << std::hex
                               << softAt << ", OpenGL " << hardAt;
  }

  // Draws the case on a fresh device and returns the presented frame.
  platform::FrameImage Render(D3DDEVTYPE type, const Case& c) {
    backend_->desktop.bitsPerPixel = c.format == D3DFMT_R5G6B5 ? 16 : 32;
    D3DPRESENT_PARAMETERS pp = WindowedParameters(c.format);
    IDirect3DDevice8* device = nullptr;
    const HRESULT hr = d3d_->CreateDevice(0, type, MakeWindow(kWidth, kHeight), D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                          &pp, &device);
    EXPECT_EQ(hr, D3D_OK);
    if (!device) return {};
    deliveries_.clear();
    c.draw(device);
    device->Present(nullptr, nullptr, nullptr, nullptr);
    device->Release();
    if (deliveries_.size() != 1 || !deliveries_[0].image) return {};
    return *deliveries_[0].image;
  }
};

TEST_P(GlDeviceTest, FramesMatchTheSoftwareDevice) {
  if (!OpenGlStarts()) GTEST_SKIP() << "no " << Api() << " here (the line above says why), or a sanitizer build";
  for (const Case& c : Cases()) Compare(c);
}

TEST_P(GlDeviceTest, DrawsRewrittenForWebGl2MatchTheSoftwareDevice) {
  if (!OpenGlStarts()) GTEST_SKIP() << "no " << Api() << " here (the line above says why), or a sanitizer build";
  for (const Case& c : RewrittenDrawCases()) Compare(c);
}

// Where a driver breaks ties on edges otherwise than Direct3D, the device moves every vertex by a
// fraction of a pixel instead (forced here): pixel centres on edges still go as Direct3D's top-left
// rule says. Interpolated colours and texture coordinates move with the vertices, so only the cases
// about coverage are compared.
TEST_P(GlDeviceTest, TieBiasKeepsTheTopLeftRule) {
  if (!OpenGlStarts()) GTEST_SKIP() << "no " << Api() << " here, or a sanitizer build";
  setenv("VORNHOLD_GL_TIE_BIAS", "1", 1);
  for (const Case& c : Cases()) {
    const std::string name = c.name;
    if (name == "top-left fill rule and culling" || name == "flat shading takes the first vertex" ||
        name == "depth test and writes" || name == "clear rectangles and depth") {
      Compare(c);
    }
  }
  unsetenv("VORNHOLD_GL_TIE_BIAS");
}

// Every device that draws reports a state it does not draw, once, under its own name; the null
// device draws nothing and says nothing. (The OpenGL device part runs where OpenGL starts.)
TEST_P(GlDeviceTest, DrawingDevicesReportWhatTheyDoNotImplement) {
  if (Es()) GTEST_SKIP() << "a state is reported once a run: the pass on OpenGL 3.3 checks it";
  const bool openGl = OpenGlStarts();
  const std::pair<D3DDEVTYPE, std::string> devices[] = {
      {D3DDEVTYPE_NULLREF, ""}, {D3DDEVTYPE_REF, "REF"}, {D3DDEVTYPE_HAL, "HAL"}};
  for (const auto& [type, name] : devices) {
    if (type == D3DDEVTYPE_HAL && !openGl) continue;
    SCOPED_TRACE(name);
    D3DPRESENT_PARAMETERS pp = WindowedParameters(D3DFMT_X8R8G8B8);
    IDirect3DDevice8* device = nullptr;
    ASSERT_EQ(d3d_->CreateDevice(0, type, MakeWindow(kWidth, kHeight), D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                                 &device),
              D3D_OK);
    testing::internal::CaptureStderr();
    device->SetRenderState(D3DRS_LINEPATTERN, 0x00010001);
    device->SetRenderState(D3DRS_LINEPATTERN, 0x00020001);  // the same state again: no second line
    device->SetRenderState(D3DRS_LINEPATTERN, 0);
    device->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);  // implemented
    const std::string said = testing::internal::GetCapturedStderr();
    device->Release();
    EXPECT_EQ(said, name.empty() ? "" : name + " device: D3DRS_LINEPATTERN is not implemented; drawn as the default\n");
  }
}

// HAL by default needs hardware-accelerated OpenGL: llvmpipe is refused quietly, so the system's
// own fallback takes the software device.
TEST_P(GlDeviceTest, DefaultChoiceRefusesSoftwareOpenGl) {
#ifdef VORNHOLD_SANITIZED
  GTEST_SKIP() << "the OpenGL device is tried in the normal build only";
#endif
  if (std::getenv("VORNHOLD_LLVMPIPE_IS_HARDWARE")) GTEST_SKIP() << "llvmpipe counts as hardware in this run";
  d3d8::UseHardwareDevice(d3d8::HardwareDevice::kAnyOpenGl);
  IDirect3DDevice8* device = nullptr;
  D3DPRESENT_PARAMETERS pp = WindowedParameters(D3DFMT_X8R8G8B8);
  if (FAILED(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, MakeWindow(kWidth, kHeight), D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                &pp, &device))) {
    GTEST_SKIP() << "no " << Api() << " here";
  }
  const std::string renderer = d3d8::DeviceInUse();
  device->Release();
  device = nullptr;
  if (renderer.find("llvmpipe") == std::string::npos) GTEST_SKIP() << "OpenGL here is " << renderer;
  d3d8::UseHardwareDevice(d3d8::HardwareDevice::kAccelerated);
  pp = WindowedParameters(D3DFMT_X8R8G8B8);
  EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, MakeWindow(kWidth, kHeight), D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                               &pp, &device),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(device, nullptr);
  d3d8::UseHardwareDevice(d3d8::HardwareDevice::kNever);
  pp = WindowedParameters(D3DFMT_X8R8G8B8);
  EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, MakeWindow(kWidth, kHeight), D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                               &pp, &device),
            D3DERR_NOTAVAILABLE);
}

INSTANTIATE_TEST_SUITE_P(Apis, GlDeviceTest, testing::Values(win32::GlApi::kCore33, win32::GlApi::kEs30),
                         [](const testing::TestParamInfo<win32::GlApi>& api) {
                           return api.param == win32::GlApi::kEs30 ? std::string("Es30") : std::string("Core33");
                         });

}  // namespace
}  // namespace d3d8_test
