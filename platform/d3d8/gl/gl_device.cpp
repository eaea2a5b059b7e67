// The hardware device: the DeviceBackend on OpenGL 3.3 core, drawing into a framebuffer object.
//
// Orientation: the framebuffer's row 0 is Direct3D's top row (the vertex shader turns y over), so
// viewport and scissor rectangles are Direct3D's and Present hands the rows over as they are read.
// A triangle clockwise on Direct3D's screen has a positive area in OpenGL's window coordinates, so
// GL_CCW is the front face. This orientation also gives Direct3D's top-left fill rule on Mesa,
// whose rule for framebuffer objects favours the edges nearer row 0; a probe at start-up finds a
// driver that differs and moves the vertices for it (TiesGoTopLeft).
//
// Vertices stay as the FVF lays them out; the generated vertex shader reads them and does the
// vertex work, lighting included (gl_programs.h). A draw of many vertices reads an OpenGL copy of
// its vertex (and index) buffer, uploaded when first drawn and again whenever the buffer's version
// changed. A draw of few vertices (screen quads, rewritten in one small buffer before each draw)
// is copied into a batch instead: the next draws with the same setup (program, texture, render
// states, matrices and lights: everything the draw hands OpenGL) join it, and the batch goes to
// OpenGL as one draw, strips and fans kept apart by primitive restart, when a draw with another
// setup, a draw from a buffer's copy, Clear or Present comes. OpenGL draws a draw's primitives in
// order, so the pixels are those of separate draws.
// Textures are uploaded when first drawn and again whenever their texels changed.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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
#include "platform/d3d8/shared_pipeline.h"
#include "platform/d3d8/gl/gl_context.h"
#include "platform/d3d8/gl/gl_programs.h"
#include "platform/d3d8/index_buffer.h"
#include "platform/d3d8/texture.h"
#include "platform/d3d8/vertex_buffer.h"
#include "platform/present/present.h"
#include "platform/win32/window_backend.h"

namespace d3d8 {
namespace gl {
namespace {

// A texture or buffer not drawn for this many frames gives its OpenGL copy back.
constexpr unsigned long kIdleFrames = 240;
// A draw of at most this many vertices (and three times as many indices) is copied into a batch.
constexpr UINT kBatchedVertices = 64;
constexpr GLuint kRestartIndex = 0xFFFFFFFFu;
// Where the driver breaks ties on edges unlike Direct3D, every vertex moves left by kTieStepsX and
// up by one step of kTieBias pixels (see TiesGoTopLeft).
constexpr float kTieBias = 1.0f / 256.0f;
constexpr float kTieStepsX = 4;

GLenum CompareFunction(DWORD func) {
  return func >= D3DCMP_NEVER && func <= D3DCMP_ALWAYS ? GL_NEVER + (func - D3DCMP_NEVER) : GL_ALWAYS;
}

GLenum BlendFactor(DWORD blend) {
  switch (blend) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
    default: return GL_ONE;
  }
}

GLenum PrimitiveMode(D3DPRIMITIVETYPE type) {
  if (type == D3DPT_TRIANGLESTRIP) return GL_TRIANGLE_STRIP;
  if (type == D3DPT_TRIANGLEFAN) return GL_TRIANGLE_FAN;
  return GL_TRIANGLES;
}

// Vertices (or indices) of the draw in primitive order.
UINT PrimitiveVertices(const DrawRequest& request) {
  return request.type == D3DPT_TRIANGLELIST ? 3 * request.primitiveCount : request.primitiveCount + 2;
}

MaterialFrom FromOf(MaterialSource source) {
  if (source == MaterialSource::kVertexDiffuse) return kFromDiffuse;
  if (source == MaterialSource::kVertexSpecular) return kFromSpecular;
  return kFromMaterial;
}

TexCoordFrom FromOf(TexCoordSource source) {
  if (source == TexCoordSource::kVertexSet) return kFromVertexSet;
  if (source == TexCoordSource::kCameraPosition) return kFromCameraPosition;
  return kNoTexCoords;
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
  GLenum fill = GL_FILL;  // wireframe and point fill draw the edges or corners of what survives culling
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
  void DescribeVertices(const DrawSetup& setup, std::size_t offset);
  void AddToBatch(const DrawRequest& request, const FvfLayout& layout);
  void DrawBatch();
  void DrawFromBuffers(const DrawRequest& request, const DrawSetup& setup);
  CachedBuffer& BufferCopy(std::unordered_map<const void*, CachedBuffer>& copies, const void* buffer,
                           std::uint64_t version, bool locked, GLenum target, const std::vector<BYTE>& bytes);
  void ForgetIdleCopies();
  void ShowInWindow(win32::NativeGlContext& window);
  GLuint Link(const std::string& vertexSource, const std::string& fragmentSource);
  bool TiesGoTopLeft(float bias);

  std::unique_ptr<Context> context_;
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
  platform::FrameImage presented_;
};

GlBackend::GlBackend(std::unique_ptr<Context> context, UINT width, UINT height, D3DFORMAT format, bool depth)
    : context_(std::move(context)),
      width_(width),
      height_(height),
      format_(format),
      writesAlpha_(format == D3DFMT_A8R8G8B8 || format == D3DFMT_A1R5G5B5),
      depth_(depth) {
  const Functions& f = gl();
  f.GenFramebuffers(1, &framebuffer_);
  f.BindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  f.GenRenderbuffers(1, &colorBuffer_);
  f.BindRenderbuffer(GL_RENDERBUFFER, colorBuffer_);
  // 16-bit back buffers are 16 bits on the graphics card too, so that blending sees what they hold.
  const GLenum storage = format == D3DFMT_R5G6B5                                    ? GL_RGB565
                         : format == D3DFMT_X1R5G5B5 || format == D3DFMT_A1R5G5B5 ? GL_RGB5_A1
                                                                                  : GL_RGBA8;
  f.RenderbufferStorage(GL_RENDERBUFFER, storage, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
  f.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colorBuffer_);
  if (depth) {
    f.GenRenderbuffers(1, &depthBuffer_);
    f.BindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
    f.RenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, static_cast<GLsizei>(width),
                          static_cast<GLsizei>(height));
    f.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer_);
  }
  complete_ = f.CheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  f.GenVertexArrays(1, &vertexArray_);
  f.BindVertexArray(vertexArray_);
  f.GenBuffers(1, &streamVertices_);
  f.GenBuffers(1, &streamIndices_);
  f.PrimitiveRestartIndex(kRestartIndex);  // only batches enable it; indices of a buffer never reach it
  f.ProvokingVertex(GL_FIRST_VERTEX_CONVENTION);  // Direct3D's flat triangles take their first vertex
  f.FrontFace(GL_CCW);
  f.Enable(GL_SCISSOR_TEST);
  f.Disable(GL_DITHER);  // on by default; the software device never dithers
  f.PixelStorei(GL_PACK_ALIGNMENT, 1);  // rows read back without padding (16-bit rows may be odd)
  f.PixelStorei(GL_UNPACK_ALIGNMENT, 4);
  // A texture the driver cannot take must be refused when it is made, not fail when it is drawn.
  GLint driverSide = 0;
  f.GetIntegerv(GL_MAX_TEXTURE_SIZE, &driverSide);
  while (driverSide > 0 && static_cast<GLint>(maxTextureSide_) > driverSide) maxTextureSide_ /= 2;
  if (complete_) {
    const char* forced = std::getenv("VORNHOLD_GL_TIE_BIAS");  // for tests: the bias on any driver
    if ((forced && *forced) || !TiesGoTopLeft(0)) tieBias_ = kTieBias;
  }
  // A fresh back buffer is black (alpha opaque where the format has none) and the depth far.
  Clear({D3DRECT{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)}},
        D3DCLEAR_TARGET | (depth ? D3DCLEAR_ZBUFFER : 0), 0, 1.0f);
}

GlBackend::~GlBackend() {
  context_->MakeCurrent();
  const Functions& f = gl();
  for (auto& [key, program] : programs_) f.DeleteProgram(program.name);
  for (auto& [texture, cached] : textures_) f.DeleteTextures(1, &cached.name);
  for (auto* copies : {&vertexCopies_, &indexCopies_}) {
    for (auto& [buffer, copy] : *copies) f.DeleteBuffers(1, &copy.name);
  }
  f.DeleteBuffers(1, &streamVertices_);
  f.DeleteBuffers(1, &streamIndices_);
  f.DeleteVertexArrays(1, &vertexArray_);
  f.DeleteRenderbuffers(1, &colorBuffer_);
  if (depthBuffer_) f.DeleteRenderbuffers(1, &depthBuffer_);
  f.DeleteFramebuffers(1, &framebuffer_);
}

void GlBackend::Clear(const std::vector<D3DRECT>& rects, DWORD flags, D3DCOLOR color, float z) {
  context_->MakeCurrent();
  DrawBatch();
  const Functions& f = gl();
  GLbitfield mask = 0;
  if (flags & D3DCLEAR_TARGET) {
    mask |= GL_COLOR_BUFFER_BIT;
    f.ColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    // A 16-bit buffer keeps the top bits of each channel, as the software device packs them;
    // OpenGL would round to the nearest value instead.
    const int green = format_ == D3DFMT_R5G6B5 ? 6 : format_ == D3DFMT_X8R8G8B8 || format_ == D3DFMT_A8R8G8B8 ? 8 : 5;
    const int others = green == 8 ? 8 : 5, alphaBits = green == 8 ? 8 : 1;
    const auto channel = [](D3DCOLOR value, int bits) {
      return static_cast<float>(value >> (8 - bits)) / static_cast<float>((1 << bits) - 1);
    };
    f.ClearColor(channel((color >> 16) & 255, others), channel((color >> 8) & 255, green), channel(color & 255, others),
                 writesAlpha_ ? channel(color >> 24, alphaBits) : 1.0f);
  }
  if ((flags & D3DCLEAR_ZBUFFER) && depth_) {
    mask |= GL_DEPTH_BUFFER_BIT;
    f.DepthMask(GL_TRUE);
    f.ClearDepth(std::clamp(z, 0.0f, 1.0f));
  }
  if (mask == 0) return;
  for (const D3DRECT& r : rects) {
    f.Scissor(r.x1, r.y1, r.x2 - r.x1, r.y2 - r.y1);
    f.Clear(mask);
  }
}

const platform::FrameImage* GlBackend::Present() {
  context_->MakeCurrent();
  DrawBatch();
  const Functions& f = gl();
  win32::NativeGlContext* shownIn = context_->window();
  const bool readBack = !shownIn || platform::FramePixelsWanted();
  if (readBack) {
    const std::size_t count = static_cast<std::size_t>(width_) * height_;
    presented_.width = static_cast<int>(width_);
    presented_.height = static_cast<int>(height_);
    presented_.xrgb.resize(count);
    const GLsizei w = static_cast<GLsizei>(width_), h = static_cast<GLsizei>(height_);
    if (format_ == D3DFMT_X8R8G8B8 || format_ == D3DFMT_A8R8G8B8) {
      // 0xAARRGGBB words in memory are the bytes B, G, R, A.
      f.ReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_BYTE, presented_.xrgb.data());
      for (std::uint32_t& pixel : presented_.xrgb) pixel &= 0x00FFFFFFu;
    } else {
      // 16-bit pixels in Direct3D's bit order, widened as the software device widens them.
      readBack16_.resize(count);
      std::uint16_t* pixels = readBack16_.data();
      if (format_ == D3DFMT_R5G6B5) {
        f.ReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, pixels);
      } else {
        f.ReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, pixels);
      }
      for (std::size_t i = 0; i < count; ++i) presented_.xrgb[i] = TexelToColor(format_, pixels[i]) & 0x00FFFFFFu;
    }
  }
  if (shownIn) ShowInWindow(*shownIn);
  ++frame_;
  ForgetIdleCopies();
  return readBack ? &presented_ : nullptr;
}

void GlBackend::ForgetIdleCopies() {
  const Functions& f = gl();
  for (auto it = textures_.begin(); it != textures_.end();) {
    if (frame_ - it->second.lastFrame > kIdleFrames) {
      f.DeleteTextures(1, &it->second.name);
      it = textures_.erase(it);
    } else {
      ++it;
    }
  }
  for (auto* copies : {&vertexCopies_, &indexCopies_}) {
    for (auto it = copies->begin(); it != copies->end();) {
      if (frame_ - it->second.lastFrame > kIdleFrames) {
        f.DeleteBuffers(1, &it->second.name);
        it = copies->erase(it);
      } else {
        ++it;
      }
    }
  }
}

// The back buffer scaled into the window's drawable, black around it, and shown.
void GlBackend::ShowInWindow(win32::NativeGlContext& window) {
  const Functions& f = gl();
  const win32::FramePlacement place = window.Place(static_cast<int>(width_), static_cast<int>(height_));
  f.BindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  f.BindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
  f.Disable(GL_SCISSOR_TEST);
  f.ColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  f.ClearColor(0, 0, 0, 1);
  f.Clear(GL_COLOR_BUFFER_BIT);
  // The back buffer's row 0 is its top row; the window's is its bottom row.
  const GLint top = place.drawableHeight - place.y, bottom = top - place.height;
  f.BlitFramebuffer(0, 0, static_cast<GLint>(width_), static_cast<GLint>(height_), place.x, top,
                    place.x + place.width, bottom, GL_COLOR_BUFFER_BIT, place.sharp ? GL_NEAREST : GL_LINEAR);
  window.Swap();
  f.BindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  f.Enable(GL_SCISSOR_TEST);
}

GLuint GlBackend::Link(const std::string& vertexSource, const std::string& fragmentSource) {
  const Functions& f = gl();
  const auto compile = [&](GLenum type, const std::string& source) {
    const GLuint shader = f.CreateShader(type);
    const char* text = source.c_str();
    f.ShaderSource(shader, 1, &text, nullptr);
    f.CompileShader(shader);
    GLint ok = 0;
    f.GetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
      char log[1024] = {};
      f.GetShaderInfoLog(shader, sizeof log, nullptr, log);
      std::fprintf(stderr, "vornhold: OpenGL device: a generated shader does not compile: %s\n", log);
    }
    return shader;
  };
  const GLuint vertex = compile(GL_VERTEX_SHADER, vertexSource);
  const GLuint fragment = compile(GL_FRAGMENT_SHADER, fragmentSource);
  const GLuint program = f.CreateProgram();
  f.AttachShader(program, vertex);
  f.AttachShader(program, fragment);
  f.BindAttribLocation(program, kPosition, "aPosition");
  f.BindFragDataLocation(program, 0, "fragColor");
  f.LinkProgram(program);
  f.DeleteShader(vertex);
  f.DeleteShader(fragment);
  GLint linked = 0;
  f.GetProgramiv(program, GL_LINK_STATUS, &linked);
  if (!linked) {
    char log[1024] = {};
    f.GetProgramInfoLog(program, sizeof log, nullptr, log);
    std::fprintf(stderr, "vornhold: OpenGL device: a generated program does not link: %s\n", log);
  }
  return program;
}

// Direct3D draws a pixel whose centre lies on a triangle's edge only when the edge is a left or a
// top one; OpenGL leaves such pixels to the driver, as long as one of two triangles sharing the
// edge draws them. Drawn as this device orients the framebuffer, Mesa's choice is Direct3D's.
// For a driver whose is not, every vertex moves left by 4/256 and up by 1/256 of a pixel (steps of
// the 8-bit sub-pixel grid drivers snap to), as if each pixel centre were looked at a little to
// the right and a little less below: a centre on a left or top edge is then inside, one on a right
// or bottom edge outside, and so is a centre on a vertex, except for an edge that runs within 14
// degrees below the horizontal. The price: edges within 1/64 of a pixel of a centre pass to its
// other side, and interpolated colours and texture coordinates move by that much.
// Draws a 4 x 4 square of two triangles with edges through pixel centres at (1, 1) .. (5, 5)
// additively in the corner of the back buffer and checks that exactly the pixels (1..4, 1..4) were
// drawn, once each.
bool GlBackend::TiesGoTopLeft(float bias) {
  const Functions& f = gl();
  const GLuint program = Link(
      "#version 330 core\n"
      "in vec2 aPosition;\n"
      "uniform vec2 uScale;\n"
      "uniform vec2 uCentre;\n"
      "void main() { gl_Position = vec4((aPosition + uCentre) * uScale - 1.0, 0.0, 1.0); }\n",
      "#version 330 core\n"
      "out vec4 fragColor;\n"
      "void main() { fragColor = vec4(0.25); }\n");
  f.UseProgram(program);
  f.Uniform2f(f.GetUniformLocation(program, "uScale"), 2.0f / static_cast<float>(width_),
              2.0f / static_cast<float>(height_));
  f.Uniform2f(f.GetUniformLocation(program, "uCentre"), 0.5f - kTieStepsX * bias, 0.5f - bias);
  const float square[] = {1, 1, 5, 1, 5, 5, 1, 1, 5, 5, 1, 5};
  f.BindBuffer(GL_ARRAY_BUFFER, streamVertices_);
  f.BufferData(GL_ARRAY_BUFFER, sizeof square, square, GL_STREAM_DRAW);
  for (GLuint location = kPosition; location <= kNormal; ++location) f.DisableVertexAttribArray(location);
  f.EnableVertexAttribArray(kPosition);
  f.VertexAttribPointer(kPosition, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
  f.Viewport(0, 0, static_cast<GLsizei>(width_), static_cast<GLsizei>(height_));
  f.Scissor(0, 0, 8, 8);
  f.ColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  f.ClearColor(0, 0, 0, 0);
  f.Clear(GL_COLOR_BUFFER_BIT);
  f.Disable(GL_DEPTH_TEST);
  f.Disable(GL_CULL_FACE);
  f.Enable(GL_BLEND);
  f.BlendEquation(GL_FUNC_ADD);
  f.BlendFunc(GL_ONE, GL_ONE);
  f.DrawArrays(GL_TRIANGLES, 0, 6);
  f.Disable(GL_BLEND);
  f.UseProgram(0);
  f.DeleteProgram(program);
  std::uint8_t red[8 * 8 * 4];
  f.ReadPixels(0, 0, 8, 8, GL_RGBA, GL_UNSIGNED_BYTE, red);
  const std::uint8_t once = red[(2 * 8 + 2) * 4];  // a pixel well inside
  if (once == 0) return false;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const bool inside = x >= 1 && x < 5 && y >= 1 && y < 5;
      if (red[(y * 8 + x) * 4] != (inside ? once : 0)) return false;
    }
  }
  return true;
}

const Program& GlBackend::ProgramFor(const ProgramKey& key) {
  if (auto found = programs_.find(key); found != programs_.end()) return found->second;
  const Functions& f = gl();
  Program program;
  program.name = Link(VertexShaderSource(key), FragmentShaderSource(key));
  program.matrix = f.GetUniformLocation(program.name, "uMatrix");
  program.worldView = f.GetUniformLocation(program.name, "uWorldView");
  program.normalMatrix = f.GetUniformLocation(program.name, "uNormalMatrix");
  program.lights = f.GetUniformLocation(program.name, "uLights");
  program.material = f.GetUniformLocation(program.name, "uMaterial");
  program.viewport = f.GetUniformLocation(program.name, "uViewport");
  program.halfPixel = f.GetUniformLocation(program.name, "uHalfPixel");
  program.texture = f.GetUniformLocation(program.name, "uTexture");
  program.textureSize = f.GetUniformLocation(program.name, "uTextureSize");
  program.clamp = f.GetUniformLocation(program.name, "uClamp");
  program.factor = f.GetUniformLocation(program.name, "uFactor");
  program.alphaRef = f.GetUniformLocation(program.name, "uAlphaRef");
  program.wDepth = f.GetUniformLocation(program.name, "uWDepth");
  return programs_.emplace(key, program).first->second;
}

DrawSetup GlBackend::SetupFor(const DrawRequest& request, const FvfLayout& layout) const {
  const DeviceState& state = *request.state;
  const FixedFunctionState& fixed = *request.fixed;
  const auto& rs = state.renderStates;
  DrawSetup d;
  ProgramKey& key = d.key;
  d.mode = PrimitiveMode(request.type);
  d.fvf = request.fvf;
  d.stride = request.stride;
  d.viewport = state.viewport;

  key.transformed = layout.transformed;
  key.lighting = fixed.lighting;
  key.specular = fixed.specular;
  key.texCoords = FromOf(fixed.texCoords);
  d.texCoordSet = fixed.texCoordSet;
  if (!layout.transformed) {
    d.matrix = fixed.worldViewProjection;
    if (key.lighting || key.texCoords == kFromCameraPosition) d.worldView = fixed.worldView;
  }
  if (key.lighting) {
    SetLighting(state, fixed, d);
  } else {
    key.hasDiffuse = layout.diffuse >= 0;
    key.hasSpecular = key.specular && layout.specular >= 0;
  }

  d.depthTest = fixed.depthTest;
  if (d.depthTest) {
    d.depthFunc = CompareFunction(rs[D3DRS_ZFUNC]);
    d.depthWrite = rs[D3DRS_ZWRITEENABLE] != FALSE;
    key.wBuffer = fixed.wBuffer;
    if (key.wBuffer) d.wDepth = {fixed.wScale, fixed.wNear, fixed.wInvRange};
  }
  d.blend = fixed.blend;
  if (d.blend) {
    d.source = BlendFactor(fixed.srcBlend);
    d.destination = BlendFactor(fixed.destBlend);
  }
  const DWORD cull = rs[D3DRS_CULLMODE];
  d.cull = cull == D3DCULL_CW || cull == D3DCULL_CCW ? cull : D3DCULL_NONE;
  const DWORD fill = rs[D3DRS_FILLMODE];
  d.fill = fill == D3DFILL_WIREFRAME ? GL_LINE : fill == D3DFILL_POINT ? GL_POINT : GL_FILL;

  key.flat = rs[D3DRS_SHADEMODE] == D3DSHADE_FLAT;
  const Texture* texture = fixed.texture;
  key.textured = texture != nullptr;
  if (texture) {
    d.texture = texture;
    d.texels = texture->Texels(0);  // MIPFILTER NONE: only the top level is sampled
    d.textureWidth = texture->Width(0);
    d.textureHeight = texture->Height(0);
    d.clampU = state.stages[0][D3DTSS_ADDRESSU] == D3DTADDRESS_CLAMP;
    d.clampV = state.stages[0][D3DTSS_ADDRESSV] == D3DTADDRESS_CLAMP;
  }
  key.alphaTest = rs[D3DRS_ALPHATESTENABLE] != FALSE;
  key.alphaFunc = rs[D3DRS_ALPHAFUNC];
  const StageOps& stage = fixed.stage;
  key.colorOp = stage.colorOp;
  key.colorArg1 = stage.colorArg1;
  key.colorArg2 = stage.colorArg2;
  key.alphaOp = stage.alphaOp;
  key.alphaArg1 = stage.alphaArg1;
  key.alphaArg2 = stage.alphaArg2;
  d.factor = rs[D3DRS_TEXTUREFACTOR];
  d.alphaRef = rs[D3DRS_ALPHAREF] & 0xFF;
  return d;
}

// The lit vertex shader's key bits and uniforms: material sources, lights and material.
void GlBackend::SetLighting(const DeviceState& state, const FixedFunctionState& fixed, DrawSetup& d) {
  const auto& rs = state.renderStates;
  ProgramKey& key = d.key;
  key.hasNormal = fixed.layout.normal >= 0;
  key.normalize = key.hasNormal && rs[D3DRS_NORMALIZENORMALS] != FALSE;
  key.localViewer = key.specular && rs[D3DRS_LOCALVIEWER] != FALSE;
  key.diffuseFrom = FromOf(fixed.diffuseFrom);
  key.ambientFrom = FromOf(fixed.ambientFrom);
  key.emissiveFrom = FromOf(fixed.emissiveFrom);
  if (key.specular) key.specularFrom = FromOf(fixed.specularFrom);
  d.normalMatrix = fixed.normalMatrix;
  const int count = fixed.lightCount;
  key.lightCount = static_cast<std::uint8_t>(count);
  for (int i = 0; i < count; ++i) {
    const EyeLight& l = fixed.lights[i];
    key.lightTypes = static_cast<std::uint16_t>(key.lightTypes | (l.type << (2 * i)));
    const float vectors[kLightVectors][4] = {
        {l.diffuse.r, l.diffuse.g, l.diffuse.b, l.range},
        {l.specular.r, l.specular.g, l.specular.b, l.a0},
        {l.ambient.r, l.ambient.g, l.ambient.b, l.a1},
        {l.position.x, l.position.y, l.position.z, l.a2},
        {l.direction.x, l.direction.y, l.direction.z, l.falloff},
        {l.cosTheta, l.cosPhi, 0.0f, 0.0f}};
    std::memcpy(&d.lights[4 * kLightVectors * i], vectors, sizeof vectors);
  }
  const D3DMATERIAL8& m = state.material;
  const D3DCOLOR ga = rs[D3DRS_AMBIENT];
  const float material[kMaterialVectors][4] = {
      {m.Diffuse.r, m.Diffuse.g, m.Diffuse.b, m.Diffuse.a},
      {m.Ambient.r, m.Ambient.g, m.Ambient.b, m.Ambient.a},
      {m.Specular.r, m.Specular.g, m.Specular.b, m.Specular.a},
      {m.Emissive.r, m.Emissive.g, m.Emissive.b, m.Emissive.a},
      {static_cast<float>((ga >> 16) & 255) / 255.0f, static_cast<float>((ga >> 8) & 255) / 255.0f,
       static_cast<float>(ga & 255) / 255.0f, m.Power}};
  std::memcpy(d.material.data(), material, sizeof material);
}

void GlBackend::BindTexture(const DrawSetup& setup) {
  const Functions& f = gl();
  CachedTexture& cached = textures_[setup.texture];
  cached.lastFrame = frame_;
  if (cached.name && cached.texels == setup.texels) {
    f.BindTexture(GL_TEXTURE_2D, cached.name);
    return;
  }
  // Holding the texels keeps their memory from being reused: a texture that changes (or a new
  // texture at the same address) hands out new texels, so a pointer that differs means an upload.
  if (!cached.name) f.GenTextures(1, &cached.name);
  f.BindTexture(GL_TEXTURE_2D, cached.name);
  f.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  f.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  f.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  f.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, static_cast<GLsizei>(setup.textureWidth),
               static_cast<GLsizei>(setup.textureHeight), 0, GL_BGRA, GL_UNSIGNED_BYTE, setup.texels->data());
  cached.texels = setup.texels;
}

void GlBackend::Apply(const DrawSetup& d) {
  const Functions& f = gl();
  const D3DVIEWPORT8& vp = d.viewport;
  const GLint left = static_cast<GLint>(vp.X);
  const GLint top = static_cast<GLint>(vp.Y);
  f.Viewport(left, top, static_cast<GLsizei>(vp.Width), static_cast<GLsizei>(vp.Height));
  f.Scissor(left, top, static_cast<GLsizei>(vp.Width), static_cast<GLsizei>(vp.Height));
  if (d.key.transformed) {
    f.DepthRange(0.0, 1.0);
  } else {
    f.DepthRange(vp.MinZ, vp.MaxZ);
  }
  if (d.depthTest) {
    f.Enable(GL_DEPTH_TEST);
    f.DepthFunc(d.depthFunc);
    f.DepthMask(d.depthWrite ? GL_TRUE : GL_FALSE);
  } else {
    f.Disable(GL_DEPTH_TEST);
  }
  if (d.blend) {
    f.Enable(GL_BLEND);
    f.BlendEquation(GL_FUNC_ADD);
    f.BlendFunc(d.source, d.destination);
  } else {
    f.Disable(GL_BLEND);
  }
  f.ColorMask(GL_TRUE, GL_TRUE, GL_TRUE, writesAlpha_ ? GL_TRUE : GL_FALSE);
  if (d.cull != D3DCULL_NONE) {
    f.Enable(GL_CULL_FACE);
    f.CullFace(d.cull == D3DCULL_CW ? GL_FRONT : GL_BACK);
  } else {
    f.Disable(GL_CULL_FACE);
  }
  f.PolygonMode(GL_FRONT_AND_BACK, d.fill);

  const Program& program = ProgramFor(d.key);
  f.UseProgram(program.name);
  // Direct3D's rows are OpenGL's columns: the shader's M * v is Direct3D's v * M.
  f.UniformMatrix4fv(program.matrix, 1, GL_FALSE, &d.matrix._11);
  if (program.worldView >= 0) f.UniformMatrix4fv(program.worldView, 1, GL_FALSE, &d.worldView._11);
  if (program.normalMatrix >= 0) f.UniformMatrix3fv(program.normalMatrix, 1, GL_FALSE, d.normalMatrix.data());
  if (program.lights >= 0) f.Uniform4fv(program.lights, kLightVectors * d.key.lightCount, d.lights.data());
  if (program.material >= 0) f.Uniform4fv(program.material, kMaterialVectors, d.material.data());
  const float viewport[4] = {static_cast<float>(vp.X), static_cast<float>(vp.Y), static_cast<float>(vp.Width),
                             static_cast<float>(vp.Height)};
  f.Uniform4fv(program.viewport, 1, viewport);
  // Half a pixel to Direct3D's pixel centres, less the tie bias.
  f.Uniform2f(program.halfPixel, (1.0f - 2.0f * kTieStepsX * tieBias_) / static_cast<float>(vp.Width),
              (1.0f - 2.0f * tieBias_) / static_cast<float>(vp.Height));
  f.Uniform4i(program.factor, static_cast<GLint>((d.factor >> 16) & 255), static_cast<GLint>((d.factor >> 8) & 255),
              static_cast<GLint>(d.factor & 255), static_cast<GLint>(d.factor >> 24));
  f.Uniform1i(program.alphaRef, static_cast<GLint>(d.alphaRef));
  if (d.key.wBuffer) f.Uniform3f(program.wDepth, d.wDepth[0], d.wDepth[1], d.wDepth[2]);
  if (d.texture) {
    f.ActiveTexture(GL_TEXTURE0);
    BindTexture(d);
    f.Uniform1i(program.texture, 0);
    f.Uniform2i(program.textureSize, static_cast<GLint>(d.textureWidth), static_cast<GLint>(d.textureHeight));
    f.Uniform2i(program.clamp, d.clampU ? 1 : 0, d.clampV ? 1 : 0);
  }
}

// The FVF's fields in the buffer bound to GL_ARRAY_BUFFER, the first vertex `offset` bytes in.
void GlBackend::DescribeVertices(const DrawSetup& d, std::size_t offset) {
  const Functions& f = gl();
  FvfLayout layout;
  DecodeFvf(d.fvf, layout);
  const GLsizei stride = static_cast<GLsizei>(d.stride);
  const auto field = [&](GLuint location, int at, GLint size, GLenum type) {
    if (at < 0) {
      f.DisableVertexAttribArray(location);
      return;
    }
    f.EnableVertexAttribArray(location);
    // D3DCOLOR bytes arrive as 0..255 in the order B, G, R, A; the shader turns them around.
    f.VertexAttribPointer(location, size, type, GL_FALSE, stride,
                          reinterpret_cast<const void*>(static_cast<std::uintptr_t>(offset + at)));
  };
  field(kPosition, 0, layout.transformed ? 4 : 3, GL_FLOAT);
  field(kDiffuse, layout.diffuse, 4, GL_UNSIGNED_BYTE);
  field(kSpecular, layout.specular, 4, GL_UNSIGNED_BYTE);
  field(kNormal, layout.normal, 3, GL_FLOAT);
  const bool fromSet = d.key.texCoords == kFromVertexSet;
  // A set of one coordinate reads v as 0, OpenGL's default for a missing component.
  field(kTexCoord, fromSet ? layout.texCoord[d.texCoordSet] : -1,
        fromSet ? static_cast<GLint>(std::min<UINT>(2, layout.texCoordSize[d.texCoordSet])) : 2, GL_FLOAT);
}

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
  f.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, streamIndices_);
  f.BufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(b.indices.size() * sizeof(GLuint)), b.indices.data(),
               GL_STREAM_DRAW);
  DescribeVertices(b.setup, 0);
  const bool restart = b.setup.mode != GL_TRIANGLES;
  if (restart) f.Enable(GL_PRIMITIVE_RESTART);
  f.DrawElementsBaseVertex(b.setup.mode, static_cast<GLsizei>(b.indices.size()), GL_UNSIGNED_INT, nullptr, 0);
  if (restart) f.Disable(GL_PRIMITIVE_RESTART);
  b.setup = DrawSetup{};  // lets the texels go
  b.pending = false;
  b.vertexCount = 0;
  b.vertices.clear();
  b.indices.clear();
}

// Binds the OpenGL copy of a vertex or index buffer to `target`, uploading the bytes when the copy
// is not of the buffer's version. A locked buffer can change without a new version, so a copy made
// while it is locked is never taken as current.
CachedBuffer& GlBackend::BufferCopy(std::unordered_map<const void*, CachedBuffer>& copies, const void* buffer,
                                    std::uint64_t version, bool locked, GLenum target,
                                    const std::vector<BYTE>& bytes) {
  const Functions& f = gl();
  CachedBuffer& copy = copies[buffer];
  copy.lastFrame = frame_;
  if (!copy.name) f.GenBuffers(1, &copy.name);
  f.BindBuffer(target, copy.name);
  if (copy.version != version || locked) {
    f.BufferData(target, static_cast<GLsizeiptr>(bytes.size()), bytes.data(), GL_STATIC_DRAW);
  }
  copy.version = locked ? 0 : version;
  return copy;
}

void GlBackend::DrawFromBuffers(const DrawRequest& request, const DrawSetup& setup) {
  const Functions& f = gl();
  const VertexBuffer& vertices = *request.vertexBuffer;
  BufferCopy(vertexCopies_, &vertices, vertices.Version(), vertices.Locked(), GL_ARRAY_BUFFER, vertices.Bytes());
  DescribeVertices(setup, static_cast<std::size_t>(request.vertices - vertices.Bytes().data()));
  const GLsizei count = static_cast<GLsizei>(PrimitiveVertices(request));
  if (!request.indices) {
    f.DrawArrays(setup.mode, 0, count);
    return;
  }
  const IndexBuffer& indices = *request.indexBuffer;
  BufferCopy(indexCopies_, &indices, indices.Version(), indices.Locked(), GL_ELEMENT_ARRAY_BUFFER, indices.Bytes());
  const std::uintptr_t offset = static_cast<std::uintptr_t>(request.indices - indices.Bytes().data());
  f.DrawElementsBaseVertex(setup.mode, count, request.wideIndices ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                           reinterpret_cast<const void*>(offset), -static_cast<GLint>(request.firstIndex));
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

}  // namespace
}  // namespace gl

std::unique_ptr<DeviceBackend> MakeGlBackend(HWND window, UINT width, UINT height, D3DFORMAT format, bool depth,
                                             bool acceptSoftware, std::string& why, std::string& renderer) {
  if (format != D3DFMT_X8R8G8B8 && format != D3DFMT_A8R8G8B8 && format != D3DFMT_R5G6B5 &&
      format != D3DFMT_X1R5G5B5 && format != D3DFMT_A1R5G5B5) {
    why = format == D3DFMT_R8G8B8 ? "the OpenGL device has no 24-bit back buffers"
                                  : "the OpenGL device has no back buffers of format " + std::to_string(format);
    return nullptr;
  }
  // In the window's own context where the window backend has windows; headless through EGL.
  std::unique_ptr<gl::Context> context;
  std::unique_ptr<win32::NativeGlContext> native =
      window ? win32::GetWindowBackend().CreateGlContext(window, why) : nullptr;
  if (native) {
    context = gl::Context::CreateOnWindow(std::move(native), why);
  } else if (why.empty()) {
    context = gl::Context::Create(why);
  }
  if (!context) return nullptr;
  renderer = context->renderer();
  if (!acceptSoftware && context->software()) {
    why = "OpenGL is not hardware-accelerated here (" + renderer + ")";
    return nullptr;
  }
  auto backend = std::make_unique<gl::GlBackend>(std::move(context), width, height, format, depth);
  if (!backend->complete()) {
    why = "OpenGL cannot draw into a " + std::to_string(width) + "x" + std::to_string(height) + " framebuffer";
    return nullptr;
  }
  return backend;
}

}  // namespace d3d8
