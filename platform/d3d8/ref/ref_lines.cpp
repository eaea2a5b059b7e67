// Lines (wireframe and point fill): one pixel per pixel centre along the major axis, each through
// the one-pixel stage of the triangles; a draw's lines drawn together share their rows with the
// helper thread.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/d3d8/ref/ref_raster_shade.h"
#include "platform/d3d8/ref/ref_rasterizer.h"

namespace d3d8::ref {
namespace {

using namespace raster;

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

// The line's pixels in rows of parity `part` (0 even, 1 odd), or in every row with -1.
void DrawLineRows(const PixelSetup& setup, const ScreenVertex& a, const ScreenVertex& b, bool lastPixel, int part) {
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
    if (part >= 0 && ((xMajor ? minor : major) & 1) != part) return;
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

// Outlines of many lines share their rows with the helper thread from this many pixels on.
constexpr float kSplitLinePixels = 4096;

}  // namespace

void DrawLine(const PixelSetup& setup, const ScreenVertex& a, const ScreenVertex& b, bool lastPixel) {
  if (setup.helper) setup.helper->Finish();
  DrawLineRows(setup, a, b, lastPixel, -1);
}

void DrawLines(const PixelSetup& setup, const std::vector<Line>& lines) {
  float pixels = 0;  // about one per pixel centre along the major axis
  for (const Line& line : lines) {
    pixels += std::max(std::fabs(line.b.x - line.a.x), std::fabs(line.b.y - line.a.y)) + 1.0f;
  }
  if (!setup.helper || !(pixels >= kSplitLinePixels)) {
    if (setup.helper) setup.helper->Finish();
    for (const Line& line : lines) DrawLineRows(setup, line.a, line.b, line.lastPixel, -1);
    return;
  }
  // Even rows on the caller, odd rows on the helper: each pixel is drawn by one thread, and there
  // in the lines' order.
  setup.helper->RunPair([&](int part) {
    for (const Line& line : lines) DrawLineRows(setup, line.a, line.b, line.lastPixel, part);
  });
}

}  // namespace d3d8::ref
