// The hardware device: the DeviceBackend on OpenGL 3.3 core, drawing into a framebuffer object.
//
// Orientation: the framebuffer's row 0 is Direct3D's top row (the vertex shader turns y over), so
// viewport and scissor rectangles are Direct3D's and Present hands the rows over as they are read.
// A triangle clockwise on Direct3D's screen has a positive area in OpenGL's window coordinates, so
// GL_CCW is the front face. This orientation also gives Direct3D's top-left fill rule on Mesa,
// whose rule for framebuffer objects favours the edges nearer row 0.
//
// Per draw, the vertices are fetched on the processor into one layout (gl_programs.h): positions
// as they are (the matrix is applied by the vertex shader), colours lit by the software device's
// own lighting code (ref_lighting.h), so that lit colours are the same numbers, and the stage-0
// texture coordinates the draw selects. They are streamed into one vertex buffer for the draw.
// Textures are uploaded when first drawn and again whenever their texels changed.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/d3d8/device_backend.h"
#include "platform/d3d8/device_state.h"
#include "platform/d3d8/fvf.h"
#include "platform/d3d8/shared_pipeline.h"
#include "platform/d3d8/gl/gl_context.h"
#include "platform/d3d8/gl/gl_programs.h"
#include "platform/d3d8/ref/ref_lighting.h"
#include "platform/d3d8/texture.h"
#include "platform/present/present.h"
#include "platform/win32/window_backend.h"

namespace d3d8 {
namespace gl {
namespace {

constexpr int kFloatsPerVertex = 13;  // position 4, diffuse 4, specular 3, texture coordinates 2
// A texture not drawn for this many frames gives its OpenGL copy back.
constexpr unsigned long kTextureIdleFrames = 240;

// Stage 0 without a texture: a colour operation reading the texture turns the stage off; alpha
// arguments naming the texture read the diffuse alpha.
void ResolveStage(const DeviceState& state, bool textured, ProgramKey& key) {
  const auto& tss = state.stages[0];
  key.colorOp = tss[D3DTSS_COLOROP];
  key.colorArg1 = tss[D3DTSS_COLORARG1];
  key.colorArg2 = tss[D3DTSS_COLORARG2];
  key.alphaOp = tss[D3DTSS_ALPHAOP];
  key.alphaArg1 = tss[D3DTSS_ALPHAARG1];
  key.alphaArg2 = tss[D3DTSS_ALPHAARG2];
  if (textured) return;
  if (ReadsTexture(key.colorOp, key.colorArg1, key.colorArg2)) key.colorOp = D3DTOP_DISABLE;
  const auto toDiffuse = [](DWORD arg) {
    return (arg & D3DTA_SELECTMASK) == D3DTA_TEXTURE ? (arg & ~D3DTA_SELECTMASK) | D3DTA_DIFFUSE : arg;
  };
  key.alphaArg1 = toDiffuse(key.alphaArg1);
  key.alphaArg2 = toDiffuse(key.alphaArg2);
}

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

// D3DZB_USEW as the software device does it: w (eye-space depth, w_clip / _34) spread linearly
// over WNear = -_43/_33 .. WFar = _43/(1 - _33), as {1/_34, WNear, 1/(WFar - WNear)}. False under a
// projection that does not allow it (the depth is then z/w, as with D3DZB_TRUE).
bool WBufferRange(const D3DMATRIX& p, float (&out)[3]) {
  if (!(p._34 != 0.0f && p._44 == 0.0f && p._33 != 0.0f && p._33 != 1.0f)) return false;
  const float scale = 1.0f / p._34;
  const float nearW = -p._43 / p._33;
  const float farW = (p._43 * scale) / (1.0f - p._33 * scale);
  if (!(std::isfinite(nearW) && std::isfinite(farW) && nearW < farW)) return false;
  out[0] = scale;
  out[1] = nearW;
  out[2] = 1.0f / (farW - nearW);
  return true;
}

struct Program {
  GLuint name = 0;
  GLint matrix = -1, halfPixel = -1, texture = -1, textureSize = -1, clamp = -1, factor = -1, alphaRef = -1,
        wDepth = -1;
};

struct CachedTexture {
  std::shared_ptr<const std::vector<std::uint32_t>> texels;  // the texels last uploaded
  GLuint name = 0;
  unsigned long lastFrame = 0;
};

class GlBackend final : public DeviceBackend {
 public:
  GlBackend(std::unique_ptr<Context> context, UINT width, UINT height, D3DFORMAT format, bool depth);
  ~GlBackend() override;

  void Clear(const std::vector<D3DRECT>& rects, DWORD flags, D3DCOLOR color, float z) override;
  void Present(HWND window) override;
  void Draw(const DrawRequest& request) override;
  bool complete() const { return complete_; }

 private:
  const Functions& gl() const { return context_->gl(); }
  const Program& ProgramFor(const ProgramKey& key);
  GLuint TextureFor(const Texture& texture);
  void FetchVertices(const DrawRequest& request, const FvfLayout& layout);
  void ShowInWindow(win32::NativeGlContext& window);

  std::unique_ptr<Context> context_;
  UINT width_, height_;
  D3DFORMAT format_;
  bool writesAlpha_;  // A8R8G8B8 and A1R5G5B5 keep alpha; the X formats read back as opaque
  bool depth_;
  bool complete_ = false;  // the framebuffer object can be drawn into
  GLuint framebuffer_ = 0, colorBuffer_ = 0, depthBuffer_ = 0;
  GLuint vertexArray_ = 0, vertexBuffer_ = 0, indexBuffer_ = 0;
  std::map<ProgramKey, Program> programs_;
  std::unordered_map<const Texture*, CachedTexture> textures_;
  unsigned long frame_ = 0;
  std::vector<float> vertices_;
  ref::Lighting lighting_;
  std::vector<ref::LitColor> lit_;
  std::vector<std::uint32_t> readBack_;
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
  f.GenBuffers(1, &vertexBuffer_);
  f.GenBuffers(1, &indexBuffer_);
  f.BindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
  f.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
  const GLsizei stride = kFloatsPerVertex * sizeof(float);
  const struct {
    GLuint location;
    GLint size;
    int offset;
  } attributes[] = {{kPosition, 4, 0}, {kDiffuse, 4, 4}, {kSpecular, 3, 8}, {kTexCoord, 2, 11}};
  for (const auto& a : attributes) {
    f.EnableVertexAttribArray(a.location);
    f.VertexAttribPointer(a.location, a.size, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(static_cast<std::uintptr_t>(a.offset * sizeof(float))));
  }
  f.ProvokingVertex(GL_FIRST_VERTEX_CONVENTION);  // Direct3D's flat triangles take their first vertex
  f.FrontFace(GL_CCW);
  f.Enable(GL_SCISSOR_TEST);
  f.Disable(GL_DITHER);  // on by default; the software device never dithers
  f.PixelStorei(GL_PACK_ALIGNMENT, 1);  // rows read back without padding (16-bit rows may be odd)
  f.PixelStorei(GL_UNPACK_ALIGNMENT, 4);
  // A fresh back buffer is black (alpha opaque where the format has none) and the depth far.
  Clear({D3DRECT{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)}},
        D3DCLEAR_TARGET | (depth ? D3DCLEAR_ZBUFFER : 0), 0, 1.0f);
}

GlBackend::~GlBackend() {
  context_->MakeCurrent();
  const Functions& f = gl();
  for (auto& [key, program] : programs_) f.DeleteProgram(program.name);
  for (auto& [texture, cached] : textures_) f.DeleteTextures(1, &cached.name);
  f.DeleteBuffers(1, &vertexBuffer_);
  f.DeleteBuffers(1, &indexBuffer_);
  f.DeleteVertexArrays(1, &vertexArray_);
  f.DeleteRenderbuffers(1, &colorBuffer_);
  if (depthBuffer_) f.DeleteRenderbuffers(1, &depthBuffer_);
  f.DeleteFramebuffers(1, &framebuffer_);
}

void GlBackend::Clear(const std::vector<D3DRECT>& rects, DWORD flags, D3DCOLOR color, float z) {
  context_->MakeCurrent();
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

void GlBackend::Present(HWND window) {
  context_->MakeCurrent();
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
      readBack_.resize(count);
      // 0xAARRGGBB words in memory are the bytes B, G, R, A.
      f.ReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_BYTE, readBack_.data());
      for (std::size_t i = 0; i < count; ++i) presented_.xrgb[i] = readBack_[i] & 0x00FFFFFFu;
    } else {
      // 16-bit pixels in Direct3D's bit order, widened as the software device widens them.
      readBack_.resize((count + 1) / 2);
      auto* pixels = reinterpret_cast<std::uint16_t*>(readBack_.data());
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
  for (auto it = textures_.begin(); it != textures_.end();) {
    if (frame_ - it->second.lastFrame > kTextureIdleFrames) {
      f.DeleteTextures(1, &it->second.name);
      it = textures_.erase(it);
    } else {
      ++it;
    }
  }
  platform::DeliverPresent(window, readBack ? &presented_ : nullptr);
}

// The back buffer scaled into the window's drawable, black around it, and shown.
void GlBackend::ShowInWindow(win32::NativeGlContext& window) {
  const Functions& f = gl();
  int width = 0, height = 0;
  window.DrawableSize(width, height);
  const win32::FramePlacement place = window.Place(static_cast<int>(width_), static_cast<int>(height_));
  f.BindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  f.BindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
  f.Disable(GL_SCISSOR_TEST);
  f.ColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  f.ClearColor(0, 0, 0, 1);
  f.Clear(GL_COLOR_BUFFER_BIT);
  // The back buffer's row 0 is its top row; the window's is its bottom row.
  const GLint top = height - place.y, bottom = top - place.height;
  f.BlitFramebuffer(0, 0, static_cast<GLint>(width_), static_cast<GLint>(height_), place.x, top,
                    place.x + place.width, bottom, GL_COLOR_BUFFER_BIT, place.sharp ? GL_NEAREST : GL_LINEAR);
  window.Swap();
  f.BindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  f.Enable(GL_SCISSOR_TEST);
}

const Program& GlBackend::ProgramFor(const ProgramKey& key) {
  if (auto found = programs_.find(key); found != programs_.end()) return found->second;
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
  const GLuint vertex = compile(GL_VERTEX_SHADER, VertexShaderSource(key));
  const GLuint fragment = compile(GL_FRAGMENT_SHADER, FragmentShaderSource(key));
  Program program;
  program.name = f.CreateProgram();
  f.AttachShader(program.name, vertex);
  f.AttachShader(program.name, fragment);
  f.BindFragDataLocation(program.name, 0, "fragColor");
  f.LinkProgram(program.name);
  f.DeleteShader(vertex);
  f.DeleteShader(fragment);
  GLint linked = 0;
  f.GetProgramiv(program.name, GL_LINK_STATUS, &linked);
  if (!linked) {
    char log[1024] = {};
    f.GetProgramInfoLog(program.name, sizeof log, nullptr, log);
    std::fprintf(stderr, "vornhold: OpenGL device: a generated program does not link: %s\n", log);
  }
  program.matrix = f.GetUniformLocation(program.name, "uMatrix");
  program.halfPixel = f.GetUniformLocation(program.name, "uHalfPixel");
  program.texture = f.GetUniformLocation(program.name, "uTexture");
  program.textureSize = f.GetUniformLocation(program.name, "uTextureSize");
  program.clamp = f.GetUniformLocation(program.name, "uClamp");
  program.factor = f.GetUniformLocation(program.name, "uFactor");
  program.alphaRef = f.GetUniformLocation(program.name, "uAlphaRef");
  program.wDepth = f.GetUniformLocation(program.name, "uWDepth");
  return programs_.emplace(key, program).first->second;
}

GLuint GlBackend::TextureFor(const Texture& texture) {
  const Functions& f = gl();
  CachedTexture& cached = textures_[&texture];
  cached.lastFrame = frame_;
  auto texels = texture.Texels(0);  // MIPFILTER NONE: only the top level is sampled
  if (cached.name && cached.texels == texels) {
    f.BindTexture(GL_TEXTURE_2D, cached.name);
    return cached.name;
  }
  // Holding the texels keeps their memory from being reused: a texture that changes (or a new
  // texture at the same address) hands out new texels, so a pointer that differs means an upload.
  if (!cached.name) f.GenTextures(1, &cached.name);
  f.BindTexture(GL_TEXTURE_2D, cached.name);
  f.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  f.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  f.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  f.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, static_cast<GLsizei>(texture.Width(0)),
               static_cast<GLsizei>(texture.Height(0)), 0, GL_BGRA, GL_UNSIGNED_BYTE, texels->data());
  cached.texels = std::move(texels);
  return cached.name;
}

void GlBackend::FetchVertices(const DrawRequest& request, const FvfLayout& layout) {
  const DeviceState& state = *request.state;
  const UINT count = request.vertexCount;
  const bool lighting = !layout.transformed && state.renderStates[D3DRS_LIGHTING] != FALSE;
  const bool addSpecular = state.renderStates[D3DRS_SPECULARENABLE] != FALSE;
  const D3DMATRIX worldView = Multiply(state.world[0], state.view);
  if (lighting) {
    lighting_.Prepare(state, worldView, layout, addSpecular);
    lit_.resize(count);
    lighting_.LightMany(request.vertices, request.stride, count, lit_.data());
  }
  const DWORD tci = state.stages[0][D3DTSS_TEXCOORDINDEX];
  const bool cameraPosition = (tci & 0xFFFF0000u) == D3DTSS_TCI_CAMERASPACEPOSITION;
  const UINT set = tci & 0xFFFFu;
  const bool hasSet = (tci & 0xFFFF0000u) == D3DTSS_TCI_PASSTHRU && set < layout.texCoordSets;
  const D3DVIEWPORT8& vp = state.viewport;

  vertices_.resize(static_cast<std::size_t>(count) * kFloatsPerVertex);
  float* out = vertices_.data();
  for (UINT i = 0; i < count; ++i, out += kFloatsPerVertex) {
    const BYTE* p = request.vertices + static_cast<std::size_t>(i) * request.stride;
    const float x = ReadFloat(p), y = ReadFloat(p + 4), z = ReadFloat(p + 8);
    if (layout.transformed) {  // pixels to Direct3D clip space, w = 1 / rhw
      const float rhw = ReadFloat(p + 12);
      const float w = std::isfinite(rhw) && rhw > 0.0f ? 1.0f / rhw : 1.0f;
      out[0] = ((x - static_cast<float>(vp.X)) / static_cast<float>(vp.Width) * 2.0f - 1.0f) * w;
      out[1] = (1.0f - (y - static_cast<float>(vp.Y)) / static_cast<float>(vp.Height) * 2.0f) * w;
      out[2] = z * w;
      out[3] = w;
    } else {
      out[0] = x;
      out[1] = y;
      out[2] = z;
      out[3] = 1.0f;
    }
    float* diffuse = out + 4;
    float* specular = out + 8;
    specular[0] = specular[1] = specular[2] = 0.0f;
    if (lighting) {
      const ref::LitColor& c = lit_[i];
      diffuse[0] = c.r, diffuse[1] = c.g, diffuse[2] = c.b, diffuse[3] = c.a;
      if (addSpecular) specular[0] = c.sr, specular[1] = c.sg, specular[2] = c.sb;
    } else {
      const D3DCOLOR color = layout.diffuse >= 0 ? ReadColor(p + layout.diffuse) : 0xFFFFFFFFu;
      diffuse[0] = static_cast<float>((color >> 16) & 255);
      diffuse[1] = static_cast<float>((color >> 8) & 255);
      diffuse[2] = static_cast<float>(color & 255);
      diffuse[3] = static_cast<float>(color >> 24);
      if (addSpecular && layout.specular >= 0) {
        const D3DCOLOR s = ReadColor(p + layout.specular);
        specular[0] = static_cast<float>((s >> 16) & 255);
        specular[1] = static_cast<float>((s >> 8) & 255);
        specular[2] = static_cast<float>(s & 255);
      }
    }
    float* uv = out + 11;
    if (cameraPosition && !layout.transformed) {
      uv[0] = x * worldView._11 + y * worldView._21 + z * worldView._31 + worldView._41;
      uv[1] = x * worldView._12 + y * worldView._22 + z * worldView._32 + worldView._42;
    } else if (hasSet) {
      const BYTE* t = p + layout.texCoord[set];
      uv[0] = ReadFloat(t);
      uv[1] = layout.texCoordSize[set] > 1 ? ReadFloat(t + 4) : 0.0f;
    } else {
      uv[0] = uv[1] = 0.0f;
    }
  }
}

void GlBackend::Draw(const DrawRequest& request) {
  context_->MakeCurrent();
  const Functions& f = gl();
  const DeviceState& state = *request.state;
  const auto& rs = state.renderStates;
  FvfLayout layout;
  DecodeFvf(request.fvf, layout);
  FetchVertices(request, layout);

  const D3DVIEWPORT8& vp = state.viewport;
  const GLint left = static_cast<GLint>(vp.X);
  const GLint top = static_cast<GLint>(vp.Y);
  f.Viewport(left, top, static_cast<GLsizei>(vp.Width), static_cast<GLsizei>(vp.Height));
  f.Scissor(left, top, static_cast<GLsizei>(vp.Width), static_cast<GLsizei>(vp.Height));
  if (layout.transformed) {
    f.DepthRange(0.0, 1.0);
  } else {
    f.DepthRange(vp.MinZ, vp.MaxZ);
  }

  const bool depthOn = depth_ && rs[D3DRS_ZENABLE] != D3DZB_FALSE;
  float wDepth[3] = {1, 0, 1};
  const bool wBuffer = depthOn && rs[D3DRS_ZENABLE] == D3DZB_USEW && WBufferRange(state.projection, wDepth);
  if (depthOn) {
    f.Enable(GL_DEPTH_TEST);
    f.DepthFunc(CompareFunction(rs[D3DRS_ZFUNC]));
    f.DepthMask(rs[D3DRS_ZWRITEENABLE] != FALSE ? GL_TRUE : GL_FALSE);
  } else {
    f.Disable(GL_DEPTH_TEST);
  }
  if (rs[D3DRS_ALPHABLENDENABLE] != FALSE) {
    DWORD source = rs[D3DRS_SRCBLEND], destination = rs[D3DRS_DESTBLEND];
    if (source == D3DBLEND_BOTHSRCALPHA) {
      source = D3DBLEND_SRCALPHA;
      destination = D3DBLEND_INVSRCALPHA;
    } else if (source == D3DBLEND_BOTHINVSRCALPHA) {
      source = D3DBLEND_INVSRCALPHA;
      destination = D3DBLEND_SRCALPHA;
    }
    f.Enable(GL_BLEND);
    f.BlendEquation(GL_FUNC_ADD);
    f.BlendFunc(BlendFactor(source), BlendFactor(destination));
  } else {
    f.Disable(GL_BLEND);
  }
  f.ColorMask(GL_TRUE, GL_TRUE, GL_TRUE, writesAlpha_ ? GL_TRUE : GL_FALSE);
  const DWORD cull = rs[D3DRS_CULLMODE];
  if (cull == D3DCULL_CW || cull == D3DCULL_CCW) {
    f.Enable(GL_CULL_FACE);
    f.CullFace(cull == D3DCULL_CW ? GL_FRONT : GL_BACK);
  } else {
    f.Disable(GL_CULL_FACE);
  }
  // Wireframe and point fill draw the edges or corners of the triangles that survive culling.
  const DWORD fill = rs[D3DRS_FILLMODE];
  f.PolygonMode(GL_FRONT_AND_BACK, fill == D3DFILL_WIREFRAME ? GL_LINE : fill == D3DFILL_POINT ? GL_POINT : GL_FILL);

  ProgramKey key;
  key.flat = rs[D3DRS_SHADEMODE] == D3DSHADE_FLAT;
  const Texture* texture = state.textures[0];
  key.textured = texture != nullptr;
  key.specular = rs[D3DRS_SPECULARENABLE] != FALSE;
  key.alphaTest = rs[D3DRS_ALPHATESTENABLE] != FALSE;
  key.alphaFunc = rs[D3DRS_ALPHAFUNC];
  key.wBuffer = wBuffer;
  ResolveStage(state, key.textured, key);
  const Program& program = ProgramFor(key);
  f.UseProgram(program.name);

  const D3DMATRIX matrix =
      layout.transformed ? IdentityMatrix() : Multiply(Multiply(state.world[0], state.view), state.projection);
  f.UniformMatrix4fv(program.matrix, 1, GL_FALSE, &matrix._11);  // Direct3D's rows are OpenGL's columns
  f.Uniform2f(program.halfPixel, 1.0f / static_cast<float>(vp.Width), 1.0f / static_cast<float>(vp.Height));
  const D3DCOLOR factor = rs[D3DRS_TEXTUREFACTOR];
  f.Uniform4i(program.factor, static_cast<GLint>((factor >> 16) & 255), static_cast<GLint>((factor >> 8) & 255),
              static_cast<GLint>(factor & 255), static_cast<GLint>(factor >> 24));
  f.Uniform1i(program.alphaRef, static_cast<GLint>(rs[D3DRS_ALPHAREF] & 0xFF));
  if (wBuffer) f.Uniform3f(program.wDepth, wDepth[0], wDepth[1], wDepth[2]);
  if (texture) {
    f.ActiveTexture(GL_TEXTURE0);
    TextureFor(*texture);
    f.Uniform1i(program.texture, 0);
    f.Uniform2i(program.textureSize, static_cast<GLint>(texture->Width(0)), static_cast<GLint>(texture->Height(0)));
    f.Uniform2i(program.clamp, state.stages[0][D3DTSS_ADDRESSU] == D3DTADDRESS_CLAMP ? 1 : 0,
                state.stages[0][D3DTSS_ADDRESSV] == D3DTADDRESS_CLAMP ? 1 : 0);
  }

  f.BindVertexArray(vertexArray_);
  f.BindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
  f.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices_.size() * sizeof(float)), vertices_.data(),
               GL_STREAM_DRAW);
  const GLenum mode = PrimitiveMode(request.type);
  const GLsizei count = static_cast<GLsizei>(request.type == D3DPT_TRIANGLELIST ? 3 * request.primitiveCount
                                                                                : request.primitiveCount + 2);
  if (request.indices) {
    const std::size_t indexBytes = request.wideIndices ? 4 : 2;
    f.BufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indexBytes * count), request.indices,
                 GL_STREAM_DRAW);
    f.DrawElementsBaseVertex(mode, count, request.wideIndices ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT, nullptr,
                             -static_cast<GLint>(request.firstIndex));
  } else {
    f.DrawArrays(mode, 0, count);
  }
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
