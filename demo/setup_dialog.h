// The setup dialog (template resource 101): the viewer picks the display mode, full screen or
// window, and sound, then starts the show (OK) or quits (Cancel).
#pragma once

#include "platform/win32/win32.h"
#include "resources/resource_ids.h"  // IDD_SETUP and the control ids

// Fills the lists from `g_modes` on WM_INITDIALOG; on OK writes `g_bWindowed`, `g_bSound` and the
// engine's `chosenMode` (the resolution list's selection, -1 for none), on Cancel `g_bCancelled`.
// The device type is shown but never read; "Windowed" and "Silent" only uncheck their partners.
INT_PTR CALLBACK DlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
