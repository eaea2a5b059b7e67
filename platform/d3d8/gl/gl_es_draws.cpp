// The OpenGL device's draws that OpenGL ES 3.0 under WebGL2's rules cannot take as they are,
// rewritten on the CPU (on ES only; the desktop path draws them as they come):
//   - Flat shading: ES takes a flat colour from a triangle's last vertex (it cannot be told
//     otherwise), Direct3D from its first. The triangles go as a list of 32-bit indices, each
//     turned round to (b, c, a) so that its first vertex is the last one, its winding kept.
//   - Wireframe and point fill: ES has no glPolygonMode. The triangles that survive culling
//     (culled here as the software device culls them, by the sign of their area on screen) go as
//     lines along their three edges, or as points at their three corners, their vertices copied
//     in that order. Under flat shading a line's colour would be its last vertex's, so each copy
//     takes its colour inputs (colours, normal, the position lit) from the triangle's first vertex
//     (key.shadeApart) and only its position and texture coordinates from its own.
//     An edge that leaves the view volume is clipped as a line: the cut adds no edge, as on the
//     software device (the desktop's polygon mode outlines the clipped polygon).
// Draws of 16-bit indices holding 0xFFFF, where WebGL2 always restarts, are widened to 32 bits in
// gl_batching.cpp.
//
// [SECTION] Culling
// [SECTION] Rewritten draws
#include <cstdint>
#include <cstring>

#include "platform/d3d8/gl/gl_backend.h"

namespace d3d8::gl {
namespace {

// ---- [SECTION] Culling --------------------------------------------------------------------------

// Twice the triangle's signed area on Direct3D's screen (y down; clockwise is positive), or a
// number of the same sign: positions in pixels for XYZRHW vertices; otherwise from their clip-space
// x, y and w, whose determinant has the sign of the visible part's area even where the triangle
// crosses w = 0 (homogeneous rasterization).
double ScreenArea(const DrawSetup& d, const BYTE* vertices, const GLuint (&corner)[3]) {
  double x[3], y[3], w[3];
  for (int i = 0; i < 3; ++i) {
    float p[3];
    std::memcpy(p, vertices + static_cast<std::size_t>(corner[i]) * d.stride, sizeof p);
    if (d.key.transformed) {
      x[i] = p[0], y[i] = p[1], w[i] = 1.0;
    } else {
      const D3DMATRIX& m = d.matrix;  // row vector times World * View * Projection
      x[i] = double(p[0]) * m._11 + double(p[1]) * m._21 + double(p[2]) * m._31 + m._41;
      y[i] = double(p[0]) * m._12 + double(p[1]) * m._22 + double(p[2]) * m._32 + m._42;
      w[i] = double(p[0]) * m._14 + double(p[1]) * m._24 + double(p[2]) * m._34 + m._44;
    }
  }
  const double determinant = x[0] * (y[1] * w[2] - y[2] * w[1]) - x[1] * (y[0] * w[2] - y[2] * w[0]) +
                             x[2] * (y[0] * w[1] - y[1] * w[0]);
  // Screen y runs against clip-space y; pixel positions are screen positions already.
  return d.key.transformed ? determinant : -determinant;
}

bool Culled(const DrawSetup& d, const BYTE* vertices, const GLuint (&corner)[3]) {
  if (d.cull == D3DCULL_NONE) return false;
  const double area = ScreenArea(d, vertices, corner);
  return d.cull == D3DCULL_CCW ? area < 0 : area > 0;
}

}  // namespace

// ---- [SECTION] Rewritten draws ------------------------------------------------------------------

// `vertices` is vertex 0 of the draw in memory; `offset`, where it lies in the buffer bound to
// GL_ARRAY_BUFFER.
void GlBackend::DrawRewritten(const DrawSetup& d, const PrimitiveIndices& primitives, const BYTE* vertices,
                              std::size_t offset) {
  if (d.fill != D3DFILL_SOLID) {
    DrawOutlines(d, primitives, vertices);
    return;
  }
  rewrittenIndices_.clear();
  ForEachTriangle(primitives, [&](GLuint a, GLuint b, GLuint c) {
    rewrittenIndices_.push_back(b);
    rewrittenIndices_.push_back(c);
    rewrittenIndices_.push_back(a);
  });
  DrawStreamIndices(GL_TRIANGLES, d, offset);
}

void GlBackend::DrawOutlines(const DrawSetup& d, const PrimitiveIndices& primitives, const BYTE* vertices) {
  FvfLayout layout;
  DecodeFvf(d.fvf, layout);
  const bool lines = d.fill == D3DFILL_WIREFRAME;
  const bool apart = d.key.shadeApart;
  // Pairs: the vertex drawn, the vertex whose colour inputs it takes.
  rewrittenIndices_.clear();
  ForEachTriangle(primitives, [&](GLuint a, GLuint b, GLuint c) {
    const GLuint corner[3] = {a, b, c};
    if (Culled(d, vertices, corner)) return;
    for (int i = 0; i < 3; ++i) {
      const int ends = lines ? 2 : 1;
      for (int e = 0; e < ends; ++e) {
        const GLuint drawn = corner[(i + e) % 3];
        rewrittenIndices_.push_back(drawn);
        rewrittenIndices_.push_back(apart ? a : drawn);
      }
    }
  });
  const std::size_t count = rewrittenIndices_.size() / 2;
  if (count == 0) return;
  const std::size_t stride = d.stride;
  outline_.assign(count * stride * (apart ? 2 : 1), 0);
  for (std::size_t k = 0; k < count; ++k) {
    std::memcpy(outline_.data() + k * stride, vertices + rewrittenIndices_[2 * k] * stride, layout.size);
    if (apart) {
      std::memcpy(outline_.data() + (count + k) * stride, vertices + rewrittenIndices_[2 * k + 1] * stride,
                  layout.size);
    }
  }
  const Functions& f = gl();
  f.BindBuffer(GL_ARRAY_BUFFER, streamVertices_);
  f.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(outline_.size()), outline_.data(), GL_STREAM_DRAW);
  DescribeVertices(d, 0, count * stride);
  f.DrawArrays(lines ? GL_LINES : GL_POINTS, 0, static_cast<GLsizei>(count));
}

// Draws rewrittenIndices_ (32-bit) from the vertices in the buffer bound to GL_ARRAY_BUFFER.
void GlBackend::DrawStreamIndices(GLenum mode, const DrawSetup& d, std::size_t offset) {
  if (rewrittenIndices_.empty()) return;
  const Functions& f = gl();
  DescribeVertices(d, offset);
  f.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, streamIndices_);
  f.BufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(rewrittenIndices_.size() * sizeof(GLuint)),
               rewrittenIndices_.data(), GL_STREAM_DRAW);
  f.DrawElements(mode, static_cast<GLsizei>(rewrittenIndices_.size()), GL_UNSIGNED_INT, nullptr);
}

}  // namespace d3d8::gl
