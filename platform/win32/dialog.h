// Private to the platform: a running modal dialog as DialogBoxParamA builds it from a dialog
// template, with its controls' state, their layout in pixels, and the input it understands.
//
// The Win32 layer keeps the dialog's whole state here; a view (the window backend) only draws it
// and turns native events into DialogKey / DialogClick calls, which behave as the dialog manager
// and the standard controls do (see dialog.cpp). Without a view the host answers the dialog by
// setting controls through SendMessageA and choosing a command (win32_host.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/win32.h"

namespace win32 {

enum class ControlKind {
  kPushButton,     // BS_PUSHBUTTON
  kDefPushButton,  // BS_DEFPUSHBUTTON: Enter clicks it unless another push button has the focus
  kRadioButton,    // BS_AUTORADIOBUTTON
  kGroupBox,       // BS_GROUPBOX
  kStaticText,     // Static, SS_LEFT
  kStaticBitmap,   // Static, SS_BITMAP
  kComboBox,       // ComboBox, CBS_DROPDOWNLIST
  kOther,          // anything else a template may hold: kept, drawn as nothing
};

// A device-independent bitmap as a resource holds it: BITMAPINFOHEADER, palette, rows bottom up.
struct DialogBitmap {
  int width = 0;   // pixels
  int height = 0;  // pixels
  std::vector<std::uint32_t> xrgb;  // top row first, 0x00RRGGBB
};

struct DialogControl {
  HWND window = nullptr;  // what GetDlgItem returns
  int id = 0;             // -1 (0xFFFFFFFF in the template) for controls nobody addresses
  ControlKind kind = ControlKind::kOther;
  DWORD style = 0;  // WS_GROUP, WS_TABSTOP, WS_VSCROLL and the class's own style bits
  std::string text;
  RECT units{};   // the template's rectangle in dialog units: x, y, x + cx, y + cy
  RECT pixels{};  // the same rectangle in client pixels at the dialog's scale
  // Radio buttons
  bool checked = false;
  // Combo boxes: the list as inserted and the selection (-1: none). `pixels` is the closed field;
  // while the list is dropped down below it, `listPixels` is the list's rectangle (a frame of
  // max(1, round(scale)) pixels around rows of `itemHeight`), `topItem` its first visible row and
  // `highlighted` the item under the keyboard.
  std::vector<std::string> items;
  int selection = -1;
  bool dropped = false;
  int highlighted = -1;
  int topItem = 0;
  int itemHeight = 0;  // pixels
  RECT listPixels{};
  int thumbGrab = -1;  // while the list's scroll thumb is dragged: the pointer's offset from its top
  // Static pictures
  DialogBitmap bitmap;
};

struct DialogState {
  HWND window = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  std::string title;
  std::string fontName;  // as the template names it
  int fontPoints = 0;
  RECT units{};  // x, y, x + cx, y + cy in dialog units
  // Pixel layout: one horizontal dialog unit is baseX / 4 pixels, one vertical baseY / 8, with the
  // template font's base units (6 x 13 for 8-point MS Sans Serif at 96 DPI) times `scale`.
  double scale = 1.0;
  int baseX = 6;
  int baseY = 13;
  int clientWidth = 0;  // pixels
  int clientHeight = 0;
  int border = 0;       // pixels of frame on each side (WS_BORDER: 1, times the scale)
  POINT position{};     // the window's top-left corner on the screen
  std::vector<DialogControl> controls;  // template (tab) order
  int focus = -1;       // index into controls
  bool ended = false;
  LRESULT result = 0;   // EndDialog's value
};

// Keyboard, as the dialog manager handles it: Tab / Shift+Tab over tab stops, arrows within a
// group (clicking auto radio buttons) or in a combo box, Space on buttons, Enter for the focused
// push button or else the default one, Escape for Cancel; F4 or Alt+Down opens a combo box's list,
// and while it is open arrows, Enter and Escape work on the list.
void DialogKey(DialogState& dialog, WPARAM virtualKey, bool shift, bool alt);
// A left click at a point in client pixels. On an open list's scroll bar the arrows step a row,
// the track above or below the thumb pages, and the thumb is taken for DialogDrag; the list stays
// open.
void DialogClick(DialogState& dialog, int x, int y);
// The left button, still held after DialogClick, moved to a point: a thumb taken follows it.
void DialogDrag(DialogState& dialog, int x, int y);
// The left button released.
void DialogRelease(DialogState& dialog);
// The mouse wheel turned by `notches` (WM_MOUSEWHEEL's delta / WHEEL_DELTA: positive away from the
// viewer) scrolls an open list three rows a notch.
void DialogWheel(DialogState& dialog, int notches);

// An open list's scroll bar in client pixels, there only when not every item fits: the arrow
// buttons at its ends, the track between them and the thumb on the track, as long as the share of
// rows shown. What the dialog is painted with and what the mouse hits.
struct ListScrollBar {
  bool shown = false;
  RECT up{}, down{}, track{}, thumb{};
};
ListScrollBar ListScrollBarOf(const DialogState& dialog, const DialogControl& list);

// The control under a point in client pixels, an open list first; -1 for none.
int ControlAt(const DialogState& dialog, int x, int y);

// The state of a running dialog, from its handle or a control's; null for any other window.
DialogState* DialogStateOf(HWND window);

}  // namespace win32
