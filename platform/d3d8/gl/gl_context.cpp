// The EGL side of the hardware device: display, OpenGL 3.3 core context without a surface, and
// the function table.
#include "platform/d3d8/gl/gl_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>
#include <cstring>

namespace d3d8::gl {
namespace {

std::string EglError() {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(eglGetError()));
  return text;
}

// One display for the whole run: Mesa's surfaceless platform when offered (no X or Wayland
// needed), else the default display. Initialised once and never terminated, so that devices can
// come and go.
EGLDisplay SharedDisplay(std::string& why) {
  static EGLDisplay display = EGL_NO_DISPLAY;
  static std::string failure;
  static bool tried = false;
  if (tried) {
    why = failure;
    return display;
  }
  tried = true;
  const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  EGLDisplay candidate = EGL_NO_DISPLAY;
  if (clientExtensions && std::strstr(clientExtensions, "EGL_MESA_platform_surfaceless")) {
    const auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay) candidate = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  }
  if (candidate == EGL_NO_DISPLAY) candidate = eglGetDisplay(EGL_DEFAULT_DISPLAY);
  if (candidate == EGL_NO_DISPLAY) {
    failure = "EGL has no display";
  } else if (!eglInitialize(candidate, nullptr, nullptr)) {
    failure = "EGL did not initialise (error " + EglError() + ")";
  } else {
    display = candidate;
  }
  why = failure;
  return display;
}

}  // namespace

std::unique_ptr<Context> Context::Create(std::string& why) {
  EGLDisplay display = SharedDisplay(why);
  if (display == EGL_NO_DISPLAY) return nullptr;
  const char* extensions = eglQueryString(display, EGL_EXTENSIONS);
  if (!extensions || !std::strstr(extensions, "EGL_KHR_surfaceless_context")) {
    why = "EGL cannot make a context current without a surface (no EGL_KHR_surfaceless_context)";
    return nullptr;
  }
  if (!eglBindAPI(EGL_OPENGL_API)) {
    why = "EGL offers no desktop OpenGL";
    return nullptr;
  }
  const EGLint configAttributes[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_SURFACE_TYPE, 0, EGL_NONE};
  EGLConfig config = nullptr;
  EGLint configs = 0;
  if (!eglChooseConfig(display, configAttributes, &config, 1, &configs) || configs < 1) {
    why = "EGL has no configuration for desktop OpenGL";
    return nullptr;
  }
  const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3,
                                      EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                      EGL_NONE};
  EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
  if (context == EGL_NO_CONTEXT) {
    why = "no OpenGL 3.3 core context (EGL error " + EglError() + ")";
    return nullptr;
  }
  std::unique_ptr<Context> made(new Context);
  made->display_ = display;
  made->context_ = context;
  if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
    why = "the OpenGL context cannot be made current (EGL error " + EglError() + ")";
    return nullptr;  // the destructor releases the context
  }
  const auto eglProc = [](const char* name, void*) { return reinterpret_cast<void*>(eglGetProcAddress(name)); };
  if (!made->Load(eglProc, nullptr, why)) return nullptr;
  return made;
}

std::unique_ptr<Context> Context::CreateOnWindow(std::unique_ptr<win32::NativeGlContext> window, std::string& why) {
  std::unique_ptr<Context> made(new Context);
  made->window_ = std::move(window);
  made->window_->MakeCurrent();
  const auto windowProc = [](const char* name, void* closure) {
    return static_cast<win32::NativeGlContext*>(closure)->ProcAddress(name);
  };
  if (!made->Load(windowProc, made->window_.get(), why)) return nullptr;
  return made;
}

bool Context::Load(void* (*procAddress)(const char*, void*), void* closure, std::string& why) {
  Functions& f = functions_;
  std::string missing;
#define VORNHOLD_GL_LOAD(type, name)                                                  \
  f.name = reinterpret_cast<type>(procAddress("gl" #name, closure));                  \
  if (!f.name && missing.empty()) missing = "gl" #name;
  VORNHOLD_GL_FUNCTIONS(VORNHOLD_GL_LOAD)
#undef VORNHOLD_GL_LOAD
  if (!missing.empty()) {
    why = "the OpenGL driver lacks " + missing;
    return false;
  }
  const auto* renderer = reinterpret_cast<const char*>(f.GetString(GL_RENDERER));
  renderer_ = renderer ? renderer : "unknown renderer";
  GLint major = 0, minor = 0;
  f.GetIntegerv(GL_MAJOR_VERSION, &major);
  f.GetIntegerv(GL_MINOR_VERSION, &minor);
  if (major * 10 + minor < 33) {
    why = "OpenGL " + std::to_string(major) + "." + std::to_string(minor) + " is older than 3.3";
    return false;
  }
  return true;
}

Context::~Context() {
  if (!context_) return;  // a window's context goes with window_
  if (eglGetCurrentContext() == context_) eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  eglDestroyContext(display_, context_);
}

void Context::MakeCurrent() {
  if (window_) {
    window_->MakeCurrent();
  } else if (eglGetCurrentContext() != context_) {
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_);
  }
}

bool Context::software() const {
  for (const char* name : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"}) {
    if (renderer_.find(name) != std::string::npos) return true;
  }
  return false;
}

}  // namespace d3d8::gl
