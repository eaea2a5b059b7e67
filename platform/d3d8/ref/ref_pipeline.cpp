// [SECTION] Draw set-up: state into PixelSetup
// [SECTION] Vertex processing
// [SECTION] Clipping, viewport and culling
// [SECTION] Primitive assembly
#include "platform/d3d8/ref/ref_pipeline.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <utility>

#include "platform/d3d8/device_state.h"
#include "platform/d3d8/fvf.h"
#include "platform/d3d8/shared_pipeline.h"
#include "platform/d3d8/texture.h"

namespace d3d8::ref {
namespace {

// ---- [SECTION] Draw set-up: state into PixelSetup ----------------------------------------------

StageSetup ResolveStage(const FixedFunctionState& fixed, D3DCOLOR factor) {
  StageSetup stage;
  stage.colorOp = fixed.stage.colorOp;
  stage.colorArg1 = fixed.stage.colorArg1;
  stage.colorArg2 = fixed.stage.colorArg2;
  stage.alphaOp = fixed.stage.alphaOp;
  stage.alphaArg1 = fixed.stage.alphaArg1;
  stage.alphaArg2 = fixed.stage.alphaArg2;
  stage.factor = FromColor(factor);
  return stage;
}

// texels: keeps the texture's texels as they are while the set-up points to them.
PixelSetup ResolvePixelSetup(const DeviceState& state, const FixedFunctionState& fixed, ColorSurface& target,
                             DepthSurface* depth, std::shared_ptr<const std::vector<std::uint32_t>>& texels) {
  const auto& rs = state.renderStates;
  PixelSetup setup;
  setup.target = &target;
  const bool depthOn = depth && fixed.depthTest;
  setup.depth = depthOn ? depth : nullptr;
  if (depthOn && fixed.wBuffer) {
    setup.wBuffer = true;
    setup.wScale = fixed.wScale;
    setup.wNear = fixed.wNear;
    setup.wInvRange = fixed.wInvRange;
  }
  setup.depthTest = depthOn;
  setup.depthWrite = depthOn && rs[D3DRS_ZWRITEENABLE] != FALSE;
  setup.depthFunc = rs[D3DRS_ZFUNC];
  setup.alphaTest = rs[D3DRS_ALPHATESTENABLE] != FALSE;
  setup.alphaFunc = rs[D3DRS_ALPHAFUNC];
  setup.alphaRef = rs[D3DRS_ALPHAREF] & 0xFF;
  setup.blend = fixed.blend;
  setup.srcBlend = fixed.srcBlend;
  setup.destBlend = fixed.destBlend;

  const Texture* texture = fixed.texture;
  if (texture) {
    texels = texture->Texels(0);  // MIPFILTER NONE: only the top level is sampled
    setup.texels = texels->data();
    setup.texWidth = static_cast<int>(texture->Width(0));
    setup.texHeight = static_cast<int>(texture->Height(0));
    setup.clampU = state.stages[0][D3DTSS_ADDRESSU] == D3DTADDRESS_CLAMP;
    setup.clampV = state.stages[0][D3DTSS_ADDRESSV] == D3DTADDRESS_CLAMP;
  }
  setup.stage = ResolveStage(fixed, rs[D3DRS_TEXTUREFACTOR]);
  setup.specular = fixed.specular;

  const D3DVIEWPORT8& vp = state.viewport;
  setup.left = static_cast<int>(std::min<DWORD>(vp.X, target.width));
  setup.top = static_cast<int>(std::min<DWORD>(vp.Y, target.height));
  setup.right = static_cast<int>(std::min<DWORD>(vp.X + vp.Width, target.width));
  setup.bottom = static_cast<int>(std::min<DWORD>(vp.Y + vp.Height, target.height));
  return setup;
}

// ---- [SECTION] Vertex processing --------------------------------------------------------------

std::array<float, 4> TransformPoint(const float* p, const D3DMATRIX& m) {
  std::array<float, 4> out{};
  for (int j = 0; j < 4; ++j) out[j] = p[0] * m.m[0][j] + p[1] * m.m[1][j] + p[2] * m.m[2][j] + m.m[3][j];
  return out;
}

void SetColor(ClipVertex& out, D3DCOLOR color) {
  out.a = static_cast<float>(color >> 24);
  out.r = static_cast<float>((color >> 16) & 255);
  out.g = static_cast<float>((color >> 8) & 255);
  out.b = static_cast<float>(color & 255);
}

// Signed distances to the six planes of the view volume; inside when >= 0.
inline float PlaneDistance(const ClipVertex& v, int plane) {
  switch (plane) {
    case 0: return v.z;
    case 1: return v.w - v.z;
    case 2: return v.w + v.x;
    case 3: return v.w - v.x;
    case 4: return v.w + v.y;
    default: return v.w - v.y;
  }
}

ScreenVertex ToScreen(const ClipVertex& c, const D3DVIEWPORT8& vp) {
  ScreenVertex s;
  const float rhw = 1.0f / c.w;
  s.x = static_cast<float>(vp.X) + (1.0f + c.x * rhw) * static_cast<float>(vp.Width) * 0.5f;
  s.y = static_cast<float>(vp.Y) + (1.0f - c.y * rhw) * static_cast<float>(vp.Height) * 0.5f;
  s.z = vp.MinZ + c.z * rhw * (vp.MaxZ - vp.MinZ);
  s.rhw = rhw;
  s.r = c.r;
  s.g = c.g;
  s.b = c.b;
  s.a = c.a;
  s.u = c.u;
  s.v = c.v;
  s.sr = c.sr;
  s.sg = c.sg;
  s.sb = c.sb;
  return s;
}

}  // namespace

void Pipeline::TransformVertices(const DrawRequest& request) {
  const DeviceState& state = *request.state;
  const FixedFunctionState& fixed = *request.fixed;
  const FvfLayout& layout = fixed.layout;
  transformed_ = layout.transformed;

  const UINT count = request.vertexCount;

  const D3DMATRIX& worldView = fixed.worldView;
  const D3DMATRIX& wvp = fixed.worldViewProjection;
  const bool lighting = fixed.lighting;
  const bool addSpecular = fixed.specular;
  if (lighting) lighting_.Prepare(state, fixed);
  const bool cameraPosition = fixed.texCoords == TexCoordSource::kCameraPosition;
  const UINT set = fixed.texCoordSet;
  const bool hasSet = fixed.texCoords == TexCoordSource::kVertexSet;

  clipVertices_.resize(count);
  if (lighting) {
    litColors_.resize(count);
    lighting_.LightMany(request.vertices, request.stride, count, litColors_.data());
  }
  for (UINT i = 0; i < count; ++i) {
    const BYTE* p = request.vertices + static_cast<std::size_t>(i) * request.stride;
    const float position[3] = {ReadFloat(p), ReadFloat(p + 4), ReadFloat(p + 8)};
    ClipVertex& out = clipVertices_[i];
    if (layout.transformed) {
      out.x = position[0];
      out.y = position[1];
      out.z = position[2];
      out.w = ReadFloat(p + 12);  // rhw here; turned into a screen vertex below
    } else {
      const auto clip = TransformPoint(position, wvp);
      out.x = clip[0];
      out.y = clip[1];
      out.z = clip[2];
      out.w = clip[3];
    }
    out.sr = out.sg = out.sb = 0.0f;
    if (lighting) {
      const LitColor& lit = litColors_[i];
      out.r = lit.r;
      out.g = lit.g;
      out.b = lit.b;
      out.a = lit.a;
      if (addSpecular) {
        out.sr = lit.sr;
        out.sg = lit.sg;
        out.sb = lit.sb;
      }
    } else {
      SetColor(out, layout.diffuse >= 0 ? ReadColor(p + layout.diffuse) : 0xFFFFFFFFu);
      if (addSpecular && layout.specular >= 0) {
        const D3DCOLOR specular = ReadColor(p + layout.specular);
        out.sr = static_cast<float>((specular >> 16) & 255);
        out.sg = static_cast<float>((specular >> 8) & 255);
        out.sb = static_cast<float>(specular & 255);
      }
    }
    if (cameraPosition) {
      const auto eye = TransformPoint(position, worldView);
      out.u = eye[0];
      out.v = eye[1];
    } else if (hasSet) {
      const BYTE* t = p + layout.texCoord[set];
      out.u = ReadFloat(t);
      out.v = layout.texCoordSize[set] > 1 ? ReadFloat(t + 4) : 0.0f;
    } else {
      out.u = out.v = 0.0f;
    }
  }
  if (!layout.transformed) ProjectVertices(state.viewport);
}

// A vertex inside the whole view volume is projected once, here, for every triangle that uses it;
// ToScreen gives the same screen vertex whether called here or after clipping left it unchanged.
void Pipeline::ProjectVertices(const D3DVIEWPORT8& viewport) {
  const std::size_t count = clipVertices_.size();
  outcodes_.resize(count);
  screenVertices_.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    const ClipVertex& v = clipVertices_[i];
    unsigned code = 0;
    for (int plane = 0; plane < 6; ++plane) {
      if (!(PlaneDistance(v, plane) >= 0)) code |= 1u << plane;
    }
    outcodes_[i] = static_cast<std::uint8_t>(code);
    if (code == 0) screenVertices_[i] = ToScreen(v, viewport);
  }
}

namespace {

// ---- [SECTION] Clipping, viewport and culling -------------------------------------------------

ClipVertex Lerp(const ClipVertex& a, const ClipVertex& b, float t) {
  const auto mix = [t](float p, float q) { return p + (q - p) * t; };
  ClipVertex out;
  out.x = mix(a.x, b.x);
  out.y = mix(a.y, b.y);
  out.z = mix(a.z, b.z);
  out.w = mix(a.w, b.w);
  out.r = mix(a.r, b.r);
  out.g = mix(a.g, b.g);
  out.b = mix(a.b, b.b);
  out.a = mix(a.a, b.a);
  out.u = mix(a.u, b.u);
  out.v = mix(a.v, b.v);
  out.sr = mix(a.sr, b.sr);
  out.sg = mix(a.sg, b.sg);
  out.sb = mix(a.sb, b.sb);
  return out;
}

// A convex polygon of at most 3 + 6 vertices; only the first `count` are set.
struct Polygon {
  std::array<ClipVertex, 9> v;
  int count = 0;
};

// Sutherland-Hodgman against every plane the polygon crosses.
void ClipPolygon(Polygon& poly) {
  for (int plane = 0; plane < 6 && poly.count > 0; ++plane) {
    bool allInside = true;
    for (int i = 0; i < poly.count; ++i) allInside = allInside && PlaneDistance(poly.v[i], plane) >= 0;
    if (allInside) continue;
    Polygon out;
    for (int i = 0; i < poly.count; ++i) {
      const ClipVertex& a = poly.v[i];
      const ClipVertex& b = poly.v[(i + 1) % poly.count];
      const float da = PlaneDistance(a, plane), db = PlaneDistance(b, plane);
      if (da >= 0) out.v[out.count++] = a;
      if ((da >= 0) != (db >= 0)) out.v[out.count++] = Lerp(a, b, da / (da - db));
    }
    poly = out;
    if (poly.count < 3) poly.count = 0;
  }
}

// Twice the signed screen area; positive for clockwise on screen (y down), Direct3D's front face.
float SignedArea(const ScreenVertex* v, int count) {
  float sum = 0;
  for (int i = 0; i < count; ++i) {
    const ScreenVertex& a = v[i];
    const ScreenVertex& b = v[(i + 1) % count];
    sum += a.x * b.y - b.x * a.y;
  }
  return sum;
}

bool Culled(DWORD cullMode, float area) {
  if (cullMode == D3DCULL_CCW) return area < 0;
  if (cullMode == D3DCULL_CW) return area > 0;
  return false;
}

}  // namespace

namespace {

ScreenVertex Unprojected(const ClipVertex& v) {  // XYZRHW: already in screen space
  ScreenVertex s;
  s.x = v.x;
  s.y = v.y;
  s.z = v.z;
  s.rhw = v.w;
  s.r = v.r;
  s.g = v.g;
  s.b = v.b;
  s.a = v.a;
  s.u = v.u;
  s.v = v.v;
  s.sr = v.sr;
  s.sg = v.sg;
  s.sb = v.sb;
  return s;
}

// The part of the segment inside the view volume; false when none is.
bool ClipSegment(const ClipVertex& a, const ClipVertex& b, ClipVertex& outA, ClipVertex& outB) {
  float t0 = 0.0f, t1 = 1.0f;
  for (int plane = 0; plane < 6; ++plane) {
    const float da = PlaneDistance(a, plane), db = PlaneDistance(b, plane);
    if (da < 0 && db < 0) return false;
    if (da < 0) t0 = std::max(t0, da / (da - db));
    if (db < 0) t1 = std::min(t1, da / (da - db));
  }
  if (t0 > t1) return false;
  outA = t0 > 0.0f ? Lerp(a, b, t0) : a;
  outB = t1 < 1.0f ? Lerp(a, b, t1) : b;
  return true;
}

bool InsideVolume(const ClipVertex& v) {
  for (int plane = 0; plane < 6; ++plane) {
    if (PlaneDistance(v, plane) < 0) return false;
  }
  return true;
}

}  // namespace

void Pipeline::DrawClipTriangle(const PixelSetup& setup, const TriangleMode& mode, ClipVertex a,
                                ClipVertex b, ClipVertex c) {
  if (mode.flat) {  // the first vertex is the one whose colour a flat triangle takes
    for (ClipVertex* v : {&b, &c}) {
      v->r = a.r;
      v->g = a.g;
      v->b = a.b;
      v->a = a.a;
      v->sr = a.sr;
      v->sg = a.sg;
      v->sb = a.sb;
    }
  }
  std::array<ScreenVertex, 9> screen;  // scratch: the first `count` are set
  int count = 0;
  if (transformed_) {
    for (const ClipVertex* v : {&a, &b, &c}) screen[count++] = Unprojected(*v);
  } else {
    Polygon poly;
    poly.v[0] = a;
    poly.v[1] = b;
    poly.v[2] = c;
    poly.count = 3;
    ClipPolygon(poly);
    for (int i = 0; i < poly.count; ++i) screen[count++] = ToScreen(poly.v[i], *mode.viewport);
  }
  if (count < 3) return;
  if (Culled(mode.cullMode, SignedArea(screen.data(), count))) return;
  if (mode.fillMode == D3DFILL_WIREFRAME || mode.fillMode == D3DFILL_POINT) {
    DrawOutline(setup, mode, a, b, c);
    return;
  }
  for (int i = 1; i + 1 < count; ++i) Triangle(setup, screen[0], screen[i], screen[i + 1]);
}

// A solid triangle: queued with the draw's others, or drawn now.
void Pipeline::Triangle(const PixelSetup& setup, const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c) {
  if (batching_) {
    queue_.Add(setup, a, b, c);
  } else {
    DrawTriangle(setup, a, b, c);
  }
}

// A line of an outline: drawn now, or kept to be drawn with the draw's other lines.
void Pipeline::Outline(const PixelSetup& setup, const ScreenVertex& a, const ScreenVertex& b, bool lastPixel) {
  if (collectingLines_) {
    collectingLines_->push_back({a, b, lastPixel});
  } else {
    DrawLine(setup, a, b, lastPixel);
  }
}

// A culled-in triangle as its three edges (each clipped as a line) or its three vertices.
void Pipeline::DrawOutline(const PixelSetup& setup, const TriangleMode& mode, const ClipVertex& a,
                           const ClipVertex& b, const ClipVertex& c) {
  const ClipVertex* corners[3] = {&a, &b, &c};
  for (int i = 0; i < 3; ++i) {
    const ClipVertex& from = *corners[i];
    const ClipVertex& to = *corners[(i + 1) % 3];
    if (mode.fillMode == D3DFILL_POINT) {
      if (transformed_) {
        Outline(setup, Unprojected(from), Unprojected(from), true);
      } else if (InsideVolume(from)) {
        const ScreenVertex s = ToScreen(from, *mode.viewport);
        Outline(setup, s, s, true);
      }
      continue;
    }
    if (transformed_) {
      Outline(setup, Unprojected(from), Unprojected(to), mode.lastPixel);
      continue;
    }
    ClipVertex p, q;
    if (!ClipSegment(from, to, p, q)) continue;
    Outline(setup, ToScreen(p, *mode.viewport), ToScreen(q, *mode.viewport), mode.lastPixel);
  }
}

// ---- [SECTION] Primitive assembly ---------------------------------------------------------------

void Pipeline::Draw(const DrawRequest& request, ColorSurface& target, DepthSurface* depth, HelperThread* helper) {
  const DeviceState& state = *request.state;
  std::shared_ptr<const std::vector<std::uint32_t>> texels;
  PixelSetup setup = ResolvePixelSetup(state, *request.fixed, target, depth, texels);
  setup.helper = helper;
  TransformVertices(request);
  TriangleMode mode;
  mode.viewport = &state.viewport;
  mode.cullMode = state.renderStates[D3DRS_CULLMODE];
  mode.fillMode = state.renderStates[D3DRS_FILLMODE];
  mode.flat = state.renderStates[D3DRS_SHADEMODE] == D3DSHADE_FLAT;
  mode.lastPixel = state.renderStates[D3DRS_LASTPIXEL] != FALSE;
  // Solid triangles are set up first and drawn together: a few pixels' worth by the helper while
  // this thread goes on with the next draws (in a batch of their own, waited for when its turn
  // comes again), many with their rows shared with the helper; so are the lines of outlines.
  batching_ = setup.helper && mode.fillMode == D3DFILL_SOLID;
  if (batching_) queue_.BeginDraw(setup.helper);
  collectingLines_ = setup.helper && mode.fillMode != D3DFILL_SOLID ? &lines_ : nullptr;
  if (!batching_) queue_.Flush();  // drawn here, after what is queued
  // The vertex index at position k of the primitive order.
  const auto at = [&](UINT k) -> std::size_t {
    if (!request.indices) return k;
    std::uint32_t index;
    if (request.wideIndices) {
      std::memcpy(&index, request.indices + 4 * static_cast<std::size_t>(k), 4);
    } else {
      std::uint16_t narrow;
      std::memcpy(&narrow, request.indices + 2 * static_cast<std::size_t>(k), 2);
      index = narrow;
    }
    return index - request.firstIndex;
  };
  for (UINT i = 0; i < request.primitiveCount; ++i) {
    switch (request.type) {
      case D3DPT_TRIANGLELIST:
        DrawVertexTriangle(setup, mode, at(3 * i), at(3 * i + 1), at(3 * i + 2));
        break;
      case D3DPT_TRIANGLESTRIP:  // odd triangles swap their last two to keep the winding
        if (i % 2 == 0) {
          DrawVertexTriangle(setup, mode, at(i), at(i + 1), at(i + 2));
        } else {
          DrawVertexTriangle(setup, mode, at(i), at(i + 2), at(i + 1));
        }
        break;
      default:  // fan: (v[i+1], v[i+2], v[0]), coloured by v[i+1] when flat
        DrawVertexTriangle(setup, mode, at(i + 1), at(i + 2), at(0));
        break;
    }
  }
  if (batching_) queue_.EndDraw(setup, std::move(texels));
  if (collectingLines_) {
    DrawLines(setup, lines_);
    lines_.clear();
  }
}

// Triangles whose three vertices lie inside the view volume use the vertices' screen positions
// from ProjectVertices; the others are clipped.
void Pipeline::DrawVertexTriangle(const PixelSetup& setup, const TriangleMode& mode, std::size_t a,
                                  std::size_t b, std::size_t c) {
  const ClipVertex* v = clipVertices_.data();
  if (transformed_ || mode.fillMode != D3DFILL_SOLID || (outcodes_[a] | outcodes_[b] | outcodes_[c]) != 0) {
    DrawClipTriangle(setup, mode, v[a], v[b], v[c]);
    return;
  }
  ScreenVertex screen[3] = {screenVertices_[a], screenVertices_[b], screenVertices_[c]};
  if (mode.flat) {  // the first vertex is the one whose colour a flat triangle takes
    for (ScreenVertex* s : {&screen[1], &screen[2]}) {
      s->r = screen[0].r;
      s->g = screen[0].g;
      s->b = screen[0].b;
      s->a = screen[0].a;
      s->sr = screen[0].sr;
      s->sg = screen[0].sg;
      s->sb = screen[0].sb;
    }
  }
  if (Culled(mode.cullMode, SignedArea(screen, 3))) return;
  Triangle(setup, screen[0], screen[1], screen[2]);
}

}  // namespace d3d8::ref
