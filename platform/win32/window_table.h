// Private to the Win32 layer: the state behind a window handle, and the hooks between the window
// table, the message queue and scripted input.
#pragma once

#include <string>

#include <memory>

#include "platform/win32/win32.h"

namespace win32 {
struct DialogState;
}

// What a window handle points at. Handles stay valid memory for the whole run (destroyed windows
// are only marked), so a stale handle is never reused for a new window.
struct HWND__ {
  std::string className;
  std::string title;
  WNDPROC procedure = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  int clientWidth = 0;   // pixels
  int clientHeight = 0;  // pixels
  bool alive = true;
  bool visible = false;
  // Dialogs and their controls (dialog.cpp): the state they belong to, which control (-1: the
  // dialog itself) and the dialog procedure.
  win32::DialogState* dialog = nullptr;
  int control = -1;
  DLGPROC dialogProcedure = nullptr;
};

namespace win32::detail {

// The window behind a handle, or null when the handle names no live window.
HWND__* LiveWindow(HWND window);
// The newest live top-level window, or null.
HWND MainWindow();
// A window made by the Win32 layer itself (dialogs and their controls), without a native window.
HWND AddWindow(std::unique_ptr<HWND__> window);
// Ends such a window: no longer live, its messages dropped.
void RetireWindow(HWND window);

// Message queue hooks.
void PostInputMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void DiscardMessagesFor(HWND window);

// Keystroke lParam as Windows builds it (repeat count 1, scan code, extended flag, transition).
LPARAM KeyLParam(WPARAM virtualKey, bool down, bool repeat);
// The WM_CHAR code TranslateMessage makes for a key, or 0 for a key that types nothing.
WPARAM CharacterOfKey(WPARAM virtualKey);

// Scripted input: posts the key presses whose time has come. Returns the number of milliseconds
// until the next one is due (0 = overdue), or -1 when none can come by the passing of real time.
long PostDueScriptedKeys();
// Empties the message queue: posted and input messages and a pending quit.
void ClearMessageQueue();
// Calls the host's timeline observer (win32::SetTimelineObserver), if any.
void NotifyTimelineObserver();

}  // namespace win32::detail
