// The rasterizer's sections:
// [SECTION] Texel fetch
// [SECTION] Pixel shading and output (general loop, common stage / blend set-ups)
// [SECTION] Triangle setup and traversal (packed screen-quad rows, rows split with the helper
//           thread, dispatch to the loop for the draw's set-up)
#include "platform/d3d8/ref/ref_rasterizer.h"
#include "platform/d3d8/texture.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace d3d8::ref {
namespace {

constexpr int kSubBits = 8;  // sub-pixel precision of snapped vertices
constexpr float kSubScale = 1 << kSubBits;

// ---- [SECTION] Texel fetch --------------------------------------------------------------------

// Point sampling: texel floor(coord * size), wrapped or clamped into the texture. Power-of-two
// sizes wrap with a mask, which gives the same texel as the modulo.
[[gnu::always_inline]] inline int TexelIndex(float coord, int size, bool clamp) {
  const float scaled = coord * static_cast<float>(size);
  int index;
  if (!(scaled > -2.0e9f && scaled < 2.0e9f)) {  // NaN or far outside: no meaningful texel
    index = 0;
  } else {
    index = static_cast<int>(scaled);
    if (static_cast<float>(index) > scaled) --index;
  }
  if (clamp) return std::clamp(index, 0, size - 1);
  if ((size & (size - 1)) == 0) return index & (size - 1);
  index %= size;
  return index < 0 ? index + size : index;
}

[[gnu::always_inline]] inline Rgba Sample(const PixelSetup& setup, float u, float v) {
  const int x = TexelIndex(u, setup.texWidth, setup.clampU);
  const int y = TexelIndex(v, setup.texHeight, setup.clampV);
  return FromColor(setup.texels[static_cast<std::size_t>(y) * setup.texWidth + x]);
}

// ---- [SECTION] Pixel shading and output -------------------------------------------------------

// Both clamp before converting, so that NaN (from an rhw of 0) and huge values become 0 or the
// top value instead of an out-of-range conversion.
inline int ToChannel(float value) {
  if (!(value > 0.0f)) return 0;
  if (value >= 255.0f) return 255;
  return static_cast<int>(value + 0.5f);
}

inline std::uint16_t ToDepth(float z) {
  if (!(z > 0.0f)) return 0;
  if (z >= 1.0f) return 65535;
  return static_cast<std::uint16_t>(z * 65535.0f + 0.5f);
}

// A row of the target: 32-bit formats are read and written as whole words, others through their
// packing rules.
template <bool kWords>
struct TargetRow {
  std::uint8_t* row;
  D3DFORMAT format;

  Rgba Read(int x) const {
    if constexpr (kWords) {
      std::uint32_t bits;
      std::memcpy(&bits, row + 4 * x, 4);
      return FromColor(format == D3DFMT_A8R8G8B8 ? bits : (bits | 0xFF000000u));
    } else {
      const UINT size = BytesPerPixel(format);
      std::uint32_t bits = 0;
      for (UINT i = 0; i < size; ++i) bits |= static_cast<std::uint32_t>(row[size * x + i]) << (8 * i);
      return FromColor(TexelToColor(format, bits));
    }
  }
  void Write(int x, const Rgba& color) const {
    if constexpr (kWords) {
      std::uint32_t bits = ToColor(color);
      if (format != D3DFMT_A8R8G8B8) bits &= 0x00FFFFFFu;
      std::memcpy(row + 4 * x, &bits, 4);
    } else {
      const UINT size = BytesPerPixel(format);
      const std::uint32_t bits = PackColor(format, ToColor(color));
      for (UINT i = 0; i < size; ++i) row[size * x + i] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
  }
};

// Stage and blend set-ups common enough to get their own loops. Each computes exactly what the
// general CombineStage / Blend compute for that set-up, with the choices made once per triangle.
enum StageKind { kStageGeneral, kStageModulateTextureAlpha, kStageModulateBoth, kStageDiffuse };
enum BlendKind { kBlendGeneral, kBlendNone, kBlendAlpha, kBlendAdditive };

StageKind ClassifyStage(const PixelSetup& setup) {
  const StageSetup& st = setup.stage;
  const bool diffuseArg2 = st.colorArg2 == D3DTA_CURRENT || st.colorArg2 == D3DTA_DIFFUSE;
  const bool alphaDiffuseArg2 = st.alphaArg2 == D3DTA_CURRENT || st.alphaArg2 == D3DTA_DIFFUSE;
  if (setup.specular) return kStageGeneral;
  if (st.colorOp == D3DTOP_DISABLE && !setup.alphaTest) return kStageDiffuse;
  if (!setup.texels || st.colorOp != D3DTOP_MODULATE || st.colorArg1 != D3DTA_TEXTURE ||
      !diffuseArg2 || st.alphaArg1 != D3DTA_TEXTURE) {
    return kStageGeneral;
  }
  if (st.alphaOp == D3DTOP_SELECTARG1) return kStageModulateTextureAlpha;
  if (st.alphaOp == D3DTOP_MODULATE && alphaDiffuseArg2) return kStageModulateBoth;
  return kStageGeneral;
}

BlendKind ClassifyBlend(const PixelSetup& setup) {
  if (!setup.blend) return kBlendNone;
  if (setup.srcBlend == D3DBLEND_SRCALPHA && setup.destBlend == D3DBLEND_INVSRCALPHA) {
    return kBlendAlpha;
  }
  if (setup.srcBlend == D3DBLEND_SRCALPHA && setup.destBlend == D3DBLEND_ONE) return kBlendAdditive;
  return kBlendGeneral;
}

template <int kStage>
[[gnu::always_inline]] inline Rgba ShadeStage(const PixelSetup& setup, const Rgba& diffuse, float u, float v) {
  if constexpr (kStage == kStageDiffuse) {
    return diffuse;
  } else if constexpr (kStage == kStageGeneral) {
    const Rgba texel = setup.texels ? Sample(setup, u, v) : Rgba{};
    return CombineStage(setup.stage, diffuse, texel);
  } else {
    const Rgba texel = Sample(setup, u, v);
    const int alpha = kStage == kStageModulateBoth ? Mul8(texel.a, diffuse.a) : texel.a;
    return {Mul8(texel.r, diffuse.r), Mul8(texel.g, diffuse.g), Mul8(texel.b, diffuse.b), alpha};
  }
}

template <int kBlend, bool kWords>
[[gnu::always_inline]] inline Rgba BlendWith(const PixelSetup& setup, const TargetRow<kWords>& target, int x, const Rgba& src) {
  if constexpr (kBlend == kBlendNone) {
    return src;
  } else if constexpr (kBlend == kBlendGeneral) {
    return Blend(setup.srcBlend, setup.destBlend, src, target.Read(x));
  } else {
    const Rgba dst = target.Read(x);
    const int sf = src.a, df = kBlend == kBlendAlpha ? 255 - src.a : 255;
    return {BlendChannel(src.r, sf, dst.r, df), BlendChannel(src.g, sf, dst.g, df),
            BlendChannel(src.b, sf, dst.b, df), BlendChannel(src.a, sf, dst.a, df)};
  }
}

// Depth already passed; shades, alpha-tests, blends and writes one pixel.
// The specular colour is added after the stage, saturating, in the general stage only (a draw with
// D3DRS_SPECULARENABLE on always takes it).
template <bool kWords, int kStage, int kBlend>
[[gnu::always_inline]] inline void ShadePixel(const PixelSetup& setup, const TargetRow<kWords>& target, std::uint16_t* depthRow,
                       int x, std::uint16_t depth, const Rgba& diffuse, const Rgba& specular,
                       float u, float v) {
  Rgba color = ShadeStage<kStage>(setup, diffuse, u, v);
  if constexpr (kStage == kStageGeneral) {
    if (setup.specular) {
      color.r = std::min(255, color.r + specular.r);
      color.g = std::min(255, color.g + specular.g);
      color.b = std::min(255, color.b + specular.b);
    }
  }
  if (setup.alphaTest &&
      !Compare(setup.alphaFunc, static_cast<unsigned>(color.a), setup.alphaRef)) {
    return;
  }
  target.Write(x, BlendWith<kBlend>(setup, target, x, color));
  if (setup.depthWrite) depthRow[x] = depth;
}

// ---- [SECTION] Triangle setup and traversal ---------------------------------------------------

// An attribute as a plane over the screen: value(x, y) = base + dx * (x - x0) + dy * (y - y0).
struct Plane {
  float base = 0, dx = 0, dy = 0;
  float At(float x, float y) const { return base + dx * x + dy * y; }
};

// E(x, y) = a * (x - xi) + b * (y - yi) - bias in sub-pixel units, kept as a * x + b * y + c: the
// same integers (|a|, |b|, |xi|, |yi| < 2^29, far from overflowing), in a smaller triangle record.
// bias is 0 on top and left edges, 1 elsewhere: E >= 0 means inside.
struct Edge {
  std::int64_t a = 0, b = 0, c = 0;
  std::int64_t At(std::int64_t x, std::int64_t y) const { return a * x + b * y + c; }
};

Edge MakeEdge(std::int64_t xi, std::int64_t yi, std::int64_t xj, std::int64_t yj) {
  Edge edge;
  edge.a = yi - yj;
  edge.b = xj - xi;
  // With the triangle wound so that the interior has E > 0, a left edge runs upwards (dy < 0) and
  // a top edge runs rightwards along a row (dy == 0, dx > 0).
  const std::int64_t dy = yj - yi, dx = xj - xi;
  const bool topLeft = dy < 0 || (dy == 0 && dx > 0);
  const std::int64_t bias = topLeft ? 0 : 1;
  edge.c = -edge.a * xi - edge.b * yi - bias;
  return edge;
}


// The planes of four attributes (q[vertex][attribute]) over the triangle (x, y), four lanes at once
// with SSE2, each lane the same float operations as the scalar form.
[[gnu::always_inline]] inline void MakePlanes4(const float (&x)[3], const float (&y)[3], const float (&q)[3][4],
                                               Plane (&out)[4]) {
#if defined(__SSE2__)
  const float e1x = x[1] - x[0], e1y = y[1] - y[0];
  const float e2x = x[2] - x[0], e2y = y[2] - y[0];
  const __m128 area = _mm_set1_ps(e1x * e2y - e2x * e1y);
  const __m128 q0 = _mm_loadu_ps(q[0]), q1 = _mm_loadu_ps(q[1]), q2 = _mm_loadu_ps(q[2]);
  const __m128 d1 = _mm_sub_ps(q1, q0), d2 = _mm_sub_ps(q2, q0);
  const __m128 dx = _mm_div_ps(
      _mm_sub_ps(_mm_mul_ps(d1, _mm_set1_ps(e2y)), _mm_mul_ps(d2, _mm_set1_ps(e1y))), area);
  const __m128 dy = _mm_div_ps(
      _mm_sub_ps(_mm_mul_ps(d2, _mm_set1_ps(e1x)), _mm_mul_ps(d1, _mm_set1_ps(e2x))), area);
  const __m128 base = _mm_sub_ps(_mm_sub_ps(q0, _mm_mul_ps(dx, _mm_set1_ps(x[0]))),
                                 _mm_mul_ps(dy, _mm_set1_ps(y[0])));
  float bases[4], dxs[4], dys[4];
  _mm_storeu_ps(bases, base);
  _mm_storeu_ps(dxs, dx);
  _mm_storeu_ps(dys, dy);
  for (int k = 0; k < 4; ++k) out[k] = {bases[k], dxs[k], dys[k]};
#else
  const float e1x = x[1] - x[0], e1y = y[1] - y[0];
  const float e2x = x[2] - x[0], e2y = y[2] - y[0];
  const float area = e1x * e2y - e2x * e1y;
  for (int k = 0; k < 4; ++k) {
    const float d1 = q[1][k] - q[0][k], d2 = q[2][k] - q[0][k];
    out[k].dx = (d1 * e2y - d2 * e1y) / area;
    out[k].dy = (d2 * e1x - d1 * e2x) / area;
    out[k].base = q[0][k] - out[k].dx * x[0] - out[k].dy * y[0];
  }
#endif
}

// Four 8-bit channels spread into 16-bit lanes of a 64-bit word, and back.
inline std::uint64_t Spread(std::uint32_t c) {
  return (c & 0x00FF00FFu) | (static_cast<std::uint64_t>(c & 0xFF00FF00u) << 24);
}
inline std::uint32_t Gather(std::uint64_t lanes) {
  return static_cast<std::uint32_t>((lanes & 0x00FF00FFu) | ((lanes >> 24) & 0xFF00FF00u));
}

// SRCALPHA / INVSRCALPHA on all four channels at once. Each lane holds s * a + d * (255 - a),
// at most 255 * 255, where ((t + 128) + ((t + 128) >> 8)) >> 8 equals round(t / 255) exactly:
// the same result as BlendChannel.
inline std::uint32_t BlendAlphaPacked(std::uint32_t src, std::uint32_t dst) {
  const std::uint32_t a = src >> 24;
  std::uint64_t t = Spread(src) * a + Spread(dst) * (255u - a) + 0x0080008000800080ull;
  t = ((t + ((t >> 8) & 0x00FF00FF00FF00FFull)) >> 8) & 0x00FF00FF00FF00FFull;
  return Gather(t);
}

// The triangle after set-up: pixel bounds, edges and attribute planes.
struct Spans {
  int minX, maxX, minY, maxY;
  Edge edges[3];
  bool perspective;  // colour and texture coordinates divide by interpolated rhw
  bool flatColor;    // all three colours equal: `constant` is used
  Rgba constant;
  Plane z, w, r, g, b, a, u, v;
  Plane sr, sg, sb;  // specular, with D3DRS_SPECULARENABLE
};

// BlendAlphaPacked of four source colours onto four pixels of a 32-bit row, in place; with SSE2
// all sixteen channels at once in 16-bit lanes, where s * a + d * (255 - a) + 128 and the rounding
// step stay below 65536. The sources arrive in registers (building them in memory and loading
// them as one vector would stall on store forwarding).
#if defined(__SSE2__)
inline void BlendAlphaFour(__m128i s, std::uint8_t* pixels, bool keepAlpha) {
  const __m128i zero = _mm_setzero_si128();
  __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels));
  const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  if (!keepAlpha) d = _mm_or_si128(d, opaque);
  const __m128i full = _mm_set1_epi16(255), half = _mm_set1_epi16(128);
  const auto blendPair = [&](__m128i s16, __m128i d16) {
    // Alpha of each pixel into all four of its lanes (lane 3 holds A in B, G, R, A order).
    __m128i a = _mm_shufflelo_epi16(s16, _MM_SHUFFLE(3, 3, 3, 3));
    a = _mm_shufflehi_epi16(a, _MM_SHUFFLE(3, 3, 3, 3));
    __m128i t = _mm_add_epi16(_mm_mullo_epi16(s16, a),
                              _mm_mullo_epi16(d16, _mm_sub_epi16(full, a)));
    t = _mm_add_epi16(t, half);
    return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
  };
  const __m128i low = blendPair(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero));
  const __m128i high = blendPair(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero));
  __m128i out = _mm_packus_epi16(low, high);
  if (!keepAlpha) out = _mm_andnot_si128(opaque, out);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels), out);
}
#endif

inline void BlendAlphaFour(std::uint32_t s0, std::uint32_t s1, std::uint32_t s2, std::uint32_t s3,
                           std::uint8_t* pixels, bool keepAlpha) {
#if defined(__SSE2__)
  BlendAlphaFour(_mm_setr_epi32(static_cast<int>(s0), static_cast<int>(s1), static_cast<int>(s2),
                                static_cast<int>(s3)),
                 pixels, keepAlpha);
#else
  const std::uint32_t src[4] = {s0, s1, s2, s3};
  for (int i = 0; i < 4; ++i) {
    std::uint32_t dst;
    std::memcpy(&dst, pixels + 4 * i, 4);
    std::uint32_t out = BlendAlphaPacked(src[i], keepAlpha ? dst : dst | 0xFF000000u);
    if (!keepAlpha) out &= 0x00FFFFFFu;
    std::memcpy(pixels + 4 * i, &out, 4);
  }
#endif
}

// SRCALPHA / ONE: d + round(s * a / 255) per channel, saturated (the destination term d * 255 / 255
// is exact, so BlendChannel reduces to this).
inline std::uint32_t BlendAddPacked(std::uint32_t src, std::uint32_t dst) {
  const std::uint32_t a = src >> 24;
  std::uint64_t t = Spread(src) * a + 0x0080008000800080ull;
  t = ((t + ((t >> 8) & 0x00FF00FF00FF00FFull)) >> 8) & 0x00FF00FF00FF00FFull;
  t += Spread(dst);
  // A lane above 255 saturates.
  const std::uint64_t over = (t >> 8) & 0x0001000100010001ull;
  t |= over * 0xFF;
  return Gather(t & 0x00FF00FF00FF00FFull);
}

// BlendAddPacked of four source colours onto four pixels of a 32-bit row, in place.
#if defined(__SSE2__)
inline void BlendAddFour(__m128i s, std::uint8_t* pixels, bool keepAlpha) {
  const __m128i zero = _mm_setzero_si128();
  __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels));
  if (!keepAlpha) d = _mm_or_si128(d, _mm_set1_epi32(static_cast<int>(0xFF000000u)));
  const __m128i ones = _mm_set1_epi32(-1);
  if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_or_si128(s, _mm_set1_epi32(0x00FFFFFF)), ones)) == 0xFFFF) {
    // Four opaque sources: s * 255 / 255 is s, a saturating add of bytes.
    __m128i out = _mm_adds_epu8(d, s);
    if (!keepAlpha) out = _mm_and_si128(out, _mm_set1_epi32(0x00FFFFFF));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels), out);
    return;
  }
  const __m128i half = _mm_set1_epi16(128);
  const auto scale = [&](__m128i s16) {  // round(s * a / 255) in each lane
    __m128i a = _mm_shufflelo_epi16(s16, _MM_SHUFFLE(3, 3, 3, 3));
    a = _mm_shufflehi_epi16(a, _MM_SHUFFLE(3, 3, 3, 3));
    const __m128i t = _mm_add_epi16(_mm_mullo_epi16(s16, a), half);
    return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
  };
  const __m128i scaled =
      _mm_packus_epi16(scale(_mm_unpacklo_epi8(s, zero)), scale(_mm_unpackhi_epi8(s, zero)));
  __m128i out = _mm_adds_epu8(d, scaled);
  if (!keepAlpha) out = _mm_and_si128(out, _mm_set1_epi32(0x00FFFFFF));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels), out);
}
#endif

inline void BlendAddFour(std::uint32_t s0, std::uint32_t s1, std::uint32_t s2, std::uint32_t s3,
                         std::uint8_t* pixels, bool keepAlpha) {
#if defined(__SSE2__)
  BlendAddFour(_mm_setr_epi32(static_cast<int>(s0), static_cast<int>(s1), static_cast<int>(s2),
                              static_cast<int>(s3)),
               pixels, keepAlpha);
#else
  const std::uint32_t src[4] = {s0, s1, s2, s3};
  for (int i = 0; i < 4; ++i) {
    std::uint32_t dst;
    std::memcpy(&dst, pixels + 4 * i, 4);
    std::uint32_t out = BlendAddPacked(src[i], keepAlpha ? dst : dst | 0xFF000000u);
    if (!keepAlpha) out &= 0x00FFFFFFu;
    std::memcpy(pixels + 4 * i, &out, 4);
  }
#endif
}

#if defined(__SSE2__)
// TexelIndex for four coordinates base + step * x: the same float operations in the same order,
// so the same texels. Wrapping needs a power-of-two size (a mask); clamping takes any size.
inline __m128i TexelIndexFour(__m128 base, __m128 step, __m128 fx, __m128 size, int sizeInt,
                              bool clamp) {
  const __m128 scaled = _mm_mul_ps(_mm_add_ps(base, _mm_mul_ps(step, fx)), size);
  const __m128i truncated = _mm_cvttps_epi32(scaled);
  // floor: one less where truncation went up (negative non-integers)
  const __m128i down = _mm_castps_si128(_mm_cmpgt_ps(_mm_cvtepi32_ps(truncated), scaled));
  __m128i index = _mm_add_epi32(truncated, down);
  // NaN or far outside: texel 0, as the scalar rule
  const __m128 inRange = _mm_and_ps(_mm_cmpgt_ps(scaled, _mm_set1_ps(-2.0e9f)),
                                    _mm_cmplt_ps(scaled, _mm_set1_ps(2.0e9f)));
  index = _mm_and_si128(index, _mm_castps_si128(inRange));
  if (!clamp) return _mm_and_si128(index, _mm_set1_epi32(sizeInt - 1));
  const __m128i top = _mm_set1_epi32(sizeInt - 1);
  index = _mm_andnot_si128(_mm_cmplt_epi32(index, _mm_setzero_si128()), index);  // below 0: 0
  const __m128i above = _mm_cmpgt_epi32(index, top);
  return _mm_or_si128(_mm_and_si128(above, top), _mm_andnot_si128(above, index));
}
#endif

// One row of a textured white, flat, affine triangle blended onto a 32-bit target, SRCALPHA with
// INVSRCALPHA (screen quads) or with ONE (additive glows): colour is the texel (texel * 255 rounds
// back to the texel), alpha the texel's or texel * vertex alpha.
template <int kStage, int kBlend>
void PackedRow(const PixelSetup& setup, const Spans& t, std::uint8_t* row, int lo, int hi,
               float uRow, float vRow) {
  const int vertexAlpha = t.constant.a;
  const bool keepAlpha = setup.target->format == D3DFMT_A8R8G8B8;
  const auto blendFour = [&](std::uint32_t s0, std::uint32_t s1, std::uint32_t s2, std::uint32_t s3,
                             std::uint8_t* pixels) {
    if constexpr (kBlend == kBlendAdditive) {
      BlendAddFour(s0, s1, s2, s3, pixels, keepAlpha);
    } else {
      BlendAlphaFour(s0, s1, s2, s3, pixels, keepAlpha);
    }
  };
  const auto withAlpha = [vertexAlpha](std::uint32_t texel) {
    if constexpr (kStage == kStageModulateBoth) {
      texel = (texel & 0x00FFFFFFu) |
              static_cast<std::uint32_t>(Mul8(static_cast<int>(texel >> 24), vertexAlpha)) << 24;
    }
    return texel;
  };
  // Axis-aligned quads keep v along a row (vRow + 0 * x is vRow): one texel row serves the run.
  const bool rowOfTexels = t.v.dx == 0.0f;
  const std::uint32_t* texelRow =
      setup.texels + static_cast<std::size_t>(TexelIndex(vRow, setup.texHeight, setup.clampV)) *
                         setup.texWidth;
  std::uint32_t src[4], dst[4];
#if defined(__SSE2__)
  const auto pow2 = [](int size) { return (size & (size - 1)) == 0; };
  const bool vectorU = setup.clampU || pow2(setup.texWidth);
  // The row offset below multiplies in 16-bit halves.
  const bool vectorV = rowOfTexels || ((setup.clampV || pow2(setup.texHeight)) &&
                                       setup.texWidth < 32768 && setup.texHeight < 32768);
  const __m128 uBase = _mm_set1_ps(uRow), uStep = _mm_set1_ps(t.u.dx);
  const __m128 vBase = _mm_set1_ps(vRow), vStep = _mm_set1_ps(t.v.dx);
  const __m128 width = _mm_set1_ps(static_cast<float>(setup.texWidth));
  const __m128 height = _mm_set1_ps(static_cast<float>(setup.texHeight));
#endif
  for (int x = lo; x <= hi; x += 4) {
    const int count = std::min(4, hi - x + 1);
#if defined(__SSE2__)
    if (count == 4 && vectorU && vectorV) {
      const __m128 fx = _mm_cvtepi32_ps(_mm_setr_epi32(x, x + 1, x + 2, x + 3));
      __m128i index = TexelIndexFour(uBase, uStep, fx, width, setup.texWidth, setup.clampU);
      if (!rowOfTexels) {
        const __m128i ty = TexelIndexFour(vBase, vStep, fx, height, setup.texHeight, setup.clampV);
        // ty * width + tx
        index = _mm_add_epi32(index, _mm_madd_epi16(ty, _mm_set1_epi32(setup.texWidth)));
      }
      alignas(16) std::int32_t tx[4];
      _mm_store_si128(reinterpret_cast<__m128i*>(tx), index);
      const std::uint32_t* base = rowOfTexels ? texelRow : setup.texels;
      __m128i texels = _mm_setr_epi32(static_cast<int>(base[tx[0]]), static_cast<int>(base[tx[1]]),
                                      static_cast<int>(base[tx[2]]), static_cast<int>(base[tx[3]]));
      if constexpr (kStage == kStageModulateBoth) {
        // withAlpha in four lanes: Mul8(texel alpha, vertex alpha), (x + 1 + (x >> 8)) >> 8 being
        // x / 255 for x = a * b + 127 <= 65152.
        const __m128i product = _mm_mullo_epi16(_mm_srli_epi32(texels, 24), _mm_set1_epi32(vertexAlpha));
        const __m128i x127 = _mm_add_epi32(product, _mm_set1_epi32(127));
        const __m128i alpha = _mm_srli_epi32(
            _mm_add_epi32(_mm_add_epi32(x127, _mm_set1_epi32(1)), _mm_srli_epi32(x127, 8)), 8);
        texels = _mm_or_si128(_mm_and_si128(texels, _mm_set1_epi32(0x00FFFFFF)), _mm_slli_epi32(alpha, 24));
      }
      if constexpr (kBlend == kBlendAdditive) {
        BlendAddFour(texels, row + 4 * x, keepAlpha);
      } else {
        BlendAlphaFour(texels, row + 4 * x, keepAlpha);
      }
      continue;
    }
#endif
    for (int i = 0; i < count; ++i) {
      const float fx = static_cast<float>(x + i);
      const int tx = TexelIndex(uRow + t.u.dx * fx, setup.texWidth, setup.clampU);
      const std::uint32_t* texels =
          rowOfTexels ? texelRow
                      : setup.texels + static_cast<std::size_t>(TexelIndex(
                                           vRow + t.v.dx * fx, setup.texHeight, setup.clampV)) *
                                           setup.texWidth;
      src[i] = withAlpha(texels[tx]);
    }
    if (count == 4) {
      blendFour(src[0], src[1], src[2], src[3], row + 4 * x);
      continue;
    }
    std::memcpy(dst, row + 4 * x, 4 * static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
      const std::uint32_t d = keepAlpha ? dst[i] : dst[i] | 0xFF000000u;
      const std::uint32_t out = kBlend == kBlendAdditive ? BlendAddPacked(src[i], d)
                                                         : BlendAlphaPacked(src[i], d);
      dst[i] = keepAlpha ? out : out & 0x00FFFFFFu;
    }
    std::memcpy(row + 4 * x, dst, 4 * static_cast<std::size_t>(count));
  }
}

// Four colour channels along a row, value(x) = (base + dx * x) * w, each through ToChannel: the
// same float operations as one channel at a time, four lanes at once.
struct ColorRow {
#if defined(__SSE2__)
  ColorRow(float r, float g, float b, float a, float rdx, float gdx, float bdx, float adx)
      : base(_mm_setr_ps(r, g, b, a)), dx(_mm_setr_ps(rdx, gdx, bdx, adx)) {}
  Rgba At(float x, float w) const {
    Rgba out;
    static_assert(sizeof(Rgba) == 16);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&out), Channels(x, w));
    return out;
  }
  // ToColor(At(x, w)).
  D3DCOLOR ColorAt(float x, float w) const {
    const __m128i bgra = _mm_shuffle_epi32(Channels(x, w), _MM_SHUFFLE(3, 0, 1, 2));
    const __m128i words = _mm_packs_epi32(bgra, bgra);
    return static_cast<D3DCOLOR>(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
  }

 private:
  __m128 base, dx;
  __m128i Channels(float x, float w) const {
    const __m128 value = _mm_mul_ps(_mm_add_ps(base, _mm_mul_ps(dx, _mm_set1_ps(x))), _mm_set1_ps(w));
    const __m128 positive = _mm_cmpgt_ps(value, _mm_setzero_ps());  // false for NaN
    const __m128 top = _mm_cmpge_ps(value, _mm_set1_ps(255.0f));
    __m128i channel = _mm_cvttps_epi32(_mm_add_ps(value, _mm_set1_ps(0.5f)));
    channel = _mm_and_si128(channel, _mm_castps_si128(positive));
    return _mm_or_si128(_mm_and_si128(_mm_castps_si128(top), _mm_set1_epi32(255)),
                        _mm_andnot_si128(_mm_castps_si128(top), channel));
  }
#else
  float base[4], dx[4];
  ColorRow(float r, float g, float b, float a, float rdx, float gdx, float bdx, float adx)
      : base{r, g, b, a}, dx{rdx, gdx, bdx, adx} {}
  Rgba At(float x, float w) const {
    return {ToChannel((base[0] + dx[0] * x) * w), ToChannel((base[1] + dx[1] * x) * w),
            ToChannel((base[2] + dx[2] * x) * w), ToChannel((base[3] + dx[3] * x) * w)};
  }
  D3DCOLOR ColorAt(float x, float w) const { return ToColor(At(x, w)); }
#endif
};

#if defined(__SSE2__)
// ToDepth, ToChannel: the same comparisons, the same truncation, in four lanes.
inline __m128i ToDepthFour(__m128 z) {
  const __m128 positive = _mm_cmpgt_ps(z, _mm_setzero_ps());  // false for NaN
  const __m128 top = _mm_cmpge_ps(z, _mm_set1_ps(1.0f));
  __m128i depth = _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(z, _mm_set1_ps(65535.0f)), _mm_set1_ps(0.5f)));
  depth = _mm_and_si128(depth, _mm_castps_si128(positive));
  return _mm_or_si128(_mm_and_si128(_mm_castps_si128(top), _mm_set1_epi32(65535)),
                      _mm_andnot_si128(_mm_castps_si128(top), depth));
}

inline __m128i ToChannelFour(__m128 value) {
  const __m128 positive = _mm_cmpgt_ps(value, _mm_setzero_ps());
  const __m128 top = _mm_cmpge_ps(value, _mm_set1_ps(255.0f));
  __m128i channel = _mm_cvttps_epi32(_mm_add_ps(value, _mm_set1_ps(0.5f)));
  channel = _mm_and_si128(channel, _mm_castps_si128(positive));
  return _mm_or_si128(_mm_and_si128(_mm_castps_si128(top), _mm_set1_epi32(255)),
                      _mm_andnot_si128(_mm_castps_si128(top), channel));
}

// A triangle's values for diffuse-only, unblended rows on a 32-bit target (the lit, untextured
// meshes), in registers once per triangle; rows of such triangles shade four pixels at a time.
struct DiffuseFours {
  __m128 zdx, wdx, rdx, gdx, bdx, adx;
  __m128 wScale, wNear, wInvRange;
  __m128i constant;   // the flat colour as written
  __m128i colorMask;  // clears alpha on targets without it
  bool depth;         // depth test or write
  bool test;          // LESSEQUAL
  bool write;
  bool wBuffer;
  bool oneDivision;   // wScale is 1: wScale / d is 1 / d, one division serves depth and colour
  bool perspective;
  bool flat;
};

DiffuseFours MakeDiffuseFours(const PixelSetup& setup, const Spans& t, std::uint32_t constantBits,
                              bool keepAlpha) {
  DiffuseFours f;
  f.zdx = _mm_set1_ps(t.z.dx);
  f.wdx = _mm_set1_ps(t.w.dx);
  f.rdx = _mm_set1_ps(t.r.dx);
  f.gdx = _mm_set1_ps(t.g.dx);
  f.bdx = _mm_set1_ps(t.b.dx);
  f.adx = _mm_set1_ps(t.a.dx);
  f.wScale = _mm_set1_ps(setup.wScale);
  f.wNear = _mm_set1_ps(setup.wNear);
  f.wInvRange = _mm_set1_ps(setup.wInvRange);
  f.colorMask = _mm_set1_epi32(keepAlpha ? -1 : 0x00FFFFFF);
  f.constant = _mm_and_si128(_mm_set1_epi32(static_cast<int>(constantBits)), f.colorMask);
  f.depth = setup.depthTest || setup.depthWrite;
  f.test = setup.depthTest;
  f.write = setup.depthWrite;
  f.wBuffer = setup.wBuffer;
  f.oneDivision = setup.wScale == 1.0f;
  f.perspective = t.perspective;
  f.flat = t.flatColor;
  return f;
}

// A row's bases (value at x = 0), broadcast.
struct DiffuseRowBases {
  __m128 z, w, r, g, b, a;
};

// Pixels x .. x + 3 of a run ending at `hi`, at pixels[0..3] and depths[0..3]: each lane computes
// what the per-pixel loop computes for its pixel. Lanes past `hi` or failing the depth test keep
// the pixel and depth they had.
[[gnu::always_inline]] inline void DiffuseFour(const DiffuseFours& f, const DiffuseRowBases& row,
                                               std::uint8_t* pixels, std::uint16_t* depths, int x,
                                               int hi) {
  const __m128i xs = _mm_add_epi32(_mm_set1_epi32(x), _mm_setr_epi32(0, 1, 2, 3));
  const __m128 fx = _mm_cvtepi32_ps(xs);
  __m128i pass = _mm_cmplt_epi32(xs, _mm_set1_epi32(hi + 1));
  __m128 reciprocal = _mm_set1_ps(1.0f);  // 1 / (wRow + w.dx * x), once computed
  bool haveReciprocal = false;
  __m128i depth = _mm_setzero_si128(), oldDepth = _mm_setzero_si128();
  if (f.depth) {
    __m128 z;
    if (f.wBuffer) {
      const __m128 d = _mm_add_ps(row.w, _mm_mul_ps(f.wdx, fx));
      __m128 q;
      if (f.oneDivision) {
        reciprocal = _mm_div_ps(_mm_set1_ps(1.0f), d);
        haveReciprocal = true;
        q = reciprocal;
      } else {
        q = _mm_div_ps(f.wScale, d);
      }
      z = _mm_mul_ps(_mm_sub_ps(q, f.wNear), f.wInvRange);
    } else {
      z = _mm_add_ps(row.z, _mm_mul_ps(f.zdx, fx));
    }
    depth = ToDepthFour(z);
    oldDepth = _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(depths)),
                                  _mm_setzero_si128());
    if (f.test) pass = _mm_andnot_si128(_mm_cmpgt_epi32(depth, oldDepth), pass);
    if (_mm_movemask_epi8(pass) == 0) return;
  }
  __m128i color;
  if (f.flat) {
    color = f.constant;
  } else {
    if (f.perspective && !haveReciprocal) {
      reciprocal = _mm_div_ps(_mm_set1_ps(1.0f), _mm_add_ps(row.w, _mm_mul_ps(f.wdx, fx)));
    }
    const __m128 w = f.perspective ? reciprocal : _mm_set1_ps(1.0f);
    const auto channel = [&](__m128 base, __m128 dx) {
      return ToChannelFour(_mm_mul_ps(_mm_add_ps(base, _mm_mul_ps(dx, fx)), w));
    };
    color = _mm_or_si128(_mm_or_si128(_mm_slli_epi32(channel(row.a, f.adx), 24),
                                      _mm_slli_epi32(channel(row.r, f.rdx), 16)),
                         _mm_or_si128(_mm_slli_epi32(channel(row.g, f.gdx), 8), channel(row.b, f.bdx)));
    color = _mm_and_si128(color, f.colorMask);
  }
  __m128i* target = reinterpret_cast<__m128i*>(pixels);
  const __m128i old = _mm_loadu_si128(target);
  _mm_storeu_si128(target, _mm_or_si128(_mm_and_si128(pass, color), _mm_andnot_si128(pass, old)));
  if (f.write) {
    // Back to 16 bits: the low halves of the four lanes.
    __m128i merged = _mm_or_si128(_mm_and_si128(pass, depth), _mm_andnot_si128(pass, oldDepth));
    merged = _mm_shufflelo_epi16(merged, _MM_SHUFFLE(3, 3, 2, 0));
    merged = _mm_shufflehi_epi16(merged, _MM_SHUFFLE(3, 3, 2, 0));
    merged = _mm_shuffle_epi32(merged, _MM_SHUFFLE(3, 3, 2, 0));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(depths), merged);
  }
}

// The run lo .. hi of row y. Four pixels at a time may read and rewrite (unchanged) pixels past
// the run, below `limit`; the last pixels before it go through a copy.
void DiffuseRun(const DiffuseFours& f, const Spans& t, float fy, std::uint8_t* row,
                std::uint16_t* depthRow, int lo, int hi, int limit) {
  DiffuseRowBases bases;
  bases.z = _mm_set1_ps(t.z.base + t.z.dy * fy);
  bases.w = _mm_set1_ps(t.w.base + t.w.dy * fy);
  if (!f.flat) {
    bases.r = _mm_set1_ps(t.r.base + t.r.dy * fy);
    bases.g = _mm_set1_ps(t.g.base + t.g.dy * fy);
    bases.b = _mm_set1_ps(t.b.base + t.b.dy * fy);
    bases.a = _mm_set1_ps(t.a.base + t.a.dy * fy);
  } else {
    bases.r = bases.g = bases.b = bases.a = _mm_setzero_ps();
  }
  std::uint16_t noDepth[4] = {};
  int x = lo;
  for (; x <= hi && x + 3 < limit; x += 4) {
    DiffuseFour(f, bases, row + 4 * x, depthRow ? depthRow + x : noDepth, x, hi);
  }
  if (x > hi) return;
  const int count = hi - x + 1;  // 1 .. 3
  std::uint8_t pixels[16] = {};
  std::uint16_t depths[4] = {};
  std::memcpy(pixels, row + 4 * x, 4 * static_cast<std::size_t>(count));
  if (depthRow) std::memcpy(depths, depthRow + x, 2 * static_cast<std::size_t>(count));
  DiffuseFour(f, bases, pixels, depths, x, hi);
  std::memcpy(row + 4 * x, pixels, 4 * static_cast<std::size_t>(count));
  if (depthRow) std::memcpy(depthRow + x, depths, 2 * static_cast<std::size_t>(count));
}
#endif

// n / d for n >= 0, d > 0; in 32 bits when both fit, a much faster division than 64 bits.
inline std::int64_t Quotient(std::int64_t n, std::int64_t d) {
  if (((n | d) >> 32) == 0) return static_cast<std::uint32_t>(n) / static_cast<std::uint32_t>(d);
  return n / d;
}

// Walks the rows; in each row the pixels inside form one run, whose ends come from the edges.
// Rows firstRow, firstRow + rowStep, ... up to lastRow.
template <bool kWords, int kStage, int kBlend>
void DrawRows(const PixelSetup& shared, const Spans& t, int firstRow, int lastRow, int rowStep) {
  // A private copy: the pixel writes go through byte pointers, which could alias the shared set-up
  // and would make the compiler reload every field at every pixel.
  const PixelSetup setup = shared;
  constexpr std::int64_t kStep = 1 << kSubBits;
  const Edge* edges = t.edges;
  const std::int64_t s0 = edges[0].a * kStep, s1 = edges[1].a * kStep, s2 = edges[2].a * kStep;
  const bool needDepth = setup.depthTest || setup.depthWrite;
  // Screen quads: textured, white, one alpha, no depth, no perspective. Their rows take the
  // packed loop, which computes the same values as the general one.
  const bool packedRows = !needDepth && !setup.alphaTest && !t.perspective && t.flatColor &&
                          t.constant.r == 255 && t.constant.g == 255 && t.constant.b == 255;
  ColorSurface& surface = *setup.target;
  const bool keepAlpha = surface.format == D3DFMT_A8R8G8B8;
  const std::uint32_t constantBits = ToColor(t.constant);
#if defined(__SSE2__)
  // Diffuse-only, unblended rows with the usual depth test (or none) shade four pixels at a time.
  // They may read and rewrite (unchanged) pixels past the run up to fourLimit.
  [[maybe_unused]] bool fourAtOnce = false;
  [[maybe_unused]] DiffuseFours fours;
  [[maybe_unused]] const int fourLimit = static_cast<int>(
      std::min(surface.width, setup.depth ? setup.depth->width : surface.width));
  if constexpr (kWords && kStage == kStageDiffuse && kBlend == kBlendNone) {
    fourAtOnce = !setup.depthTest || setup.depthFunc == D3DCMP_LESSEQUAL;
    if (fourAtOnce) fours = MakeDiffuseFours(setup, t, constantBits, keepAlpha);
  }
#endif
  // Edge values at the row's first pixel centre, stepped exactly from row to row.
  const std::int64_t cx0 = static_cast<std::int64_t>(t.minX) * kStep;
  const std::int64_t cyFirst = static_cast<std::int64_t>(firstRow) * kStep;
  std::int64_t e0 = edges[0].At(cx0, cyFirst), e1 = edges[1].At(cx0, cyFirst),
               e2 = edges[2].At(cx0, cyFirst);
  const std::int64_t down0 = edges[0].b * kStep * rowStep, down1 = edges[1].b * kStep * rowStep,
                     down2 = edges[2].b * kStep * rowStep;
  for (int y = firstRow; y <= lastRow; y += rowStep, e0 += down0, e1 += down1, e2 += down2) {
    // The run of pixels inside all three edges, found exactly from the edge values.
    int lo = t.minX, hi = t.maxX;
    const auto clip = [&](std::int64_t e, std::int64_t step) {
      if (step > 0) {
        if (e < 0) lo = static_cast<int>(std::max<std::int64_t>(lo, t.minX + Quotient(-e + step - 1, step)));
      } else if (step < 0) {
        hi = e < 0 ? lo - 1 : static_cast<int>(std::min<std::int64_t>(hi, t.minX + Quotient(e, -step)));
      } else if (e < 0) {
        hi = lo - 1;
      }
    };
    clip(e0, s0);
    clip(e1, s1);
    clip(e2, s2);
    if (lo > hi) continue;
    const float fy = static_cast<float>(y);
#if defined(__SSE2__)
    if constexpr (kWords && kStage == kStageDiffuse && kBlend == kBlendNone) {
      if (fourAtOnce) {
        DiffuseRun(fours, t, fy, surface.bytes.data() + static_cast<std::size_t>(y) * surface.pitch,
                   fours.depth ? setup.depth->values.data() + static_cast<std::size_t>(y) * setup.depth->width
                               : nullptr,
                   lo, hi, fourLimit);
        continue;
      }
    }
#endif
    // Row bases: value(x) = base + dx * x for each plane.
    const float zRow = t.z.base + t.z.dy * fy, wRow = t.w.base + t.w.dy * fy;
    const float rRow = t.r.base + t.r.dy * fy, gRow = t.g.base + t.g.dy * fy;
    const float bRow = t.b.base + t.b.dy * fy, aRow = t.a.base + t.a.dy * fy;
    const float uRow = t.u.base + t.u.dy * fy, vRow = t.v.base + t.v.dy * fy;
    const TargetRow<kWords> target{surface.bytes.data() + static_cast<std::size_t>(y) * surface.pitch,
                                   surface.format};
    std::uint16_t* depthRow =
        setup.depth ? setup.depth->values.data() + static_cast<std::size_t>(y) * setup.depth->width
                    : nullptr;
    if constexpr (kWords && (kBlend == kBlendAlpha || kBlend == kBlendAdditive) &&
                  (kStage == kStageModulateTextureAlpha || kStage == kStageModulateBoth)) {
      if (packedRows) {
        // texel alpha * 255 rounds back to the texel alpha: an opaque vertex changes nothing.
        if (kStage == kStageModulateTextureAlpha || t.constant.a == 255) {
          PackedRow<kStageModulateTextureAlpha, kBlend>(setup, t, target.row, lo, hi, uRow, vRow);
        } else {
          PackedRow<kStageModulateBoth, kBlend>(setup, t, target.row, lo, hi, uRow, vRow);
        }
        continue;
      }
    }
    const ColorRow diffuseRow(rRow, gRow, bRow, aRow, t.r.dx, t.g.dx, t.b.dx, t.a.dx);
    const ColorRow specularRow(t.sr.base + t.sr.dy * fy, t.sg.base + t.sg.dy * fy,
                               t.sb.base + t.sb.dy * fy, 0.0f, t.sr.dx, t.sg.dx, t.sb.dx, 0.0f);
    // The pixels of the run; kLessEqual: the depth test is D3DCMP_LESSEQUAL, the usual one.
    const auto run = [&](auto lessEqual) {
      constexpr bool kLessEqual = decltype(lessEqual)::value;
      for (int x = lo; x <= hi; ++x) {
        const float fx = static_cast<float>(x);
        std::uint16_t depth = 0;
        if (needDepth) {
          depth = setup.wBuffer
                      ? ToDepth((setup.wScale / (wRow + t.w.dx * fx) - setup.wNear) * setup.wInvRange)
                      : ToDepth(zRow + t.z.dx * fx);
          if (setup.depthTest) {
            const bool pass = kLessEqual ? depth <= depthRow[x] : Compare(setup.depthFunc, depth, depthRow[x]);
            if (!pass) continue;
          }
        }
        const float w = t.perspective ? 1.0f / (wRow + t.w.dx * fx) : 1.0f;
        if constexpr (kWords && kStage == kStageDiffuse && kBlend == kBlendNone) {
          // The diffuse colour as it is written (the stage passes it, no alpha test, no blend).
          std::uint32_t bits = t.flatColor ? constantBits : diffuseRow.ColorAt(fx, w);
          if (!keepAlpha) bits &= 0x00FFFFFFu;
          std::memcpy(target.row + 4 * x, &bits, 4);
          if (setup.depthWrite) depthRow[x] = depth;
          continue;
        }
        const Rgba diffuse = t.flatColor ? t.constant : diffuseRow.At(fx, w);
        Rgba specular{};
        if constexpr (kStage == kStageGeneral) {
          if (setup.specular) specular = specularRow.At(fx, w);
        }
        ShadePixel<kWords, kStage, kBlend>(setup, target, depthRow, x, depth, diffuse, specular,
                                           (uRow + t.u.dx * fx) * w, (vRow + t.v.dx * fx) * w);
      }
    };
    if (setup.depthTest && setup.depthFunc == D3DCMP_LESSEQUAL) {
      run(std::true_type{});
    } else {
      run(std::false_type{});
    }
  }
}

// Triangles (or batches) of at least this many bounding-box pixels share their rows with the
// helper thread.
constexpr std::int64_t kSplitPixels = 16384;

using RowsFunction = void (*)(const PixelSetup&, const Spans&, int firstRow, int lastRow, int rowStep);

template <bool kWords, int kStage>
RowsFunction SelectBlend(const PixelSetup& setup) {
  switch (ClassifyBlend(setup)) {
    case kBlendNone: return DrawRows<kWords, kStage, kBlendNone>;
    case kBlendAlpha: return DrawRows<kWords, kStage, kBlendAlpha>;
    case kBlendAdditive: return DrawRows<kWords, kStage, kBlendAdditive>;
    default: return DrawRows<kWords, kStage, kBlendGeneral>;
  }
}

template <bool kWords>
RowsFunction SelectStage(const PixelSetup& setup) {
  switch (ClassifyStage(setup)) {
    case kStageModulateTextureAlpha: return SelectBlend<kWords, kStageModulateTextureAlpha>(setup);
    case kStageModulateBoth: return SelectBlend<kWords, kStageModulateBoth>(setup);
    case kStageDiffuse: return SelectBlend<kWords, kStageDiffuse>(setup);
    default: return SelectBlend<kWords, kStageGeneral>(setup);
  }
}

// The row loop for the draw's set-up.
RowsFunction SelectRows(const PixelSetup& setup) {
  return BytesPerPixel(setup.target->format) == 4 ? SelectStage<true>(setup)
                                                  : SelectStage<false>(setup);
}

std::int64_t BoundingPixels(const Spans& t) {
  return static_cast<std::int64_t>(t.maxX - t.minX + 1) * (t.maxY - t.minY + 1);
}

// One triangle now; a large one as two halves of rows, one on the helper thread.
void DrawSpans(const PixelSetup& setup, const Spans& t) {
  const RowsFunction rows = SelectRows(setup);
  if (!setup.helper || BoundingPixels(t) < kSplitPixels) {
    rows(setup, t, t.minY, t.maxY, 1);
    return;
  }
  struct Halves {
    RowsFunction rows;
    const PixelSetup* setup;
    const Spans* spans;
    int middle;  // last row of the first half
  } halves{rows, &setup, &t, t.minY + (t.maxY - t.minY) / 2};
  setup.helper->RunPair(
      [](void* context, int part) {
        const auto& h = *static_cast<const Halves*>(context);
        if (part == 0) {
          h.rows(*h.setup, *h.spans, h.spans->minY, h.middle, 1);
        } else {
          h.rows(*h.setup, *h.spans, h.middle + 1, h.spans->maxY, 1);
        }
      },
      &halves);
}

}  // namespace

namespace {

// std::llround for |value| < 2^31, inline: the truncation and the fraction value - truncation are
// exact in float (below 2^24 the truncation is representable; from 2^24 on every float is whole).
inline std::int64_t RoundHalfAway(float value) {
  std::int64_t whole = static_cast<std::int64_t>(value);
  const float fraction = value - static_cast<float>(whole);
  if (fraction >= 0.5f) ++whole;
  if (fraction <= -0.5f) --whole;
  return whole;
}

}  // namespace

struct TriangleBatch::Storage {
  std::vector<Spans> triangles;
  std::int64_t pixels = 0;  // bounding-box pixels of all
};

TriangleBatch::TriangleBatch() : storage_(std::make_unique<Storage>()) {}
TriangleBatch::~TriangleBatch() = default;

void DrawTriangle(const PixelSetup& setup, const ScreenVertex& v0, const ScreenVertex& v1,
                  const ScreenVertex& v2, TriangleBatch* batch) {
  const ScreenVertex* v[3] = {&v0, &v1, &v2};
  std::int64_t sx[3], sy[3];
  for (int i = 0; i < 3; ++i) {
    if (!(std::fabs(v[i]->x) < 1.0e6f && std::fabs(v[i]->y) < 1.0e6f)) return;
    sx[i] = RoundHalfAway(v[i]->x * kSubScale);
    sy[i] = RoundHalfAway(v[i]->y * kSubScale);
  }
  std::int64_t area = (sx[1] - sx[0]) * (sy[2] - sy[0]) - (sx[2] - sx[0]) * (sy[1] - sy[0]);
  if (area == 0) return;
  if (area < 0) {  // wind it so that the interior lies where the edge functions are positive
    std::swap(v[1], v[2]);
    std::swap(sx[1], sx[2]);
    std::swap(sy[1], sy[2]);
  }
  const Edge edges[3] = {MakeEdge(sx[1], sy[1], sx[2], sy[2]), MakeEdge(sx[2], sy[2], sx[0], sy[0]),
                         MakeEdge(sx[0], sy[0], sx[1], sy[1])};

  // Pixel centres inside the bounding box and the viewport.
  const auto ceilPixel = [](std::int64_t s) {
    return static_cast<int>((s + (1 << kSubBits) - 1) >> kSubBits);
  };
  const auto floorPixel = [](std::int64_t s) { return static_cast<int>(s >> kSubBits); };
  const int minX = std::max(setup.left, ceilPixel(std::min({sx[0], sx[1], sx[2]})));
  const int maxX = std::min(setup.right - 1, floorPixel(std::max({sx[0], sx[1], sx[2]})));
  const int minY = std::max(setup.top, ceilPixel(std::min({sy[0], sy[1], sy[2]})));
  const int maxY = std::min(setup.bottom - 1, floorPixel(std::max({sy[0], sy[1], sy[2]})));
  if (minX > maxX || minY > maxY) return;

  // Attribute planes over the snapped positions.
  float px[3], py[3];
  for (int i = 0; i < 3; ++i) {
    px[i] = static_cast<float>(sx[i]) / kSubScale;
    py[i] = static_cast<float>(sy[i]) / kSubScale;
  }
  const bool perspective = !(v[0]->rhw == v[1]->rhw && v[1]->rhw == v[2]->rhw);
  const bool flatColor = v[0]->r == v[1]->r && v[1]->r == v[2]->r && v[0]->g == v[1]->g &&
                         v[1]->g == v[2]->g && v[0]->b == v[1]->b && v[1]->b == v[2]->b &&
                         v[0]->a == v[1]->a && v[1]->a == v[2]->a;
  const Rgba constant{ToChannel(v[0]->r), ToChannel(v[0]->g), ToChannel(v[0]->b), ToChannel(v[0]->a)};
  // Planes in groups of four, each group only when the pixel loops read it.
  const bool needDepth = setup.depthTest || setup.depthWrite;
  Plane zPlane, wPlane, rPlane, gPlane, bPlane, aPlane, uPlane, vPlane, srPlane, sgPlane, sbPlane;
  float q[3][4];
  Plane out[4];
  const auto scale = [&](int i) { return perspective ? v[i]->rhw : 1.0f; };
  if (needDepth || perspective || setup.texels) {
    for (int i = 0; i < 3; ++i) {
      q[i][0] = v[i]->z;
      q[i][1] = v[i]->rhw;
      q[i][2] = v[i]->u * scale(i);
      q[i][3] = v[i]->v * scale(i);
    }
    MakePlanes4(px, py, q, out);
    zPlane = out[0];
    wPlane = out[1];
    uPlane = out[2];
    vPlane = out[3];
  }
  if (!flatColor) {
    for (int i = 0; i < 3; ++i) {
      q[i][0] = v[i]->r * scale(i);
      q[i][1] = v[i]->g * scale(i);
      q[i][2] = v[i]->b * scale(i);
      q[i][3] = v[i]->a * scale(i);
    }
    MakePlanes4(px, py, q, out);
    rPlane = out[0];
    gPlane = out[1];
    bPlane = out[2];
    aPlane = out[3];
  }
  if (setup.specular) {
    for (int i = 0; i < 3; ++i) {
      q[i][0] = v[i]->sr * scale(i);
      q[i][1] = v[i]->sg * scale(i);
      q[i][2] = v[i]->sb * scale(i);
      q[i][3] = 0.0f;
    }
    MakePlanes4(px, py, q, out);
    srPlane = out[0];
    sgPlane = out[1];
    sbPlane = out[2];
  }

  const Spans spans{minX, maxX, minY, maxY, {edges[0], edges[1], edges[2]}, perspective, flatColor,
                    constant, zPlane, wPlane, rPlane, gPlane, bPlane, aPlane, uPlane, vPlane,
                    srPlane, sgPlane, sbPlane};
  if (batch) {
    batch->storage_->triangles.push_back(spans);
    batch->storage_->pixels += BoundingPixels(spans);
  } else {
    DrawSpans(setup, spans);
  }
}

void DrawBatch(const PixelSetup& setup, TriangleBatch& batch) {
  TriangleBatch::Storage& storage = *batch.storage_;
  if (storage.triangles.empty()) return;
  const RowsFunction rows = SelectRows(setup);
  if (!setup.helper || storage.pixels < kSplitPixels) {
    for (const Spans& t : storage.triangles) rows(setup, t, t.minY, t.maxY, 1);
  } else {
    // Even rows on the caller, odd rows on the helper: each pixel is drawn by one thread, and
    // there in the triangles' order.
    struct Shared {
      RowsFunction rows;
      const PixelSetup* setup;
      const std::vector<Spans>* triangles;
    } shared{rows, &setup, &storage.triangles};
    setup.helper->RunPair(
        [](void* context, int part) {
          const auto& c = *static_cast<const Shared*>(context);
          for (const Spans& t : *c.triangles) {
            const int first = t.minY + ((t.minY & 1) != part ? 1 : 0);
            c.rows(*c.setup, t, first, t.maxY, 2);
          }
        },
        &shared);
  }
  storage.triangles.clear();
  storage.pixels = 0;
}

// ---- [SECTION] Lines --------------------------------------------------------------------------

namespace {

// One pixel of a line, through the general pixel stage; t runs from a (0) to b (1).
void LinePixel(const PixelSetup& setup, const ScreenVertex& a, const ScreenVertex& b, int x, int y,
               float t) {
  if (x < setup.left || x >= setup.right || y < setup.top || y >= setup.bottom) return;
  const bool needDepth = setup.depthTest || setup.depthWrite;
  std::uint16_t* depthRow =
      setup.depth ? setup.depth->values.data() + static_cast<std::size_t>(y) * setup.depth->width
                  : nullptr;
  std::uint16_t depth = 0;
  if (needDepth) {
    depth = setup.wBuffer
                ? ToDepth((setup.wScale / (a.rhw + (b.rhw - a.rhw) * t) - setup.wNear) *
                          setup.wInvRange)
                : ToDepth(a.z + (b.z - a.z) * t);
    if (setup.depthTest && !Compare(setup.depthFunc, depth, depthRow[x])) return;
  }
  // Colour and texture coordinates perspective-correctly through rhw, as in triangles.
  const float ra = a.rhw * (1.0f - t), rb = b.rhw * t;
  const float w = 1.0f / (ra + rb);
  const auto mix = [&](float p, float q) { return (p * ra + q * rb) * w; };
  const Rgba diffuse{ToChannel(mix(a.r, b.r)), ToChannel(mix(a.g, b.g)), ToChannel(mix(a.b, b.b)),
                     ToChannel(mix(a.a, b.a))};
  const Rgba specular{ToChannel(mix(a.sr, b.sr)), ToChannel(mix(a.sg, b.sg)),
                      ToChannel(mix(a.sb, b.sb)), 0};
  ColorSurface& surface = *setup.target;
  const TargetRow<false> target{surface.bytes.data() + static_cast<std::size_t>(y) * surface.pitch,
                                surface.format};
  if (setup.blend) {
    ShadePixel<false, kStageGeneral, kBlendGeneral>(setup, target, depthRow, x, depth, diffuse,
                                                    specular, mix(a.u, b.u), mix(a.v, b.v));
  } else {
    ShadePixel<false, kStageGeneral, kBlendNone>(setup, target, depthRow, x, depth, diffuse,
                                                 specular, mix(a.u, b.u), mix(a.v, b.v));
  }
}

// Nearest integer, halves rounding up.
inline int RoundPixel(float value) { return static_cast<int>(std::floor(value + 0.5f)); }

}  // namespace

void DrawLine(const PixelSetup& setup, const ScreenVertex& a, const ScreenVertex& b,
              bool lastPixel) {
  for (const ScreenVertex* v : {&a, &b}) {
    if (!(std::fabs(v->x) < 1.0e6f && std::fabs(v->y) < 1.0e6f)) return;
  }
  const float dx = b.x - a.x, dy = b.y - a.y;
  const bool xMajor = std::fabs(dx) >= std::fabs(dy);
  const float start = xMajor ? a.x : a.y, end = xMajor ? b.x : b.y;
  const float minorStart = xMajor ? a.y : a.x, minorLength = xMajor ? dy : dx;
  const float length = end - start;
  const auto plot = [&](int major, float t) {
    const int minor = RoundPixel(minorStart + minorLength * t);
    if (xMajor) {
      LinePixel(setup, a, b, major, minor, t);
    } else {
      LinePixel(setup, a, b, minor, major, t);
    }
  };
  // Pixel centres along the major axis from the start up to, not including, the end.
  int lastMajor = 0;
  bool any = false;
  if (length > 0) {
    const int first = static_cast<int>(std::ceil(start)), last = static_cast<int>(std::ceil(end)) - 1;
    for (int c = first; c <= last; ++c) plot(c, (static_cast<float>(c) - start) / length);
    any = first <= last;
    lastMajor = last;
  } else if (length < 0) {
    const int first = static_cast<int>(std::floor(start)), last = static_cast<int>(std::floor(end)) + 1;
    for (int c = first; c >= last; --c) plot(c, (static_cast<float>(c) - start) / length);
    any = first >= last;
    lastMajor = last;
  }
  if (lastPixel) {
    const int endMajor = RoundPixel(end);
    if (!any || endMajor != lastMajor) plot(endMajor, 1.0f);
  }
}

}  // namespace d3d8::ref
