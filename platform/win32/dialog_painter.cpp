// Draws a dialog's state in the classic flat grey look (see dialog_painter.h).
//
// [Font]      finding the face, glyphs as coverage masks, cached per size
// [Canvas]    clipped fills, bevels, dotted focus marks and text on the picture
// [Controls]  one function per kind of control, and the dropped-down list
// [Dialog]    the whole picture: background, frame, controls, then open lists over everything
#include "platform/win32/dialog_painter.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <utility>

namespace win32 {
namespace {

namespace colours = dialog_colours;

// ---- [Font] --------------------------------------------------------------------------------------

// Where Debian, Fedora and Arch put DejaVu Sans (fonts-dejavu-core) and Liberation Sans.
constexpr const char* kFontPaths[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/dejavu-sans-fonts/DejaVuSans.ttf",
    "/usr/share/fonts/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/TTF/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
    "/usr/share/fonts/liberation-sans/LiberationSans-Regular.ttf",
    "/usr/share/fonts/TTF/LiberationSans-Regular.ttf",
};

// Asks fontconfig (its command-line tool, when installed) for the file of a pattern; "" if none.
std::string FcMatch(const char* pattern) {
  const std::string command = std::string("fc-match -f '%{file}' '") + pattern + "' 2>/dev/null";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return "";
  std::string file;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe)) file += buffer;
  pclose(pipe);
  return file;
}

struct Glyph {
  int left = 0;   // pixels from the pen to the mask's first column
  int top = 0;    // pixels from the baseline up to the mask's first row
  int width = 0;  // mask size in pixels
  int rows = 0;
  int advance = 0;  // whole pixels, as GDI advances the pen
  std::vector<std::uint8_t> coverage;
};

// One face for the whole run, glyphs cached per size. Text is in the Windows ANSI code page; its
// printable bytes are taken as Latin-1 code points.
class DialogFont {
 public:
  static DialogFont& Get() {
    static DialogFont font;
    return font;
  }
  bool Ok() const { return face_ != nullptr; }
  const std::string& File() const { return file_; }

  // Selects 8 points at 96 DPI times the scale.
  void Use(double scale) {
    const int dpi = std::max(1, static_cast<int>(std::lround(96.0 * scale)));
    if (!face_ || dpi == dpi_) return;
    dpi_ = dpi;
    FT_Set_Char_Size(face_, 0, 8 * 64, static_cast<FT_UInt>(dpi), static_cast<FT_UInt>(dpi));
    ascent_ = static_cast<int>((face_->size->metrics.ascender + 63) / 64);
    lineHeight_ = ascent_ + static_cast<int>((-face_->size->metrics.descender + 63) / 64);
  }
  int Ascent() const { return ascent_; }
  int LineHeight() const { return lineHeight_; }

  const Glyph& At(unsigned char code) {
    auto& glyph = cache_[{dpi_, code}];
    if (glyph) return *glyph;
    glyph = std::make_unique<Glyph>();
    if (FT_Load_Char(face_, code, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0) return *glyph;
    const FT_GlyphSlot slot = face_->glyph;
    glyph->left = slot->bitmap_left;
    glyph->top = slot->bitmap_top;
    glyph->width = static_cast<int>(slot->bitmap.width);
    glyph->rows = static_cast<int>(slot->bitmap.rows);
    glyph->advance = static_cast<int>((slot->advance.x + 32) / 64);
    glyph->coverage.resize(static_cast<std::size_t>(glyph->width) * glyph->rows);
    for (int y = 0; y < glyph->rows; ++y) {
      const unsigned char* row = slot->bitmap.buffer + y * slot->bitmap.pitch;
      std::copy(row, row + glyph->width, glyph->coverage.begin() + static_cast<std::ptrdiff_t>(y) * glyph->width);
    }
    return *glyph;
  }

 private:
  DialogFont() {
    std::vector<std::string> candidates(std::begin(kFontPaths), std::end(kFontPaths));
    candidates.push_back(FcMatch("DejaVu Sans"));
    candidates.push_back(FcMatch("sans-serif"));
    if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
    for (const std::string& path : candidates) {
      if (!library_ || path.empty()) continue;
      if (FT_New_Face(library_, path.c_str(), 0, &face_) == 0) {
        file_ = path;
        break;
      }
      face_ = nullptr;
    }
    if (!face_) {
      std::fprintf(stderr,
                   "warning: no sans-serif font found (install fonts-dejavu-core); dialogs are drawn without text\n");
    }
  }
  ~DialogFont() {
    cache_.clear();
    if (face_) FT_Done_Face(face_);
    if (library_) FT_Done_FreeType(library_);
  }

  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
  std::string file_;
  int dpi_ = 0;
  int ascent_ = 0;
  int lineHeight_ = 0;
  std::map<std::pair<int, unsigned char>, std::unique_ptr<Glyph>> cache_;
};

// A label as the controls show it: '&' underlines the next character, "&&" is one '&'.
struct Label {
  std::string text;
  int underlined = -1;  // index into text
};

Label ParseLabel(const std::string& raw, bool prefix) {
  if (!prefix) return Label{raw, -1};
  Label label;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '&' && i + 1 < raw.size()) {
      ++i;
      if (raw[i] != '&' && label.underlined < 0) label.underlined = static_cast<int>(label.text.size());
    }
    label.text += raw[i];
  }
  return label;
}

// ---- [Canvas] ------------------------------------------------------------------------------------

struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Empty() const { return right <= left || bottom <= top; }
  Box Inset(int dx, int dy) const { return Box{left + dx, top + dy, right - dx, bottom - dy}; }
  Box Inset(int d) const { return Inset(d, d); }
  Box Intersect(const Box& o) const {
    return Box{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
  }
};

Box BoxOf(const RECT& r) { return Box{r.left, r.top, r.right, r.bottom}; }

// The picture seen in client coordinates, with a clip rectangle.
class Canvas {
 public:
  Canvas(std::vector<std::uint32_t>& pixels, int width, int height, int origin, int stroke)
      : pixels_(pixels),
        width_(width),
        origin_(origin),
        stroke_(stroke),
        base_{-origin, -origin, width - origin, height - origin},
        clip_(base_) {}
  int Stroke() const { return stroke_; }
  // Limits every later drawing to the box (the client area, once the frame is drawn).
  void Restrict(const Box& box) { base_ = base_.Intersect(box), clip_ = base_; }
  void ResetClip() { clip_ = base_; }
  void SetClip(const Box& box) { clip_ = base_.Intersect(box); }

  void Fill(const Box& box, std::uint32_t colour) {
    const Box b = box.Intersect(clip_);
    for (int y = b.top; y < b.bottom; ++y) {
      std::uint32_t* row = &pixels_[static_cast<std::size_t>(y + origin_) * width_ + origin_];
      std::fill(row + b.left, row + b.right, colour);
    }
  }

  // A frame `thickness` wide: top and left in one colour, bottom and right (with the two corners
  // they share with the others) in another, as Windows draws its edges.
  void Frame(const Box& b, int thickness, std::uint32_t topLeft, std::uint32_t bottomRight) {
    Fill(Box{b.left, b.bottom - thickness, b.right, b.bottom}, bottomRight);
    Fill(Box{b.right - thickness, b.top, b.right, b.bottom}, bottomRight);
    Fill(Box{b.left, b.top, b.right - thickness, b.top + thickness}, topLeft);
    Fill(Box{b.left, b.top, b.left + thickness, b.bottom - thickness}, topLeft);
  }

  // Raised (buttons) or sunken (fields) two-stroke bevel; returns the inside.
  Box Raised(const Box& b) {
    Frame(b, stroke_, colours::kHighlight, colours::kDarkShadow);
    Frame(b.Inset(stroke_), stroke_, colours::kLight, colours::kShadow);
    return b.Inset(2 * stroke_);
  }
  Box Sunken(const Box& b) {
    Frame(b, stroke_, colours::kShadow, colours::kHighlight);
    Frame(b.Inset(stroke_), stroke_, colours::kDarkShadow, colours::kLight);
    return b.Inset(2 * stroke_);
  }

  // The focus mark: a dotted rectangle one stroke wide that inverts what it covers, dots and gaps
  // one stroke long, as DrawFocusRect does it.
  void FocusMark(const Box& b) {
    const auto dot = [&](int x, int y) {
      if (x < clip_.left || x >= clip_.right || y < clip_.top || y >= clip_.bottom) return;
      if ((((x - b.left) / stroke_) + ((y - b.top) / stroke_)) % 2 != 0) return;
      pixels_[static_cast<std::size_t>(y + origin_) * width_ + x + origin_] ^= 0xFFFFFF;
    };
    for (int y = b.top; y < b.bottom; ++y) {
      for (int x = b.left; x < b.right; ++x) {
        const bool edge =
            y < b.top + stroke_ || y >= b.bottom - stroke_ || x < b.left + stroke_ || x >= b.right - stroke_;
        if (edge) dot(x, y);
      }
    }
  }

  // A solid triangle pointing down (or up) with its flat side `width` pixels, centred in the box.
  void Arrow(const Box& b, int width, bool down, std::uint32_t colour) {
    const int rows = (width + 1) / 2;
    const int x0 = b.left + (b.Width() - width) / 2;
    const int y0 = b.top + (b.Height() - rows) / 2;
    for (int i = 0; i < rows; ++i) {
      const int y = down ? y0 + i : y0 + rows - 1 - i;
      Fill(Box{x0 + i, y, x0 + width - i, y + 1}, colour);
    }
  }

  void Blend(int x, int y, std::uint32_t colour, int alpha) {
    if (alpha <= 0 || x < clip_.left || x >= clip_.right || y < clip_.top || y >= clip_.bottom) return;
    std::uint32_t& p = pixels_[static_cast<std::size_t>(y + origin_) * width_ + x + origin_];
    std::uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
      const int under = (p >> shift) & 0xFF;
      const int over = (colour >> shift) & 0xFF;
      out |= static_cast<std::uint32_t>((under * (255 - alpha) + over * alpha + 127) / 255) << shift;
    }
    p = out;
  }

  void Put(int x, int y, std::uint32_t colour) { Blend(x, y, colour, 255); }

 private:
  std::vector<std::uint32_t>& pixels_;
  int width_;  // (the height bounds the clip rectangle, base_)
  int origin_;  // the border: client (0, 0) is picture (origin, origin)
  int stroke_;
  Box base_;
  Box clip_;
};

// Text metrics and drawing at the dialog's scale; everything is zero without a font.
class TextSetter {
 public:
  explicit TextSetter(double scale) : font_(DialogFont::Get()) { font_.Use(scale); }
  bool Ok() const { return font_.Ok(); }
  int LineHeight() const { return Ok() ? font_.LineHeight() : 0; }

  int Width(const std::string& text) {
    if (!Ok()) return 0;
    int width = 0;
    for (unsigned char c : text) width += font_.At(c).advance;
    return width;
  }

  // Draws a label with its top-left at (x, top); the underline is one stroke thick.
  void Draw(Canvas& canvas, int x, int top, const Label& label, std::uint32_t colour) {
    if (!Ok()) return;
    const int baseline = top + font_.Ascent();
    for (std::size_t i = 0; i < label.text.size(); ++i) {
      const Glyph& g = font_.At(static_cast<unsigned char>(label.text[i]));
      for (int gy = 0; gy < g.rows; ++gy) {
        for (int gx = 0; gx < g.width; ++gx) {
          canvas.Blend(x + g.left + gx, baseline - g.top + gy, colour,
                       g.coverage[static_cast<std::size_t>(gy) * g.width + gx]);
        }
      }
      if (static_cast<int>(i) == label.underlined) {
        const int y = baseline + canvas.Stroke();
        canvas.Fill(Box{x, y, x + g.advance, y + canvas.Stroke()}, colour);
      }
      x += g.advance;
    }
  }

 private:
  DialogFont& font_;
};

// ---- [Controls] ----------------------------------------------------------------------------------

struct Painter {
  const DialogState& dialog;
  Canvas& canvas;
  TextSetter& text;
  int stroke;

  int Px(double pixelsAt96) const { return std::max(1, static_cast<int>(std::lround(pixelsAt96 * dialog.scale))); }
  bool Focused(const DialogControl& c) const {
    return dialog.focus >= 0 && dialog.focus < static_cast<int>(dialog.controls.size()) &&
           &dialog.controls[static_cast<std::size_t>(dialog.focus)] == &c;
  }
  // The push button Enter would press, drawn with the black frame: the focused push button, or
  // the default one while the focus is elsewhere.
  bool ShowsAsDefault(const DialogControl& c) const {
    const bool focusOnPushButton =
        dialog.focus >= 0 && dialog.focus < static_cast<int>(dialog.controls.size()) &&
        (dialog.controls[static_cast<std::size_t>(dialog.focus)].kind == ControlKind::kPushButton ||
         dialog.controls[static_cast<std::size_t>(dialog.focus)].kind == ControlKind::kDefPushButton);
    return focusOnPushButton ? Focused(c) : c.kind == ControlKind::kDefPushButton;
  }

  // The box a one-line label takes with its top-left at (x, top); without a font, the space given.
  Box TextBox(int x, int top, const Label& label, const Box& room) {
    if (!text.Ok()) return Box{x, room.top, room.right, room.bottom};
    return Box{x, top, x + text.Width(label.text), top + text.LineHeight()};
  }

  void PushButton(const DialogControl& c) {
    Box b = BoxOf(c.pixels);
    if (ShowsAsDefault(c)) {
      canvas.Frame(b, stroke, colours::kFrame, colours::kFrame);
      b = b.Inset(stroke);
    }
    const Box inside = canvas.Raised(b);
    canvas.Fill(inside, colours::kFace);
    const Label label = ParseLabel(c.text, true);
    const int x = b.left + (b.Width() - text.Width(label.text)) / 2;
    const int top = b.top + (b.Height() - text.LineHeight()) / 2;
    canvas.SetClip(inside);
    text.Draw(canvas, x, top, label, colours::kText);
    canvas.ResetClip();
    if (Focused(c)) canvas.FocusMark(inside.Inset(stroke));
  }

  // One pixel of a radio bullet `size` pixels across: the classic 12-pixel picture at one stroke,
  // the same two rings traced on circles at larger strokes. Returns false outside the bullet.
  bool BulletPixel(int x, int y, int size, bool checked, std::uint32_t& colour) const {
    static constexpr const char* kBullet[12] = {
        "....SSSS....", "..SSDDDDSS..", ".SDDWWWWDDH.", ".SDWWWWWWLH.", "SDWWWXXWWWLH", "SDWWXXXXWWLH",
        "SDWWXXXXWWLH", "SDWWWXXWWWLH", ".SDWWWWWWLH.", ".SLLWWWWLLH.", "..HHLLLLHH..", "....HHHH....",
    };
    char kind = '.';
    if (stroke == 1 && size == 12) {
      kind = kBullet[y][x];
    } else {
      const double radius = size / 2.0, dx = x + 0.5 - radius, dy = y + 0.5 - radius;
      const double r = std::sqrt(dx * dx + dy * dy) + 0.25 * stroke;  // a shade inside: no lone corner pixels
      const bool upperLeft = dx + dy < 0;
      if (r > radius) return false;
      kind = r > radius - stroke       ? (upperLeft ? 'S' : 'H')
             : r > radius - 2 * stroke ? (upperLeft ? 'D' : 'L')
             : r <= radius / 3.0       ? 'X'
                                       : 'W';
    }
    switch (kind) {
      case 'S':
        colour = colours::kShadow;
        return true;
      case 'D':
        colour = colours::kDarkShadow;
        return true;
      case 'H':
        colour = colours::kHighlight;
        return true;
      case 'L':
        colour = colours::kLight;
        return true;
      case 'X':
        colour = checked ? colours::kText : colours::kWindow;
        return true;
      case 'W':
        colour = colours::kWindow;
        return true;
      default:
        return false;
    }
  }

  // A round bullet 12 pixels across at 96 DPI: a two-stroke sunken ring around a white well, a
  // black dot when checked; the label to its right.
  void RadioButton(const DialogControl& c) {
    const Box b = BoxOf(c.pixels);
    const int size = Px(12);
    const int bx = b.left;
    const int by = b.top + (b.Height() - size) / 2;
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        std::uint32_t colour = 0;
        if (BulletPixel(x, y, size, c.checked, colour)) canvas.Put(bx + x, by + y, colour);
      }
    }
    const Label label = ParseLabel(c.text, true);
    const int x = bx + size + Px(4);
    const int top = b.top + (b.Height() - text.LineHeight()) / 2;
    canvas.SetClip(b);
    text.Draw(canvas, x, top, label, colours::kText);
    canvas.ResetClip();
    if (Focused(c)) {
      const Box box = TextBox(x, top, label, b);
      canvas.FocusMark(Box{box.left - stroke, box.top, box.right + stroke, box.bottom}.Intersect(b));
    }
  }

  // An etched frame whose top runs through the middle of the caption.
  void GroupBox(const DialogControl& c) {
    const Box b = BoxOf(c.pixels);
    const int line = text.Ok() ? text.LineHeight() : Px(13);
    const Box frame{b.left, b.top + line / 2 - stroke, b.right, b.bottom};
    // A white rectangle one stroke down and right, under a grey one: grey lines with white beside.
    canvas.Frame(Box{frame.left + stroke, frame.top + stroke, frame.right, frame.bottom}, stroke, colours::kHighlight,
                 colours::kHighlight);
    canvas.Frame(Box{frame.left, frame.top, frame.right - stroke, frame.bottom - stroke}, stroke, colours::kShadow,
                 colours::kShadow);
    const Label label = ParseLabel(c.text, true);
    if (label.text.empty() || !text.Ok()) return;
    const int x = b.left + Px(8);
    canvas.Fill(Box{x - Px(2), b.top, x + text.Width(label.text) + Px(2), b.top + line}.Intersect(b), colours::kFace);
    canvas.SetClip(b);
    text.Draw(canvas, x, b.top, label, colours::kText);
    canvas.ResetClip();
  }

  // Not cut at the control's right edge: the face is wider than the template's, and a label that
  // lost its last letters would read worse than one that runs a little past its box.
  void StaticText(const DialogControl& c) {
    const Box b = BoxOf(c.pixels);
    canvas.SetClip(Box{b.left, b.top, dialog.clientWidth, b.bottom});
    text.Draw(canvas, b.left, b.top, ParseLabel(c.text, true), colours::kText);
    canvas.ResetClip();
  }

  // The picture at the control's top-left at its own size times the scale (nearest pixel).
  void StaticBitmap(const DialogControl& c) {
    const DialogBitmap& bitmap = c.bitmap;
    if (bitmap.width <= 0 || bitmap.height <= 0 ||
        bitmap.xrgb.size() < static_cast<std::size_t>(bitmap.width) * bitmap.height) {
      return;
    }
    const int width = static_cast<int>(std::lround(bitmap.width * dialog.scale));
    const int height = static_cast<int>(std::lround(bitmap.height * dialog.scale));
    for (int y = 0; y < height; ++y) {
      const int sy = std::min(bitmap.height - 1, y * bitmap.height / height);
      for (int x = 0; x < width; ++x) {
        const int sx = std::min(bitmap.width - 1, x * bitmap.width / width);
        canvas.Put(c.pixels.left + x, c.pixels.top + y, bitmap.xrgb[static_cast<std::size_t>(sy) * bitmap.width + sx]);
      }
    }
  }

  // A raised square button with an arrow, as on scroll bars and a combo box's drop button.
  void ArrowButton(const Box& b, bool down) {
    const Box inside = canvas.Raised(b);
    canvas.Fill(inside, colours::kFace);
    const int width = std::min(Px(7), std::max(1, inside.Width() - 2 * stroke)) | 1;
    canvas.Arrow(inside, width, down, colours::kText);
  }

  // The closed field: sunken white, the selection's text, the drop button at the right. With the
  // focus the text sits on the selection colour inside a focus mark.
  void ComboBox(const DialogControl& c) {
    const Box field = canvas.Sunken(BoxOf(c.pixels));
    canvas.Fill(field, colours::kWindow);
    const int buttonWidth = std::min(Px(16), field.Width());
    ArrowButton(Box{field.right - buttonWidth, field.top, field.right, field.bottom}, true);
    const Box textArea = Box{field.left, field.top, field.right - buttonWidth, field.bottom}.Inset(stroke);
    std::uint32_t ink = colours::kText;
    if (Focused(c)) {
      canvas.Fill(textArea, colours::kSelection);
      ink = colours::kSelectionText;
    }
    if (c.selection >= 0 && c.selection < static_cast<int>(c.items.size())) {
      canvas.SetClip(textArea);
      text.Draw(canvas, textArea.left + Px(2), textArea.top + (textArea.Height() - text.LineHeight()) / 2,
                ParseLabel(c.items[static_cast<std::size_t>(c.selection)], false), ink);
      canvas.ResetClip();
    }
    if (Focused(c)) canvas.FocusMark(textArea);
  }

  // The dropped list over everything: a black frame around white rows from topItem, the
  // highlighted one in the selection colour, and a scroll bar when not every item fits.
  void DroppedList(const DialogControl& c) {
    const Box list = BoxOf(c.listPixels);
    if (list.Empty()) return;
    canvas.Frame(list, stroke, colours::kFrame, colours::kFrame);
    Box rows = list.Inset(stroke);
    canvas.Fill(rows, colours::kWindow);
    const int itemHeight = std::max(1, c.itemHeight);
    const int count = static_cast<int>(c.items.size());
    const int visible = std::max(1, rows.Height() / itemHeight);
    if (const ListScrollBar bar = ListScrollBarOf(dialog, c); bar.shown) {
      ScrollBar(bar);
      rows.right = bar.up.left;
    }
    canvas.SetClip(rows);
    for (int i = 0; i < visible && c.topItem + i < count; ++i) {
      const int item = c.topItem + i;
      const Box row{rows.left, rows.top + i * itemHeight, rows.right, rows.top + (i + 1) * itemHeight};
      std::uint32_t ink = colours::kText;
      if (item == c.highlighted) {
        canvas.Fill(row, colours::kSelection);
        ink = colours::kSelectionText;
      }
      text.Draw(canvas, row.left + Px(2), row.top + (itemHeight - text.LineHeight()) / 2,
                ParseLabel(c.items[static_cast<std::size_t>(item)], false), ink);
      if (item == c.highlighted) canvas.FocusMark(row);
    }
    canvas.ResetClip();
  }

  // Arrow buttons at both ends, a checked track and the raised thumb.
  void ScrollBar(const ListScrollBar& bar) {
    ArrowButton(BoxOf(bar.up), false);
    ArrowButton(BoxOf(bar.down), true);
    const Box track = BoxOf(bar.track);
    for (int y = track.top; y < track.bottom; ++y) {
      for (int x = track.left; x < track.right; ++x) {
        const bool light = (((x - track.left) / stroke) + ((y - track.top) / stroke)) % 2 == 0;
        canvas.Put(x, y, light ? colours::kHighlight : colours::kFace);
      }
    }
    const Box knob = BoxOf(bar.thumb);
    if (!knob.Empty()) canvas.Fill(canvas.Raised(knob), colours::kFace);
  }
};

}  // namespace

// ---- [Dialog] ------------------------------------------------------------------------------------

int DialogWindowWidth(const DialogState& dialog) { return std::max(0, dialog.clientWidth + 2 * dialog.border); }
int DialogWindowHeight(const DialogState& dialog) { return std::max(0, dialog.clientHeight + 2 * dialog.border); }

const std::string& DialogFontFile() { return DialogFont::Get().File(); }

TextCoverage SetTextLine(const std::string& text, double points, double scale) {
  DialogFont& font = DialogFont::Get();
  TextCoverage line;
  if (!font.Ok() || text.empty() || !(points > 0.0) || !(scale > 0.0)) return line;
  font.Use(scale * points / 8.0);
  for (unsigned char c : text) line.width += font.At(c).advance;
  line.height = font.LineHeight();
  line.coverage.assign(static_cast<std::size_t>(line.width) * line.height, 0);
  int pen = 0;
  for (unsigned char c : text) {
    const Glyph& g = font.At(c);
    for (int gy = 0; gy < g.rows; ++gy) {
      const int y = font.Ascent() - g.top + gy;
      for (int gx = 0; gx < g.width; ++gx) {
        const int x = pen + g.left + gx;
        if (x < 0 || x >= line.width || y < 0 || y >= line.height) continue;
        std::uint8_t& p = line.coverage[static_cast<std::size_t>(y) * line.width + x];
        p = std::max(p, g.coverage[static_cast<std::size_t>(gy) * g.width + gx]);  // overlapping glyphs
      }
    }
    pen += g.advance;
  }
  return line;
}

void PaintDialog(const DialogState& dialog, std::vector<std::uint32_t>& xrgb) {
  const int width = DialogWindowWidth(dialog);
  const int height = DialogWindowHeight(dialog);
  xrgb.assign(static_cast<std::size_t>(width) * height, colours::kFace);
  if (width == 0 || height == 0) return;
  const int stroke = std::max(1, static_cast<int>(std::lround(dialog.scale)));
  Canvas canvas(xrgb, width, height, dialog.border, stroke);
  canvas.Frame(
      Box{-dialog.border, -dialog.border, dialog.clientWidth + dialog.border, dialog.clientHeight + dialog.border},
      dialog.border, colours::kFrame, colours::kFrame);
  canvas.Restrict(Box{0, 0, dialog.clientWidth, dialog.clientHeight});
  TextSetter text(dialog.scale);
  Painter painter{dialog, canvas, text, stroke};
  // Group boxes first: the controls inside them are drawn over their frames.
  for (const DialogControl& c : dialog.controls) {
    if (c.kind == ControlKind::kGroupBox) painter.GroupBox(c);
  }
  for (const DialogControl& c : dialog.controls) {
    switch (c.kind) {
      case ControlKind::kPushButton:
      case ControlKind::kDefPushButton:
        painter.PushButton(c);
        break;
      case ControlKind::kRadioButton:
        painter.RadioButton(c);
        break;
      case ControlKind::kStaticText:
        painter.StaticText(c);
        break;
      case ControlKind::kStaticBitmap:
        painter.StaticBitmap(c);
        break;
      case ControlKind::kComboBox:
        painter.ComboBox(c);
        break;
      case ControlKind::kGroupBox:
      case ControlKind::kOther:
        break;
    }
  }
  for (const DialogControl& c : dialog.controls) {
    if (c.kind == ControlKind::kComboBox && c.dropped) painter.DroppedList(c);
  }
}

}  // namespace win32
