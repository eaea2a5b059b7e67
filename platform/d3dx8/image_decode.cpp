// Picks the decoder by magic bytes, as D3DX does; TGA, which has none, comes last.
#include <cstring>

#include "platform/d3dx8/image_decode.h"

namespace d3dx {

bool LooksLikeDib(const uint8_t* data, size_t size);
bool LooksLikeTga(const uint8_t* data, size_t size);

ImageFileType DetectImageFileType(const uint8_t* data, size_t size) {
  static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') return ImageFileType::Bmp;
  if (size >= 2 && data[0] == 0xFF && data[1] == 0xD8) return ImageFileType::Jpeg;
  if (size >= 8 && std::memcmp(data, kPng, 8) == 0) return ImageFileType::Png;
  if (LooksLikeDib(data, size)) return ImageFileType::Bmp;
  if (LooksLikeTga(data, size)) return ImageFileType::Tga;
  return ImageFileType::Unknown;
}

HRESULT DecodeImage(const void* data, size_t size, DecodedImage* out, const ImageLimits& limits) {
  if (!data || size == 0 || !out) return D3DERR_INVALIDCALL;
  const auto* bytes = static_cast<const uint8_t*>(data);
  *out = DecodedImage{};
  switch (DetectImageFileType(bytes, size)) {
    case ImageFileType::Bmp: return DecodeBmp(bytes, size, out, limits);
    case ImageFileType::Jpeg: return DecodeJpeg(bytes, size, out, limits);
    case ImageFileType::Png: return DecodePng(bytes, size, out, limits);
    case ImageFileType::Tga: return DecodeTga(bytes, size, out, limits);
    case ImageFileType::Unknown: break;
  }
  return D3DXERR_INVALIDDATA;
}

}  // namespace d3dx
