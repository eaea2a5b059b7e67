// The SDL2 window backend: one real window per Win32 window.
//
// A frame fills the window, or the screen in desktop full screen, in its own shape, black borders
// around it: smoothly scaled, or sharp in whole multiples (SdlPresentation); windows can be
// resized. Because full screen never changes the display's
// mode, every standard mode can be offered: DisplayModes() is the standard list at the desktop's
// refresh rate. Keys become virtual-key events; a close request (window close button, or the end
// of the session / Ctrl-C) arrives as Escape.
//
// Modal dialogs get a borderless window of their own at the dialog's position, painted by
// dialog_painter.h; keys (with Shift and Alt), the left button and the wheel go to DialogKey,
// DialogClick, DialogDrag, DialogRelease and DialogWheel until the dialog ends. Dialogs are laid
// out at DisplayScale(): the display's DPI / 96 in steps of a quarter and never below 1, or
// VORNHOLD_DIALOG_SCALE when set (a number such as 2).
#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/win32/window_backend.h"

namespace win32 {

// How frames reach the screen.
struct SdlPresentation {
  bool sharp = false;  // nearest-pixel scaling, in whole multiples where they fit; else smooth
  int display = 0;     // the monitor windows open on, and full screen fills
  bool vsync = true;   // Present waits for the display's refresh where the driver offers it
  std::string programName;  // what a window without a caption of its own is called
};

class SdlWindowBackend final : public WindowBackend {
 public:
  SdlWindowBackend();
  explicit SdlWindowBackend(const SdlPresentation& presentation);
  ~SdlWindowBackend() override;
  SdlWindowBackend(const SdlWindowBackend&) = delete;
  SdlWindowBackend& operator=(const SdlWindowBackend&) = delete;

  // Starts SDL's video. False with a one-line reason when there is no display, or no monitor of
  // the presentation's number.
  bool Open(std::string& error);

  void CreateNativeWindow(HWND window, const char* title, int clientWidth,
                          int clientHeight) override;
  void DestroyNativeWindow(HWND window) override;
  void ShowNativeWindow(HWND window, bool visible) override;
  void SetFullscreen(HWND window, bool fullscreen) override;
  std::vector<NativeKeyEvent> PollEvents() override;
  bool WaitForEvents(int timeoutMs) override;
  void SetCursorVisible(bool visible) override;
  int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type) override;
  std::vector<ScreenMode> DisplayModes() const override;
  ScreenMode DesktopMode() const override;
  bool WorkArea(int& width, int& height) const override;
  void ShowFrame(HWND window, const platform::FrameImage& image) override;
  void SetOverlay(HWND window, const platform::FrameImage* argb) override;
  double DisplayScale() const override;
  bool RunDialog(DialogState& dialog) override;
  std::unique_ptr<NativeGlContext> CreateGlContext(HWND window, GlApi api, std::string& why) override;

 private:
  struct NativeWindow;
  class GlContext;
  NativeWindow* Find(HWND window);
  void MakeRenderer(NativeWindow& native) const;

  SdlPresentation presentation_;
  bool open_ = false;
  std::map<HWND, std::unique_ptr<NativeWindow>> windows_;
};

}  // namespace win32
