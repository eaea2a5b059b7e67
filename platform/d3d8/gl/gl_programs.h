// The hardware device's shaders: the fixed-function state a draw uses, as a key, and the GLSL
// generated for each key.
//
// The vertex shader reads the vertex as its FVF lays it out (gl_device.cpp describes the fields
// with glVertexAttribPointer; D3DCOLOR fields arrive as their bytes B, G, R, A, 0..255, and are
// turned around here). It does the software device's vertex work (ref_pipeline.h): XYZRHW
// positions map from pixels through the viewport (w = 1 / rhw); other positions go through
// World * View * Projection, are lit as the software device lights them (ref/), from the lights
// and material sources the device front resolved (fixed_function_state.h), in the same order of float
// operations and with the same clamping (lights and material as uniforms), and may take their
// stage-0 texture coordinates from the camera-space position. It then moves Direct3D's clip space
// to OpenGL's: y turned over (the framebuffer's row 0 is Direct3D's top row), depth from [0, w] to
// [-w, w], and half a pixel right and down, so that a pixel's centre samples where Direct3D
// samples it (integer coordinates, not half-integers). Lit colours can differ from the software
// device's by float roundings (OpenGL may fuse or reorder operations; its pow, sqrt and division
// are its own): by one step of 0..255 at most where gl_device_test.cpp compares them.
//
// The same text serves both APIs of gl_context.h: only the first lines differ (ShaderPrologue), and
// on ES the vertex shader also sets gl_PointSize, which ES leaves undefined for points otherwise.
//
// The fragment shader repeats the software device's pixel arithmetic on integer channels: the
// interpolated colour rounded to 0..255, point sampling floor(coord * size) wrapped or clamped,
// stage 0's operations with products rounded to nearest, the specular colour added, then the alpha
// test, so that the colour handed to blending is the one the software device blends. Under
// w-buffering the fragment's depth is (w * scale - near) / (far - near) with w = 1 / rhw, the value
// the software device stores in its 16-bit depth buffer.
#pragma once

#include <cstdint>
#include <string>
#include <tuple>

#include "platform/d3d8/d3d8.h"
#include "platform/win32/window_backend.h"

namespace d3d8::gl {

// Where a lit colour's material comes from (D3DRS_*MATERIALSOURCE resolved for the vertex).
enum MaterialFrom : std::uint8_t { kFromMaterial, kFromDiffuse, kFromSpecular };
// Where stage 0's texture coordinates come from.
enum TexCoordFrom : std::uint8_t { kNoTexCoords, kFromVertexSet, kFromCameraPosition };

// The vertex work and stage 0 as the draw uses them (texture arguments already resolved when no
// texture is bound; settings that do not matter for the draw left at their defaults).
struct ProgramKey {
  // Vertex work.
  bool transformed = false;  // XYZRHW
  bool hasDiffuse = false;   // unlit: the vertex has the colour (else white)
  bool hasSpecular = false;  // unlit, with D3DRS_SPECULARENABLE: the vertex has the colour (else black)
  bool hasNormal = false;    // lit: the vertex has a normal
  TexCoordFrom texCoords = kNoTexCoords;
  bool lighting = false;
  bool normalize = false;    // D3DRS_NORMALIZENORMALS
  bool localViewer = false;  // D3DRS_LOCALVIEWER, with specular lighting
  std::uint8_t lightCount = 0;
  std::uint16_t lightTypes = 0;  // D3DLIGHTTYPE of light i (1..3) in bits 2i, 2i + 1
  MaterialFrom diffuseFrom = kFromMaterial, ambientFrom = kFromMaterial, specularFrom = kFromMaterial,
               emissiveFrom = kFromMaterial;
  // Pixel work.
  bool flat = false;       // colours from the provoking (first) vertex
  // ES outlines only (gl_batching.cpp): the colour inputs (diffuse, specular, normal, and the
  // position lit, aShadePosition) are another vertex's than the position drawn.
  bool shadeApart = false;
  bool textured = false;
  bool specular = false;   // D3DRS_SPECULARENABLE
  bool alphaTest = false;
  bool wBuffer = false;    // D3DZB_USEW under a projection that allows it: depth from w
  DWORD alphaFunc = D3DCMP_ALWAYS;
  DWORD colorOp = D3DTOP_DISABLE, colorArg1 = 0, colorArg2 = 0;
  DWORD alphaOp = D3DTOP_DISABLE, alphaArg1 = 0, alphaArg2 = 0;

  DWORD LightType(int i) const { return (lightTypes >> (2 * i)) & 3u; }

  auto Tied() const {
    return std::tie(transformed, hasDiffuse, hasSpecular, hasNormal, texCoords, lighting, normalize, localViewer,
                    lightCount, lightTypes, diffuseFrom, ambientFrom, specularFrom, emissiveFrom, flat, shadeApart,
                    textured, specular, alphaTest, wBuffer, alphaFunc, colorOp, colorArg1, colorArg2, alphaOp,
                    alphaArg1, alphaArg2);
  }
  bool operator<(const ProgramKey& other) const { return Tied() < other.Tied(); }
  bool operator==(const ProgramKey& other) const { return Tied() == other.Tied(); }
};

// Attribute locations of the vertex fields.
enum Attribute { kPosition = 0, kDiffuse = 1, kSpecular = 2, kTexCoord = 3, kNormal = 4, kShadePosition = 5 };

// Uniforms of the lit vertex shader: vec4 uLights[kLightVectors * lightCount], per light
//   [0] diffuse, range   [1] specular, attenuation 0   [2] ambient, attenuation 1
//   [3] eye-space position, attenuation 2   [4] eye-space direction (normalised), falloff
//   [5] cos(Theta / 2), cos(Phi / 2)
// and vec4 uMaterial[5]: diffuse, ambient, specular, emissive, then (global ambient rgb, power).
constexpr int kLightVectors = 6;
constexpr int kMaterialVectors = 5;

// The lines every shader starts with: GLSL 3.30 core, or GLSL ES 3.00 with floats, integers and
// samplers at high precision in both stages.
std::string ShaderPrologue(win32::GlApi api);
std::string VertexShaderSource(const ProgramKey& key, win32::GlApi api);
std::string FragmentShaderSource(const ProgramKey& key, win32::GlApi api);

}  // namespace d3d8::gl
