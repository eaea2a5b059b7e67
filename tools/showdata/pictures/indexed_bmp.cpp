// Median-cut reduction to 256 colours and the 8-bit BMP writer (see indexed_bmp.h).
#include "tools/showdata/pictures/indexed_bmp.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

namespace pictures {
namespace {

constexpr size_t kMaxColours = 256;

using Rgb = std::array<int, 3>;

std::uint8_t Level(float v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)); }

std::uint32_t Pack(const Rgb& c) { return (c[0] << 16) | (c[1] << 8) | c[2]; }

// A box of distinct colours with their pixel counts.
struct Box {
  std::vector<std::pair<Rgb, int>> colours;
  int pixels = 0;
  int widestChannel = 0;
  int range = 0;

  void Measure() {
    pixels = 0;
    range = -1;
    for (auto& [colour, count] : colours) pixels += count;
    for (int ch = 0; ch < 3; ++ch) {
      int lo = 255, hi = 0;
      for (auto& [colour, count] : colours) lo = std::min(lo, colour[ch]), hi = std::max(hi, colour[ch]);
      if (hi - lo > range) range = hi - lo, widestChannel = ch;
    }
  }
  double Priority() const { return colours.size() < 2 ? -1 : static_cast<double>(range) * pixels; }

  Rgb Mean() const {
    double sum[3] = {0, 0, 0};
    for (auto& [colour, count] : colours) {
      for (int ch = 0; ch < 3; ++ch) sum[ch] += static_cast<double>(colour[ch]) * count;
    }
    return Rgb{static_cast<int>(std::lround(sum[0] / pixels)), static_cast<int>(std::lround(sum[1] / pixels)),
               static_cast<int>(std::lround(sum[2] / pixels))};
  }

  // Splits at the pixel median along the widest channel; this box keeps the lower half.
  Box Split() {
    const int ch = widestChannel;
    std::sort(colours.begin(), colours.end(), [ch](const auto& a, const auto& b) {
      return a.first[ch] != b.first[ch] ? a.first[ch] < b.first[ch] : a.first < b.first;
    });
    size_t cut = 1;
    for (int seen = 0; cut < colours.size(); ++cut) {
      seen += colours[cut - 1].second;
      if (seen * 2 >= pixels) break;
    }
    cut = std::clamp<size_t>(cut, 1, colours.size() - 1);
    Box upper;
    upper.colours.assign(colours.begin() + cut, colours.end());
    colours.resize(cut);
    Measure();
    upper.Measure();
    return upper;
  }
};

void PutLe16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void PutLe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  PutLe16(out, v & 0xFFFF);
  PutLe16(out, v >> 16);
}

}  // namespace

IndexedImage Quantise(const Canvas& canvas) {
  IndexedImage image;
  image.width = canvas.width();
  image.height = canvas.height();
  std::vector<Rgb> pixels;
  std::map<Rgb, int> counts;
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      const Pixel& p = canvas.at(x, y);  // premultiplied: over black it is the colour itself
      pixels.push_back(Rgb{Level(p.r), Level(p.g), Level(p.b)});
      ++counts[pixels.back()];
    }
  }
  std::vector<Rgb> palette;
  if (counts.size() <= kMaxColours) {
    for (const auto& [colour, count] : counts) palette.push_back(colour);
  } else {
    std::vector<Box> boxes(1);
    boxes[0].colours.assign(counts.begin(), counts.end());
    boxes[0].Measure();
    while (boxes.size() < kMaxColours) {
      auto widest = std::max_element(boxes.begin(), boxes.end(),
                                     [](const Box& a, const Box& b) { return a.Priority() < b.Priority(); });
      if (widest->Priority() < 0) break;
      Box upper = widest->Split();
      boxes.push_back(std::move(upper));
    }
    for (const Box& box : boxes) palette.push_back(box.Mean());
  }
  std::map<Rgb, std::uint8_t> nearest;
  for (const auto& [colour, count] : counts) {
    int best = 0, bestDistance = INT32_MAX;
    for (size_t i = 0; i < palette.size(); ++i) {
      int d = 0;
      for (int ch = 0; ch < 3; ++ch) d += (colour[ch] - palette[i][ch]) * (colour[ch] - palette[i][ch]);
      if (d < bestDistance) bestDistance = d, best = static_cast<int>(i);
    }
    nearest[colour] = static_cast<std::uint8_t>(best);
  }
  for (const Rgb& c : palette) image.palette.push_back(Pack(c));
  for (const Rgb& c : pixels) image.indices.push_back(nearest[c]);
  return image;
}

std::vector<std::uint8_t> EncodeBmp8(const IndexedImage& image) {
  const std::uint32_t w = image.width, h = image.height;
  const std::uint32_t stride = (w + 3) & ~3u;
  std::vector<std::uint8_t> out;
  AppendBmpHeaders(out, w, h, 8, static_cast<std::uint32_t>(image.palette.size()));
  for (std::uint32_t c : image.palette) {
    out.push_back(static_cast<std::uint8_t>(c));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
    out.push_back(static_cast<std::uint8_t>(c >> 16));
    out.push_back(0);
  }
  for (std::uint32_t y = h; y-- > 0;) {
    out.insert(out.end(), image.indices.begin() + y * w, image.indices.begin() + (y + 1) * w);
    out.resize(out.size() + (stride - w), 0);
  }
  return out;
}

void AppendBmpHeaders(std::vector<std::uint8_t>& out, std::uint32_t width, std::uint32_t height,
                      unsigned bitsPerPixel, std::uint32_t paletteColours) {
  const std::uint32_t stride = (width * bitsPerPixel / 8 + 3) & ~3u;
  const std::uint32_t bitsAt = 14 + 40 + 4 * paletteColours;
  out.push_back('B');
  out.push_back('M');
  PutLe32(out, bitsAt + stride * height);
  PutLe32(out, 0);
  PutLe32(out, bitsAt);
  PutLe32(out, 40);
  PutLe32(out, width);
  PutLe32(out, height);  // positive: rows bottom up
  PutLe16(out, 1);
  PutLe16(out, bitsPerPixel);
  PutLe32(out, 0);  // BI_RGB
  PutLe32(out, stride * height);
  PutLe32(out, 2835);  // 72 dpi
  PutLe32(out, 2835);
  PutLe32(out, paletteColours);
  PutLe32(out, 0);  // all colours important
}

}  // namespace pictures
