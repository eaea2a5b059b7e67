#include "platform/d3d8/texture.h"

#include <algorithm>

namespace d3d8 {
namespace {

// Widens an n-bit channel to 8 bits by repeating its top bits (5-bit 31 -> 255, 4-bit 8 -> 0x88).
std::uint32_t Widen(std::uint32_t value, int bits) {
  std::uint32_t result = value << (8 - bits);
  for (int filled = bits; filled < 8; filled += bits) result |= result >> filled;
  return result & 0xFFu;
}

}  // namespace

bool IsTextureFormat(D3DFORMAT format) { return TexelBytes(format) != 0; }

UINT TexelBytes(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
      return 4;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
      return 2;
    default:
      return 0;
  }
}

UINT FullChainLength(UINT width, UINT height) {
  UINT levels = 1;
  for (UINT size = std::max(width, height); size > 1; size /= 2) ++levels;
  return levels;
}

D3DCOLOR TexelToColor(D3DFORMAT format, std::uint32_t bits) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
      return bits;
    case D3DFMT_X8R8G8B8:
    case D3DFMT_R8G8B8:
      return 0xFF000000u | (bits & 0x00FFFFFFu);
    case D3DFMT_R5G6B5:
      return D3DCOLOR_ARGB(255, Widen((bits >> 11) & 31, 5), Widen((bits >> 5) & 63, 6),
                           Widen(bits & 31, 5));
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5: {
      const unsigned alpha = (format == D3DFMT_X1R5G5B5 || (bits & 0x8000u)) ? 255 : 0;
      return D3DCOLOR_ARGB(alpha, Widen((bits >> 10) & 31, 5), Widen((bits >> 5) & 31, 5),
                           Widen(bits & 31, 5));
    }
    case D3DFMT_A4R4G4B4:
      return D3DCOLOR_ARGB(Widen((bits >> 12) & 15, 4), Widen((bits >> 8) & 15, 4),
                           Widen((bits >> 4) & 15, 4), Widen(bits & 15, 4));
    default:
      return 0;
  }
}

Texture::Texture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : format_(format), usage_(usage), pool_(pool) {
  levels_.resize(levels);
  for (MipLevel& level : levels_) {
    level.width = width;
    level.height = height;
    level.pitch = width * TexelBytes(format);
    level.bytes.assign(static_cast<std::size_t>(level.pitch) * height, 0);
    width = std::max(1u, width / 2);
    height = std::max(1u, height / 2);
  }
}

DWORD Texture::GetLevelCount() { return static_cast<DWORD>(levels_.size()); }

HRESULT Texture::GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) {
  if (!pDesc || Level >= levels_.size()) return D3DERR_INVALIDCALL;
  const MipLevel& level = levels_[Level];
  pDesc->Format = format_;
  pDesc->Type = D3DRTYPE_SURFACE;
  pDesc->Usage = usage_;
  pDesc->Pool = pool_;
  pDesc->Size = static_cast<UINT>(level.bytes.size());
  pDesc->MultiSampleType = D3DMULTISAMPLE_NONE;
  pDesc->Width = level.width;
  pDesc->Height = level.height;
  return D3D_OK;
}

// A level is locked once at a time, as in Direct3D; the rectangle must lie inside the level.
HRESULT Texture::LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD) {
  if (!pLockedRect || Level >= levels_.size()) return D3DERR_INVALIDCALL;
  MipLevel& level = levels_[Level];
  if (level.locked) return D3DERR_INVALIDCALL;
  std::size_t offset = 0;
  if (pRect) {
    const LONG width = static_cast<LONG>(level.width), height = static_cast<LONG>(level.height);
    if (pRect->left < 0 || pRect->top < 0 || pRect->left >= pRect->right ||
        pRect->top >= pRect->bottom || pRect->right > width || pRect->bottom > height) {
      return D3DERR_INVALIDCALL;
    }
    offset = static_cast<std::size_t>(pRect->top) * level.pitch +
             static_cast<std::size_t>(pRect->left) * TexelBytes(format_);
  }
  level.locked = true;
  pLockedRect->Pitch = static_cast<INT>(level.pitch);
  pLockedRect->pBits = level.bytes.data() + offset;
  return D3D_OK;
}

HRESULT Texture::UnlockRect(UINT Level) {
  if (Level >= levels_.size() || !levels_[Level].locked) return D3DERR_INVALIDCALL;
  levels_[Level].locked = false;
  levels_[Level].texelsStale = true;
  return D3D_OK;
}

std::shared_ptr<const std::vector<std::uint32_t>> Texture::Texels(UINT index) const {
  const MipLevel& level = levels_[index];
  if (level.texelsStale) {
    const UINT size = TexelBytes(format_);
    // The pointers are copied and dropped only on the thread that calls this, so the count is exact.
    if (!level.texels || level.texels.use_count() > 1) level.texels = std::make_shared<std::vector<std::uint32_t>>();
    std::vector<std::uint32_t>& texels = *level.texels;
    texels.resize(static_cast<std::size_t>(level.width) * level.height);
    std::size_t i = 0;
    for (UINT y = 0; y < level.height; ++y) {
      const std::uint8_t* p = level.bytes.data() + static_cast<std::size_t>(y) * level.pitch;
      for (UINT x = 0; x < level.width; ++x, p += size) {
        const std::uint32_t bits = size == 4 ? (p[0] | p[1] << 8 | p[2] << 16 |
                                                static_cast<std::uint32_t>(p[3]) << 24)
                                             : (p[0] | p[1] << 8);
        texels[i++] = TexelToColor(format_, bits);
      }
    }
    level.texelsStale = false;
  }
  return level.texels;
}

}  // namespace d3d8
