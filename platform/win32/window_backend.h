// The native side of the Win32 windows: a real window (SDL2) or none at all (headless).
//
// The host picks one backend before the system starts (SetWindowBackend); headless is the
// default. The Win32 layer keeps every window's state itself and asks the backend only for what
// needs a screen: the native window, full screen, key events, the cursor, message boxes, the
// adapter's display modes and showing presented frames. Nothing about time lives here.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/present/present.h"
#include "platform/win32/dialog.h"
#include "platform/win32/win32.h"

namespace win32 {

// One display mode of the adapter.
struct ScreenMode {
  int width = 0;         // pixels
  int height = 0;        // pixels
  int bitsPerPixel = 0;  // 16, 24 or 32
  int refreshHz = 0;     // 0 = unknown / adapter default
  friend bool operator==(const ScreenMode&, const ScreenMode&) = default;
};

// A key that went down or up in a native window, as a virtual-key code.
struct NativeKeyEvent {
  HWND window = nullptr;  // the Win32 window whose native window had the focus
  WPARAM virtualKey = 0;
  bool down = true;
  bool repeat = false;  // auto-repeat of a key that is already down
};

// Where a frame goes in a window's drawable: a rectangle in pixels from its top-left corner, black
// around it, and how the frame is scaled into it.
struct FramePlacement {
  int x = 0, y = 0, width = 0, height = 0;
  int drawableWidth = 0, drawableHeight = 0;  // the drawable's size now (it changes with the window)
  bool sharp = false;  // nearest-pixel scaling; else smooth
};

// Which OpenGL a context speaks: 3.3 core, or ES 3.0 (what a web page's WebGL2 is).
enum class GlApi { kCore33, kEs30 };

// An OpenGL context whose default framebuffer is a native window, for a device that draws frames
// on the graphics card and shows them itself. While it exists, ShowFrame does nothing for that
// window.
class NativeGlContext {
 public:
  virtual ~NativeGlContext() = default;
  // Makes the context current on the calling thread (cheap when it already is).
  virtual void MakeCurrent() = 0;
  virtual void* ProcAddress(const char* name) = 0;
  // Where a frame of this size goes in the drawable as it is now.
  virtual FramePlacement Place(int frameWidth, int frameHeight) = 0;
  // Shows the default framebuffer (swaps buffers, waiting for the display's refresh when the
  // presentation asks for it).
  virtual void Swap() = 0;
};

class WindowBackend {
 public:
  virtual ~WindowBackend() = default;

  // Makes the native window for a new Win32 window, hidden, with this client size in pixels.
  virtual void CreateNativeWindow(HWND window, const char* title, int clientWidth,
                                  int clientHeight) = 0;
  virtual void DestroyNativeWindow(HWND window) = 0;
  virtual void ShowNativeWindow(HWND window, bool visible) = 0;
  // Desktop full screen (frames scaled to fit, shape kept, black borders) or back to windowed.
  virtual void SetFullscreen(HWND window, bool fullscreen) = 0;
  // Native events since the last call. A close request arrives as Escape down and up.
  virtual std::vector<NativeKeyEvent> PollEvents() = 0;
  // Waits up to timeoutMs for a native event. False when no native event can ever arrive.
  virtual bool WaitForEvents(int timeoutMs) = 0;
  virtual void SetCursorVisible(bool visible) = 0;
  // MessageBoxA's work: returns IDOK / IDCANCEL.
  virtual int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type) = 0;
  virtual std::vector<ScreenMode> DisplayModes() const = 0;
  virtual ScreenMode DesktopMode() const = 0;
  // The part of the display a window and its frame may cover (the desktop less panels and docks),
  // in pixels; false where there is no screen (headless).
  virtual bool WorkArea(int& /*width*/, int& /*height*/) const { return false; }
  // Shows a presented frame in the window: windowed at the client size; full screen scaled to fit.
  virtual void ShowFrame(HWND window, const platform::FrameImage& image) = 0;
  // A picture the window draws over every frame it shows from now on, at the frame's top-left
  // corner, one image pixel to one drawable pixel (not scaled with the frame), blended by its
  // alpha: `argb` holds 0xAARRGGBB pixels in FrameImage's xrgb. Null takes it away. A backend
  // without windows, or a window whose OpenGL device shows frames itself, shows none.
  virtual void SetOverlay(HWND /*window*/, const platform::FrameImage* /*argb*/) {}
  // The display's scale against 96 DPI (2.0 at 192 DPI); dialogs are laid out at this scale.
  virtual double DisplayScale() const { return 1.0; }
  // Shows a modal dialog in a window of its own at dialog.position, draws it, and feeds the
  // viewer's keys and clicks to DialogKey / DialogClick until dialog.ended. False, without doing
  // anything, when the backend cannot show it (headless).
  virtual bool RunDialog(DialogState& dialog) { return false; }
  // An OpenGL context of that API drawing into the window. Null with `why` empty when the backend
  // has no windows to draw into (headless); null with a one-line reason when the window cannot
  // get one.
  virtual std::unique_ptr<NativeGlContext> CreateGlContext(HWND /*window*/, GlApi /*api*/, std::string& why) {
    why.clear();
    return nullptr;
  }
};

// The active backend (headless until the host sets another).
WindowBackend& GetWindowBackend();
void SetWindowBackend(std::unique_ptr<WindowBackend> backend);

// What a typical adapter offers: the common sizes from 320x200 to 1920x1080 (the VGA and VESA
// sizes and the usual monitor ones), each in 16 and 32 bits, at the given refresh rate. The show
// picks the modes it wants out of these itself.
std::vector<ScreenMode> StandardScreenModes(int refreshHz);

// No window at all: frames go nowhere, message boxes go to stderr, no native input.
class HeadlessBackend final : public WindowBackend {
 public:
  HeadlessBackend();

  // For the host: the adapter seen by the devices (for example a 16-bit desktop).
  void SetDisplayModes(std::vector<ScreenMode> modes) { modes_ = std::move(modes); }
  void SetDesktopMode(const ScreenMode& mode) { desktop_ = mode; }
  bool CursorVisible() const { return cursorVisible_; }

  void CreateNativeWindow(HWND, const char*, int, int) override {}
  void DestroyNativeWindow(HWND) override {}
  void ShowNativeWindow(HWND, bool) override {}
  void SetFullscreen(HWND, bool) override {}
  std::vector<NativeKeyEvent> PollEvents() override { return {}; }
  bool WaitForEvents(int) override { return false; }
  void SetCursorVisible(bool visible) override { cursorVisible_ = visible; }
  int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type) override;
  std::vector<ScreenMode> DisplayModes() const override { return modes_; }
  ScreenMode DesktopMode() const override { return desktop_; }
  void ShowFrame(HWND, const platform::FrameImage&) override {}

 private:
  std::vector<ScreenMode> modes_;
  ScreenMode desktop_;
  bool cursorVisible_ = true;
};

}  // namespace win32
