#include "Win32Platform/Window/qv_core.h"

#include <cstdio>
#include <cstdlib>

// The runtime's assertion facility reports the expression, file and line, then stops the program;
// unlike assert() it stays on in optimised builds, as these checks guard the whole show.
#define QV_ASSERT(expression)                                                                   \
  do {                                                                                          \
    if (!(expression)) {                                                                        \
      std::fprintf(stderr, "Assertion failed: %s, file %s, line %d\n", #expression, __FILE__, \
                   __LINE__);                                                                   \
      std::abort();                                                                             \
    }                                                                                           \
  } while (0)

namespace {
constexpr const char* kClassName = "(c)Vornhold";
constexpr const char* kTitle = "Vornhold";
}  // namespace

QvCore::QvCore() : width(0), height(0), styleSelector(0), m_hWnd(nullptr), instance(nullptr) {}

DWORD QvCoreWindowStyle(int selector) {
  switch (selector) {
    case 0:
      return WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX | WS_CLIPCHILDREN |
             WS_CLIPSIBLINGS;
    case 2:
      return WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
    default:
      return WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MAXIMIZEBOX | WS_CLIPCHILDREN;
  }
}

int QvCore::Create(int newWidth, int newHeight, int newStyleSelector, HINSTANCE newInstance) {
  width = newWidth;
  height = newHeight;
  styleSelector = newStyleSelector;
  instance = newInstance;

  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = WndProc;
  wc.cbClsExtra = 0;
  wc.cbWndExtra = 0;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(nullptr, nullptr);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = GetSysColorBrush(COLOR_APPWORKSPACE);
  wc.lpszMenuName = nullptr;
  wc.lpszClassName = kClassName;
  wc.hIconSm = nullptr;
  const ATOM retval = RegisterClassExA(&wc);
  QV_ASSERT(retval);

  m_hWnd = CreateWindowExA(0, kClassName, kTitle, QvCoreWindowStyle(styleSelector), CW_USEDEFAULT,
                           CW_USEDEFAULT, width, height, nullptr, nullptr, instance, nullptr);
  QV_ASSERT(m_hWnd);
  return 1;
}

int QvCore::Show() {
  ShowWindow(m_hWnd, SW_SHOWNORMAL);
  const BOOL retval = UpdateWindow(m_hWnd);
  QV_ASSERT(retval);
  const HWND retHWND = SetFocus(m_hWnd);
  QV_ASSERT(retHWND);
  return 1;
}

int QvCore::Close() {
  SendMessageA(m_hWnd, WM_CLOSE, 0, 0);
  return 1;
}

LRESULT CALLBACK QvCore::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      PostQuitMessage(0);  // the window itself stays until the process ends
      return 0;
    case WM_KEYDOWN:
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}
