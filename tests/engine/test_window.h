// Main windows for engine tests, made without QvCore::Create: an offscreen window whose messages go
// to QvCore's procedure.
#pragma once

#include "Win32Platform/Window/qv_core.h"
#include "platform/d3d8/offscreen_device.h"
#include "platform/win32/win32.h"

inline QvCore TestCore(int clientWidth, int clientHeight) {
  QvCore core;
  core.width = clientWidth;
  core.height = clientHeight;
  core.m_hWnd = d3d8::CreateOffscreenWindow(clientWidth, clientHeight, QvCore::WndProc);
  ShowWindow(core.m_hWnd, SW_SHOWNORMAL);
  return core;
}
