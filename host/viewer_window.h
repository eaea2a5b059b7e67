// The live window as the viewer works it: a window backend over the real one that keeps the
// viewer's keys for the host and draws the overlay.
//
// Keys that are the host's (Space, Left, Right, Page Up, Page Down, Home, F1, F11, F12, and Enter
// while Alt is down) never reach the show, neither going down nor up; every other event passes
// unchanged, Escape and close requests included. The timeline's keys call the TimelineKeys the
// host sets (none at first: they then do nothing); a call that cannot be done returns a line that
// the overlay shows for a few seconds, even while it is off. F12 writes the frame the window was
// last given (the device's own frame, not scaled, no overlay) as vornhold-<timeline ms>ms.png in
// the current folder, next to nothing it would overwrite. F11 and Alt+Enter toggle desktop full
// screen. F1 toggles the overlay, drawn by the real backend over the scaled frame and never into
// the frame itself.
//
// Where the OpenGL device shows frames itself, the window is given no frame: F12 has nothing to
// write and the overlay is not drawn (the OpenGL device has no overlay of its own).
//
// A restart that keeps the window: while KeepWindowForRestart is on, the show's window outlives
// its Win32 window, and the next window of the same client size takes it over, as it stands
// (shown, full screen or not), so that the restart does not flicker.
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "host/viewer_keys.h"
#include "platform/win32/window_backend.h"

namespace host {

class ViewerWindow final : public win32::WindowBackend {
 public:
  explicit ViewerWindow(std::unique_ptr<win32::WindowBackend> inner);
  ~ViewerWindow() override;
  ViewerWindow(const ViewerWindow&) = delete;
  ViewerWindow& operator=(const ViewerWindow&) = delete;

  // The timeline the keys work; null: the timeline's keys do nothing. Outlives its use here.
  void SetTimelineKeys(TimelineKeys* keys) { keys_ = keys; }
  // For a pause: until condition() is false, waits for native events, acts on the host's keys and
  // shows the last frame again when the overlay changes. Returns early once an event for the show
  // that ends it arrives (Escape, a close request), which the next PollEvents hands on; returns at
  // once where no native event can ever arrive.
  void HoldWhile(const std::function<bool()>& condition);
  // While on, DestroyNativeWindow keeps the native window, and the show's requests to hide it or
  // leave full screen are not passed on; the next CreateNativeWindow of the same client size takes
  // it over. Off: a kept window that nobody took goes.
  void KeepWindowForRestart(bool keep);
  bool OverlayOn() const { return overlayOn_; }

  void CreateNativeWindow(HWND window, const char* title, int clientWidth, int clientHeight) override;
  void DestroyNativeWindow(HWND window) override;
  void ShowNativeWindow(HWND window, bool visible) override;
  void SetFullscreen(HWND window, bool fullscreen) override;
  std::vector<win32::NativeKeyEvent> PollEvents() override;
  bool WaitForEvents(int timeoutMs) override;
  void SetCursorVisible(bool visible) override { inner_->SetCursorVisible(visible); }
  int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type) override;
  std::vector<win32::ScreenMode> DisplayModes() const override { return inner_->DisplayModes(); }
  win32::ScreenMode DesktopMode() const override { return inner_->DesktopMode(); }
  void ShowFrame(HWND window, const platform::FrameImage& image) override;
  void SetOverlay(HWND window, const platform::FrameImage* argb) override;
  double DisplayScale() const override { return inner_->DisplayScale(); }
  bool RunDialog(win32::DialogState& dialog) override { return inner_->RunDialog(dialog); }
  std::unique_ptr<win32::NativeGlContext> CreateGlContext(HWND window, win32::GlApi api, std::string& why) override;

 private:
  using Clock = std::chrono::steady_clock;
  struct KeptWindow {
    HWND native;  // the handle the inner backend knows it by
    int clientWidth, clientHeight;
  };

  HWND Native(HWND window) const;
  std::optional<win32::NativeKeyEvent> Filter(win32::NativeKeyEvent event);
  void Act(WPARAM key, HWND native);
  void Timeline(std::string (TimelineKeys::*call)());
  void Notice(const std::string& line);
  void ToggleFullscreen(HWND native);
  void Screenshot();
  bool RefreshOverlay(HWND native);
  void ShowAgain();
  void DropKeptWindow();
  void Destroy(HWND native);
  int FramesPerSecond();

  std::unique_ptr<win32::WindowBackend> inner_;
  TimelineKeys* keys_ = nullptr;
  std::deque<win32::NativeKeyEvent> held_;  // events for the show that came during a hold
  bool altDown_ = false;
  std::set<WPARAM> takenDown_;  // keys whose press the host took: their release is its too

  platform::FrameImage frame_;       // the last frame the window was given
  HWND frameWindow_ = nullptr;       // its native window; null: none
  long frameMs_ = -1;                // its timeline time; < 0 while loading
  std::deque<Clock::time_point> shownAt_;  // when the frames of about the last second came

  bool overlayOn_ = false;
  std::string notice_;
  Clock::time_point noticeUntil_;
  std::vector<std::string> overlayLines_;  // what overlayWindow_'s overlay shows now
  HWND overlayWindow_ = nullptr;

  bool keep_ = false;
  std::optional<KeptWindow> kept_;
  std::map<HWND, HWND> adopted_;  // a show's window -> the native window it took over
  std::map<HWND, std::pair<int, int>> clientSizes_;  // by native window, pixels
  std::map<HWND, bool> fullscreen_;                  // by native window
};

}  // namespace host
