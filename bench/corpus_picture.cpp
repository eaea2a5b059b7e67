// Uncompressed 24-bit pictures: a linear or radial gradient background, filled rectangles and
// circles (flat or shaded), and noise, either over the whole picture (like a photograph's grain)
// or in textured patches. BMP files are bottom-up BGR rows padded to 4 bytes behind the 54-byte
// file and info headers; TGA files are type 2 (uncompressed true colour) with an 18-byte header
// and bottom-up BGR rows.
#include <algorithm>
#include <cmath>

#include "bench/bench_random.h"
#include "bench/corpus.h"

namespace {

struct Rgb {
  double r = 0, g = 0, b = 0;
};

Rgb RandomColour(BenchRandom& rng) {
  return {rng.Unit() * 255, rng.Unit() * 255, rng.Unit() * 255};
}

Rgb Mix(const Rgb& a, const Rgb& b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height) {}

  Rgb& At(int x, int y) { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
  int Width() const { return width_; }
  int Height() const { return height_; }

  // Row y (0 = top) as B, G, R bytes.
  void StoreRowBgr(int y, std::vector<std::uint8_t>& out) {
    for (int x = 0; x < width_; ++x) {
      const Rgb& p = At(x, y);
      out.push_back(Quantize(p.b));
      out.push_back(Quantize(p.g));
      out.push_back(Quantize(p.r));
    }
  }

 private:
  static std::uint8_t Quantize(double v) {
    return static_cast<std::uint8_t>(std::clamp(static_cast<int>(std::floor(v + 0.5)), 0, 255));
  }
  int width_, height_;
  std::vector<Rgb> pixels_;
};

void PaintBackground(BenchRandom& rng, Canvas& c) {
  const Rgb a = RandomColour(rng), b = RandomColour(rng);
  const bool radial = rng.Chance(0.4);
  const double cx = rng.Unit() * c.Width(), cy = rng.Unit() * c.Height();
  const double dx = rng.Unit() - 0.5, dy = rng.Unit() - 0.5;
  const double span = std::sqrt(static_cast<double>(c.Width()) * c.Width() + static_cast<double>(c.Height()) * c.Height());
  for (int y = 0; y < c.Height(); ++y) {
    for (int x = 0; x < c.Width(); ++x) {
      double t;
      if (radial) {
        t = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy)) / span;
      } else {
        t = 0.5 + ((x - cx) * dx + (y - cy) * dy) / span;
      }
      c.At(x, y) = Mix(a, b, std::clamp(t, 0.0, 1.0));
    }
  }
}

void PaintShape(BenchRandom& rng, Canvas& c) {
  const int w = c.Width(), h = c.Height();
  const int x0 = rng.Range(0, w - 1), y0 = rng.Range(0, h - 1);
  const int sw = rng.Range(std::max(2, w / 20), std::max(3, w / 3));
  const int sh = rng.Range(std::max(2, h / 20), std::max(3, h / 3));
  const Rgb colour = RandomColour(rng), shade = RandomColour(rng);
  const bool circle = rng.Chance(0.5);
  const bool shaded = rng.Chance(0.4);
  for (int y = std::max(0, y0 - sh); y < std::min(h, y0 + sh); ++y) {
    for (int x = std::max(0, x0 - sw); x < std::min(w, x0 + sw); ++x) {
      const double u = static_cast<double>(x - x0) / sw, v = static_cast<double>(y - y0) / sh;
      if (circle && u * u + v * v > 1.0) continue;
      c.At(x, y) = shaded ? Mix(colour, shade, (v + 1) / 2) : colour;
    }
  }
}

// Adds uniform noise of +-amplitude to a rectangle.
void PaintNoise(BenchRandom& rng, Canvas& c, int x0, int y0, int x1, int y1, double amplitude) {
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      Rgb& p = c.At(x, y);
      const double n = (rng.Unit() - 0.5) * 2 * amplitude;
      p.r += n + (rng.Unit() - 0.5) * amplitude * 0.5;
      p.g += n;
      p.b += n + (rng.Unit() - 0.5) * amplitude * 0.5;
    }
  }
}

Canvas Paint(int width, int height, std::uint64_t seed) {
  BenchRandom rng(seed);
  Canvas c(width, height);
  PaintBackground(rng, c);
  for (int i = rng.Range(2, 14); i > 0; --i) PaintShape(rng, c);
  switch (rng.Below(3)) {
    case 0:  // grain over everything
      PaintNoise(rng, c, 0, 0, width, height, 2 + 10 * rng.Unit());
      break;
    case 1:  // textured patches
      for (int i = rng.Range(1, 5); i > 0; --i) {
        const int x0 = rng.Range(0, width - 1), y0 = rng.Range(0, height - 1);
        PaintNoise(rng, c, x0, y0, std::min(width, x0 + rng.Range(1, width / 2 + 1)),
                   std::min(height, y0 + rng.Range(1, height / 2 + 1)), 10 + 40 * rng.Unit());
      }
      break;
    default:  // clean synthetic picture
      break;
  }
  return c;
}

void PutLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// Width about 4/3 of the height, both multiples of 4, pixel data close to `bytes`.
void DimensionsFor(std::size_t bytes, std::size_t header, int& width, int& height) {
  const double pixels = static_cast<double>(bytes > header + 48 ? bytes - header : 48) / 3.0;
  width = std::max(4, static_cast<int>(std::sqrt(pixels * 4.0 / 3.0)) / 4 * 4);
  height = std::max(1, static_cast<int>(pixels / width));
}

}  // namespace

std::vector<std::uint8_t> GenerateBmpOfSize(int width, int height, std::uint64_t seed) {
  Canvas c = Paint(width, height, seed);
  const std::uint32_t stride = (static_cast<std::uint32_t>(width) * 3 + 3) / 4 * 4;
  const std::uint32_t imageBytes = stride * static_cast<std::uint32_t>(height);
  std::vector<std::uint8_t> out;
  out.reserve(54 + imageBytes);
  out.push_back('B');
  out.push_back('M');
  PutLe(out, 54 + imageBytes, 4);
  PutLe(out, 0, 4);
  PutLe(out, 54, 4);   // offset of the pixels
  PutLe(out, 40, 4);   // BITMAPINFOHEADER
  PutLe(out, static_cast<std::uint32_t>(width), 4);
  PutLe(out, static_cast<std::uint32_t>(height), 4);  // positive: bottom-up
  PutLe(out, 1, 2);
  PutLe(out, 24, 2);
  PutLe(out, 0, 4);  // BI_RGB
  PutLe(out, imageBytes, 4);
  PutLe(out, 2835, 4);  // 72 dpi in pixels per metre
  PutLe(out, 2835, 4);
  PutLe(out, 0, 4);
  PutLe(out, 0, 4);
  for (int y = height - 1; y >= 0; --y) {
    c.StoreRowBgr(y, out);
    out.resize(out.size() + (stride - static_cast<std::uint32_t>(width) * 3), 0);
  }
  return out;
}

std::vector<std::uint8_t> GenerateTgaOfSize(int width, int height, std::uint64_t seed) {
  Canvas c = Paint(width, height, seed);
  std::vector<std::uint8_t> out;
  out.reserve(18 + static_cast<std::size_t>(width) * height * 3);
  out.push_back(0);  // no image id
  out.push_back(0);  // no colour map
  out.push_back(2);  // uncompressed true colour
  out.resize(out.size() + 5, 0);  // colour map fields (none)
  PutLe(out, 0, 2);  // x origin
  PutLe(out, 0, 2);  // y origin
  PutLe(out, static_cast<std::uint32_t>(width), 2);
  PutLe(out, static_cast<std::uint32_t>(height), 2);
  out.push_back(24);
  out.push_back(0);  // bottom-left origin, no alpha bits
  for (int y = height - 1; y >= 0; --y) c.StoreRowBgr(y, out);
  return out;
}

std::vector<std::uint8_t> GenerateBmp(std::size_t bytes, std::uint64_t seed) {
  int width, height;
  DimensionsFor(bytes, 54, width, height);
  return GenerateBmpOfSize(width, height, seed);
}

std::vector<std::uint8_t> GenerateTga(std::size_t bytes, std::uint64_t seed) {
  int width, height;
  DimensionsFor(bytes, 18, width, height);
  return GenerateTgaOfSize(width, height, seed);
}
