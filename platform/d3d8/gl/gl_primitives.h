// A draw's triangles walked on the CPU, for the draws the OpenGL device rewrites on ES
// (gl_es_draws.cpp): the vertex numbers in primitive order, and each triangle as Direct3D shades
// it flat.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/d3d8/gl/gl_functions.h"

namespace d3d8::gl {

// Ends a strip or fan in a batch's 32-bit indices.
constexpr GLuint kRestartIndex = 0xFFFFFFFFu;

// The vertex numbers of a draw in primitive order: 16- or 32-bit indices, or none (the numbers
// 0, 1, 2, ...). Only a batch's indices hold kRestartIndex, between strips or fans; a 16-bit
// 0xFFFF is a vertex like any other.
struct PrimitiveIndices {
  GLenum mode = GL_TRIANGLES;  // GL_TRIANGLES, GL_TRIANGLE_STRIP or GL_TRIANGLE_FAN
  const void* indices = nullptr;
  bool wide = true;  // 32-bit indices, else 16-bit
  std::size_t count = 0;

  GLuint At(std::size_t k) const {
    if (!indices) return static_cast<GLuint>(k);
    if (wide) {
      std::uint32_t index;
      std::memcpy(&index, static_cast<const std::uint8_t*>(indices) + 4 * k, 4);
      return index;
    }
    std::uint16_t narrow;
    std::memcpy(&narrow, static_cast<const std::uint8_t*>(indices) + 2 * k, 2);
    return narrow;
  }
};

// Calls visit(a, b, c) for each triangle in drawing order, with `a` the vertex whose colour
// Direct3D gives the triangle under flat shading (lists: 3i, strips: i, fans: i + 1) and b, c
// after it in the triangle's winding (the order OpenGL draws it in, turned round).
template <typename Visit>
void ForEachTriangle(const PrimitiveIndices& p, Visit&& visit) {
  std::size_t start = 0;  // of the current strip or fan
  for (std::size_t end = 0; end <= p.count; ++end) {
    if (end < p.count && !(p.wide && p.At(end) == kRestartIndex)) continue;
    const std::size_t n = end - start;
    const auto v = [&](std::size_t i) { return p.At(start + i); };
    if (p.mode == GL_TRIANGLES) {
      for (std::size_t i = 0; i + 3 <= n; i += 3) visit(v(i), v(i + 1), v(i + 2));
    } else if (p.mode == GL_TRIANGLE_STRIP) {
      for (std::size_t i = 0; i + 3 <= n; ++i) {
        if (i % 2 == 0) {
          visit(v(i), v(i + 1), v(i + 2));
        } else {  // drawn as (i + 1, i, i + 2)
          visit(v(i), v(i + 2), v(i + 1));
        }
      }
    } else {  // fan: drawn as (0, i + 1, i + 2)
      for (std::size_t i = 0; i + 3 <= n; ++i) visit(v(i + 1), v(i + 2), v(0));
    }
    start = end + 1;
  }
}

}  // namespace d3d8::gl
