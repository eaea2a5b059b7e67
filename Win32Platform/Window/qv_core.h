// QvCore: the system's small Win32 window layer.
//
// Registers the window class, creates the one main window, shows and focuses it, and closes it at
// the end. Its window procedure does almost nothing: the part loops read the window's messages
// themselves. Failed Win32 calls stop the program with an assertion naming the failed expression.
#pragma once

#include "platform/win32/win32.h"

class QvCore {
 public:
  QvCore();

  int Create(int width, int height, int styleSelector, HINSTANCE instance);
  int Show();
  int Close();

  static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  int width;
  int height;
  int styleSelector;
  HWND m_hWnd;
  HINSTANCE instance;
};

// Style selector → window style: 0 resizable, 2 visible popup, any other value a fixed frame.
DWORD QvCoreWindowStyle(int styleSelector);
