// The picture of a modal dialog: its state (dialog.h) drawn in the flat grey look of Windows 9x
// dialogs, for a view to show.
//
// The picture covers the dialog's whole window, frame included: DialogWindowWidth x
// DialogWindowHeight pixels, 0x00RRGGBB, top row first, with client pixel (x, y) at
// (x + border, y + border). Every position comes from the state's pixel rectangles; lines, bevels,
// bullets and arrows are drawn at the dialog's scale (not a 1x picture enlarged), with strokes of
// max(1, round(scale)) pixels. Text is set with FreeType in DejaVu Sans (or Liberation Sans), the
// sans-serif UI face closest to the template's 8-point MS Sans Serif, at 8 points at 96 DPI times
// the scale; the font never moves anything. Without a font the dialog is drawn without text (one
// line on stderr says so).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/dialog.h"

namespace win32 {

// The classic system colours the picture uses, 0x00RRGGBB.
namespace dialog_colours {
constexpr std::uint32_t kFace = 0xC0C0C0;        // COLOR_BTNFACE: the dialog and button faces
constexpr std::uint32_t kLight = 0xDFDFDF;       // COLOR_3DLIGHT: the inner lit edge of a bevel
constexpr std::uint32_t kHighlight = 0xFFFFFF;   // COLOR_BTNHIGHLIGHT: the outer lit edge
constexpr std::uint32_t kShadow = 0x808080;      // COLOR_BTNSHADOW
constexpr std::uint32_t kDarkShadow = 0x000000;  // COLOR_3DDKSHADOW
constexpr std::uint32_t kWindow = 0xFFFFFF;      // COLOR_WINDOW: fields, lists, bullets
constexpr std::uint32_t kText = 0x000000;        // COLOR_WINDOWTEXT / COLOR_BTNTEXT
constexpr std::uint32_t kSelection = 0x000080;   // COLOR_HIGHLIGHT: the selected item (navy)
constexpr std::uint32_t kSelectionText = 0xFFFFFF;
constexpr std::uint32_t kFrame = 0x000000;  // COLOR_WINDOWFRAME: the window's border, the default
                                            // button's frame, a dropped list's frame
}  // namespace dialog_colours

// The picture's size: the client area plus the border on each side.
int DialogWindowWidth(const DialogState& dialog);
int DialogWindowHeight(const DialogState& dialog);

// Resizes xrgb to the picture's size and draws the whole dialog into it.
void PaintDialog(const DialogState& dialog, std::vector<std::uint32_t>& xrgb);

// A line of text set in the dialogs' font at `points` points at 96 DPI times `scale`, as coverage
// (0 to 255 a pixel, top row first) for other pictures to draw in any colour, one line high:
// width x height pixels. Empty (0 x 0) without a font or without text.
struct TextCoverage {
  int width = 0;   // pixels: the line's advance
  int height = 0;  // pixels: ascent plus descent
  std::vector<std::uint8_t> coverage;
};
TextCoverage SetTextLine(const std::string& text, double points, double scale);

// The font file text is set in; empty when none was found (the dialog is then drawn without text).
const std::string& DialogFontFile();

}  // namespace win32
