#include "win32_test_support.h"

namespace win32_test {

std::vector<ProcedureCall>& Calls() {
  static std::vector<ProcedureCall> calls;
  return calls;
}

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Calls().push_back(ProcedureCall{window, message, wParam, lParam});
  if (message == WM_CLOSE) {
    PostQuitMessage(0);
    return 0;
  }
  if (message == WM_KEYDOWN) return 0;
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND NewWindow(int width, int height) {
  static const ATOM atom = [] {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = RecordingProc;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_APPWORKSPACE);
    wc.lpszClassName = "win32 test window";
    return RegisterClassExA(&wc);
  }();
  if (atom == 0) return nullptr;
  HWND window = CreateWindowExA(0, "win32 test window", "Test", WS_POPUP | WS_CAPTION, CW_USEDEFAULT,
                                CW_USEDEFAULT, width, height, nullptr, nullptr, nullptr, nullptr);
  ShowWindow(window, SW_SHOWNORMAL);
  return window;
}

void DrainQueue() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
  Calls().clear();
}

}  // namespace win32_test
