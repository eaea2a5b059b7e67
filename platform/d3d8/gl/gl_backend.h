// The OpenGL device's backend class and what its files share: the draw set-up that decides
// batching, the batch, and the OpenGL copies of textures and buffers. Its work is split by concern:
//   gl_device.cpp      the device itself: framebuffer, Clear, Present, the edge-tie probe
//   gl_draw_setup.cpp  programs, and a draw's state as OpenGL takes it
//   gl_resources.cpp   copies of textures and buffers, and their eviction
//   gl_batching.cpp    small draws copied into batches, large ones drawn from the buffers' copies
//   gl_es_draws.cpp    on ES, the draws it cannot take as they are, rewritten (gl_primitives.h)
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "platform/d3d8/device_backend.h"
#include "platform/d3d8/device_state.h"
#include "platform/d3d8/fixed_function_state.h"
#include "platform/d3d8/fvf.h"
#include "platform/d3d8/gl/gl_context.h"
#include "platform/d3d8/gl/gl_primitives.h"
#include "platform/d3d8/gl/gl_programs.h"
#include "platform/d3d8/texture.h"
#include "platform/present/present.h"
#include "platform/win32/window_backend.h"

namespace d3d8::gl {

// A texture or buffer not drawn for this many frames gives its OpenGL copy back.
constexpr unsigned long kIdleFrames = 240;
// A draw of at most this many vertices (and three times as many indices) is copied into a batch.
constexpr UINT kBatchedVertices = 64;
// Where the driver breaks ties on edges unlike Direct3D, every vertex moves left by kTieStepsX and
// up by one step of kTieBias pixels (see TiesGoTopLeft).
constexpr float kTieBias = 1.0f / 256.0f;
constexpr float kTieStepsX = 4;

// A word 0xAARRGGBB with red and blue swapped: the word whose bytes in memory are R, G, B, A, as ES
// takes and gives pixels, and back.
static_assert(std::endian::native == std::endian::little, "texels and pixels are handed over as little-endian words");
constexpr std::uint32_t SwapRedBlue(std::uint32_t word) {
  return (word & 0xFF00FF00u) | ((word >> 16) & 0xFFu) | ((word & 0xFFu) << 16);
}

struct Program {
  GLuint name = 0;
  GLint matrix = -1, worldView = -1, normalMatrix = -1, lights = -1, material = -1, viewport = -1, halfPixel = -1,
        texture = -1, textureSize = -1, clamp = -1, factor = -1, alphaRef = -1, wDepth = -1;
};

struct CachedTexture {
  std::shared_ptr<const std::vector<std::uint32_t>> texels;  // the texels last uploaded
  GLuint name = 0;
  unsigned long lastFrame = 0;
};

struct CachedBuffer {
  std::uint64_t version = 0;  // of the bytes last uploaded; 0: none current
  GLuint name = 0;
  unsigned long lastFrame = 0;
  bool holdsFFFF = false;  // 16-bit indices, one of them 0xFFFF (ES would restart there)
};

// Everything a draw hands OpenGL besides its vertices and indices: draws with equal setups can be
// drawn as one. Uniforms the program does not read stay zero.
struct DrawSetup {
  ProgramKey key;
  GLenum mode = GL_TRIANGLES;
  DWORD fvf = 0;
  UINT stride = 0;         // bytes
  UINT texCoordSet = 0;    // the vertex's set read as stage 0's coordinates
  D3DVIEWPORT8 viewport{};
  bool depthTest = false, depthWrite = false;
  GLenum depthFunc = GL_ALWAYS;
  bool blend = false;
  GLenum source = GL_ONE, destination = GL_ZERO;
  DWORD cull = D3DCULL_NONE;
  DWORD fill = D3DFILL_SOLID;  // wireframe and point fill draw the edges or corners of what survives culling
  D3DCOLOR factor = 0;
  DWORD alphaRef = 0;
  // Stage 0's texture: its texels are held, so that a change to them after the draw cannot reach
  // a batch not yet drawn, and a new texture at the same address cannot pass for this one.
  const Texture* texture = nullptr;
  std::shared_ptr<const std::vector<std::uint32_t>> texels;
  UINT textureWidth = 0, textureHeight = 0;
  bool clampU = false, clampV = false;
  std::array<float, 3> wDepth{1, 0, 1};
  D3DMATRIX matrix{};     // World * View * Projection
  D3DMATRIX worldView{};  // lighting and camera-space texture coordinates
  std::array<float, 9> normalMatrix{};
  std::array<float, 4 * kLightVectors * kMaxActiveLights> lights{};
  std::array<float, 4 * kMaterialVectors> material{};

  bool operator==(const DrawSetup& o) const {
    const auto tied = [](const DrawSetup& d) {
      const D3DVIEWPORT8& v = d.viewport;
      return std::tie(d.key, d.mode, d.fvf, d.stride, d.texCoordSet, v.X, v.Y, v.Width, v.Height, d.depthTest,
                      d.depthWrite, d.depthFunc, d.blend, d.source, d.destination, d.cull, d.fill, d.factor,
                      d.alphaRef,
                      d.texture, d.textureWidth, d.textureHeight, d.clampU, d.clampV);
    };
    // Floats bit for bit: a value that is not the same number may not be the same draw.
    const auto sameBits = [](const auto& a, const auto& b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    return tied(*this) == tied(o) && texels == o.texels && sameBits(viewport.MinZ, o.viewport.MinZ) &&
           sameBits(viewport.MaxZ, o.viewport.MaxZ) && sameBits(wDepth, o.wDepth) && sameBits(matrix, o.matrix) &&
           sameBits(worldView, o.worldView) && sameBits(normalMatrix, o.normalMatrix) &&
           sameBits(lights, o.lights) && sameBits(material, o.material);
  }
};

// Draws copied for one OpenGL draw: vertex bytes `setup.stride` apart and indices into them.
struct Batch {
  DrawSetup setup;
  bool pending = false;  // holds draws
  UINT vertexCount = 0;
  std::vector<BYTE> vertices;
  std::vector<GLuint> indices;
};

class GlBackend final : public DeviceBackend {
 public:
  GlBackend(std::unique_ptr<Context> context, UINT width, UINT height, D3DFORMAT format, bool depth);
  ~GlBackend() override;

  void Clear(const std::vector<D3DRECT>& rects, DWORD flags, D3DCOLOR color, float z) override;
  const platform::FrameImage* Present() override;
  void Draw(const DrawRequest& request) override;
  UINT MaxTextureSide() const override { return maxTextureSide_; }
  bool complete() const { return complete_; }

 private:
  const Functions& gl() const { return context_->gl(); }
  const Program& ProgramFor(const ProgramKey& key);
  void BindTexture(const DrawSetup& setup);
  DrawSetup SetupFor(const DrawRequest& request, const FvfLayout& layout) const;
  static void SetLighting(const DeviceState& state, const FixedFunctionState& fixed, DrawSetup& d);
  void Apply(const DrawSetup& setup);
  // The FVF's fields in the buffer bound to GL_ARRAY_BUFFER, vertex 0 `offset` bytes in; with
  // key.shadeApart, the colour inputs from vertices `shadeOffset` bytes in.
  void DescribeVertices(const DrawSetup& setup, std::size_t offset, std::size_t shadeOffset = 0);
  void AddToBatch(const DrawRequest& request, const FvfLayout& layout);
  void DrawBatch();
  void DrawFromBuffers(const DrawRequest& request, const DrawSetup& setup);
  // ES: whether a draw must be rewritten (flat shading, wireframe and point fill), and the draw so.
  bool Rewritten(const DrawSetup& setup) const { return es_ && (setup.fill != D3DFILL_SOLID || setup.key.flat); }
  void DrawRewritten(const DrawSetup& setup, const PrimitiveIndices& primitives, const BYTE* vertices,
                     std::size_t offset);
  void DrawOutlines(const DrawSetup& setup, const PrimitiveIndices& primitives, const BYTE* vertices);
  void DrawStreamIndices(GLenum mode, const DrawSetup& setup, std::size_t offset);
  CachedBuffer& BufferCopy(std::unordered_map<const void*, CachedBuffer>& copies, const void* buffer,
                           std::uint64_t version, bool locked, GLenum target, const std::vector<BYTE>& bytes,
                           bool narrowIndices = false);
  void ForgetIdleCopies();
  void ReadBack16(std::uint16_t* pixels);
  void ShowInWindow(win32::NativeGlContext& window);
  GLuint Link(const std::string& vertexSource, const std::string& fragmentSource);
  bool TiesGoTopLeft(float bias);

  std::unique_ptr<Context> context_;
  bool es_;  // OpenGL ES 3.0 under WebGL2's rules (gl_context.h)
  UINT width_, height_;
  D3DFORMAT format_;
  bool writesAlpha_;  // A8R8G8B8 and A1R5G5B5 keep alpha; the X formats read back as opaque
  bool depth_;
  bool complete_ = false;  // the framebuffer object can be drawn into
  float tieBias_ = 0;      // 0 or kTieBias (see TiesGoTopLeft)
  UINT maxTextureSide_ = kMaxTextureSide;  // what the caps report: at most what the driver takes
  GLuint framebuffer_ = 0, colorBuffer_ = 0, depthBuffer_ = 0;
  GLuint vertexArray_ = 0, streamVertices_ = 0, streamIndices_ = 0;
  std::map<ProgramKey, Program> programs_;
  std::unordered_map<const Texture*, CachedTexture> textures_;
  std::unordered_map<const void*, CachedBuffer> vertexCopies_, indexCopies_;  // by VertexBuffer, IndexBuffer
  unsigned long frame_ = 0;
  Batch batch_;
  std::vector<std::uint16_t> readBack16_;  // 16-bit frames, before they are widened
  std::vector<std::uint32_t> rgba_;        // ES: texels and 16-bit frames as bytes R, G, B, A
  std::vector<GLuint> rewrittenIndices_;   // ES: a draw's indices rewritten
  std::vector<BYTE> outline_;              // ES: an outline's vertices, then their colours' vertices
  platform::FrameImage presented_;
};

}  // namespace d3d8::gl
