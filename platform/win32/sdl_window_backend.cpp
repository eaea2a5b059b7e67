#include "platform/win32/sdl_window_backend.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/win32/dialog_painter.h"
#include "platform/win32/window_table.h"

#ifdef VORNHOLD_HAVE_X11
#include <X11/Xlib.h>
#endif

#ifdef __EMSCRIPTEN__
#include <emscripten.h>

// The page's own full screen (its letterbox around the canvas); the page says one line when the
// browser refuses it.
EM_JS(void, RequestPageFullscreen, (int on), {
  if (Module['setFullscreen']) Module['setFullscreen'](!!on);
});

// SDL takes a canvas whose CSS gives it a size as the page's wish for the window's size; the
// letterbox the page sets is not that. The page sets it again once the canvas has its size.
EM_JS(void, ForgetCanvasLetterbox, (), {
  if (Module['canvas']) Module['canvas'].style.width = Module['canvas'].style.height = "";
});
#else
static void ForgetCanvasLetterbox() {}
#endif

namespace win32 {

struct SdlWindowBackend::NativeWindow {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;  // null when SDL could not make one: frames are dropped
  SDL_Texture* texture = nullptr;
  int textureWidth = 0;   // pixels
  int textureHeight = 0;  // pixels
  SDL_Texture* overlay = nullptr;  // drawn over each frame, unscaled; null: none
  int overlayWidth = 0;            // pixels
  int overlayHeight = 0;           // pixels
  bool fullscreen = false;
  SDL_Rect windowed{};  // the window's place before full screen, in screen pixels
  bool gl = false;  // a device's OpenGL context draws into the window and shows the frames itself

  ~NativeWindow() {
    DropOverlay();
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
  }
  void DropOverlay() {
    if (overlay) SDL_DestroyTexture(overlay);
    overlay = nullptr;
    overlayWidth = overlayHeight = 0;
  }
};

namespace {

// SDL key to Windows virtual-key code; 0 for keys the system never sees.
WPARAM VirtualKeyOf(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<WPARAM>('A' + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<WPARAM>('0' + (key - SDLK_0));
  if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + static_cast<WPARAM>(key - SDLK_F1);
  switch (key) {
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_TAB: return VK_TAB;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_UP: return VK_UP;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_HOME: return VK_HOME;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT: return VK_MENU;  // its down state makes Alt+Enter
    default: return 0;
  }
}

void AddEscapePress(std::vector<NativeKeyEvent>& events, HWND window) {
  events.push_back(NativeKeyEvent{window, VK_ESCAPE, true, false});
  events.push_back(NativeKeyEvent{window, VK_ESCAPE, false, false});
}

// The largest rectangle of the image's shape that fits the output, centred.
SDL_Rect FitRect(int imageWidth, int imageHeight, int outWidth, int outHeight) {
  if (imageWidth <= 0 || imageHeight <= 0) return SDL_Rect{0, 0, outWidth, outHeight};
  // Compare outWidth/outHeight with imageWidth/imageHeight without rounding.
  const long long byWidth = static_cast<long long>(outWidth) * imageHeight;
  const long long byHeight = static_cast<long long>(outHeight) * imageWidth;
  int w = outWidth;
  int h = outHeight;
  if (byWidth > byHeight) {
    w = static_cast<int>(byHeight / imageHeight);  // output is wider: borders left and right
  } else {
    h = static_cast<int>(byWidth / imageWidth);  // output is taller: borders top and bottom
  }
  return SDL_Rect{(outWidth - w) / 2, (outHeight - h) / 2, w, h};
}

// Sharp scaling: the largest whole multiple of the image that fits, centred; where not even one
// fits, the largest rectangle of its shape.
SDL_Rect WholeMultipleRect(int imageWidth, int imageHeight, int outWidth, int outHeight) {
  if (imageWidth <= 0 || imageHeight <= 0) return SDL_Rect{0, 0, outWidth, outHeight};
  const int k = std::min(outWidth / imageWidth, outHeight / imageHeight);
  if (k < 1) return FitRect(imageWidth, imageHeight, outWidth, outHeight);
  return SDL_Rect{(outWidth - k * imageWidth) / 2, (outHeight - k * imageHeight) / 2, k * imageWidth,
                  k * imageHeight};
}

}  // namespace

SdlWindowBackend::SdlWindowBackend() = default;

SdlWindowBackend::SdlWindowBackend(const SdlPresentation& presentation) : presentation_(presentation) {}

SdlWindowBackend::~SdlWindowBackend() {
  windows_.clear();
  if (open_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool SdlWindowBackend::Open(std::string& error) {
  if (open_) return true;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    error = std::string("SDL video: ") + SDL_GetError();
    return false;
  }
  // Without a screen SDL falls back to its offscreen driver by itself; that counts as a display
  // only when asked for (SDL_VIDEODRIVER=offscreen or dummy, as in tests).
  const char* driver = SDL_GetCurrentVideoDriver();
  const char* requested = SDL_getenv("SDL_VIDEODRIVER");
  const bool screenless = driver && (SDL_strcmp(driver, "offscreen") == 0 ||
                                     SDL_strcmp(driver, "dummy") == 0);
  const bool asked = requested && driver && SDL_strcasestr(requested, driver) != nullptr;
  if (SDL_GetNumVideoDisplays() < 1 || (screenless && !asked)) {
    error = "SDL video: no display found (is DISPLAY set?)";
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }
  if (presentation_.display < 0 || presentation_.display >= SDL_GetNumVideoDisplays()) {
    error = "no monitor " + std::to_string(presentation_.display) + ": the display has " +
            std::to_string(SDL_GetNumVideoDisplays()) + " (0 to " + std::to_string(SDL_GetNumVideoDisplays() - 1) + ")";
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }
  open_ = true;
  return true;
}

SdlWindowBackend::NativeWindow* SdlWindowBackend::Find(HWND window) {
  const auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : it->second.get();
}

void SdlWindowBackend::CreateNativeWindow(HWND window, const char* title, int clientWidth,
                                          int clientHeight) {
  if (!open_) return;
  auto native = std::make_unique<NativeWindow>();
  // Resizable: a larger window shows the frame larger, in its own shape. SDL puts the window on the
  // monitor whose bounds hold its centre: right for monitors side by side on one desktop, while X
  // screens of their own all start at (0, 0) and the first of them gets it.
  const int place = int(SDL_WINDOWPOS_CENTERED_DISPLAY(presentation_.display));
  // An OpenGL window where the system can have one, so that the hardware device can draw into it.
  const Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE;
  const int width = std::max(clientWidth, 1), height = std::max(clientHeight, 1);
  ForgetCanvasLetterbox();
  native->window = SDL_CreateWindow(title, place, place, width, height, flags | SDL_WINDOW_OPENGL);
  if (!native->window) native->window = SDL_CreateWindow(title, place, place, width, height, flags);
  if (!native->window) {
    std::fprintf(stderr, "warning: no native window: %s\n", SDL_GetError());
    return;
  }
  MakeRenderer(*native);
  windows_[window] = std::move(native);
}

void SdlWindowBackend::MakeRenderer(NativeWindow& native) const {
  native.renderer = SDL_CreateRenderer(native.window, -1, presentation_.vsync ? SDL_RENDERER_PRESENTVSYNC : 0);
  if (!native.renderer) native.renderer = SDL_CreateRenderer(native.window, -1, SDL_RENDERER_SOFTWARE);
}

// The device's context on a window. It finds the window by its handle each time, so that it does
// nothing once the window is gone.
class SdlWindowBackend::GlContext final : public NativeGlContext {
 public:
  GlContext(SdlWindowBackend& backend, HWND window, SDL_GLContext context)
      : backend_(backend), window_(window), context_(context) {}
  ~GlContext() override {
    SDL_GL_MakeCurrent(nullptr, nullptr);
    SDL_GL_DeleteContext(context_);
    if (NativeWindow* native = backend_.Find(window_)) {  // the renderer shows frames again
      native->gl = false;
      backend_.MakeRenderer(*native);
    }
  }
  void MakeCurrent() override {
    NativeWindow* native = backend_.Find(window_);
    if (native && (SDL_GL_GetCurrentContext() != context_ || SDL_GL_GetCurrentWindow() != native->window))
      SDL_GL_MakeCurrent(native->window, context_);
  }
  void* ProcAddress(const char* name) override { return SDL_GL_GetProcAddress(name); }
  FramePlacement Place(int frameWidth, int frameHeight) override {
    int width = 0, height = 0;
    if (NativeWindow* native = backend_.Find(window_)) SDL_GL_GetDrawableSize(native->window, &width, &height);
    const bool sharp = backend_.presentation_.sharp;
    const SDL_Rect r = sharp ? WholeMultipleRect(frameWidth, frameHeight, width, height)
                             : FitRect(frameWidth, frameHeight, width, height);
    return FramePlacement{r.x, r.y, r.w, r.h, width, height, sharp};
  }
  void Swap() override {
    if (NativeWindow* native = backend_.Find(window_)) SDL_GL_SwapWindow(native->window);
  }

 private:
  SdlWindowBackend& backend_;
  HWND window_;
  SDL_GLContext context_;
};

std::unique_ptr<NativeGlContext> SdlWindowBackend::CreateGlContext(HWND window, GlApi api, std::string& why) {
  NativeWindow* native = Find(window);
  if (!native || !native->window) {
    why = "the window has no native window";
    return nullptr;
  }
  if (!(SDL_GetWindowFlags(native->window) & SDL_WINDOW_OPENGL)) {
    why = "the window cannot draw with OpenGL here";
    return nullptr;
  }
  // The renderer keeps a context of its own on the window; it goes while the device's lives.
  native->DropOverlay();
  if (native->texture) SDL_DestroyTexture(native->texture);
  if (native->renderer) SDL_DestroyRenderer(native->renderer);
  native->texture = nullptr;
  native->renderer = nullptr;
  native->textureWidth = native->textureHeight = 0;
  const bool es = api == GlApi::kEs30;
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, es ? 0 : 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, es ? SDL_GL_CONTEXT_PROFILE_ES : SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  // Single-sampled: the device's frame is blitted into this framebuffer, and ES (WebGL2 above all)
  // refuses a blit into a multisampled one.
  SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, 0);
  SDL_GLContext context = SDL_GL_CreateContext(native->window);
  SDL_GL_ResetAttributes();
  if (!context) {
#ifdef __EMSCRIPTEN__
    why = "this browser gives the page no WebGL2";  // what SDL adds (an EGL error) says nothing more
#else
    why = std::string(es ? "no OpenGL ES 3.0 context on the window (" : "no OpenGL 3.3 core context on the window (") +
          SDL_GetError() + ")";
#endif
    MakeRenderer(*native);
    return nullptr;
  }
  SDL_GL_SetSwapInterval(presentation_.vsync ? 1 : 0);
  native->gl = true;
  return std::make_unique<GlContext>(*this, window, context);
}

void SdlWindowBackend::DestroyNativeWindow(HWND window) { windows_.erase(window); }

void SdlWindowBackend::ShowNativeWindow(HWND window, bool visible) {
  NativeWindow* native = Find(window);
  if (!native) return;
  if (visible) {
    SDL_ShowWindow(native->window);
    SDL_RaiseWindow(native->window);
  } else {
    SDL_HideWindow(native->window);
  }
}

void SdlWindowBackend::SetFullscreen(HWND window, bool fullscreen) {
  NativeWindow* native = Find(window);
  if (!native || native->fullscreen == fullscreen) return;
#ifdef __EMSCRIPTEN__
  // SDL would put the browser's request off to the next input event, whichever that is: the
  // page went full screen or not by chance, and when it did, the browser took the Escape meant for
  // the show. Asked at once, the dialog's OK still counts as the user's gesture.
  RequestPageFullscreen(fullscreen);
  native->fullscreen = fullscreen;
  return;
#endif
  // Desktop full screen is a request to the window manager. Without one (a bare X session, Xvfb)
  // nobody acts on it: the window kept its size while frames were placed for the whole screen, and
  // the screen showed a cut-off part of them. So the window first covers the display itself, and
  // gets its place back afterwards; a window manager then does the rest as usual.
  if (fullscreen) {
    SDL_Rect screen{};
    SDL_GetWindowPosition(native->window, &native->windowed.x, &native->windowed.y);
    SDL_GetWindowSize(native->window, &native->windowed.w, &native->windowed.h);
    if (SDL_GetDisplayBounds(presentation_.display, &screen) == 0) {
      SDL_SetWindowPosition(native->window, screen.x, screen.y);
      SDL_SetWindowSize(native->window, screen.w, screen.h);
    }
  }
  const Uint32 flags = fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0;
  if (SDL_SetWindowFullscreen(native->window, flags) != 0) return;
  native->fullscreen = fullscreen;
  if (!fullscreen && native->windowed.w > 0) {
    SDL_SetWindowSize(native->window, native->windowed.w, native->windowed.h);
    SDL_SetWindowPosition(native->window, native->windowed.x, native->windowed.y);
  }
}

std::vector<NativeKeyEvent> SdlWindowBackend::PollEvents() {
  std::vector<NativeKeyEvent> events;
  if (!open_) return events;
  bool closeSeen = false;
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    switch (event.type) {
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        const WPARAM vk = VirtualKeyOf(event.key.keysym.sym);
        if (vk == 0) break;
        HWND target = nullptr;
        for (const auto& [hwnd, native] : windows_) {
          if (SDL_GetWindowID(native->window) == event.key.windowID) target = hwnd;
        }
        if (!target) target = detail::MainWindow();
        events.push_back(
            NativeKeyEvent{target, vk, event.type == SDL_KEYDOWN, event.key.repeat != 0});
        break;
      }
      case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
          for (const auto& [hwnd, native] : windows_) {
            if (SDL_GetWindowID(native->window) == event.window.windowID) {
              AddEscapePress(events, hwnd);
              closeSeen = true;
            }
          }
        }
        break;
      case SDL_QUIT:  // the last window closed (already reported) or the session / Ctrl-C
        if (!closeSeen) AddEscapePress(events, detail::MainWindow());
        closeSeen = true;
        break;
      default:
        break;
    }
  }
  return events;
}

bool SdlWindowBackend::WaitForEvents(int timeoutMs) {
  if (!open_ || windows_.empty()) return false;
  SDL_WaitEventTimeout(nullptr, timeoutMs);
  return true;
}

void SdlWindowBackend::SetCursorVisible(bool visible) {
  if (open_) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

int SdlWindowBackend::ShowMessageBox(HWND owner, const char* text, const char* caption,
                                     UINT type) {
  const bool okCancel = (type & 0xF) == MB_OKCANCEL;
  // With OK alone, Escape means OK too.
  const Uint32 okFlags = okCancel ? SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT
                                  : SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT |
                                        SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
  const SDL_MessageBoxButtonData buttons[] = {
      {okFlags, IDOK, "OK"},
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDCANCEL, "Cancel"},
  };
  Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
  if ((type & 0xF0) == MB_ICONERROR) flags = SDL_MESSAGEBOX_ERROR;
  if ((type & 0xF0) == MB_ICONEXCLAMATION) flags = SDL_MESSAGEBOX_WARNING;
  NativeWindow* parent = Find(owner);
  const SDL_MessageBoxData data = {flags,   parent ? parent->window : nullptr,
                                   caption, text,
                                   okCancel ? 2 : 1, buttons,
                                   nullptr};
  int pressed = 0;
  if (!open_ || SDL_ShowMessageBox(&data, &pressed) != 0 || pressed < 0) {
    // No way to show it (or closed without a button): say it on stderr, as headless does.
    std::fprintf(stderr, "%s: %s\n", caption, text);
    return okCancel && pressed < 0 ? IDCANCEL : IDOK;
  }
  return pressed;
}

std::vector<ScreenMode> SdlWindowBackend::DisplayModes() const {
  return StandardScreenModes(DesktopMode().refreshHz);
}

ScreenMode SdlWindowBackend::DesktopMode() const {
  SDL_DisplayMode mode{};
  if (!open_ || SDL_GetDesktopDisplayMode(presentation_.display, &mode) != 0) return ScreenMode{1024, 768, 32, 60};
  const int bits = SDL_BYTESPERPIXEL(mode.format) == 4
                       ? 32
                       : static_cast<int>(SDL_BITSPERPIXEL(mode.format));
  return ScreenMode{mode.w, mode.h, bits, mode.refresh_rate};
}

bool SdlWindowBackend::WorkArea(int& width, int& height) const {
  SDL_Rect usable{};
  if (!open_ || SDL_GetDisplayUsableBounds(presentation_.display, &usable) != 0) return false;
  width = usable.w;
  height = usable.h;
  return width > 0 && height > 0;
}

void SdlWindowBackend::ShowFrame(HWND window, const platform::FrameImage& image) {
  NativeWindow* native = Find(window);
  if (!native || native->gl || !native->renderer || image.width <= 0 || image.height <= 0) return;
  if (image.xrgb.size() < static_cast<size_t>(image.width) * image.height) return;
  if (!native->texture || native->textureWidth != image.width ||
      native->textureHeight != image.height) {
    if (native->texture) SDL_DestroyTexture(native->texture);
    native->texture = SDL_CreateTexture(native->renderer, SDL_PIXELFORMAT_RGB888,
                                        SDL_TEXTUREACCESS_STREAMING, image.width, image.height);
    native->textureWidth = native->texture ? image.width : 0;
    native->textureHeight = native->texture ? image.height : 0;
    if (!native->texture) return;
    SDL_SetTextureScaleMode(native->texture, presentation_.sharp ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
  }
  SDL_UpdateTexture(native->texture, nullptr, image.xrgb.data(), image.width * 4);
  int outWidth = 0;
  int outHeight = 0;
  SDL_GetRendererOutputSize(native->renderer, &outWidth, &outHeight);
  const SDL_Rect target = presentation_.sharp ? WholeMultipleRect(image.width, image.height, outWidth, outHeight)
                                              : FitRect(image.width, image.height, outWidth, outHeight);
  SDL_SetRenderDrawColor(native->renderer, 0, 0, 0, 255);
  SDL_RenderClear(native->renderer);
  SDL_RenderCopy(native->renderer, native->texture, nullptr, &target);
  if (native->overlay) {
    const SDL_Rect corner{target.x, target.y, native->overlayWidth, native->overlayHeight};
    SDL_RenderCopy(native->renderer, native->overlay, nullptr, &corner);
  }
  SDL_RenderPresent(native->renderer);
}

void SdlWindowBackend::SetOverlay(HWND window, const platform::FrameImage* argb) {
  NativeWindow* native = Find(window);
  if (!native || !native->renderer) return;
  if (!argb || argb->width <= 0 || argb->height <= 0 ||
      argb->xrgb.size() < static_cast<size_t>(argb->width) * argb->height) {
    native->DropOverlay();
    return;
  }
  if (native->overlayWidth != argb->width || native->overlayHeight != argb->height) {
    native->DropOverlay();
    native->overlay = SDL_CreateTexture(native->renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                        argb->width, argb->height);
    if (!native->overlay) return;
    native->overlayWidth = argb->width;
    native->overlayHeight = argb->height;
    SDL_SetTextureBlendMode(native->overlay, SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(native->overlay, SDL_ScaleModeNearest);
  }
  SDL_UpdateTexture(native->overlay, nullptr, argb->xrgb.data(), argb->width * 4);
}

namespace {

// The X server's own resolution (its screen's pixels per inch), for when SDL cannot tell, as with
// an X server whose outputs report no size (Xvfb -dpi N); 0 when unknown or not on X.
double XServerDpi() {
#ifdef VORNHOLD_HAVE_X11
  Display* x = XOpenDisplay(nullptr);
  if (!x) return 0.0;
  const int screen = DefaultScreen(x);
  const int millimetres = DisplayWidthMM(x, screen);
  const double dpi = millimetres > 0 ? DisplayWidth(x, screen) * 25.4 / millimetres : 0.0;
  XCloseDisplay(x);
  return dpi;
#else
  return 0.0;
#endif
}

}  // namespace

double SdlWindowBackend::DisplayScale() const {
  if (const char* forced = std::getenv("VORNHOLD_DIALOG_SCALE")) {
    const double scale = std::atof(forced);
    if (scale > 0.0 && scale <= 8.0) return scale;
    std::fprintf(stderr, "warning: VORNHOLD_DIALOG_SCALE=%s is not a scale between 0 and 8; ignored\n", forced);
  }
  if (!open_) return 1.0;
  float horizontal = 0.0f;
  double dpi = SDL_GetDisplayDPI(0, nullptr, &horizontal, nullptr) == 0 ? horizontal : 0.0;
  if (!(dpi > 0.0)) dpi = XServerDpi();
  if (!(dpi > 0.0)) return 1.0;
  // Windows scales in quarter steps from 100 %; an X server's odd DPI (93.98) stays at 1.
  return std::max(1.0, std::round(dpi / 96.0 * 4.0) / 4.0);
}

bool SdlWindowBackend::RunDialog(DialogState& dialog) {
  if (!open_) return false;
  const int width = DialogWindowWidth(dialog);
  const int height = DialogWindowHeight(dialog);
  NativeWindow native;
  SDL_Rect monitor{};  // the dialog's position is on its monitor
  SDL_GetDisplayBounds(presentation_.display, &monitor);
  ForgetCanvasLetterbox();
  // A dialog without a caption still has a name for taskbars and window lists: the program's.
  const std::string& name = dialog.title.empty() ? presentation_.programName : dialog.title;
  native.window = SDL_CreateWindow(name.c_str(), monitor.x + dialog.position.x, monitor.y + dialog.position.y,
                                   std::max(width, 1),
                                   std::max(height, 1), SDL_WINDOW_BORDERLESS);
  if (native.window) native.renderer = SDL_CreateRenderer(native.window, -1, 0);
  if (native.window && !native.renderer) {
    native.renderer = SDL_CreateRenderer(native.window, -1, SDL_RENDERER_SOFTWARE);
  }
  if (native.renderer) {
    native.texture = SDL_CreateTexture(native.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                       std::max(width, 1), std::max(height, 1));
  }
  if (!native.texture) {
    std::fprintf(stderr, "warning: no window for the dialog: %s\n", SDL_GetError());
    return false;
  }
  // A close request is Escape; if that only closed an open list, the dialog gets a second one.
  const auto close = [&dialog] {
    DialogKey(dialog, VK_ESCAPE, false, false);
    if (!dialog.ended) DialogKey(dialog, VK_ESCAPE, false, false);
  };
  SDL_ShowWindow(native.window);
  SDL_RaiseWindow(native.window);
  const Uint32 id = SDL_GetWindowID(native.window);
  std::vector<std::uint32_t> pixels;
  bool dirty = true;
  while (!dialog.ended) {
    if (dirty) {
      PaintDialog(dialog, pixels);
      SDL_UpdateTexture(native.texture, nullptr, pixels.data(), width * 4);
      SDL_RenderClear(native.renderer);
      SDL_RenderCopy(native.renderer, native.texture, nullptr, nullptr);
      SDL_RenderPresent(native.renderer);
      dirty = false;
    }
    SDL_Event event;
    if (!SDL_WaitEvent(&event)) continue;
    switch (event.type) {
      case SDL_KEYDOWN: {
        if (event.key.windowID != id) break;
        const WPARAM vk = VirtualKeyOf(event.key.keysym.sym);
        if (vk == 0) break;
        const Uint16 mods = event.key.keysym.mod;
        DialogKey(dialog, vk, (mods & KMOD_SHIFT) != 0, (mods & KMOD_ALT) != 0);
        dirty = true;
        break;
      }
      case SDL_MOUSEBUTTONDOWN:
        if (event.button.windowID != id || event.button.button != SDL_BUTTON_LEFT) break;
        DialogClick(dialog, event.button.x - dialog.border, event.button.y - dialog.border);
        dirty = true;
        break;
      case SDL_MOUSEBUTTONUP:
        if (event.button.button == SDL_BUTTON_LEFT) DialogRelease(dialog);
        break;
      case SDL_MOUSEMOTION:
        if (event.motion.windowID != id || !(event.motion.state & SDL_BUTTON_LMASK)) break;
        DialogDrag(dialog, event.motion.x - dialog.border, event.motion.y - dialog.border);
        dirty = true;
        break;
      case SDL_MOUSEWHEEL:
        if (event.wheel.windowID != id) break;
        DialogWheel(dialog, event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y);
        dirty = true;
        break;
      case SDL_WINDOWEVENT:
        if (event.window.windowID != id) break;
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) close();
        dirty = true;  // exposed, shown, closed: draw again
        break;
      case SDL_QUIT:  // the session ends or Ctrl-C
        close();
        dirty = true;
        break;
      default:
        break;
    }
  }
  return true;
}

}  // namespace win32
