// The OpenGL device's draws: a draw of few vertices is copied into the batch of draws with the
// same set-up, drawn as one when the set-up changes (or at Clear and Present); a draw of many is
// drawn from the OpenGL copies of its buffers.
//
// [SECTION] Vertex fields
// [SECTION] Batches
// [SECTION] Draws from buffer copies
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/d3d8/gl/gl_backend.h"
#include "platform/d3d8/index_buffer.h"
#include "platform/d3d8/vertex_buffer.h"

namespace d3d8::gl {
namespace {

// Vertices (or indices) of the draw in primitive order.
UINT PrimitiveVertices(const DrawRequest& request) {
  return request.type == D3DPT_TRIANGLELIST ? 3 * request.primitiveCount : request.primitiveCount + 2;
}

}  // namespace

// ---- [SECTION] Vertex fields --------------------------------------------------------------------

// The FVF's fields in the buffer bound to GL_ARRAY_BUFFER (gl_backend.h).
void GlBackend::DescribeVertices(const DrawSetup& d, std::size_t offset, std::size_t shadeOffset) {
  const Functions& f = gl();
  FvfLayout layout;
  DecodeFvf(d.fvf, layout);
  const GLsizei stride = static_cast<GLsizei>(d.stride);
  const auto field = [&](GLuint location, int at, GLint size, GLenum type, std::size_t from) {
    if (at < 0) {
      f.DisableVertexAttribArray(location);
      return;
    }
    f.EnableVertexAttribArray(location);
    // D3DCOLOR bytes arrive as 0..255 in the order B, G, R, A; the shader turns them around.
    f.VertexAttribPointer(location, size, type, GL_FALSE, stride,
                          reinterpret_cast<const void*>(static_cast<std::uintptr_t>(from + at)));
  };
  const std::size_t shade = d.key.shadeApart ? shadeOffset : offset;
  field(kPosition, 0, layout.transformed ? 4 : 3, GL_FLOAT, offset);
  field(kDiffuse, layout.diffuse, 4, GL_UNSIGNED_BYTE, shade);
  field(kSpecular, layout.specular, 4, GL_UNSIGNED_BYTE, shade);
  field(kNormal, layout.normal, 3, GL_FLOAT, shade);
  if (d.key.shadeApart) field(kShadePosition, 0, 3, GL_FLOAT, shade);
  const bool fromSet = d.key.texCoords == kFromVertexSet;
  // A set of one coordinate reads v as 0, OpenGL's default for a missing component.
  field(kTexCoord, fromSet ? layout.texCoord[d.texCoordSet] : -1,
        fromSet ? static_cast<GLint>(std::min<UINT>(2, layout.texCoordSize[d.texCoordSet])) : 2, GL_FLOAT, offset);
}

// ---- [SECTION] Batches --------------------------------------------------------------------------

void GlBackend::AddToBatch(const DrawRequest& request, const FvfLayout& layout) {
  Batch& b = batch_;
  const UINT base = b.vertexCount;
  const std::size_t at = b.vertices.size();
  b.vertices.resize(at + static_cast<std::size_t>(request.vertexCount) * request.stride);
  // The last vertex may end before its stride does, and so may the buffer.
  if (request.vertexCount > 0) {
    std::memcpy(b.vertices.data() + at, request.vertices,
                static_cast<std::size_t>(request.vertexCount - 1) * request.stride + layout.size);
  }
  b.vertexCount += request.vertexCount;
  if (!b.indices.empty() && b.setup.mode != GL_TRIANGLES) b.indices.push_back(kRestartIndex);
  const UINT count = PrimitiveVertices(request);
  for (UINT k = 0; k < count; ++k) {
    std::uint32_t index = k;
    if (request.indices && request.wideIndices) {
      std::memcpy(&index, request.indices + 4 * static_cast<std::size_t>(k), 4);
      index -= request.firstIndex;
    } else if (request.indices) {
      std::uint16_t narrow;
      std::memcpy(&narrow, request.indices + 2 * static_cast<std::size_t>(k), 2);
      index = narrow - request.firstIndex;
    }
    b.indices.push_back(base + index);
  }
}

void GlBackend::DrawBatch() {
  Batch& b = batch_;
  if (!b.pending) return;
  const Functions& f = gl();
  Apply(b.setup);
  f.BindBuffer(GL_ARRAY_BUFFER, streamVertices_);
  f.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(b.vertices.size()), b.vertices.data(), GL_STREAM_DRAW);
  if (Rewritten(b.setup)) {
    DrawRewritten(b.setup, PrimitiveIndices{b.setup.mode, b.indices.data(), true, b.indices.size()}, b.vertices.data(),
                  0);
  } else {
    f.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, streamIndices_);
    f.BufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(b.indices.size() * sizeof(GLuint)),
                 b.indices.data(), GL_STREAM_DRAW);
    DescribeVertices(b.setup, 0);
    // ES restarts at kRestartIndex always (gl_device.cpp); 3.3 core only when asked.
    const bool restart = !es_ && b.setup.mode != GL_TRIANGLES;
    if (restart) f.Enable(GL_PRIMITIVE_RESTART);
    f.DrawElements(b.setup.mode, static_cast<GLsizei>(b.indices.size()), GL_UNSIGNED_INT, nullptr);
    if (restart) f.Disable(GL_PRIMITIVE_RESTART);
  }
  b.setup = DrawSetup{};  // lets the texels go
  b.pending = false;
  b.vertexCount = 0;
  b.vertices.clear();
  b.indices.clear();
}

// ---- [SECTION] Draws from buffer copies ---------------------------------------------------------

// Vertex 0 of the draw is the first vertex, or the one index 0 names (BaseVertexIndex's): indices
// need no base vertex added (WebGL2 has no glDrawElementsBaseVertex).
void GlBackend::DrawFromBuffers(const DrawRequest& request, const DrawSetup& setup) {
  const Functions& f = gl();
  const VertexBuffer& vertices = *request.vertexBuffer;
  BufferCopy(vertexCopies_, &vertices, vertices.Version(), vertices.Locked(), GL_ARRAY_BUFFER, vertices.Bytes());
  const BYTE* first =
      request.indices ? request.vertices - static_cast<std::size_t>(request.firstIndex) * request.stride
                      : request.vertices;
  const std::size_t offset = static_cast<std::size_t>(first - vertices.Bytes().data());
  const UINT count = PrimitiveVertices(request);
  const PrimitiveIndices primitives{setup.mode, request.indices, request.wideIndices, count};
  if (Rewritten(setup)) {
    DrawRewritten(setup, primitives, first, offset);
    return;
  }
  if (!request.indices) {
    DescribeVertices(setup, offset);
    f.DrawArrays(setup.mode, 0, static_cast<GLsizei>(count));
    return;
  }
  const IndexBuffer& indices = *request.indexBuffer;
  const CachedBuffer& copy = BufferCopy(indexCopies_, &indices, indices.Version(), indices.Locked(),
                                        GL_ELEMENT_ARRAY_BUFFER, indices.Bytes(), !request.wideIndices);
  if (copy.holdsFFFF) {  // ES restarts at 0xFFFF: a draw that names that vertex goes with 32-bit indices
    bool restarts = false;
    for (UINT k = 0; k < count && !restarts; ++k) restarts = primitives.At(k) == 0xFFFFu;
    if (restarts) {
      rewrittenIndices_.resize(count);
      for (UINT k = 0; k < count; ++k) rewrittenIndices_[k] = primitives.At(k);
      DrawStreamIndices(setup.mode, setup, offset);
      return;
    }
  }
  DescribeVertices(setup, offset);
  const std::uintptr_t at = static_cast<std::uintptr_t>(request.indices - indices.Bytes().data());
  f.DrawElements(setup.mode, static_cast<GLsizei>(count), request.wideIndices ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                 reinterpret_cast<const void*>(at));
}

void GlBackend::Draw(const DrawRequest& request) {
  context_->MakeCurrent();
  const FvfLayout& layout = request.fixed->layout;
  DrawSetup setup = SetupFor(request, layout);
  const UINT indexCount = request.indices ? PrimitiveVertices(request) : 0;
  const bool fromCopies = request.vertexBuffer && (!request.indices || request.indexBuffer) &&
                          (request.vertexCount > kBatchedVertices || indexCount > 3 * kBatchedVertices);
  if (!fromCopies) {
    if (batch_.pending && !(batch_.setup == setup)) DrawBatch();
    if (!batch_.pending) {
      batch_.setup = std::move(setup);
      batch_.pending = true;
    }
    AddToBatch(request, layout);
    return;
  }
  DrawBatch();
  Apply(setup);
  DrawFromBuffers(request, setup);
}

}  // namespace d3d8::gl
