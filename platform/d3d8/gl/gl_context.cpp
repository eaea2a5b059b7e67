// The hardware device's context: the choice of API, EGL's display and surfaceless context (not in
// a build for the web), and the function table.
#include "platform/d3d8/gl/gl_context.h"

#ifndef __EMSCRIPTEN__
#include <EGL/egl.h>
#include <EGL/eglext.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <type_traits>

namespace d3d8::gl {

GlApi ChosenApi() {
#ifdef __EMSCRIPTEN__
  return GlApi::kEs30;
#else
  const char* es = std::getenv("VORNHOLD_GL_ES");
  return es && std::strcmp(es, "1") == 0 ? GlApi::kEs30 : GlApi::kCore33;
#endif
}

#ifdef __EMSCRIPTEN__

std::unique_ptr<Context> Context::Create(GlApi, std::string& why) {
  why = "a web page has no OpenGL without a canvas";
  return nullptr;
}

Context::~Context() = default;

void Context::MakeCurrent() {
  if (window_) window_->MakeCurrent();
}

#else

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

EGLenum EglApi(GlApi api) { return api == GlApi::kEs30 ? EGL_OPENGL_ES_API : EGL_OPENGL_API; }

}  // namespace

std::unique_ptr<Context> Context::Create(GlApi api, std::string& why) {
  const bool es = api == GlApi::kEs30;
  EGLDisplay display = SharedDisplay(why);
  if (display == EGL_NO_DISPLAY) return nullptr;
  const char* extensions = eglQueryString(display, EGL_EXTENSIONS);
  if (!extensions || !std::strstr(extensions, "EGL_KHR_surfaceless_context")) {
    why = "EGL cannot make a context current without a surface (no EGL_KHR_surfaceless_context)";
    return nullptr;
  }
  if (!eglBindAPI(EglApi(api))) {
    why = es ? "EGL offers no OpenGL ES" : "EGL offers no desktop OpenGL";
    return nullptr;
  }
  const EGLint configAttributes[] = {EGL_RENDERABLE_TYPE, es ? EGL_OPENGL_ES3_BIT : EGL_OPENGL_BIT, EGL_SURFACE_TYPE,
                                     0, EGL_NONE};
  EGLConfig config = nullptr;
  EGLint configs = 0;
  if (!eglChooseConfig(display, configAttributes, &config, 1, &configs) || configs < 1) {
    why = es ? "EGL has no configuration for OpenGL ES 3" : "EGL has no configuration for desktop OpenGL";
    return nullptr;
  }
  const EGLint coreAttributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3,
                                   EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE};
  const EGLint esAttributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 0, EGL_NONE};
  EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, es ? esAttributes : coreAttributes);
  if (context == EGL_NO_CONTEXT) {
    why = std::string(es ? "no OpenGL ES 3.0 context" : "no OpenGL 3.3 core context") + " (EGL error " +
          EglError() + ")";
    return nullptr;
  }
  std::unique_ptr<Context> made(new Context(api));
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

Context::~Context() {
  if (!context_) return;  // a window's context goes with window_
  eglBindAPI(EglApi(api_));  // a thread has a current context per API
  if (eglGetCurrentContext() == context_) eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  eglDestroyContext(display_, context_);
}

void Context::MakeCurrent() {
  if (window_) {
    window_->MakeCurrent();
    return;
  }
  eglBindAPI(EglApi(api_));
  if (eglGetCurrentContext() != context_) eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_);
}

#endif  // __EMSCRIPTEN__

std::unique_ptr<Context> Context::CreateOnWindow(std::unique_ptr<win32::NativeGlContext> window, GlApi api,
                                                 std::string& why) {
  std::unique_ptr<Context> made(new Context(api));
  made->window_ = std::move(window);
  made->window_->MakeCurrent();
  const auto windowProc = [](const char* name, void* closure) {
    return static_cast<win32::NativeGlContext*>(closure)->ProcAddress(name);
  };
  if (!made->Load(windowProc, made->window_.get(), why)) return nullptr;
  return made;
}

bool Context::Load([[maybe_unused]] void* (*procAddress)(const char*, void*), [[maybe_unused]] void* closure,
                   std::string& why) {
  Functions& f = functions_;
#ifdef __EMSCRIPTEN__
  // WebGL2's functions are linked in: nothing is looked up by name.
#define VORNHOLD_GL_LOAD(name) f.name = &::gl##name;
  VORNHOLD_GL_FUNCTIONS(VORNHOLD_GL_LOAD)
  VORNHOLD_GL_ES_FUNCTIONS(VORNHOLD_GL_LOAD)
#undef VORNHOLD_GL_LOAD
#else
  std::string missing;
  const auto load = [&](auto& member, const char* name) {
    member = reinterpret_cast<std::remove_reference_t<decltype(member)>>(procAddress(name, closure));
    if (!member && missing.empty()) missing = name;
  };
#define VORNHOLD_GL_LOAD(name) load(f.name, "gl" #name);
#define VORNHOLD_GL_CORE_LOAD(name, signature) VORNHOLD_GL_LOAD(name)
  VORNHOLD_GL_FUNCTIONS(VORNHOLD_GL_LOAD)
  if (es()) {
    VORNHOLD_GL_ES_FUNCTIONS(VORNHOLD_GL_LOAD)
  } else {
    VORNHOLD_GL_CORE_FUNCTIONS(VORNHOLD_GL_CORE_LOAD)
  }
#undef VORNHOLD_GL_CORE_LOAD
#undef VORNHOLD_GL_LOAD
  if (!missing.empty()) {
    why = "the OpenGL driver lacks " + missing;
    return false;
  }
#endif
  const auto* renderer = reinterpret_cast<const char*>(f.GetString(GL_RENDERER));
  renderer_ = renderer ? renderer : "unknown renderer";
  GLint major = 0, minor = 0;
  f.GetIntegerv(GL_MAJOR_VERSION, &major);
  f.GetIntegerv(GL_MINOR_VERSION, &minor);
  const int wanted = es() ? 30 : 33;
  if (major * 10 + minor < wanted) {
    why = std::string(es() ? "OpenGL ES " : "OpenGL ") + std::to_string(major) + "." + std::to_string(minor) +
          " is older than " + (es() ? "3.0" : "3.3");
    return false;
  }
  return true;
}

bool Context::software() const {
  for (const char* name : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"}) {
    if (renderer_.find(name) != std::string::npos) return true;
  }
  return false;
}

}  // namespace d3d8::gl
