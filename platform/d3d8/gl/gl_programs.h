// The hardware device's shaders: the fixed-function state a draw uses, as a key, and the GLSL
// generated for each key.
//
// Every draw's vertices arrive in one layout (gl_device.cpp): a position that the world * view *
// projection matrix (or, for XYZRHW vertices, a matrix that maps pixels) takes to Direct3D's clip
// space, the diffuse and specular colours as the software device computes them (channels 0..255),
// and stage 0's texture coordinates. The vertex shader moves Direct3D's clip space to OpenGL's:
// y turned over (the framebuffer's row 0 is Direct3D's top row), depth from [0, w] to [-w, w], and
// half a pixel right and down, so that a pixel's centre samples where Direct3D samples it (integer
// coordinates, not half-integers).
//
// The fragment shader repeats the software device's pixel arithmetic on integer channels: the
// interpolated colour rounded to 0..255, point sampling floor(coord * size) wrapped or clamped,
// stage 0's operations with products rounded to nearest, the specular colour added, then the alpha
// test, so that the colour handed to blending is the one the software device blends. Under
// w-buffering the fragment's depth is (w * scale - near) / (far - near) with w = 1 / rhw, the value
// the software device stores in its 16-bit depth buffer.
#pragma once

#include <string>
#include <tuple>

#include "platform/d3d8/d3d8.h"

namespace d3d8::gl {

// Stage 0 as the draw uses it (texture arguments already resolved when no texture is bound).
struct ProgramKey {
  bool flat = false;       // colours from the provoking (first) vertex
  bool textured = false;
  bool specular = false;   // D3DRS_SPECULARENABLE
  bool alphaTest = false;
  bool wBuffer = false;    // D3DZB_USEW under a projection that allows it: depth from w
  DWORD alphaFunc = D3DCMP_ALWAYS;
  DWORD colorOp = D3DTOP_DISABLE, colorArg1 = 0, colorArg2 = 0;
  DWORD alphaOp = D3DTOP_DISABLE, alphaArg1 = 0, alphaArg2 = 0;

  auto Tied() const {
    return std::tie(flat, textured, specular, alphaTest, wBuffer, alphaFunc, colorOp, colorArg1, colorArg2, alphaOp,
                    alphaArg1, alphaArg2);
  }
  bool operator<(const ProgramKey& other) const { return Tied() < other.Tied(); }
};

// Attribute locations of the vertex layout.
enum Attribute { kPosition = 0, kDiffuse = 1, kSpecular = 2, kTexCoord = 3 };

std::string VertexShaderSource(const ProgramKey& key);
std::string FragmentShaderSource(const ProgramKey& key);

}  // namespace d3d8::gl
