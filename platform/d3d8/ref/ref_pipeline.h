// The software device's geometry pipeline: fetches the vertices of a draw, transforms them
// (p * World * View * Projection, row vectors), clips against Direct3D's view volume
// -w <= x <= w, -w <= y <= w, 0 <= z <= w (a point with z == w is inside: screen quads lie exactly
// on the far plane of the 2D projection), maps them through the viewport, culls, and hands the
// triangles to the rasterizer.
//
// Fill modes: D3DFILL_WIREFRAME draws each triangle that survives culling as its three edges,
// each clipped as a line against the view volume (so clipping adds no edges), with
// D3DRS_LASTPIXEL deciding whether an edge's end pixel is drawn; shared edges are drawn once per
// triangle. D3DFILL_POINT draws the triangle's vertices inside the volume as single pixels.
//
// Vertex colour: XYZRHW vertices and D3DRS_LIGHTING FALSE take the vertex diffuse colour (opaque
// white without one); with lighting on, ref_lighting.h computes it per vertex. Flat shading gives
// a triangle the colour of its first vertex (lists: 3i, strips: i, fans: i + 1).
//
// D3DRS_SPECULARENABLE: the specular colour (lit, or the vertex's own when unlit) is interpolated
// as a colour of its own (the first vertex's when flat) and added to the texture stage's result,
// saturating, before alpha test and blending, as Direct3D does.
//
// Stage-0 texture coordinates follow D3DTSS_TEXCOORDINDEX: a vertex set (0, 0 when the vertex
// lacks it) or the camera-space position (u = x, v = y of p * World * View).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/d3d8/device_backend.h"
#include "platform/d3d8/ref/ref_lighting.h"
#include "platform/d3d8/ref/ref_rasterizer.h"
#include "platform/d3d8/ref/ref_surface.h"

namespace d3d8::ref {

// A vertex after transformation, before the perspective divide. Plain data like ScreenVertex.
struct ClipVertex {
  float x, y, z, w;
  float r, g, b, a;  // diffuse, 0..255
  float u, v;
  float sr, sg, sb;  // specular, 0..255
};

// The draw's settings that shape each triangle.
struct TriangleMode {
  const D3DVIEWPORT8* viewport = nullptr;
  DWORD cullMode = D3DCULL_CCW;
  DWORD fillMode = D3DFILL_SOLID;
  bool flat = false;
  bool lastPixel = true;  // D3DRS_LASTPIXEL, for wireframe edges
};

class Pipeline {
 public:
  // With a helper thread, the draw's triangles or lines are drawn together, their rows shared, or
  // a small draw's triangles queued for the helper, to be drawn after this returns (DrawQueue).
  // The helper must outlive the pipeline.
  void Draw(const DrawRequest& request, ColorSurface& target, DepthSurface* depth, HelperThread* helper);
  // Hands the queued draws to the helper; then helper->Finish() waits for them.
  void Flush() { queue_.Flush(); }

 private:
  void TransformVertices(const DrawRequest& request);
  void ProjectVertices(const D3DVIEWPORT8& viewport);
  void DrawVertexTriangle(const PixelSetup& setup, const TriangleMode& mode, std::size_t a,
                          std::size_t b, std::size_t c);
  void DrawClipTriangle(const PixelSetup& setup, const TriangleMode& mode, ClipVertex a,
                        ClipVertex b, ClipVertex c);
  void DrawOutline(const PixelSetup& setup, const TriangleMode& mode, const ClipVertex& a,
                   const ClipVertex& b, const ClipVertex& c);
  void Triangle(const PixelSetup& setup, const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c);
  void Outline(const PixelSetup& setup, const ScreenVertex& a, const ScreenVertex& b, bool lastPixel);

  std::vector<ClipVertex> clipVertices_;     // one per vertex of the draw, reused
  // Per vertex when not pre-transformed: bit k set when outside plane k of the view volume, and
  // the screen vertex when inside all six.
  std::vector<std::uint8_t> outcodes_;
  std::vector<ScreenVertex> screenVertices_;
  bool transformed_ = false;
  Lighting lighting_;
  std::vector<LitColor> litColors_;  // one per vertex of a lit draw, reused
  DrawQueue queue_;
  bool batching_ = false;  // the draw's triangles go to the queue
  std::vector<Line> lines_;
  std::vector<Line>* collectingLines_ = nullptr;  // &lines_ while a draw collects its lines
};

}  // namespace d3d8::ref
