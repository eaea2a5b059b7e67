#include "platform/d3dx8/texture_layout.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace d3dx {
namespace {

struct Tap {
  unsigned index;
  float weight;
};

// For every destination position, the source taps of a tent whose half-width is one source
// pixel when enlarging and one destination pixel (in source units) when shrinking; taps past
// an edge clamp to the edge pixel.
std::vector<std::vector<Tap>> TentTaps(unsigned sourceSize, unsigned destSize) {
  std::vector<std::vector<Tap>> taps(destSize);
  const double ratio = static_cast<double>(sourceSize) / destSize;
  const double radius = std::max(1.0, ratio);
  for (unsigned d = 0; d < destSize; ++d) {
    const double centre = (d + 0.5) * ratio - 0.5;
    const long first = static_cast<long>(std::ceil(centre - radius));
    const long last = static_cast<long>(std::floor(centre + radius));
    double total = 0;
    for (long s = first; s <= last; ++s) {
      const double w = 1.0 - std::abs(s - centre) / radius;
      if (w <= 0) continue;
      const long clamped = std::clamp<long>(s, 0, static_cast<long>(sourceSize) - 1);
      taps[d].push_back({static_cast<unsigned>(clamped), static_cast<float>(w)});
      total += w;
    }
    for (Tap& t : taps[d]) t.weight = static_cast<float>(t.weight / total);
  }
  return taps;
}

// One source row filtered to the destination width: 4 floats (A R G B) a pixel.
std::vector<float> FilterRowAcross(const PixelImage& source, unsigned y, const std::vector<std::vector<Tap>>& across) {
  std::vector<float> row(across.size() * 4);
  for (size_t x = 0; x < across.size(); ++x) {
    float sum[4] = {};
    for (const Tap& t : across[x]) {
      const uint32_t p = source.argb[static_cast<size_t>(y) * source.width + t.index];
      for (int c = 0; c < 4; ++c) sum[c] += t.weight * static_cast<float>((p >> (24 - 8 * c)) & 0xFF);
    }
    std::copy_n(sum, 4, &row[x * 4]);
  }
  return row;
}

uint32_t ToByte(float v) {
  return static_cast<uint32_t>(std::clamp(std::floor(v + 0.5f), 0.0f, 255.0f));
}

}  // namespace

unsigned RoundUpToPowerOfTwo(unsigned side) {
  unsigned p = 1;
  while (p < side && p < kMaxTextureSide) p <<= 1;
  return p;
}

TextureLayout ChooseTextureLayout(const DecodedImage& image) {
  TextureLayout layout;
  layout.width = RoundUpToPowerOfTwo(static_cast<unsigned>(image.width));
  layout.height = RoundUpToPowerOfTwo(static_cast<unsigned>(image.height));
  layout.levels = 1;
  for (unsigned side = std::max(layout.width, layout.height); side > 1; side >>= 1) ++layout.levels;
  layout.format = image.hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
  return layout;
}

PixelImage ResizeImage(const PixelImage& source, unsigned width, unsigned height) {
  if (source.width == width && source.height == height) return source;
  const auto across = TentTaps(source.width, width);
  const auto down = TentTaps(source.height, height);
  // Horizontal pass into floats (4 channels, A R G B), then the vertical pass. Each destination row's taps start
  // at or below the previous row's, so a source row is filtered across when first needed and dropped once no row
  // below needs it: a few rows of floats are held, not the whole picture at 16 bytes a pixel.
  std::map<unsigned, std::vector<float>> held;
  PixelImage out{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
  std::vector<const float*> tapRows;
  for (unsigned y = 0; y < height; ++y) {
    unsigned lowest = source.height;
    for (const Tap& t : down[y]) lowest = std::min(lowest, t.index);
    held.erase(held.begin(), held.lower_bound(lowest));
    tapRows.clear();
    for (const Tap& t : down[y]) {
      std::vector<float>& row = held[t.index];
      if (row.empty()) row = FilterRowAcross(source, t.index, across);
      tapRows.push_back(row.data());
    }
    for (unsigned x = 0; x < width; ++x) {
      float sum[4] = {};
      for (size_t k = 0; k < down[y].size(); ++k) {
        const float* p = tapRows[k] + static_cast<size_t>(x) * 4;
        for (int c = 0; c < 4; ++c) sum[c] += down[y][k].weight * p[c];
      }
      out.argb[static_cast<size_t>(y) * width + x] =
          (ToByte(sum[0]) << 24) | (ToByte(sum[1]) << 16) | (ToByte(sum[2]) << 8) | ToByte(sum[3]);
    }
  }
  return out;
}

PixelImage HalveImage(const PixelImage& source) {
  PixelImage out;
  out.width = std::max(1u, source.width / 2);
  out.height = std::max(1u, source.height / 2);
  out.argb.resize(static_cast<size_t>(out.width) * out.height);
  for (unsigned y = 0; y < out.height; ++y) {
    const unsigned y0 = std::min(2 * y, source.height - 1), y1 = std::min(2 * y + 1, source.height - 1);
    for (unsigned x = 0; x < out.width; ++x) {
      const unsigned x0 = std::min(2 * x, source.width - 1), x1 = std::min(2 * x + 1, source.width - 1);
      const uint32_t quad[4] = {source.argb[static_cast<size_t>(y0) * source.width + x0],
                                source.argb[static_cast<size_t>(y0) * source.width + x1],
                                source.argb[static_cast<size_t>(y1) * source.width + x0],
                                source.argb[static_cast<size_t>(y1) * source.width + x1]};
      uint32_t result = 0;
      for (unsigned shift = 0; shift < 32; shift += 8) {
        uint32_t sum = 2;
        for (uint32_t p : quad) sum += (p >> shift) & 0xFF;
        result |= (sum / 4) << shift;
      }
      out.argb[static_cast<size_t>(y) * out.width + x] = result;
    }
  }
  return out;
}

const char* FormatName(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8: return "A8R8G8B8";
    case D3DFMT_X8R8G8B8: return "X8R8G8B8";
    case D3DFMT_R8G8B8: return "R8G8B8";
    case D3DFMT_R5G6B5: return "R5G6B5";
    case D3DFMT_X1R5G5B5: return "X1R5G5B5";
    case D3DFMT_A1R5G5B5: return "A1R5G5B5";
    case D3DFMT_A4R4G4B4: return "A4R4G4B4";
    case D3DFMT_P8: return "P8";
    case D3DFMT_L8: return "L8";
    case D3DFMT_A8L8: return "A8L8";
    default: return "UNKNOWN";
  }
}

}  // namespace d3dx
