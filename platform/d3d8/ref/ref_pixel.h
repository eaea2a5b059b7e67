// The software device's pixel stage: texture stage 0, alpha test, depth test, blending, writing.
//
// Conventions: colours are 8-bit channels held in ints (0..255). Products of two channels are
// rounded to the nearest integer, round(a * b / 255), so that 255 is an exact identity and white
// times a texel is the texel. Blending computes round((src * srcFactor + dst * dstFactor) / 255)
// and saturates at 255. Depth values are 16-bit fractions (0 near, 65535 far).
#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/d3d8/d3d8.h"
#include "platform/d3d8/ref/ref_surface.h"

namespace d3d8::ref {

struct Rgba {
  int r = 0, g = 0, b = 0, a = 0;  // 0..255
};

// Unsigned division by the constant 255 compiles to a multiply and a shift.
inline int Mul8(int a, int b) {
  return static_cast<int>((static_cast<unsigned>(a * b) + 127u) / 255u);
}

inline Rgba FromColor(D3DCOLOR color) {
  return {static_cast<int>((color >> 16) & 255), static_cast<int>((color >> 8) & 255),
          static_cast<int>(color & 255), static_cast<int>(color >> 24)};
}

inline D3DCOLOR ToColor(const Rgba& c) {
  return D3DCOLOR_ARGB(static_cast<unsigned>(c.a), static_cast<unsigned>(c.r),
                       static_cast<unsigned>(c.g), static_cast<unsigned>(c.b));
}

// Stage 0 as resolved once per draw.
struct StageSetup {
  DWORD colorOp = D3DTOP_MODULATE;  // D3DTOP_DISABLE: the diffuse colour passes through
  DWORD colorArg1 = D3DTA_TEXTURE;
  DWORD colorArg2 = D3DTA_CURRENT;
  DWORD alphaOp = D3DTOP_SELECTARG1;
  DWORD alphaArg1 = D3DTA_TEXTURE;
  DWORD alphaArg2 = D3DTA_CURRENT;
  Rgba factor;  // D3DRS_TEXTUREFACTOR
};

// Which source the pixel stage reads for a texture argument; specular and temp read as black.
inline Rgba SelectArg(DWORD arg, const Rgba& diffuse, const Rgba& texel, const Rgba& factor) {
  Rgba value;
  switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_DIFFUSE:
    case D3DTA_CURRENT:  // at stage 0 the current colour is the diffuse colour
      value = diffuse;
      break;
    case D3DTA_TEXTURE:
      value = texel;
      break;
    case D3DTA_TFACTOR:
      value = factor;
      break;
    default:
      value = Rgba{0, 0, 0, 0};
      break;
  }
  if (arg & D3DTA_COMPLEMENT) value = {255 - value.r, 255 - value.g, 255 - value.b, 255 - value.a};
  if (arg & D3DTA_ALPHAREPLICATE) value = {value.a, value.a, value.a, value.a};
  return value;
}

// One channel of a texture operation; unimplemented ops behave as SELECTARG1.
inline int ApplyOp(DWORD op, int a1, int a2) {
  switch (op) {
    case D3DTOP_SELECTARG2:
      return a2;
    case D3DTOP_MODULATE:
      return Mul8(a1, a2);
    case D3DTOP_MODULATE2X:
      return std::min(255, Mul8(2 * a1, a2));  // round(2 * a1 * a2 / 255), saturated
    case D3DTOP_MODULATE4X:
      return std::min(255, Mul8(4 * a1, a2));
    case D3DTOP_ADD:
      return std::min(255, a1 + a2);
    case D3DTOP_SUBTRACT:
      return std::max(0, a1 - a2);
    default:
      return a1;
  }
}

inline Rgba CombineStage(const StageSetup& stage, const Rgba& diffuse, const Rgba& texel) {
  Rgba out = diffuse;
  if (stage.colorOp == D3DTOP_DISABLE) return out;
  const Rgba c1 = SelectArg(stage.colorArg1, diffuse, texel, stage.factor);
  const Rgba c2 = SelectArg(stage.colorArg2, diffuse, texel, stage.factor);
  out.r = ApplyOp(stage.colorOp, c1.r, c2.r);
  out.g = ApplyOp(stage.colorOp, c1.g, c2.g);
  out.b = ApplyOp(stage.colorOp, c1.b, c2.b);
  if (stage.alphaOp != D3DTOP_DISABLE) {
    const int a1 = SelectArg(stage.alphaArg1, diffuse, texel, stage.factor).a;
    const int a2 = SelectArg(stage.alphaArg2, diffuse, texel, stage.factor).a;
    out.a = ApplyOp(stage.alphaOp, a1, a2);
  }
  return out;
}

// A blend factor per channel (D3DBLEND_*); BOTHSRCALPHA / BOTHINVSRCALPHA are resolved into
// separate source and destination factors before drawing.
inline Rgba BlendFactor(DWORD blend, const Rgba& src, const Rgba& dst) {
  switch (blend) {
    case D3DBLEND_ZERO:
      return {0, 0, 0, 0};
    case D3DBLEND_SRCCOLOR:
      return src;
    case D3DBLEND_INVSRCCOLOR:
      return {255 - src.r, 255 - src.g, 255 - src.b, 255 - src.a};
    case D3DBLEND_SRCALPHA:
      return {src.a, src.a, src.a, src.a};
    case D3DBLEND_INVSRCALPHA:
      return {255 - src.a, 255 - src.a, 255 - src.a, 255 - src.a};
    case D3DBLEND_DESTALPHA:
      return {dst.a, dst.a, dst.a, dst.a};
    case D3DBLEND_INVDESTALPHA:
      return {255 - dst.a, 255 - dst.a, 255 - dst.a, 255 - dst.a};
    case D3DBLEND_DESTCOLOR:
      return dst;
    case D3DBLEND_INVDESTCOLOR:
      return {255 - dst.r, 255 - dst.g, 255 - dst.b, 255 - dst.a};
    case D3DBLEND_SRCALPHASAT: {
      const int f = std::min(src.a, 255 - dst.a);
      return {f, f, f, 255};
    }
    default:  // D3DBLEND_ONE
      return {255, 255, 255, 255};
  }
}

inline int BlendChannel(int s, int sf, int d, int df) {
  return std::min(255, static_cast<int>((static_cast<unsigned>(s * sf + d * df) + 127u) / 255u));
}

inline Rgba Blend(DWORD srcBlend, DWORD destBlend, const Rgba& src, const Rgba& dst) {
  const Rgba sf = BlendFactor(srcBlend, src, dst);
  const Rgba df = BlendFactor(destBlend, src, dst);
  return {BlendChannel(src.r, sf.r, dst.r, df.r), BlendChannel(src.g, sf.g, dst.g, df.g),
          BlendChannel(src.b, sf.b, dst.b, df.b), BlendChannel(src.a, sf.a, dst.a, df.a)};
}

inline bool Compare(DWORD func, unsigned value, unsigned reference) {
  switch (func) {
    case D3DCMP_NEVER:
      return false;
    case D3DCMP_LESS:
      return value < reference;
    case D3DCMP_EQUAL:
      return value == reference;
    case D3DCMP_LESSEQUAL:
      return value <= reference;
    case D3DCMP_GREATER:
      return value > reference;
    case D3DCMP_NOTEQUAL:
      return value != reference;
    case D3DCMP_GREATEREQUAL:
      return value >= reference;
    default:
      return true;
  }
}

}  // namespace d3d8::ref
