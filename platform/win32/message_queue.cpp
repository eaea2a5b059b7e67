// The thread's message queue: posted messages, input messages (keys), and the quit flag.
//
// Retrieval order as on Windows: posted messages first, then input, then WM_QUIT, which is
// synthesised from the flag PostQuitMessage sets once no other matching message is left. WM_QUIT
// passes every window and range filter. Our windows have no children, so a window filter means
// exactly that window.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <utility>
#include <thread>

#include "platform/win32/window_backend.h"
#include "platform/win32/window_table.h"

namespace {

// Longest wait for native events in one go, so scripted input is still checked in time.
constexpr int kMaxWaitMs = 10;

struct MessageQueue {
  std::deque<MSG> posted;
  std::deque<MSG> input;
  bool quitPending = false;
  int quitCode = 0;
};

MessageQueue& Queue() {
  static MessageQueue queue;
  return queue;
}

MSG MakeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return MSG{window, message, wParam, lParam, GetTickCount(), POINT{0, 0}};
}

bool PassesFilter(const MSG& msg, HWND window, UINT minMessage, UINT maxMessage) {
  if (window == reinterpret_cast<HWND>(-1)) {
    if (msg.hwnd != nullptr) return false;
  } else if (window != nullptr && msg.hwnd != window) {
    return false;
  }
  if (minMessage == 0 && maxMessage == 0) return true;
  return msg.message >= minMessage && msg.message <= maxMessage;
}

// Native key events and due scripted keys into the input queue. Returns what PostDueScriptedKeys
// says about the next scripted key.
std::function<void()>& TimelineObserver() {
  static std::function<void()> observer;
  return observer;
}

long PumpInput() {
  win32::detail::NotifyTimelineObserver();
  for (const win32::NativeKeyEvent& key : win32::GetWindowBackend().PollEvents()) {
    if (!win32::detail::LiveWindow(key.window)) continue;
    win32::detail::PostInputMessage(key.window, key.down ? WM_KEYDOWN : WM_KEYUP, key.virtualKey,
                                    win32::detail::KeyLParam(key.virtualKey, key.down, key.repeat));
  }
  return win32::detail::PostDueScriptedKeys();
}

bool TakeFrom(std::deque<MSG>& queue, MSG* msg, HWND window, UINT minMessage, UINT maxMessage,
              bool remove) {
  for (auto it = queue.begin(); it != queue.end(); ++it) {
    if (!PassesFilter(*it, window, minMessage, maxMessage)) continue;
    *msg = *it;
    if (remove) queue.erase(it);
    return true;
  }
  return false;
}

bool Retrieve(MSG* msg, HWND window, UINT minMessage, UINT maxMessage, bool remove) {
  MessageQueue& q = Queue();
  if (TakeFrom(q.posted, msg, window, minMessage, maxMessage, remove)) return true;
  if (TakeFrom(q.input, msg, window, minMessage, maxMessage, remove)) return true;
  if (q.quitPending) {
    *msg = MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(q.quitCode), 0);
    if (remove) q.quitPending = false;
    return true;
  }
  return false;
}

}  // namespace

namespace win32 {

void SetTimelineObserver(std::function<void()> observer) { TimelineObserver() = std::move(observer); }

namespace detail {
void NotifyTimelineObserver() {
  if (TimelineObserver()) TimelineObserver()();
}
}  // namespace detail

}  // namespace win32

namespace win32::detail {

void PostInputMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Queue().input.push_back(MakeMessage(window, message, wParam, lParam));
}

void ClearMessageQueue() { Queue() = MessageQueue{}; }

void DiscardMessagesFor(HWND window) {
  for (std::deque<MSG>* queue : {&Queue().posted, &Queue().input}) {
    std::erase_if(*queue, [window](const MSG& m) { return m.hwnd == window; });
  }
}

}  // namespace win32::detail

void PostQuitMessage(int exitCode) {
  Queue().quitPending = true;
  Queue().quitCode = exitCode;
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window && !win32::detail::LiveWindow(window)) return FALSE;
  Queue().posted.push_back(MakeMessage(window, message, wParam, lParam));
  return TRUE;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND__* w = win32::detail::LiveWindow(window);
  if (!w || !w->procedure) return 0;
  return w->procedure(window, message, wParam, lParam);
}

BOOL PeekMessageA(MSG* msg, HWND window, UINT minMessage, UINT maxMessage, UINT removeFlags) {
  if (!msg) return FALSE;
  if (window && window != reinterpret_cast<HWND>(-1) && !win32::detail::LiveWindow(window)) {
    return FALSE;  // ERROR_INVALID_WINDOW_HANDLE
  }
  PumpInput();
  return Retrieve(msg, window, minMessage, maxMessage, (removeFlags & PM_REMOVE) != 0) ? TRUE
                                                                                       : FALSE;
}

BOOL GetMessageA(MSG* msg, HWND window, UINT minMessage, UINT maxMessage) {
  if (!msg) return -1;
  for (;;) {
    if (window && window != reinterpret_cast<HWND>(-1) && !win32::detail::LiveWindow(window)) {
      return -1;  // the filter window does not exist (or was destroyed while waiting)
    }
    const long nextScriptedMs = PumpInput();
    if (Retrieve(msg, window, minMessage, maxMessage, true)) {
      return msg->message == WM_QUIT ? 0 : TRUE;
    }
    // Nothing yet: wait for native events, or sleep until the next scripted key is due.
    const int waitMs = nextScriptedMs >= 0 && nextScriptedMs < kMaxWaitMs
                           ? static_cast<int>(nextScriptedMs)
                           : kMaxWaitMs;
    if (win32::GetWindowBackend().WaitForEvents(waitMs)) continue;
    if (nextScriptedMs < 0) {
      std::fprintf(stderr,
                   "error: GetMessageA is waiting for input that can never arrive (no display and "
                   "no scripted key left to come)\n");
      std::exit(2);  // a failure, never the show's own end (1)
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
  }
}

BOOL TranslateMessage(const MSG* msg) {
  if (!msg) return FALSE;
  switch (msg->message) {
    case WM_KEYDOWN: {
      const WPARAM ch = win32::detail::CharacterOfKey(msg->wParam);
      if (ch != 0) Queue().posted.push_back(MakeMessage(msg->hwnd, WM_CHAR, ch, msg->lParam));
      return TRUE;
    }
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      return TRUE;
    default:
      return FALSE;
  }
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (!msg || msg->message == WM_QUIT) return 0;
  return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}
