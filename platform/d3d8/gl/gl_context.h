// A headless OpenGL 3.3 core context through EGL (no window, no surface: the device draws into its
// own framebuffer object), with the functions of gl_functions.h loaded.
#pragma once

#include <memory>
#include <string>

#include "platform/d3d8/gl/gl_functions.h"

namespace d3d8::gl {

class Context {
 public:
  // Null, with the reason in `why` (one line), when EGL or OpenGL 3.3 core cannot start.
  static std::unique_ptr<Context> Create(std::string& why);
  ~Context();
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  // Makes this context current on the calling thread if it is not already.
  void MakeCurrent();
  const Functions& gl() const { return functions_; }
  // GL_RENDERER, e.g. "llvmpipe (LLVM 15.0.6, 256 bits)".
  const std::string& renderer() const { return renderer_; }
  // True for Mesa's software rasterizers (llvmpipe, softpipe, swrast).
  bool software() const;

 private:
  Context() = default;

  void* display_ = nullptr;  // EGLDisplay
  void* context_ = nullptr;  // EGLContext
  Functions functions_;
  std::string renderer_;
};

}  // namespace d3d8::gl
