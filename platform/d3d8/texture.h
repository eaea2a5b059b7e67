// Textures of both devices: every mip level as plain memory in its Direct3D format.
//
// Levels run from 0 (Width x Height) down, each half the size of the one before (at least 1 pixel).
// Every pool lives in system memory; usage and lock flags are accepted and change nothing. Formats:
// A8R8G8B8, X8R8G8B8, R5G6B5, X1R5G5B5, A1R5G5B5, A4R4G4B4, laid out little-endian as Direct3D
// lays them out (rows `Pitch` bytes apart, tightly packed). For drawing, a level is also kept as
// 0xAARRGGBB texels (formats without alpha read as opaque), rebuilt after the level was unlocked:
// in new memory when a draw still holds the old texels, so that a draw queued on another thread
// reads the texture as it was when the draw was made.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/d3d8/d3d8.h"
#include "platform/d3d8/reference_counted.h"

namespace d3d8 {

bool IsTextureFormat(D3DFORMAT format);
UINT TexelBytes(D3DFORMAT format);
// Number of levels of a full chain: down to 1 x 1.
UINT FullChainLength(UINT width, UINT height);
// A stored texel or pixel of any surface format widened to 0xAARRGGBB (no alpha: opaque).
D3DCOLOR TexelToColor(D3DFORMAT format, std::uint32_t bits);

class Texture final : public ReferenceCounted<IDirect3DTexture8> {
 public:
  // levels: 1 .. FullChainLength(width, height); the caller has checked format and sizes.
  Texture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool);

  DWORD GetLevelCount() override;
  HRESULT GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) override;
  HRESULT LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect,
                   DWORD Flags) override;
  HRESULT UnlockRect(UINT Level) override;

  // Texels of a level as 0xAARRGGBB, row-major, top row first (width x height of that level);
  // they stay as they are for as long as the pointer is held. Called from one thread.
  std::shared_ptr<const std::vector<std::uint32_t>> Texels(UINT level) const;
  UINT Width(UINT level) const { return levels_[level].width; }
  UINT Height(UINT level) const { return levels_[level].height; }
  D3DFORMAT Format() const { return format_; }

 private:
  struct MipLevel {
    UINT width = 0;   // pixels
    UINT height = 0;  // pixels
    UINT pitch = 0;   // bytes
    std::vector<std::uint8_t> bytes;
    bool locked = false;
    mutable bool texelsStale = true;
    mutable std::shared_ptr<std::vector<std::uint32_t>> texels;
  };

  ~Texture() override = default;

  D3DFORMAT format_;
  DWORD usage_;
  D3DPOOL pool_;
  std::vector<MipLevel> levels_;
};

}  // namespace d3d8
