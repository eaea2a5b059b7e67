#include "host/viewer_window.h"

#include <cstdio>
#include <filesystem>

#include "host/timeline_seek.h"
#include "host/viewer_overlay.h"
#include "platform/png/png_writer.h"
#include "platform/win32/win32_host.h"

namespace host {
namespace {

constexpr long kSeekMs = 5000;
constexpr int kHoldWaitMs = 50;  // a pause still notices a passing notice or its condition in time
constexpr auto kNoticeTime = std::chrono::seconds(3);

bool IsHostKey(WPARAM key) {
  switch (key) {
    case VK_SPACE:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_HOME:
    case VK_F1:
    case VK_F11:
    case VK_F12: return true;
    default: return false;
  }
}

// Held down, only the seeks go on: a held Space or F12 acts once.
bool Repeats(WPARAM key) { return key == VK_LEFT || key == VK_RIGHT; }

// vornhold-0061234ms.png (zero-padded, so that names sort by time), or with -2, -3, ... where
// that file is there already: a screenshot never replaces one.
std::string FreeScreenshotName(long ms) {
  char base[48];
  if (ms < 0)
    std::snprintf(base, sizeof base, "vornhold-loading");
  else
    std::snprintf(base, sizeof base, "vornhold-%07ldms", ms);
  for (int n = 1;; ++n) {
    const std::string name = std::string(base) + (n > 1 ? "-" + std::to_string(n) : "") + ".png";
    std::error_code ec;
    if (!std::filesystem::exists(name, ec) && !ec) return name;
    if (ec) return name;  // the write says what is wrong
  }
}

}  // namespace

ViewerWindow::ViewerWindow(std::unique_ptr<win32::WindowBackend> inner) : inner_(std::move(inner)) {}

ViewerWindow::~ViewerWindow() { DropKeptWindow(); }

HWND ViewerWindow::Native(HWND window) const {
  const auto it = adopted_.find(window);
  return it == adopted_.end() ? window : it->second;
}

// ---- windows, and keeping one across a restart ----

void ViewerWindow::CreateNativeWindow(HWND window, const char* title, int clientWidth, int clientHeight) {
  if (kept_ && kept_->clientWidth == clientWidth && kept_->clientHeight == clientHeight) {
    adopted_[window] = kept_->native;
    kept_.reset();
    return;
  }
  DropKeptWindow();  // of another size: the restarted show has a window of its own
  inner_->CreateNativeWindow(window, title, clientWidth, clientHeight);
  clientSizes_[window] = {clientWidth, clientHeight};
}

void ViewerWindow::DestroyNativeWindow(HWND window) {
  const HWND native = Native(window);
  adopted_.erase(window);
  if (!keep_) return Destroy(native);
  DropKeptWindow();
  const auto size = clientSizes_[native];
  kept_ = KeptWindow{native, size.first, size.second};
}

void ViewerWindow::KeepWindowForRestart(bool keep) {
  keep_ = keep;
  if (!keep) DropKeptWindow();
}

void ViewerWindow::DropKeptWindow() {
  if (kept_) Destroy(kept_->native);
  kept_.reset();
}

void ViewerWindow::Destroy(HWND native) {
  inner_->DestroyNativeWindow(native);
  clientSizes_.erase(native);
  fullscreen_.erase(native);
  if (native == frameWindow_) frameWindow_ = nullptr, frame_ = {};
  if (native == overlayWindow_) overlayWindow_ = nullptr;
}

// A taken-over window stays as it stands; a kept one is neither hidden nor taken out of full
// screen by the show that is ending.
void ViewerWindow::ShowNativeWindow(HWND window, bool visible) {
  if (adopted_.count(window) || (keep_ && !visible)) return;
  inner_->ShowNativeWindow(window, visible);
}

void ViewerWindow::SetFullscreen(HWND window, bool fullscreen) {
  if (adopted_.count(window) || (keep_ && !fullscreen)) return;
  inner_->SetFullscreen(window, fullscreen);
  fullscreen_[window] = fullscreen;
}

int ViewerWindow::ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
  return inner_->ShowMessageBox(Native(owner), text, caption, type);
}

std::unique_ptr<win32::NativeGlContext> ViewerWindow::CreateGlContext(HWND window, win32::GlApi api,
                                                                      std::string& why) {
  return inner_->CreateGlContext(Native(window), api, why);
}

void ViewerWindow::SetOverlay(HWND window, const platform::FrameImage* argb) {
  inner_->SetOverlay(Native(window), argb);
}

// ---- keys ----

std::vector<win32::NativeKeyEvent> ViewerWindow::PollEvents() {
  std::vector<win32::NativeKeyEvent> events(held_.begin(), held_.end());
  held_.clear();
  for (const win32::NativeKeyEvent& event : inner_->PollEvents())
    if (auto passed = Filter(event)) events.push_back(*passed);
  return events;
}

bool ViewerWindow::WaitForEvents(int timeoutMs) {
  if (!held_.empty()) return true;
  return inner_->WaitForEvents(timeoutMs);
}

// The event as the show gets it (in the name of the window that took the native one over), or
// nothing when it is the host's.
std::optional<win32::NativeKeyEvent> ViewerWindow::Filter(win32::NativeKeyEvent event) {
  const HWND native = event.window;
  for (const auto& [window, adoptedNative] : adopted_)
    if (adoptedNative == native && window) event.window = window;
  const WPARAM key = event.virtualKey;
  if (key == VK_MENU) altDown_ = event.down;
  if (!event.down) {
    if (!IsHostKey(key) && !takenDown_.erase(key)) return event;
    return std::nullopt;
  }
  const bool altEnter = key == VK_RETURN && altDown_;
  if (!IsHostKey(key) && !altEnter) return event;
  if (altEnter) takenDown_.insert(key);
  if (!event.repeat || Repeats(key)) Act(altEnter ? VK_F11 : key, native ? native : frameWindow_);
  return std::nullopt;
}

void ViewerWindow::Act(WPARAM key, HWND native) {
  switch (key) {
    case VK_SPACE: return Timeline(&TimelineKeys::TogglePause);
    case VK_LEFT:
    case VK_RIGHT:
      if (keys_) Notice(keys_->SeekBy(key == VK_LEFT ? -kSeekMs : kSeekMs));
      return;
    case VK_PRIOR:
    case VK_NEXT:
      if (keys_) Notice(keys_->StepPart(key == VK_PRIOR ? -1 : 1));
      return;
    case VK_HOME: return Timeline(&TimelineKeys::Restart);
    case VK_F1:
      overlayOn_ = !overlayOn_;
      return ShowAgain();
    case VK_F11: return ToggleFullscreen(native);
    case VK_F12: return Screenshot();
    default: return;
  }
}

void ViewerWindow::Timeline(std::string (TimelineKeys::*call)()) {
  if (keys_) Notice((keys_->*call)());
}

void ViewerWindow::Notice(const std::string& line) {
  if (line.empty()) return;
  notice_ = line;
  noticeUntil_ = Clock::now() + kNoticeTime;
  ShowAgain();
}

void ViewerWindow::ToggleFullscreen(HWND native) {
  if (!native) return;
  const bool fullscreen = !fullscreen_[native];
  inner_->SetFullscreen(native, fullscreen);
  fullscreen_[native] = fullscreen;
  ShowAgain();  // the window has a new size: a paused show would leave it black
}

void ViewerWindow::Screenshot() {
  if (!frameWindow_) {
    std::fprintf(stderr, "vornhold: no screenshot: the window has been given no frame\n");
    return;
  }
  const std::string name = FreeScreenshotName(frameMs_);
  const std::string part = name + ".part";  // written whole, then named: never a broken PNG
  std::string why;
  std::error_code ec;
  if (platform::WritePng(part, frame_, why)) std::filesystem::rename(part, name, ec);
  if (why.empty() && !ec) {
    std::fprintf(stderr, "vornhold: screenshot %s\n", name.c_str());
    return;
  }
  std::filesystem::remove(part, ec);
  std::fprintf(stderr, "vornhold: screenshot %s not written: %s\n", name.c_str(),
               why.empty() ? ec.message().c_str() : why.c_str());
}

void ViewerWindow::HoldWhile(const std::function<bool()>& condition) {
  const auto endsTheShow = [this] {
    for (const win32::NativeKeyEvent& e : held_)
      if (e.down && e.virtualKey == VK_ESCAPE) return true;
    return false;
  };
  while (condition() && !endsTheShow()) {
    if (frameWindow_ && RefreshOverlay(frameWindow_)) inner_->ShowFrame(frameWindow_, frame_);
    if (!inner_->WaitForEvents(kHoldWaitMs)) return;
    for (const win32::NativeKeyEvent& event : inner_->PollEvents())
      if (auto passed = Filter(event)) held_.push_back(*passed);
  }
}

// ---- frames and the overlay ----

void ViewerWindow::ShowFrame(HWND window, const platform::FrameImage& image) {
  const HWND native = Native(window);
  frame_ = image;
  frameWindow_ = native;
  frameMs_ = keys_ ? keys_->Status().timelineMs : TimelineSeek::TimelineNow();  // where no TimelineKeys tells it
  const Clock::time_point now = Clock::now();
  shownAt_.push_back(now);
  while (now - shownAt_.front() > std::chrono::seconds(1)) shownAt_.pop_front();
  RefreshOverlay(native);
  inner_->ShowFrame(native, image);
}

void ViewerWindow::ShowAgain() {
  if (!frameWindow_) return;
  RefreshOverlay(frameWindow_);
  inner_->ShowFrame(frameWindow_, frame_);
}

int ViewerWindow::FramesPerSecond() {
  const Clock::time_point now = Clock::now();
  while (!shownAt_.empty() && now - shownAt_.front() > std::chrono::seconds(1)) shownAt_.pop_front();
  return int(shownAt_.size());
}

// Gives the window the overlay as it should be now; true when that changed it.
bool ViewerWindow::RefreshOverlay(HWND native) {
  OverlayContent content;
  content.panel = overlayOn_;
  if (!notice_.empty() && Clock::now() >= noticeUntil_) notice_.clear();
  content.notice = notice_;
  if (overlayOn_) {
    if (keys_) content.status = keys_->Status();
    if (!keys_) content.status.timelineMs = frameMs_;
    content.paused = keys_ && keys_->Paused();
    content.framesPerSecond = FramesPerSecond();
  }
  std::vector<std::string> lines = OverlayLines(content);
  if (lines == overlayLines_ && native == overlayWindow_) return false;
  overlayLines_ = std::move(lines);
  overlayWindow_ = native;
  if (overlayLines_.empty()) {
    inner_->SetOverlay(native, nullptr);
  } else {
    const platform::FrameImage picture = DrawOverlay(overlayLines_, inner_->DisplayScale());
    inner_->SetOverlay(native, &picture);
  }
  return true;
}

}  // namespace host
