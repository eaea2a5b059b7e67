// The setup dialog's picture as a viewer sees it: the default button's frame, the bullets, an open
// list over the controls below it, the focus mark, and the same picture at twice the scale.
#include "platform/win32/dialog_painter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "tools/dialogshot/sample_dialog.h"

namespace {

namespace colours = win32::dialog_colours;
using dialogshot::SampleDialog;
using win32::DialogState;

// A painted dialog, read in client coordinates.
struct Picture {
  explicit Picture(const DialogState& dialog) : border(dialog.border), width(win32::DialogWindowWidth(dialog)) {
    win32::PaintDialog(dialog, xrgb);
  }
  std::uint32_t At(int x, int y) const { return xrgb[static_cast<std::size_t>(y + border) * width + x + border]; }
  // The first pixel of `colour` going from (x, y) by (dx, dy) for at most `steps` pixels; -1 if none.
  int Find(int x, int y, int dx, int dy, int steps, std::uint32_t colour) const {
    for (int i = 0; i < steps; ++i) {
      if (At(x + i * dx, y + i * dy) == colour) return i;
    }
    return -1;
  }
  int border;
  int width;
  std::vector<std::uint32_t> xrgb;
};

int CountIn(const Picture& p, const RECT& r, std::uint32_t colour) {
  int count = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) count += p.At(x, y) == colour;
  }
  return count;
}

// The colour at the middle of a radio button's white well (found, not assumed: the left square
// of the control).
std::uint32_t BulletCentre(const Picture& p, const RECT& r) {
  int left = r.right, right = r.left, top = r.bottom, bottom = r.top;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.left + (r.bottom - r.top); ++x) {
      if (p.At(x, y) != colours::kWindow) continue;
      left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
    }
  }
  return p.At((left + right) / 2, (top + bottom) / 2);
}

TEST(DialogPainterTest, DefaultFrameBulletsOpenListAndFocusMarkAtEachScale) {
  for (double scale : {1.0, 2.0}) {
    SCOPED_TRACE(testing::Message() << "scale " << scale);
    const DialogState dialog = SampleDialog(scale);
    const Picture picture(dialog);
    const auto& c = dialog.controls;
    const RECT ok = c[dialogshot::kOk].pixels, cancel = c[dialogshot::kCancel].pixels;
    const int middle = (ok.top + ok.bottom) / 2;

    // Only the button Enter presses has the dark frame: OK, or Cancel once it has the focus.
    EXPECT_EQ(picture.At(ok.left, middle), colours::kFrame);
    EXPECT_EQ(picture.At(cancel.left, middle), colours::kHighlight);
    DialogState onCancel = dialog;
    onCancel.focus = dialogshot::kCancel;
    const Picture cancelFocused(onCancel);
    EXPECT_EQ(cancelFocused.At(ok.left, middle), colours::kHighlight);
    EXPECT_EQ(cancelFocused.At(cancel.left, middle), colours::kFrame);

    // The checked bullet has a black dot; the unchecked one is white inside.
    EXPECT_EQ(BulletCentre(picture, c[dialogshot::kFullscreenRadio].pixels), colours::kText);
    EXPECT_EQ(BulletCentre(picture, c[dialogshot::kWindowedRadio].pixels), colours::kWindow);
    EXPECT_EQ(BulletCentre(picture, c[dialogshot::kSilentRadio].pixels), colours::kWindow);

    // The device list open over the resolution field: white rows, the second one navy, one row tall.
    DialogState dropped = dialog;
    dialogshot::DropList(dropped, dialogshot::kDeviceCombo, 1);
    const Picture open(dropped);
    const win32::DialogControl& combo = dropped.controls[dialogshot::kDeviceCombo];
    const RECT list = combo.listPixels;
    const RECT field = c[dialogshot::kResolutionCombo].pixels;
    ASSERT_LT(field.top, list.bottom) << "the list must reach over the resolution field";
    EXPECT_EQ(picture.At(list.left + 4 * dialog.border, field.top), colours::kShadow) << "the field's edge, closed";
    EXPECT_NE(open.At(list.left + 4 * dialog.border, field.top), colours::kShadow) << "hidden by the list";
    EXPECT_EQ(open.At(list.left, list.bottom - 1), colours::kFrame);
    const int x = list.left + 2 * dialog.border;  // left of the items' text
    const int firstRow = open.Find(x, list.top, 0, 1, list.bottom - list.top, colours::kWindow);
    const int navyAt = open.Find(x, list.top, 0, 1, list.bottom - list.top, colours::kSelection);
    ASSERT_GE(firstRow, 0);
    ASSERT_GT(navyAt, firstRow) << "the first item stays white";
    const int navyRows = open.Find(x, list.top + navyAt, 0, 1, list.bottom - list.top - navyAt, colours::kWindow);
    // (Within a stroke: the focus mark's dots cover the highlighted row's edge.)
    EXPECT_NEAR(navyRows, combo.itemHeight, dialog.border) << "one row of the list is highlighted";
    EXPECT_NEAR(navyAt - firstRow, combo.itemHeight, dialog.border) << "the second row";

    // Moving the focus from OK to a radio button changes the picture only inside those two
    // controls, and inside the radio button only by the inverted dots of the focus mark.
    DialogState onRadio = dialog;
    onRadio.focus = dialogshot::kWindowedRadio;
    const Picture radioFocused(onRadio);
    const RECT radio = c[dialogshot::kWindowedRadio].pixels;
    int inRadio = 0, inOk = 0, elsewhere = 0, notInverted = 0;
    for (int y = 0; y < dialog.clientHeight; ++y) {
      for (int px = 0; px < dialog.clientWidth; ++px) {
        const std::uint32_t before = picture.At(px, y), after = radioFocused.At(px, y);
        if (before == after) continue;
        if (px >= radio.left && px < radio.right && y >= radio.top && y < radio.bottom) {
          ++inRadio;
          notInverted += (before ^ after) != 0xFFFFFF;
        } else if (px >= ok.left && px < ok.right && y >= ok.top && y < ok.bottom) {
          ++inOk;
        } else {
          ++elsewhere;
        }
      }
    }
    EXPECT_GT(inRadio, 0);
    EXPECT_GT(inOk, 0) << "OK's focus mark goes";
    EXPECT_EQ(elsewhere, 0);
    EXPECT_EQ(notInverted, 0);

    if (win32::DialogFontFile().empty()) continue;  // no font: the dialog has no text to look at
    EXPECT_GT(CountIn(picture, cancel, colours::kText), 10 * scale) << "Cancel's label";
    EXPECT_GT(CountIn(open, list, colours::kSelectionText) - CountIn(picture, list, colours::kSelectionText), 0)
        << "the highlighted item's text is white";
  }
}

TEST(DialogPainterTest, TwiceTheScaleIsTheSamePictureTwiceAsLarge) {
  const DialogState small = SampleDialog(1.0), large = SampleDialog(2.0);
  const Picture one(small), two(large);
  EXPECT_NEAR(win32::DialogWindowWidth(large), 2 * win32::DialogWindowWidth(small), 2);
  EXPECT_NEAR(win32::DialogWindowHeight(large), 2 * win32::DialogWindowHeight(small), 2);
  // Features found by walking from points given in dialog units (x 1.5, y 1.625 pixels at 1x).
  struct Feature {
    const char* what;
    double x, y;  // dialog units
    int dx, dy;
    std::uint32_t colour;
  };
  const Feature features[] = {
      {"OK's dark frame", 0, 113, 1, 0, colours::kFrame},
      {"Cancel's lit left edge", 58, 113, 1, 0, colours::kHighlight},
      {"the window group's top line", 20, 55, 0, 1, colours::kShadow},
      {"the sound group's left line", 80, 90, 1, 0, colours::kShadow},
      {"the device field's lower lit edge", 60, 18, 0, 1, colours::kHighlight},
      {"the picture's sun", 157, 60, 1, 0, 0xFAD23C},
  };
  for (const Feature& f : features) {
    const int x1 = static_cast<int>(f.x * 1.5), y1 = static_cast<int>(f.y * 1.625);
    const int at1 = one.Find(x1, y1, f.dx, f.dy, 150, f.colour);
    const int at2 = two.Find(2 * x1, 2 * y1, f.dx, f.dy, 300, f.colour);
    ASSERT_GE(at1, 0) << f.what;
    EXPECT_NEAR(at2, 2 * at1, 2) << f.what;
  }
}

}  // namespace
