// The software device's triangle rasterizer.
//
// Screen space: x right, y down, in pixels; pixel centres lie at integer coordinates, so the
// top-left pixel covers [-0.5, 0.5) x [-0.5, 0.5). A pixel is drawn when its centre is inside the
// triangle; a centre exactly on an edge is drawn only for top edges (horizontal, interior below)
// and left edges (interior to the right), so triangles sharing an edge never both draw a pixel and
// never both miss one. Vertex positions are snapped to 1/256 pixel and the edge functions are
// evaluated exactly in 64-bit integers.
//
// Attributes: depth (z in [0, 1]) is interpolated linearly in screen space (w-buffering uses
// 1 / interpolated rhw instead); colour and texture coordinates perspective-correctly through
// rhw = 1/w (affinely when all three rhw are equal).
//
// Speed without changing a pixel: common stage and blend set-ups run in their own loops; on
// 32-bit targets those set-ups shade 8 pixels at once with AVX2 or 4 with SSE2 (ref_lane_rows.h),
// textured, blended, alpha- and depth-tested alike, and flat white textured triangles without
// depth (screen quads, additive glows) blend four pixels at once in a packed loop; the widest path
// the processor has is chosen at run time, and VORNHOLD_RASTER_PATH=scalar|sse2|avx2 forces one
// (ref_raster_path.h). Large triangles split their rows with one helper thread, and a draw's
// triangles, or its lines, can be drawn together with the caller and the helper sharing their rows
// (even and odd rows, so every pixel is drawn by one thread in the primitives' order); a draw of
// few pixels is handed whole to the helper, which draws such draws in order while the caller sets
// up the next ones. Each path computes exactly the values of the one-pixel loop; the tests
// compare them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/d3d8/d3d8.h"
#include "platform/d3d8/ref/ref_helper_thread.h"
#include "platform/d3d8/ref/ref_pixel.h"
#include "platform/d3d8/ref/ref_raster_path.h"
#include "platform/d3d8/ref/ref_surface.h"

namespace d3d8::ref {

// Plain data; all but the specular colour is left uninitialised by default: the pipeline keeps
// arrays of these as scratch space and sets every field it uses.
struct ScreenVertex {
  float x, y;  // pixels
  float z;     // depth, 0 near .. 1 far
  float rhw;   // 1/w
  float r, g, b, a;  // diffuse, 0..255
  float u, v;  // stage-0 texture coordinates
  float sr = 0, sg = 0, sb = 0;  // specular, 0..255; read only with PixelSetup::specular
};

// Everything the pixel stage needs, resolved once per draw.
struct PixelSetup {
  ColorSurface* target = nullptr;
  DepthSurface* depth = nullptr;  // null: no depth test and no depth write
  bool depthTest = false;
  bool depthWrite = false;
  DWORD depthFunc = D3DCMP_LESSEQUAL;
  // W-buffering: the depth value is (w * wScale - wNear) * wInvRange with w = 1 / rhw,
  // interpolated perspective-correctly, instead of z.
  bool wBuffer = false;
  float wScale = 1, wNear = 0, wInvRange = 1;
  bool alphaTest = false;
  DWORD alphaFunc = D3DCMP_ALWAYS;
  unsigned alphaRef = 0;
  bool blend = false;
  DWORD srcBlend = D3DBLEND_ONE;
  DWORD destBlend = D3DBLEND_ZERO;
  StageSetup stage;
  // D3DRS_SPECULARENABLE: the interpolated specular colour is added after the texture stage,
  // saturating, before the alpha test and blending.
  bool specular = false;
  const std::uint32_t* texels = nullptr;  // null: no texture at stage 0
  int texWidth = 0;                       // texels
  int texHeight = 0;
  bool clampU = false;  // D3DTADDRESS_CLAMP; otherwise WRAP
  bool clampV = false;
  // The pixels that may be drawn: the viewport, [left, right) x [top, bottom).
  int left = 0, top = 0, right = 0, bottom = 0;
  // Large triangles split their rows with this thread, which also draws posted batches; null
  // draws everything on the caller.
  HelperThread* helper = nullptr;
  // The row loops to draw with; a path the processor lacks draws with the best it has.
  RasterPath path = DefaultRasterPath();
};

// Triangles set up but not yet drawn, kept for DrawBatch; reused from draw to draw.
class TriangleBatch {
 public:
  TriangleBatch();
  TriangleBatch(const TriangleBatch&) = delete;
  TriangleBatch& operator=(const TriangleBatch&) = delete;
  ~TriangleBatch();

 private:
  struct Storage;
  std::unique_ptr<Storage> storage_;
  friend void DrawTriangle(const PixelSetup&, const ScreenVertex&, const ScreenVertex&,
                           const ScreenVertex&, TriangleBatch*);
  friend void DrawBatch(const PixelSetup&, TriangleBatch&);
  friend class DrawQueue;
};

// The path the rows of triangles drawn under the set-up take: the set-up's own (or the best the
// processor has, when it lacks that one) where the lanes take the set-up's target, stage and blend,
// otherwise one pixel at a time.
RasterPath PathFor(const PixelSetup& setup);

// Draws the triangle whatever its winding (culling happens before). With a batch the triangle is
// only set up and added to it.
void DrawTriangle(const PixelSetup& setup, const ScreenVertex& v0, const ScreenVertex& v1,
                  const ScreenVertex& v2, TriangleBatch* batch = nullptr);

// Draws the batch's triangles in the order they were added, with the set-up they were added
// under, and empties it. When the batch is large and the set-up has a helper thread, the caller
// draws the even rows of every triangle and the helper the odd rows. Either way the jobs posted
// to the helper before are drawn first, and so are the draws the batch holds for a DrawQueue.
void DrawBatch(const PixelSetup& setup, TriangleBatch& batch);

// Draws for the helper thread to draw while the caller goes on with the next ones. After a draw's
// triangles have been added, EndDraw queues a draw of few pixels, keeping a
// copy of its set-up and keepAlive (what the set-up points to that the caller might free, such as
// texels), and draws a large one at once, rows shared, after everything queued before. Queued
// draws are posted to the helper in batches, which the helper draws in order; a batch is reused
// once the helper has drawn it. Before the caller draws anything else or reads the target,
// Flush() and then helper->Finish(); DrawTriangle, DrawBatch, DrawLine and DrawLines finish the
// posted jobs themselves.
class DrawQueue {
 public:
  DrawQueue();
  DrawQueue(const DrawQueue&) = delete;
  DrawQueue& operator=(const DrawQueue&) = delete;
  // Waits for the helper to have drawn every posted batch; the helper must outlive the queue.
  ~DrawQueue();

  // A draw: BeginDraw, its triangles (Add), EndDraw. While the helper keeps up, the draw's
  // triangles are set up by the helper too; otherwise here.
  void BeginDraw(HelperThread* helper);
  void Add(const PixelSetup& setup, const ScreenVertex& v0, const ScreenVertex& v1, const ScreenVertex& v2);
  void EndDraw(const PixelSetup& setup, std::shared_ptr<const void> keepAlive);
  // Posts the queued draws.
  void Flush();

 private:
  // A batch is posted once it holds this many triangles or bounding-box pixels.
  static constexpr std::size_t kPostTriangles = 256;
  static constexpr std::int64_t kPostPixels = 16384;

  TriangleBatch& Current() { return batches_[next_]; }

  std::array<TriangleBatch, 16> batches_;
  std::size_t next_ = 0;
  HelperThread* helper_ = nullptr;
  bool raw_ = false;  // the draw's triangles are kept as they come
};

// Draws a line from a to b, one pixel per pixel centre along the major axis (the axis of the
// larger extent), starting at the first centre at or after a and stopping before b; the other
// coordinate is the line's, rounded to the nearest pixel. With lastPixel the pixel nearest b is
// drawn as well, so that a closed outline has no gaps. This follows Direct3D's diamond-exit rule
// for axis-aligned and diagonal lines between pixel centres. Colour and texture coordinates
// interpolate perspective-correctly, depth linearly; the pixel stage is the triangles'. A
// zero-length line with lastPixel draws one pixel (D3DFILL_POINT).
void DrawLine(const PixelSetup& setup, const ScreenVertex& a, const ScreenVertex& b,
              bool lastPixel);

struct Line {
  ScreenVertex a, b;
  bool lastPixel;
};

// Draws the lines in order, as DrawLine each. When they cover many pixels and the set-up has a
// helper thread, the caller draws their pixels in even rows and the helper those in odd rows.
void DrawLines(const PixelSetup& setup, const std::vector<Line>& lines);

}  // namespace d3d8::ref
