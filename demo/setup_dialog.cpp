// DlgProc: the setup dialog's procedure.
#include "demo/setup_dialog.h"

#include <cstdio>

#include "demo/globals.h"
#include "engine/dx_engine.h"

namespace {

LRESULT SendTo(HWND dialog, int control, UINT message, WPARAM wParam, LPARAM lParam) {
  return SendMessageA(GetDlgItem(dialog, control), message, wParam, lParam);
}

bool Checked(HWND dialog, int button) { return SendTo(dialog, button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void InitDialog(HWND dialog) {
  // Centred on the screen, in integer pixels rounding toward zero.
  RECT rect;
  GetWindowRect(dialog, &rect);
  const int x = (GetSystemMetrics(SM_CXSCREEN) - (rect.right - rect.left)) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - (rect.bottom - rect.top)) / 2;
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

  SendTo(dialog, IDC_FULLSCREEN, BM_SETCHECK, BST_CHECKED, 0);
  SendTo(dialog, IDC_USE_SOUND, BM_SETCHECK, BST_CHECKED, 0);

  const char* const devices[] = {"HAL (Hardware T&L)", "HAL (Software T&L)", "Reference Rasterizer"};
  for (int i = 0; i < 3; ++i)
    SendTo(dialog, IDC_DEVICE_TYPE, CB_INSERTSTRING, WPARAM(i), reinterpret_cast<LPARAM>(devices[i]));
  SendTo(dialog, IDC_DEVICE_TYPE, CB_SETCURSEL, 0, 0);

  // In the list's order at each mode's own index; the last 640 x 480 x 32 mode is preselected.
  int preselected = 0;
  for (const DisplayMode& mode : g_modes) {
    char text[64];
    std::snprintf(text, sizeof text, "%dx%d - %dbpp", mode.width, mode.height, mode.bitsPerPixel);
    SendTo(dialog, IDC_RESOLUTION, CB_INSERTSTRING, WPARAM(mode.index), reinterpret_cast<LPARAM>(text));
    if (mode.width == 640 && mode.height == 480 && mode.bitsPerPixel == 32) preselected = mode.index;
  }
  SendTo(dialog, IDC_RESOLUTION, CB_SETCURSEL, WPARAM(preselected), 0);
}

}  // namespace

INT_PTR CALLBACK DlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    InitDialog(dialog);
    return FALSE;
  }
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
    case IDOK:
      g_bWindowed = Checked(dialog, IDC_FULLSCREEN) ? 0 : 1;
      g_pDxEngine->chosenMode = int(SendTo(dialog, IDC_RESOLUTION, CB_GETCURSEL, 0, 0));
      g_bSound = Checked(dialog, IDC_USE_SOUND) ? 1 : 0;
      EndDialog(dialog, 0);
      return TRUE;
    case IDCANCEL:
      g_bCancelled = 1;
      EndDialog(dialog, 0);
      return TRUE;
    default: return FALSE;
  }
}
