// An OpenGL 3.3 core context with the functions of gl_functions.h loaded: a window's own (the window
// backend makes it; its default framebuffer is the window) or a headless one through EGL (no
// window, no surface). Either way the device draws into its own framebuffer object.
#pragma once

#include <memory>
#include <string>

#include "platform/d3d8/gl/gl_functions.h"
#include "platform/win32/window_backend.h"

namespace d3d8::gl {

class Context {
 public:
  // Null, with the reason in `why` (one line), when EGL or OpenGL 3.3 core cannot start.
  static std::unique_ptr<Context> Create(std::string& why);
  // On the window's context; null with the reason in `why` when it lacks OpenGL 3.3 core.
  static std::unique_ptr<Context> CreateOnWindow(std::unique_ptr<win32::NativeGlContext> window, std::string& why);
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
  // The window whose default framebuffer this context has; null when headless.
  win32::NativeGlContext* window() const { return window_.get(); }

 private:
  Context() = default;
  // Loads the functions and reads the renderer and version; false with the reason in `why`.
  bool Load(void* (*procAddress)(const char*, void*), void* closure, std::string& why);

  void* display_ = nullptr;  // EGLDisplay
  void* context_ = nullptr;  // EGLContext
  std::unique_ptr<win32::NativeGlContext> window_;
  Functions functions_;
  std::string renderer_;
};

}  // namespace d3d8::gl
