// The hand-built setup dialog (see sample_dialog.h) and its test picture.
#include "tools/dialogshot/sample_dialog.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace dialogshot {
namespace {

using win32::ControlKind;
using win32::DialogControl;
using win32::DialogState;

int UnitsToX(const DialogState& d, int units) { return static_cast<int>(std::lround(units * d.baseX * d.scale / 4.0)); }
int UnitsToY(const DialogState& d, int units) { return static_cast<int>(std::lround(units * d.baseY * d.scale / 8.0)); }

// Height of the template's rectangle in pixels (a combo box's includes its dropped list).
int TemplateHeight(const DialogState& d, const DialogControl& c) { return UnitsToY(d, c.units.bottom - c.units.top); }

// 150 x 150: a sky-to-sea gradient with a sun, so a misplaced or stretched picture shows.
win32::DialogBitmap TestPicture() {
  win32::DialogBitmap picture{150, 150, {}};
  for (int y = 0; y < 150; ++y) {
    for (int x = 0; x < 150; ++x) {
      const bool sea = y >= 100;
      std::uint32_t r = sea ? 20 : 40 + y, g = sea ? 60 + (y - 100) : 80 + y, b = sea ? 140 : 200;
      const int dx = x - 100, dy = y - 60;
      if (dx * dx + dy * dy <= 22 * 22) r = 250, g = 210, b = 60;
      if (sea && (y - 100) % 12 == 0 && (x / 6) % 3 != 0) r = g = b = 220;
      picture.xrgb.push_back(r << 16 | g << 8 | b);
    }
  }
  return picture;
}

}  // namespace

DialogState SampleDialog(double scale) {
  DialogState d;
  d.style = WS_POPUP | WS_BORDER | DS_MODALFRAME | DS_CENTER;
  d.title = "Vornhold";
  d.fontName = "MS Sans Serif";
  d.fontPoints = 8;
  d.units = RECT{0, 0, 264, 127};
  d.scale = scale;
  const auto add = [&](ControlKind kind, int id, const char* text, RECT units, DWORD style) -> DialogControl& {
    DialogControl c;
    c.id = id;
    c.kind = kind;
    c.text = text;
    c.style = style;
    c.units = RECT{units.left, units.top, units.left + units.right, units.top + units.bottom};  // x, y, cx, cy
    d.controls.push_back(c);
    return d.controls.back();
  };
  const DWORD tab = WS_TABSTOP, group = WS_GROUP;
  add(ControlKind::kDefPushButton, IDOK, "OK", {7, 106, 50, 14}, tab | group);
  add(ControlKind::kPushButton, IDCANCEL, "Cancel", {60, 106, 50, 14}, tab);
  add(ControlKind::kStaticText, -1, "Device Type:", {7, 7, 46, 10}, group);
  add(ControlKind::kComboBox, 1000, "", {9, 18, 145, 49}, tab | group | WS_VSCROLL).items = {
      "HAL (Hardware T&L)", "HAL (Software T&L)", "Reference Rasterizer"};
  add(ControlKind::kStaticText, -1, "Resolution:", {7, 35, 39, 8}, group);
  DialogControl& modes = add(ControlKind::kComboBox, 1001, "", {9, 44, 145, 81}, tab | group | WS_VSCROLL);
  for (const char* size : {"320x200", "320x240", "640x400", "640x480", "800x600", "1024x768", "1280x960"}) {
    for (const char* depth : {"16", "32"}) modes.items.push_back(std::string(size) + " - " + depth + "bpp");
  }
  add(ControlKind::kGroupBox, -1, "Window mode:", {7, 63, 61, 34}, group);
  add(ControlKind::kRadioButton, 1002, "Fullscreen", {10, 71, 47, 11}, tab | group).checked = true;
  add(ControlKind::kRadioButton, 1003, "Windowed", {10, 82, 51, 10}, 0);
  add(ControlKind::kGroupBox, -1, "Sound:", {95, 60, 59, 37}, group);
  add(ControlKind::kRadioButton, 1004, "Use Sound", {99, 70, 50, 10}, tab | group).checked = true;
  add(ControlKind::kRadioButton, 1005, "Silent", {99, 82, 38, 9}, 0);
  add(ControlKind::kStaticBitmap, -1, "", {157, 18, 100, 92}, group).bitmap = TestPicture();
  d.controls[kDeviceCombo].selection = 0;
  d.controls[kResolutionCombo].selection = 7;  // 640x480 - 32bpp

  d.clientWidth = UnitsToX(d, 264);
  d.clientHeight = UnitsToY(d, 127);
  d.border = std::max(1, static_cast<int>(std::lround(scale)));
  for (DialogControl& c : d.controls) {
    const int left = UnitsToX(d, c.units.left), top = UnitsToY(d, c.units.top);
    c.pixels = RECT{left, top, left + UnitsToX(d, c.units.right - c.units.left), top + TemplateHeight(d, c)};
    if (c.kind == ControlKind::kComboBox) {
      c.itemHeight = static_cast<int>(std::lround(d.baseY * scale));
      c.pixels.bottom = top + static_cast<int>(std::lround((d.baseY + 8) * scale));  // one line in a sunken field
    }
  }
  d.focus = kOk;
  return d;
}

void DropList(DialogState& d, int combo, int highlighted) {
  DialogControl& c = d.controls[static_cast<std::size_t>(combo)];
  const int frame = std::max(1, static_cast<int>(std::lround(d.scale)));
  const int room = c.pixels.top + TemplateHeight(d, c) - c.pixels.bottom - 2 * frame;
  const int count = static_cast<int>(c.items.size());
  const int visible = std::clamp(room / c.itemHeight, 1, std::max(1, count));
  c.dropped = true;
  c.highlighted = highlighted;
  c.topItem = std::clamp(highlighted - visible + 1, 0, std::max(0, count - visible));
  c.listPixels =
      RECT{c.pixels.left, c.pixels.bottom, c.pixels.right, c.pixels.bottom + visible * c.itemHeight + 2 * frame};
  d.focus = combo;
}

}  // namespace dialogshot
