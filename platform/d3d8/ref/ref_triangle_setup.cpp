// Triangle set-up: vertices snapped to the sub-pixel grid, exact edge functions, attribute planes
// and pixel bounds; then the triangle drawn at once (a large one split with the helper thread) or
// kept in a batch, whose rows the caller and the helper share or which the helper draws alone
// while the caller goes on.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/d3d8/ref/ref_raster_shade.h"
#include "platform/d3d8/ref/ref_raster_triangle.h"
#include "platform/d3d8/ref/ref_rasterizer.h"

namespace d3d8::ref {
namespace {

using raster::Edge;
using raster::kSubBits;
using raster::kSubScale;
using raster::Plane;
using raster::RowsFunction;
using raster::SelectRows;
using raster::Spans;
using raster::ToChannel;

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

// Triangles (or batches) of at least this many bounding-box pixels share their rows with the
// helper thread.
constexpr std::int64_t kSplitPixels = 16384;

std::int64_t BoundingPixels(const Spans& t) {
  return static_cast<std::int64_t>(t.maxX - t.minX + 1) * (t.maxY - t.minY + 1);
}

// One triangle now; a large one as two halves of rows, one on the helper thread.
void DrawSpans(const PixelSetup& setup, const Spans& t) {
  const RowsFunction rows = SelectRows(setup);
  if (!setup.helper || BoundingPixels(t) < kSplitPixels) {
    if (setup.helper) setup.helper->Finish();
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

// std::llround for |value| < 2^31, inline: the truncation and the fraction value - truncation are
// exact in float (below 2^24 the truncation is representable; from 2^24 on every float is whole).
inline std::int64_t RoundHalfAway(float value) {
  std::int64_t whole = static_cast<std::int64_t>(value);
  const float fraction = value - static_cast<float>(whole);
  if (fraction >= 0.5f) ++whole;
  if (fraction <= -0.5f) --whole;
  return whole;
}

// Sets the triangle up into `result`; false when it has no pixel to draw.
bool SetUpTriangle(const PixelSetup& setup, const ScreenVertex& v0, const ScreenVertex& v1, const ScreenVertex& v2,
                   Spans& result);

}  // namespace

struct TriangleBatch::Storage {
  // A draw queued for the helper: its set-up (without the helper), and the end of its triangles,
  // which begin where the draw of the same kind before ends: set up, or, when `raw`, to be set up
  // by the helper.
  struct QueuedDraw {
    PixelSetup setup;
    RowsFunction rows;
    std::shared_ptr<const void> keepAlive;  // what the set-up points to
    std::size_t end;
    bool raw;
  };
  struct RawTriangle {
    ScreenVertex v[3];
  };

  std::vector<Spans> triangles;
  std::vector<RawTriangle> raw;
  // The draw being collected: its first triangles and its bounding-box pixels (estimated for raw
  // triangles).
  std::size_t drawStart = 0, rawStart = 0;
  std::int64_t pixels = 0;
  std::vector<QueuedDraw> draws;  // queued before it
  std::int64_t queuedPixels = 0;
  HelperThread* helper = nullptr;  // once posted: the helper drawing the queued draws
  std::uint64_t ticket = 0;

  // Waits for the helper to have drawn a posted batch and empties it.
  void Reclaim() {
    if (!helper) return;
    helper->WaitFor(ticket);
    helper = nullptr;
    draws.clear();
    triangles.clear();
    raw.clear();
    drawStart = rawStart = 0;
    pixels = queuedPixels = 0;
  }

  // Hands the queued draws to the helper.
  void Post(HelperThread& thread) {
    helper = &thread;
    ticket = thread.Post(
        [](void* context, int) {
          const auto& s = *static_cast<const Storage*>(context);
          std::size_t first = 0, firstRaw = 0;
          for (const QueuedDraw& draw : s.draws) {
            if (draw.raw) {
              for (std::size_t i = firstRaw; i < draw.end; ++i) {
                const ScreenVertex* v = s.raw[i].v;
                Spans t;
                if (SetUpTriangle(draw.setup, v[0], v[1], v[2], t)) draw.rows(draw.setup, t, t.minY, t.maxY, 1);
              }
              firstRaw = draw.end;
            } else {
              for (std::size_t i = first; i < draw.end; ++i) {
                const Spans& t = s.triangles[i];
                draw.rows(draw.setup, t, t.minY, t.maxY, 1);
              }
              first = draw.end;
            }
          }
        },
        this);
  }
};

TriangleBatch::TriangleBatch() : storage_(std::make_unique<Storage>()) {}
TriangleBatch::~TriangleBatch() { storage_->Reclaim(); }

namespace {

bool SetUpTriangle(const PixelSetup& setup, const ScreenVertex& v0, const ScreenVertex& v1, const ScreenVertex& v2,
                   Spans& result) {
  const ScreenVertex* v[3] = {&v0, &v1, &v2};
  std::int64_t sx[3], sy[3];
  for (int i = 0; i < 3; ++i) {
    if (!(std::fabs(v[i]->x) < 1.0e6f && std::fabs(v[i]->y) < 1.0e6f)) return false;
    sx[i] = RoundHalfAway(v[i]->x * kSubScale);
    sy[i] = RoundHalfAway(v[i]->y * kSubScale);
  }
  std::int64_t area = (sx[1] - sx[0]) * (sy[2] - sy[0]) - (sx[2] - sx[0]) * (sy[1] - sy[0]);
  if (area == 0) return false;
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
  if (minX > maxX || minY > maxY) return false;

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

  result = Spans{minX, maxX, minY, maxY, {edges[0], edges[1], edges[2]}, perspective, flatColor,
                 constant, zPlane, wPlane, rPlane, gPlane, bPlane, aPlane, uPlane, vPlane,
                 srPlane, sgPlane, sbPlane};
  return true;
}

}  // namespace

void DrawTriangle(const PixelSetup& setup, const ScreenVertex& v0, const ScreenVertex& v1,
                  const ScreenVertex& v2, TriangleBatch* batch) {
  if (batch) {
    TriangleBatch::Storage& storage = *batch->storage_;
    storage.Reclaim();
    Spans& spans = storage.triangles.emplace_back();
    if (SetUpTriangle(setup, v0, v1, v2, spans)) {
      storage.pixels += BoundingPixels(spans);
    } else {
      storage.triangles.pop_back();
    }
    return;
  }
  Spans spans;
  if (SetUpTriangle(setup, v0, v1, v2, spans)) DrawSpans(setup, spans);
}

void DrawBatch(const PixelSetup& setup, TriangleBatch& batch) {
  TriangleBatch::Storage& storage = *batch.storage_;
  if (!storage.draws.empty() && !storage.helper) storage.Post(*setup.helper);  // queued only with a helper
  const std::size_t first = storage.drawStart, end = storage.triangles.size();
  if (first < end) {
    const RowsFunction rows = SelectRows(setup);
    if (!setup.helper || storage.pixels < kSplitPixels) {
      if (setup.helper) setup.helper->Finish();
      for (std::size_t i = first; i < end; ++i) {
        const Spans& t = storage.triangles[i];
        rows(setup, t, t.minY, t.maxY, 1);
      }
    } else {
      // Even rows on the caller, odd rows on the helper: each pixel is drawn by one thread, and
      // there in the triangles' order.
      struct Shared {
        RowsFunction rows;
        const PixelSetup* setup;
        const Spans* first;
        const Spans* end;
      } shared{rows, &setup, storage.triangles.data() + first, storage.triangles.data() + end};
      setup.helper->RunPair(
          [](void* context, int part) {
            const auto& c = *static_cast<const Shared*>(context);
            for (const Spans* t = c.first; t != c.end; ++t) {
              const int firstRow = t->minY + ((t->minY & 1) != part ? 1 : 0);
              c.rows(*c.setup, *t, firstRow, t->maxY, 2);
            }
          },
          &shared);
    }
  }
  // Either way every posted job has finished.
  if (storage.helper) {
    storage.Reclaim();
  } else {
    storage.triangles.resize(first);
    storage.pixels = 0;
  }
}

DrawQueue::DrawQueue() = default;
DrawQueue::~DrawQueue() = default;

void DrawQueue::BeginDraw(HelperThread* helper) {
  // With the helper nearly idle, it sets the draw's triangles up as well.
  raw_ = helper && helper->Pending() <= 1;
}

void DrawQueue::Add(const PixelSetup& setup, const ScreenVertex& v0, const ScreenVertex& v1, const ScreenVertex& v2) {
  if (!raw_) {
    DrawTriangle(setup, v0, v1, v2, &Current());
    return;
  }
  TriangleBatch::Storage& storage = *Current().storage_;
  storage.Reclaim();
  storage.raw.push_back({{v0, v1, v2}});
  // Bounding-box pixels inside the viewport, about: enough to tell a large draw.
  const float left = std::max({std::min({v0.x, v1.x, v2.x}), static_cast<float>(setup.left), -1.0e6f});
  const float right = std::min({std::max({v0.x, v1.x, v2.x}), static_cast<float>(setup.right), 1.0e6f});
  const float top = std::max({std::min({v0.y, v1.y, v2.y}), static_cast<float>(setup.top), -1.0e6f});
  const float bottom = std::min({std::max({v0.y, v1.y, v2.y}), static_cast<float>(setup.bottom), 1.0e6f});
  if (left <= right && top <= bottom) {
    storage.pixels += static_cast<std::int64_t>(right - left + 1.0f) * static_cast<std::int64_t>(bottom - top + 1.0f);
  }
}

void DrawQueue::EndDraw(const PixelSetup& setup, std::shared_ptr<const void> keepAlive) {
  TriangleBatch::Storage& storage = *Current().storage_;
  if (!setup.helper || storage.pixels >= kSplitPixels) {
    if (raw_) {  // set up here, to be drawn at once
      const std::size_t first = storage.rawStart;
      raw_ = false;
      storage.pixels = 0;
      for (std::size_t i = first; i < storage.raw.size(); ++i) {
        const ScreenVertex* v = storage.raw[i].v;
        DrawTriangle(setup, v[0], v[1], v[2], &Current());
      }
      storage.raw.resize(first);
    }
    DrawBatch(setup, Current());
    return;
  }
  const std::size_t end = raw_ ? storage.raw.size() : storage.triangles.size();
  if (end == (raw_ ? storage.rawStart : storage.drawStart)) return;
  helper_ = setup.helper;
  PixelSetup queued = setup;
  queued.helper = nullptr;
  storage.draws.push_back({queued, SelectRows(setup), std::move(keepAlive), end, raw_});
  (raw_ ? storage.rawStart : storage.drawStart) = end;
  storage.queuedPixels += storage.pixels;
  storage.pixels = 0;
  if (storage.triangles.size() + storage.raw.size() >= kPostTriangles || storage.queuedPixels >= kPostPixels) Flush();
}

void DrawQueue::Flush() {
  TriangleBatch::Storage& storage = *Current().storage_;
  if (storage.draws.empty() || storage.helper) return;
  storage.Post(*helper_);
  next_ = (next_ + 1) % batches_.size();
}

}  // namespace d3d8::ref
