// The hardware device's OpenGL context with the functions of gl_functions.h loaded: a window's own
// (the window backend makes it; its default framebuffer is the window) or a headless one through
// EGL (no window, no surface). Either way the device draws into its own framebuffer object.
//
// The context speaks OpenGL 3.3 core or OpenGL ES 3.0, which the device uses with WebGL2's extra
// rules (so that what draws here draws in a web page): under emscripten ES is the only API, the
// window's context is WebGL2 and there is no EGL; on the desktop ES is chosen by
// VORNHOLD_GL_ES=1 in the environment, for tests and comparisons.
#pragma once

#include <memory>
#include <string>

#include "platform/d3d8/gl/gl_functions.h"
#include "platform/win32/window_backend.h"

namespace d3d8::gl {

using win32::GlApi;

// A build for the web: ES is WebGL2 there, which restarts primitives at the highest index always.
#ifdef __EMSCRIPTEN__
constexpr bool kWebGl = true;
#else
constexpr bool kWebGl = false;
#endif

// The API a new device's context is made for (read at each device's creation).
GlApi ChosenApi();

class Context {
 public:
  // Headless, through EGL. Null, with the reason in `why` (one line), when EGL or the API cannot
  // start (always under emscripten).
  static std::unique_ptr<Context> Create(GlApi api, std::string& why);
  // On the window's context, made for `api`; null with the reason in `why` when it lacks the API.
  static std::unique_ptr<Context> CreateOnWindow(std::unique_ptr<win32::NativeGlContext> window, GlApi api,
                                                 std::string& why);
  ~Context();
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  // Makes this context current on the calling thread if it is not already.
  void MakeCurrent();
  const Functions& gl() const { return functions_; }
  GlApi api() const { return api_; }
  bool es() const { return api_ == GlApi::kEs30; }
  // GL_RENDERER, e.g. "llvmpipe (LLVM 15.0.6, 256 bits)".
  const std::string& renderer() const { return renderer_; }
  // True for Mesa's software rasterizers (llvmpipe, softpipe, swrast).
  bool software() const;
  // The window whose default framebuffer this context has; null when headless.
  win32::NativeGlContext* window() const { return window_.get(); }

 private:
  explicit Context(GlApi api) : api_(api) {}
  // Loads the functions and reads the renderer and version; false with the reason in `why`.
  bool Load(void* (*procAddress)(const char*, void*), void* closure, std::string& why);

  GlApi api_;
  [[maybe_unused]] void* display_ = nullptr;  // EGLDisplay (none under emscripten)
  [[maybe_unused]] void* context_ = nullptr;  // EGLContext
  std::unique_ptr<win32::NativeGlContext> window_;
  Functions functions_;
  std::string renderer_;
};

}  // namespace d3d8::gl
