// Shared by the Win32 layer's tests: one recording window class and a queue that starts empty.
#pragma once

#include <vector>

#include "platform/win32/win32.h"

namespace win32_test {

struct ProcedureCall {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// Every call of RecordingProc, in order.
std::vector<ProcedureCall>& Calls();

// Records the call; WM_CLOSE posts the quit message (and keeps the window), WM_KEYDOWN gives 0,
// everything else goes to DefWindowProcA.
LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A new, shown top-level window of the recording class (registered once), with this client size.
HWND NewWindow(int width = 640, int height = 480);

// Removes every queued message, the quit flag included, and forgets recorded calls.
void DrainQueue();

}  // namespace win32_test
