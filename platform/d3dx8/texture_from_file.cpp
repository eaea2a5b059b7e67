// D3DXCreateTextureFromFileInMemory with the D3DX 8 defaults: see texture_layout.h for the size,
// format and mip rules; pictures larger than the device's largest texture are refused (DeviceLimits).
#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "platform/d3dx8/d3dx8.h"
#include "platform/d3dx8/image_decode.h"
#include "platform/d3dx8/texture_layout.h"

namespace {

HRESULT FillLevel(IDirect3DTexture8* texture, UINT level, const d3dx::PixelImage& pixels) {
  D3DLOCKED_RECT locked{};
  HRESULT hr = texture->LockRect(level, &locked, nullptr, 0);
  if (FAILED(hr)) return hr;
  auto* base = static_cast<uint8_t*>(locked.pBits);
  for (unsigned y = 0; y < pixels.height; ++y) {
    std::memcpy(base + static_cast<size_t>(y) * locked.Pitch, &pixels.argb[static_cast<size_t>(y) * pixels.width],
                pixels.width * sizeof(uint32_t));
  }
  return texture->UnlockRect(level);
}

// The decoded pixels move into the first level: a picture whose sides are already powers of two is never copied.
HRESULT CreateFromImage(IDirect3DDevice8* device, d3dx::DecodedImage&& image, IDirect3DTexture8** ppTexture) {
  const d3dx::TextureLayout layout = d3dx::ChooseTextureLayout(image);
  IDirect3DTexture8* texture = nullptr;
  HRESULT hr = device->CreateTexture(layout.width, layout.height, layout.levels, 0, layout.format,
                                     D3DPOOL_MANAGED, &texture);
  if (FAILED(hr)) return hr;
  d3dx::PixelImage level{static_cast<unsigned>(image.width), static_cast<unsigned>(image.height),
                         std::move(image.argb)};
  if (level.width != layout.width || level.height != layout.height) {
    level = d3dx::ResizeImage(level, layout.width, layout.height);
  }
  for (UINT i = 0; i < layout.levels; ++i) {
    if (i > 0) level = d3dx::HalveImage(level);
    hr = FillLevel(texture, i, level);
    if (FAILED(hr)) {
      texture->Release();
      return hr;
    }
  }
  *ppTexture = texture;
  return D3D_OK;
}

// A picture wider or taller than the device's largest texture is refused from its header, where D3DX with default
// sizes would shrink it to fit: shrinking needs the whole picture decoded first, and a run-length file of a few KB
// in an archive can declare 16384 x 16384 pixels (1 GiB decoded, over 3 GB with the copies the shrinking makes).
// No picture the show ships comes near the limit, so refusing changes nothing on good data, and the peak of a load
// stays that of the largest texture the device takes.
d3dx::ImageLimits DeviceLimits(IDirect3DDevice8* device) {
  D3DCAPS8 caps{};
  if (FAILED(device->GetDeviceCaps(&caps))) return d3dx::ImageLimits{0, 0};
  const auto side = [](DWORD value) { return static_cast<int>(std::min<DWORD>(value, d3dx::kMaxImageSide)); };
  return d3dx::ImageLimits{side(caps.MaxTextureWidth), side(caps.MaxTextureHeight)};
}

}  // namespace

HRESULT D3DXCreateTextureFromFileInMemory(LPDIRECT3DDEVICE8 pDevice, LPCVOID pSrcData,
                                          UINT SrcDataSize, LPDIRECT3DTEXTURE8* ppTexture) {
  if (!pDevice || !pSrcData || SrcDataSize == 0 || !ppTexture) return D3DERR_INVALIDCALL;
  *ppTexture = nullptr;
  try {
    d3dx::DecodedImage image;
    HRESULT hr = d3dx::DecodeImage(pSrcData, SrcDataSize, &image, DeviceLimits(pDevice));
    if (FAILED(hr)) return hr;
    return CreateFromImage(pDevice, std::move(image), ppTexture);
  } catch (const std::bad_alloc&) {
    return D3D_E_OUTOFMEMORY;
  }
}
