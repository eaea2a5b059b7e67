// Text for the pictures: lines set in DejaVu with FreeType (anti-aliased, kerned), and the house
// style of lettering: a soft coloured glow, a dark rim that keeps it readable over moving scenes,
// and a vertical colour gradient in the letters.
//
// The fonts come from fonts-dejavu-core (/usr/share/fonts/truetype/dejavu/). A missing font or a
// FreeType failure throws std::runtime_error with a one-line message.
#pragma once

#include <string>
#include <vector>

#include "tools/showdata/pictures/canvas.h"

namespace pictures {

enum class Font { Sans, SansBold, Condensed, CondensedBold, ExtraLight };

// Coverage of one line of text, cropped to its ink (0..1 per pixel, rows top first).
struct TextMask {
  int width = 0;
  int height = 0;
  std::vector<float> alpha;
  float at(int x, int y) const { return alpha[static_cast<size_t>(y) * width + x]; }
};

// One line at the given pixel size; tracking adds that many pixels between letters.
TextMask RenderText(Font font, int pixelSize, const std::string& text, float tracking = 0);

// The largest size (at most maxSize) whose ink fits in maxWidth x maxHeight.
TextMask FitText(Font font, const std::string& text, int maxWidth, int maxHeight, int maxSize = 400,
                 float trackingPerPixelSize = 0);

struct Lettering {
  Colour top = palette::kIce;
  Colour bottom = palette::kTeal;
  Colour glow = palette::kTeal;
  float glowRadius = 6;    // pixels
  float glowStrength = 0.8f;
  float rim = 2.0f;        // dark rim width in pixels; 0 for none
  float rimAlpha = 0.85f;
};

// Draws the mask with its top-left ink corner at (x, y).
void DrawLettering(Canvas& canvas, const TextMask& text, int x, int y, const Lettering& style);
// The same, centred on (cx, cy).
void DrawLetteringCentred(Canvas& canvas, const TextMask& text, float cx, float cy, const Lettering& style);

}  // namespace pictures
