// Main windows for engine tests: the window class is registered once per process (as on Windows,
// a second registration fails), so tests do not go through QvCore::Create.
#pragma once

#include "Win32Platform/Window/qv_core.h"
#include "platform/win32/win32.h"

inline QvCore TestCore(int clientWidth, int clientHeight) {
  static const ATOM registered = [] {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = QvCore::WndProc;
    wc.lpszClassName = "engine test window";
    return RegisterClassExA(&wc);
  }();
  (void)registered;
  QvCore core;
  core.width = clientWidth;
  core.height = clientHeight;
  core.m_hWnd = CreateWindowExA(0, "engine test window", "test", WS_POPUP, 0, 0, clientWidth, clientHeight,
                                nullptr, nullptr, nullptr, nullptr);
  ShowWindow(core.m_hWnd, SW_SHOWNORMAL);
  return core;
}
