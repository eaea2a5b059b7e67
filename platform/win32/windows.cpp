// Window classes, windows, focus, cursor and message boxes: the Win32 side of every window is kept
// here; the backend only mirrors it natively.
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/win32_host.h"
#include "platform/win32/window_backend.h"
#include "platform/win32/window_table.h"

namespace {

// Client size a CW_USEDEFAULT width or height stands for.
constexpr int kDefaultClientWidth = 640;
constexpr int kDefaultClientHeight = 480;
constexpr int kSystemColourCount = 31;

struct WindowClass {
  UINT style = 0;
  WNDPROC procedure = nullptr;
};

struct WindowTable {
  std::map<std::string, WindowClass> classes;
  std::vector<std::unique_ptr<HWND__>> windows;  // creation order; never shrinks
  HWND focus = nullptr;
  int cursorCounter = 0;
};

WindowTable& Table() {
  static WindowTable table;
  return table;
}

struct ClientLimit {
  int width = 0, height = 0;  // 0: none
};
ClientLimit& Limit() {
  static ClientLimit limit;
  return limit;
}

}  // namespace

namespace win32 {

void FitIntoClientAreaLimit(int& width, int& height) {
  const ClientLimit& limit = Limit();
  if (limit.width <= 0 || width <= 0 || height <= 0) return;
  if (std::int64_t(limit.width) * height <= std::int64_t(limit.height) * width) {
    height = int(std::int64_t(limit.width) * height / width);
    width = limit.width;
  } else {
    width = int(std::int64_t(limit.height) * width / height);
    height = limit.height;
  }
}

}  // namespace win32

namespace {

void DestroyWindowAndNotify(HWND window) {
  HWND__* w = win32::detail::LiveWindow(window);
  if (!w) return;
  if (w->procedure) w->procedure(window, WM_DESTROY, 0, 0);
  w->alive = false;
  w->visible = false;
  if (Table().focus == window) Table().focus = nullptr;
  win32::detail::DiscardMessagesFor(window);
  win32::GetWindowBackend().DestroyNativeWindow(window);
}

}  // namespace

namespace win32 {

void SetClientAreaLimit(int width, int height) { Limit() = ClientLimit{width, height}; }

}  // namespace win32

namespace win32::detail {

HWND__* LiveWindow(HWND window) {
  if (!window) return nullptr;
  for (const auto& w : Table().windows) {
    if (w.get() == window) return w->alive ? w.get() : nullptr;
  }
  return nullptr;
}

HWND MainWindow() {
  auto& windows = Table().windows;
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    if ((*it)->alive && !((*it)->style & WS_CHILD)) return it->get();
  }
  return nullptr;
}

HWND AddWindow(std::unique_ptr<HWND__> window) {
  Table().windows.push_back(std::move(window));
  return Table().windows.back().get();
}

void RetireWindow(HWND window) {
  HWND__* w = LiveWindow(window);
  if (!w) return;
  w->alive = false;
  w->visible = false;
  if (Table().focus == window) Table().focus = nullptr;
  DiscardMessagesFor(window);
}

}  // namespace win32::detail

namespace win32 {

void ForgetTheRun() {
  auto& table = Table();
  for (const auto& window : table.windows) DestroyWindowAndNotify(window.get());
  detail::ClearMessageQueue();
  table.classes.clear();
}

}  // namespace win32

ATOM RegisterClassExA(const WNDCLASSEXA* windowClass) {
  if (!windowClass || !windowClass->lpfnWndProc || !windowClass->lpszClassName) return 0;
  if (windowClass->cbSize != sizeof(WNDCLASSEXA)) return 0;
  auto& classes = Table().classes;
  const auto [it, inserted] = classes.try_emplace(windowClass->lpszClassName,
                                                  WindowClass{windowClass->style,
                                                              windowClass->lpfnWndProc});
  if (!inserted) return 0;  // ERROR_CLASS_ALREADY_EXISTS
  // Class atoms live in 0xC000..0xFFFF.
  return static_cast<ATOM>(0xC000 + classes.size() - 1);
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param) {
  if (!className || parent || menu) return nullptr;
  const auto found = Table().classes.find(className);
  if (found == Table().classes.end()) return nullptr;

  auto window = std::make_unique<HWND__>();
  window->className = className;
  window->title = windowName ? windowName : "";
  window->procedure = found->second.procedure;
  window->style = style;
  window->exStyle = exStyle;
  window->clientWidth = width == CW_USEDEFAULT ? kDefaultClientWidth : (width > 0 ? width : 0);
  window->clientHeight = height == CW_USEDEFAULT ? kDefaultClientHeight : (height > 0 ? height : 0);
  win32::FitIntoClientAreaLimit(window->clientWidth, window->clientHeight);
  HWND handle = window.get();
  Table().windows.push_back(std::move(window));

  win32::GetWindowBackend().CreateNativeWindow(handle, handle->title.c_str(), handle->clientWidth,
                                              handle->clientHeight);
  if (style & WS_VISIBLE) ShowWindow(handle, SW_SHOWNORMAL);
  return handle;
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) DestroyWindowAndNotify(window);
  return 0;
}

BOOL ShowWindow(HWND window, int command) {
  HWND__* w = win32::detail::LiveWindow(window);
  if (!w) return FALSE;
  const BOOL wasVisible = w->visible ? TRUE : FALSE;
  const bool show = command != SW_HIDE;
  w->visible = show;
  if (show) {
    w->style |= WS_VISIBLE;
    Table().focus = window;  // showing a top-level window activates it
  } else {
    w->style &= ~WS_VISIBLE;
    if (Table().focus == window) Table().focus = nullptr;
  }
  win32::GetWindowBackend().ShowNativeWindow(window, show);
  return wasVisible;
}

BOOL UpdateWindow(HWND window) { return win32::detail::LiveWindow(window) ? TRUE : FALSE; }

HWND SetFocus(HWND window) {
  if (window && !win32::detail::LiveWindow(window)) return nullptr;
  const HWND previous = Table().focus;
  Table().focus = window;
  return previous;
}

BOOL GetClientRect(HWND window, RECT* rect) {
  HWND__* w = win32::detail::LiveWindow(window);
  if (!w || !rect) return FALSE;
  *rect = RECT{0, 0, w->clientWidth, w->clientHeight};
  return TRUE;
}

BOOL IsWindow(HWND window) { return win32::detail::LiveWindow(window) ? TRUE : FALSE; }

HICON LoadIconA(HINSTANCE instance, LPCSTR name) { return nullptr; }

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  static HICON__ arrow{};
  if (instance == nullptr && name == IDC_ARROW) return &arrow;
  return nullptr;
}

HBRUSH GetSysColorBrush(int colorIndex) {
  static HBRUSH__ brushes[kSystemColourCount]{};
  if (colorIndex < 0 || colorIndex >= kSystemColourCount) return nullptr;
  return &brushes[colorIndex];
}

int ShowCursor(BOOL show) {
  int& counter = Table().cursorCounter;
  const bool wasVisible = counter >= 0;
  counter += show ? 1 : -1;
  if ((counter >= 0) != wasVisible) win32::GetWindowBackend().SetCursorVisible(counter >= 0);
  return counter;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  return win32::GetWindowBackend().ShowMessageBox(owner, text ? text : "",
                                                  caption ? caption : "Error", type);
}
