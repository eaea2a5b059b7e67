// The hardware device: the DeviceBackend on OpenGL 3.3 core or OpenGL ES 3.0 under WebGL2's rules
// (gl_context.h), drawing into a framebuffer object.
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
// Textures are uploaded when first drawn and again whenever their texels changed. The files of the
// device are listed in gl_backend.h; this one holds the device itself.
//
// On ES the device draws the same pixels by other means where ES or WebGL2 lack what it uses on
// the desktop: texels uploaded and frames read back as bytes R, G, B, A (no GL_BGRA, no packed
// 16-bit reads), primitive restart always on at the highest index (WebGL2 cannot turn it off, so
// desktop ES is made to do the same), base vertices applied by the attribute offsets (on both
// APIs), and flat shading, wireframe and point fill rewritten (gl_es_draws.cpp). Shown in a window,
// the frame is blitted into the default framebuffer as on the desktop; ES and WebGL2 refuse a blit
// into a multisampled framebuffer (a canvas with antialias, which the window backend does not ask
// for), and with multisampling one between formats that differ.
//
// [SECTION] Framebuffer: set-up and release
// [SECTION] Clear and Present
// [SECTION] Ties on edges: the start-up probe
// [SECTION] Making the device
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/d3d8/gl/gl_backend.h"

namespace d3d8 {
namespace gl {

// ---- [SECTION] Framebuffer: set-up and release --------------------------------------------------

GlBackend::GlBackend(std::unique_ptr<Context> context, UINT width, UINT height, D3DFORMAT format, bool depth)
    : context_(std::move(context)),
      es_(context_->es()),
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
  if (!es_) {
    f.PrimitiveRestartIndex(kRestartIndex);  // only batches enable it; indices of a buffer never reach it
    f.ProvokingVertex(GL_FIRST_VERTEX_CONVENTION);  // Direct3D's flat triangles take their first vertex
  } else if (!kWebGl) {
    f.Enable(GL_PRIMITIVE_RESTART_FIXED_INDEX);  // as WebGL2 always does
  }
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

// ---- [SECTION] Clear and Present ----------------------------------------------------------------

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
    if (es_) {
      f.ClearDepthf(std::clamp(z, 0.0f, 1.0f));
    } else {
      f.ClearDepth(std::clamp(z, 0.0f, 1.0f));
    }
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
      if (es_) {  // bytes R, G, B, A: the only read ES is sure to take
        f.ReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, presented_.xrgb.data());
        for (std::uint32_t& pixel : presented_.xrgb) pixel = SwapRedBlue(pixel) & 0x00FFFFFFu;
      } else {
        // 0xAARRGGBB words in memory are the bytes B, G, R, A.
        f.ReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_BYTE, presented_.xrgb.data());
        for (std::uint32_t& pixel : presented_.xrgb) pixel &= 0x00FFFFFFu;
      }
    } else {
      // 16-bit pixels in Direct3D's bit order, widened as the software device widens them.
      readBack16_.resize(count);
      std::uint16_t* pixels = readBack16_.data();
      if (es_) {
        ReadBack16(pixels);
      } else if (format_ == D3DFMT_R5G6B5) {
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

// ES reads a 16-bit buffer as bytes R, G, B, A, each channel widened to 8 bits by rounding; the
// 5- or 6-bit channels come back by rounding the other way (their 8-bit values lie more than 4
// apart), in Direct3D's bit order.
void GlBackend::ReadBack16(std::uint16_t* pixels) {
  const Functions& f = gl();
  const std::size_t count = static_cast<std::size_t>(width_) * height_;
  rgba_.resize(count);
  f.ReadPixels(0, 0, static_cast<GLsizei>(width_), static_cast<GLsizei>(height_), GL_RGBA, GL_UNSIGNED_BYTE,
               rgba_.data());
  const auto narrow = [](std::uint32_t byte, std::uint32_t bits) {
    const std::uint32_t top = (1u << bits) - 1;
    return (byte * top + 127) / 255;
  };
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t p = rgba_[i];  // 0xAABBGGRR
    const std::uint32_t r = p & 255, g = (p >> 8) & 255, b = (p >> 16) & 255, a = p >> 24;
    pixels[i] = static_cast<std::uint16_t>(
        format_ == D3DFMT_R5G6B5
            ? narrow(r, 5) << 11 | narrow(g, 6) << 5 | narrow(b, 5)
            : (a >= 128 ? 0x8000u : 0u) | narrow(r, 5) << 10 | narrow(g, 5) << 5 | narrow(b, 5));
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

// ---- [SECTION] Ties on edges: the start-up probe ------------------------------------------------

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
  const std::string prologue = ShaderPrologue(context_->api());
  const GLuint program =
      Link(prologue +
               "in vec2 aPosition;\n"
               "uniform vec2 uScale;\n"
               "uniform vec2 uCentre;\n"
               "void main() { gl_Position = vec4((aPosition + uCentre) * uScale - 1.0, 0.0, 1.0); }\n",
           prologue +
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

}  // namespace gl

// ---- [SECTION] Making the device ----------------------------------------------------------------

std::unique_ptr<DeviceBackend> MakeGlBackend(HWND window, UINT width, UINT height, D3DFORMAT format, bool depth,
                                             bool acceptSoftware, std::string& why, std::string& renderer) {
  if (format != D3DFMT_X8R8G8B8 && format != D3DFMT_A8R8G8B8 && format != D3DFMT_R5G6B5 &&
      format != D3DFMT_X1R5G5B5 && format != D3DFMT_A1R5G5B5) {
    why = format == D3DFMT_R8G8B8 ? "the OpenGL device has no 24-bit back buffers"
                                  : "the OpenGL device has no back buffers of format " + std::to_string(format);
    return nullptr;
  }
  // In the window's own context where the window backend has windows; headless through EGL.
  const gl::GlApi api = gl::ChosenApi();
  std::unique_ptr<gl::Context> context;
  std::unique_ptr<win32::NativeGlContext> native =
      window ? win32::GetWindowBackend().CreateGlContext(window, api, why) : nullptr;
  if (native) {
    context = gl::Context::CreateOnWindow(std::move(native), api, why);
  } else if (why.empty()) {
    context = gl::Context::Create(api, why);
  }
  if (!context) return nullptr;
  renderer = context->renderer();
  if (context->es()) renderer += ", OpenGL ES";
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
