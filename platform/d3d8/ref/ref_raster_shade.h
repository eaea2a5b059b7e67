// The rasterizer's per-pixel stage on one pixel at a time: texel fetch, conversion of
// interpolated values to channels and depths, target rows, the stage and blend set-ups that get
// their own loops, and shading one pixel. The row loops and the lines both draw through it; the
// lane paths compute exactly what it computes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/d3d8/ref/ref_raster_kinds.h"
#include "platform/d3d8/ref/ref_rasterizer.h"
#include "platform/d3d8/texture.h"

namespace d3d8::ref::raster {

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

// The set-up's kinds of stage and blend.

inline StageKind ClassifyStage(const PixelSetup& setup) {
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

inline BlendKind ClassifyBlend(const PixelSetup& setup) {
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
[[gnu::always_inline]] inline Rgba BlendWith(const PixelSetup& setup, const TargetRow<kWords>& target, int x,
                                             const Rgba& src) {
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
[[gnu::always_inline]] inline void ShadePixel(const PixelSetup& setup, const TargetRow<kWords>& target,
                                              std::uint16_t* depthRow, int x, std::uint16_t depth,
                                              const Rgba& diffuse, const Rgba& specular, float u, float v) {
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

}  // namespace d3d8::ref::raster
