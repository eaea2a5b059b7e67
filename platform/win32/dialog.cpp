// DialogBoxParamA and the dialog manager behind it: the extended dialog template read into a
// DialogState, the dialog and its controls as windows, the messages of the standard controls the
// template uses (push buttons, auto radio buttons, group boxes, statics, drop-down list combo
// boxes), the keyboard and mouse interface, and the modal run: answered by the host, shown by the
// window backend, or cancelled when neither can.
//
// Layout: one horizontal dialog unit is baseX / 4 pixels and one vertical baseY / 8, rounded to
// the nearest pixel per position and per size, as MulDiv rounds; the base units are those of the
// template's font at 96 DPI (6 x 13 for 8-point MS Sans Serif), times the display's scale.
#include "platform/win32/dialog.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <utility>

#include "platform/win32/window_backend.h"
#include "platform/win32/window_table.h"
#include "platform/win32/win32_host.h"

namespace win32 {
namespace {

struct ResourceBytes {
  const BYTE* bytes = nullptr;
  std::size_t size = 0;
};

std::map<std::pair<WORD, WORD>, ResourceBytes>& Resources() {
  static std::map<std::pair<WORD, WORD>, ResourceBytes> resources;
  return resources;
}

DialogAnswer& Answer() {
  static DialogAnswer answer;
  return answer;
}

const ResourceBytes* FindResourceBytes(WORD type, WORD id) {
  const auto it = Resources().find({type, id});
  return it == Resources().end() ? nullptr : &it->second;
}

// Little-endian fields of a template, with every read checked against its end.
class TemplateReader {
 public:
  TemplateReader(const BYTE* bytes, std::size_t size) : bytes_(bytes), size_(size) {}

  bool ok() const { return ok_; }
  BYTE Byte() { return Have(1) ? bytes_[pos_++] : 0; }
  WORD Word() { return WORD(Byte() | (Byte() << 8)); }
  DWORD Dword() { return DWORD(Word()) | (DWORD(Word()) << 16); }
  short Short() { return static_cast<short>(Word()); }
  void AlignToDword() { pos_ = (pos_ + 3) & ~std::size_t(3); }
  void Skip(std::size_t n) {
    if (Have(n)) pos_ += n;
  }

  // A zero-terminated UTF-16LE string, as UTF-8.
  std::string String() {
    std::string out;
    for (;;) {
      std::uint32_t c = Word();
      if (!ok_ || c == 0) break;
      if (c >= 0xD800 && c < 0xDC00) c = 0x10000 + ((c - 0xD800) << 10) + (Word() - 0xDC00);
      AppendUtf8(out, c);
    }
    return out;
  }
  // sz_Or_Ord: nothing (0), an ordinal (0xFFFF, value) or a string.
  void NameOrOrdinal(int& ordinal, std::string& text) {
    ordinal = -1;
    text.clear();
    const WORD first = Word();
    if (first == 0) return;
    if (first == 0xFFFF) {
      ordinal = Word();
      return;
    }
    pos_ -= 2;
    text = String();
  }

 private:
  bool Have(std::size_t n) {
    if (pos_ + n > size_) ok_ = false;
    return ok_;
  }
  static void AppendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += char(0xE0 | (c >> 12));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    } else {
      out += char(0xF0 | (c >> 18));
      out += char(0x80 | ((c >> 12) & 0x3F));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    }
  }

  const BYTE* bytes_;
  std::size_t size_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

bool SameName(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

ControlKind KindOf(int classOrdinal, const std::string& className, DWORD style) {
  if (classOrdinal == 0x80 || SameName(className, "Button")) {
    switch (style & BS_TYPEMASK) {
      case BS_PUSHBUTTON: return ControlKind::kPushButton;
      case BS_DEFPUSHBUTTON: return ControlKind::kDefPushButton;
      case BS_GROUPBOX: return ControlKind::kGroupBox;
      case BS_AUTORADIOBUTTON: return ControlKind::kRadioButton;
      default: return ControlKind::kOther;
    }
  }
  if (classOrdinal == 0x82 || SameName(className, "Static"))
    return (style & SS_TYPEMASK) == SS_BITMAP ? ControlKind::kStaticBitmap : ControlKind::kStaticText;
  if ((classOrdinal == 0x85 || SameName(className, "ComboBox")) && (style & 0x3) == CBS_DROPDOWNLIST)
    return ControlKind::kComboBox;
  return ControlKind::kOther;
}

// A bitmap resource (BITMAPINFOHEADER, palette, rows bottom up or top down) at 8, 24 or 32 bits per
// pixel without compression; an empty bitmap when it is anything else.
DialogBitmap DecodeBitmap(const ResourceBytes& resource) {
  DialogBitmap out;
  TemplateReader r(resource.bytes, resource.size);
  const DWORD headerSize = r.Dword();
  const auto width = static_cast<std::int32_t>(r.Dword());
  const auto height = static_cast<std::int32_t>(r.Dword());
  r.Word();  // planes
  const WORD bits = r.Word();
  const DWORD compression = r.Dword();
  r.Skip(12);
  DWORD coloursUsed = r.Dword();
  if (!r.ok() || headerSize < 40 || headerSize > resource.size || compression != 0 || width <= 0 || height == 0 ||
      width > 4096 || std::abs(height) > 4096 || (bits != 8 && bits != 24 && bits != 32))
    return out;
  if (bits == 8 && (coloursUsed == 0 || coloursUsed > 256)) coloursUsed = 256;
  if (bits != 8) coloursUsed = 0;
  const std::size_t paletteAt = headerSize, pixelsAt = paletteAt + 4 * std::size_t(coloursUsed);
  const std::size_t rowBytes = (std::size_t(width) * bits / 8 + 3) & ~std::size_t(3);
  const int rows = std::abs(height);
  if (pixelsAt + rowBytes * std::size_t(rows) > resource.size) return out;
  const BYTE* b = resource.bytes;
  out.width = width;
  out.height = rows;
  out.xrgb.resize(std::size_t(width) * std::size_t(rows));
  for (int y = 0; y < rows; ++y) {
    const BYTE* row = b + pixelsAt + rowBytes * std::size_t(height > 0 ? rows - 1 - y : y);
    for (int x = 0; x < width; ++x) {
      const BYTE* p = row + std::size_t(x) * (bits / 8);
      if (bits == 8) p = *p < coloursUsed ? b + paletteAt + 4 * std::size_t(*p) : b + paletteAt;
      out.xrgb[std::size_t(y) * std::size_t(width) + std::size_t(x)] =
          (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
    }
  }
  return out;
}

// The template's dialog and controls, in dialog units; false when the bytes are not an extended
// dialog template.
bool ReadTemplate(const ResourceBytes& resource, DialogState& dialog) {
  TemplateReader r(resource.bytes, resource.size);
  if (r.Word() != 1 || r.Word() != 0xFFFF) return false;
  r.Dword();  // help id
  dialog.exStyle = r.Dword();
  dialog.style = r.Dword();
  const WORD count = r.Word();
  const short x = r.Short(), y = r.Short(), cx = r.Short(), cy = r.Short();
  dialog.units = RECT{x, y, x + cx, y + cy};
  int ordinal = 0;
  std::string name;
  r.NameOrOrdinal(ordinal, name);  // menu
  r.NameOrOrdinal(ordinal, name);  // window class
  dialog.title = r.String();
  if (dialog.style & DS_SETFONT) {
    dialog.fontPoints = r.Word();
    r.Word();  // weight
    r.Byte();  // italic
    r.Byte();  // character set
    dialog.fontName = r.String();
  }
  for (int i = 0; i < count && r.ok(); ++i) {
    r.AlignToDword();
    DialogControl c;
    r.Dword();  // help id
    r.Dword();  // extended style
    c.style = r.Dword();
    const short cxPos = r.Short(), cyPos = r.Short(), width = r.Short(), height = r.Short();
    c.units = RECT{cxPos, cyPos, cxPos + width, cyPos + height};
    c.id = static_cast<int>(r.Dword());
    int classOrdinal = -1, titleOrdinal = -1;
    std::string className;
    r.NameOrOrdinal(classOrdinal, className);
    r.NameOrOrdinal(titleOrdinal, c.text);
    r.Skip(r.Word());  // creation data
    c.kind = KindOf(classOrdinal, className, c.style);
    const ResourceBytes* bitmap = titleOrdinal >= 0 ? FindResourceBytes(RT_BITMAP, WORD(titleOrdinal)) : nullptr;
    if (c.kind == ControlKind::kStaticBitmap && bitmap) c.bitmap = DecodeBitmap(*bitmap);
    dialog.controls.push_back(std::move(c));
  }
  return r.ok();
}

// Pixels of dialog units at the dialog's scale, rounded to nearest.
int UnitsToX(const DialogState& d, int units) { return int(std::lround(units * d.baseX * d.scale / 4.0)); }
int UnitsToY(const DialogState& d, int units) { return int(std::lround(units * d.baseY * d.scale / 8.0)); }

// A closed drop-down list is one line of text in a sunken field, whatever the template's height
// (which is the height with the list dropped down).
int ComboFieldHeight(const DialogState& d) { return int(std::lround((d.baseY + 8) * d.scale)); }

void LayOut(DialogState& d) {
  d.clientWidth = UnitsToX(d, d.units.right - d.units.left);
  d.clientHeight = UnitsToY(d, d.units.bottom - d.units.top);
  d.border = (d.style & WS_BORDER) ? std::max(1, int(std::lround(d.scale))) : 0;
  d.position = POINT{UnitsToX(d, d.units.left), UnitsToY(d, d.units.top)};
  for (DialogControl& c : d.controls) {
    const int left = UnitsToX(d, c.units.left), top = UnitsToY(d, c.units.top);
    c.pixels = RECT{left, top, left + UnitsToX(d, c.units.right - c.units.left),
                    top + UnitsToY(d, c.units.bottom - c.units.top)};
    if (c.kind == ControlKind::kComboBox) {
      c.itemHeight = int(std::lround(d.baseY * d.scale));
      c.pixels.bottom = top + ComboFieldHeight(d);
    }
  }
}

DialogState* StateOf(HWND window) {
  HWND__* w = detail::LiveWindow(window);
  return w ? w->dialog : nullptr;
}

DialogControl* ControlOf(HWND window) {
  HWND__* w = detail::LiveWindow(window);
  if (!w || !w->dialog || w->control < 0) return nullptr;
  return &w->dialog->controls[std::size_t(w->control)];
}

void Notify(DialogState& d, const DialogControl& c, WORD code) {
  SendMessageA(d.window, WM_COMMAND, MAKEWPARAM(c.id, code), reinterpret_cast<LPARAM>(c.window));
}

void Command(DialogState& d, int id) {
  SendMessageA(d.window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d.window, id)));
}

// The controls of the group `index` belongs to: from the nearest control at or before it that
// starts a group (WS_GROUP) up to the next one that does.
std::pair<int, int> GroupOf(const DialogState& d, int index) {
  const int n = int(d.controls.size());
  int first = index;
  while (first > 0 && !(d.controls[std::size_t(first)].style & WS_GROUP)) --first;
  int end = index + 1;
  while (end < n && !(d.controls[std::size_t(end)].style & WS_GROUP)) ++end;
  return {first, end};
}

bool Focusable(const DialogControl& c) {
  return c.kind != ControlKind::kStaticText && c.kind != ControlKind::kStaticBitmap &&
         c.kind != ControlKind::kGroupBox && c.kind != ControlKind::kOther;
}

// A click on an auto radio button: it is checked and every other one of its group unchecked.
void ClickRadio(DialogState& d, int index) {
  const auto [first, end] = GroupOf(d, index);
  for (int i = first; i < end; ++i) {
    DialogControl& c = d.controls[std::size_t(i)];
    if (c.kind == ControlKind::kRadioButton) c.checked = i == index;
  }
  Notify(d, d.controls[std::size_t(index)], BN_CLICKED);
}

void Click(DialogState& d, int index) {
  DialogControl& c = d.controls[std::size_t(index)];
  if (c.kind == ControlKind::kRadioButton) ClickRadio(d, index);
  if (c.kind == ControlKind::kPushButton || c.kind == ControlKind::kDefPushButton) Notify(d, c, BN_CLICKED);
}

int VisibleItems(const DialogState& d, const DialogControl& c) {
  const int room = (c.pixels.top + UnitsToY(d, c.units.bottom - c.units.top)) - c.pixels.bottom - 2 * d.border;
  return std::max(1, std::min(int(c.items.size()), room / std::max(1, c.itemHeight)));
}

void ShowItem(const DialogState& d, DialogControl& c, int item) {
  const int visible = VisibleItems(d, c);
  if (item < c.topItem) c.topItem = item;
  if (item >= c.topItem + visible) c.topItem = item - visible + 1;
  c.topItem = std::clamp(c.topItem, 0, std::max(0, int(c.items.size()) - visible));
}

// The list scrolled so that `top` is its first row, as far as it goes.
void ScrollListTo(const DialogState& d, DialogControl& c, int top) {
  c.topItem = std::clamp(top, 0, std::max(0, int(c.items.size()) - VisibleItems(d, c)));
}

bool Inside(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

void OpenList(DialogState& d, DialogControl& c) {
  if (c.items.empty()) return;
  c.dropped = true;
  c.highlighted = std::max(0, c.selection);
  c.topItem = 0;
  ShowItem(d, c, c.highlighted);
  const int frame = std::max(1, int(std::lround(d.scale)));
  c.listPixels = RECT{c.pixels.left, c.pixels.bottom, c.pixels.right,
                      c.pixels.bottom + VisibleItems(d, c) * c.itemHeight + 2 * frame};
}

// Closes the list; with `choose`, the highlighted item becomes the selection.
void CloseList(DialogState& d, DialogControl& c, bool choose) {
  c.dropped = false;
  c.thumbGrab = -1;
  if (choose && c.highlighted >= 0 && c.highlighted != c.selection) {
    c.selection = c.highlighted;
    Notify(d, c, CBN_SELCHANGE);
  }
}

void SelectByKey(DialogState& d, DialogControl& c, int step) {
  if (c.items.empty()) return;
  const int next = std::clamp(c.selection < 0 ? 0 : c.selection + step, 0, int(c.items.size()) - 1);
  if (next == c.selection) return;
  c.selection = next;
  Notify(d, c, CBN_SELCHANGE);
}

int DroppedList(const DialogState& d) {
  for (std::size_t i = 0; i < d.controls.size(); ++i)
    if (d.controls[i].dropped) return int(i);
  return -1;
}

// Tab order: the next control with WS_TABSTOP. A radio group is one stop: Tab leaves the group the
// focus is in, and entering a group lands on its checked button.
void MoveTab(DialogState& d, bool backwards) {
  const int n = int(d.controls.size());
  const bool inRadios = d.focus >= 0 && d.controls[std::size_t(d.focus)].kind == ControlKind::kRadioButton;
  const std::pair<int, int> here = inRadios ? GroupOf(d, d.focus) : std::pair<int, int>{-1, -1};
  for (int step = 1; step <= n; ++step) {
    const int i = ((d.focus < 0 ? (backwards ? 0 : n - 1) : d.focus) + (backwards ? -step : step) % n + n) % n;
    const DialogControl& c = d.controls[std::size_t(i)];
    if (!(c.style & WS_TABSTOP) || !Focusable(c)) continue;
    if (c.kind == ControlKind::kRadioButton && i >= here.first && i < here.second) continue;
    d.focus = i;
    if (c.kind == ControlKind::kRadioButton) {
      const auto [first, end] = GroupOf(d, i);
      for (int j = first; j < end; ++j)
        if (d.controls[std::size_t(j)].kind == ControlKind::kRadioButton && d.controls[std::size_t(j)].checked)
          d.focus = j;
    }
    return;
  }
}

// Arrows outside a combo box: the previous or next focusable control of the focused one's group,
// wrapping; an auto radio button reached this way is clicked.
void MoveInGroup(DialogState& d, bool backwards) {
  if (d.focus < 0) return;
  const auto [first, end] = GroupOf(d, d.focus);
  const int size = end - first;
  for (int step = 1; step < size; ++step) {
    const int i = first + ((d.focus - first) + (backwards ? size - step : step)) % size;
    if (!Focusable(d.controls[std::size_t(i)])) continue;
    d.focus = i;
    if (d.controls[std::size_t(i)].kind == ControlKind::kRadioButton && !d.controls[std::size_t(i)].checked)
      ClickRadio(d, i);
    return;
  }
}

void PressEnter(DialogState& d) {
  if (d.focus >= 0) {
    const DialogControl& c = d.controls[std::size_t(d.focus)];
    if (c.kind == ControlKind::kPushButton || c.kind == ControlKind::kDefPushButton) return Notify(d, c, BN_CLICKED);
  }
  for (const DialogControl& c : d.controls)
    if (c.kind == ControlKind::kDefPushButton) return Notify(d, c, BN_CLICKED);
  Command(d, IDOK);
}

LRESULT ComboMessage(DialogControl& c, UINT message, WPARAM wParam, LPARAM lParam) {
  const int count = int(c.items.size());
  const int index = static_cast<int>(static_cast<std::intptr_t>(wParam));
  switch (message) {
    case CB_INSERTSTRING: {
      const int at = index == -1 ? count : index;
      if (at < 0 || at > count || !lParam) return CB_ERR;
      c.items.insert(c.items.begin() + at, reinterpret_cast<const char*>(lParam));
      if (c.selection >= at) ++c.selection;  // the selected item stays selected
      return at;
    }
    case CB_SETCURSEL:
      c.selection = index >= 0 && index < count ? index : -1;
      return c.selection < 0 ? CB_ERR : c.selection;
    case CB_GETCURSEL: return c.selection < 0 ? CB_ERR : c.selection;
    case CB_GETCOUNT: return count;
    case CB_GETLBTEXTLEN: return index >= 0 && index < count ? LRESULT(c.items[std::size_t(index)].size()) : CB_ERR;
    case CB_GETLBTEXT:
      if (index < 0 || index >= count || !lParam) return CB_ERR;
      std::memcpy(reinterpret_cast<char*>(lParam), c.items[std::size_t(index)].c_str(),
                  c.items[std::size_t(index)].size() + 1);
      return LRESULT(c.items[std::size_t(index)].size());
    default: return 0;
  }
}

// The window procedure of every control: the standard controls' own messages.
LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DialogControl* c = ControlOf(window);
  DialogState* d = StateOf(window);
  if (!c || !d) return 0;
  if (c->kind == ControlKind::kComboBox) return ComboMessage(*c, message, wParam, lParam);
  switch (message) {
    case BM_GETCHECK: return c->checked ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:  // the target only: no effect on the rest of its group
      if (c->kind == ControlKind::kRadioButton) c->checked = wParam == BST_CHECKED;
      return 0;
    case BM_CLICK: Click(*d, detail::LiveWindow(window)->control); return 0;
    default: return 0;
  }
}

// The dialog's window procedure hands every message to the dialog procedure.
LRESULT CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND__* w = detail::LiveWindow(window);
  return w && w->dialogProcedure ? w->dialogProcedure(window, message, wParam, lParam) : 0;
}

HWND AddWindow(const char* className, const std::string& title, DWORD style, WNDPROC procedure, DialogState& d,
               int control) {
  auto w = std::make_unique<HWND__>();
  w->className = className;
  w->title = title;
  w->style = style;
  w->procedure = procedure;
  w->dialog = &d;
  w->control = control;
  return detail::AddWindow(std::move(w));
}

}  // namespace

void RegisterResource(WORD type, WORD id, const BYTE* bytes, std::size_t size) {
  Resources()[{type, id}] = ResourceBytes{bytes, size};
}

void SetDialogAnswer(DialogAnswer answer) { Answer() = std::move(answer); }

DialogState* DialogStateOf(HWND window) { return StateOf(window); }

void DialogKey(DialogState& d, WPARAM key, bool shift, bool alt) {
  if (d.ended) return;
  const int open = DroppedList(d);
  if (open >= 0) {
    DialogControl& c = d.controls[std::size_t(open)];
    switch (key) {
      case VK_UP:
      case VK_DOWN:
        if (alt) return CloseList(d, c, true);
        c.highlighted = std::clamp(c.highlighted + (key == VK_UP ? -1 : 1), 0, int(c.items.size()) - 1);
        return ShowItem(d, c, c.highlighted);
      case VK_RETURN:
      case VK_F4: return CloseList(d, c, true);
      case VK_ESCAPE: return CloseList(d, c, false);
      case VK_TAB: CloseList(d, c, true); return MoveTab(d, shift);
      default: return;
    }
  }
  DialogControl* focused = d.focus >= 0 ? &d.controls[std::size_t(d.focus)] : nullptr;
  const bool combo = focused && focused->kind == ControlKind::kComboBox;
  switch (key) {
    case VK_TAB: return MoveTab(d, shift);
    case VK_ESCAPE: return Command(d, IDCANCEL);
    case VK_RETURN: return PressEnter(d);
    case VK_SPACE:
      if (focused && !combo) Click(d, d.focus);
      return;
    case VK_F4:
      if (combo) OpenList(d, *focused);
      return;
    case VK_UP:
    case VK_DOWN:
    case VK_LEFT:
    case VK_RIGHT:
      if (combo && alt && key == VK_DOWN) return OpenList(d, *focused);
      if (combo) return SelectByKey(d, *focused, key == VK_UP || key == VK_LEFT ? -1 : 1);
      return MoveInGroup(d, key == VK_UP || key == VK_LEFT);
    default: return;
  }
}

int ControlAt(const DialogState& d, int x, int y) {
  const int open = DroppedList(d);
  if (open >= 0 && Inside(d.controls[std::size_t(open)].listPixels, x, y)) return open;
  for (int i = int(d.controls.size()) - 1; i >= 0; --i)  // later controls lie over earlier ones
    if (Inside(d.controls[std::size_t(i)].pixels, x, y)) return i;
  return -1;
}

ListScrollBar ListScrollBarOf(const DialogState& d, const DialogControl& c) {
  const int frame = std::max(1, int(std::lround(d.scale)));
  const auto px = [&d](double at96) { return std::max(1, int(std::lround(at96 * d.scale))); };
  const RECT rows{c.listPixels.left + frame, c.listPixels.top + frame, c.listPixels.right - frame,
                  c.listPixels.bottom - frame};
  const int height = rows.bottom - rows.top, count = int(c.items.size());
  const int visible = std::max(1, height / std::max(1, c.itemHeight));
  if (count <= visible || rows.right <= rows.left || height <= 0) return {};
  ListScrollBar bar;
  bar.shown = true;
  const int left = rows.right - std::min(px(16), int(rows.right - rows.left));
  const int button = std::min(int(rows.right - left), height / 2);
  bar.up = RECT{left, rows.top, rows.right, rows.top + button};
  bar.down = RECT{left, rows.bottom - button, rows.right, rows.bottom};
  bar.track = RECT{left, rows.top + button, rows.right, rows.bottom - button};
  const int track = bar.track.bottom - bar.track.top;
  if (track <= 0) return bar;
  const int thumb = std::clamp(track * visible / count, std::min(px(8), track), track);
  const int offset = (track - thumb) * std::clamp(c.topItem, 0, count - visible) / (count - visible);
  bar.thumb = RECT{left, bar.track.top + offset, rows.right, bar.track.top + offset + thumb};
  return bar;
}

void DialogClick(DialogState& d, int x, int y) {
  if (d.ended) return;
  const int open = DroppedList(d);
  if (open >= 0) {  // a click anywhere closes the list; on an item it chooses that item
    DialogControl& c = d.controls[std::size_t(open)];
    const ListScrollBar bar = ListScrollBarOf(d, c);
    if (bar.shown && x >= bar.up.left && x < bar.up.right && y >= bar.up.top && y < bar.down.bottom) {
      const int page = VisibleItems(d, c);
      if (Inside(bar.up, x, y)) return ScrollListTo(d, c, c.topItem - 1);
      if (Inside(bar.down, x, y)) return ScrollListTo(d, c, c.topItem + 1);
      if (y < bar.thumb.top) return ScrollListTo(d, c, c.topItem - page);
      if (y >= bar.thumb.bottom) return ScrollListTo(d, c, c.topItem + page);
      c.thumbGrab = y - bar.thumb.top;
      return;
    }
    const RECT& list = c.listPixels;
    const int frame = std::max(1, int(std::lround(d.scale)));
    if (x >= list.left && x < list.right && y >= list.top + frame && y < list.bottom - frame) {
      c.highlighted = std::min(int(c.items.size()) - 1, c.topItem + (y - list.top - frame) / c.itemHeight);
      return CloseList(d, c, true);
    }
    return CloseList(d, c, false);
  }
  const int index = ControlAt(d, x, y);
  if (index < 0 || !Focusable(d.controls[std::size_t(index)])) return;
  d.focus = index;
  DialogControl& c = d.controls[std::size_t(index)];
  if (c.kind == ControlKind::kComboBox) return OpenList(d, c);
  Click(d, index);
}

void DialogDrag(DialogState& d, int, int y) {
  const int open = DroppedList(d);
  if (d.ended || open < 0 || d.controls[std::size_t(open)].thumbGrab < 0) return;
  DialogControl& c = d.controls[std::size_t(open)];
  const ListScrollBar bar = ListScrollBarOf(d, c);
  const int travel = (bar.track.bottom - bar.track.top) - (bar.thumb.bottom - bar.thumb.top);
  if (travel <= 0) return;
  // The thumb's top under the pointer as it was taken, to the nearest row.
  const int rows = int(c.items.size()) - VisibleItems(d, c);
  const int along = std::clamp(y - c.thumbGrab - int(bar.track.top), 0, travel);
  ScrollListTo(d, c, (along * rows + travel / 2) / travel);
}

void DialogRelease(DialogState& d) {
  for (DialogControl& c : d.controls) c.thumbGrab = -1;
}

void DialogWheel(DialogState& d, int notches) {
  const int open = DroppedList(d);
  if (d.ended || open < 0) return;
  DialogControl& c = d.controls[std::size_t(open)];
  ScrollListTo(d, c, c.topItem - 3 * notches);
}

}  // namespace win32

INT_PTR DialogBoxParamA(HINSTANCE, LPCSTR templateName, HWND, DLGPROC procedure, LPARAM initParam) {
  using namespace win32;
  const WORD id = WORD(reinterpret_cast<ULONG_PTR>(templateName));
  const ResourceBytes* resource = reinterpret_cast<ULONG_PTR>(templateName) <= 0xFFFF ? FindResourceBytes(RT_DIALOG, id)
                                                                                       : nullptr;
  auto dialog = std::make_unique<DialogState>();
  DialogState& d = *dialog;
  if (!resource || !procedure || !ReadTemplate(*resource, d)) return -1;
  d.scale = GetWindowBackend().DisplayScale();
  LayOut(d);
  d.window = AddWindow("#32770", d.title, d.style, DialogProc, d, -1);
  detail::LiveWindow(d.window)->dialogProcedure = procedure;
  detail::LiveWindow(d.window)->clientWidth = d.clientWidth;
  detail::LiveWindow(d.window)->clientHeight = d.clientHeight;
  for (std::size_t i = 0; i < d.controls.size(); ++i)
    d.controls[i].window = AddWindow("control", d.controls[i].text, d.controls[i].style | WS_CHILD, ControlProc, d,
                                     int(i));

  MoveTab(d, false);  // the first tab stop
  const HWND firstTabStop = d.focus >= 0 ? d.controls[std::size_t(d.focus)].window : nullptr;
  // Whether the procedure returns TRUE (focus the first tab stop) or FALSE (leave it), the focus
  // starts on the first tab stop: a dialog restores that focus when it is activated.
  SendMessageA(d.window, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstTabStop), initParam);
  // Nobody can answer it: the dialog fails (-1), which the caller can tell from a Cancel.
  if (!d.ended && !(Answer() && Answer()(d.window))) GetWindowBackend().RunDialog(d);
  const INT_PTR result = d.ended ? d.result : -1;
  for (const DialogControl& c : d.controls) detail::RetireWindow(c.window);
  detail::RetireWindow(d.window);
  return result;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
  HWND__* w = win32::detail::LiveWindow(dialog);
  if (!w || !w->dialog || w->control >= 0) return FALSE;
  w->dialog->ended = true;
  w->dialog->result = result;
  return TRUE;
}

HWND GetDlgItem(HWND dialog, int id) {
  win32::DialogState* d = win32::StateOf(dialog);
  if (!d || d->window != dialog) return nullptr;
  for (const win32::DialogControl& c : d->controls)
    if (c.id == id) return c.window;
  return nullptr;
}

BOOL GetWindowRect(HWND window, RECT* rect) {
  HWND__* w = win32::detail::LiveWindow(window);
  if (!w || !rect) return FALSE;
  const win32::DialogState* d = w->dialog;
  if (!d) {
    *rect = RECT{0, 0, w->clientWidth, w->clientHeight};
    return TRUE;
  }
  const LONG x = d->position.x, y = d->position.y;
  if (w->control < 0) {
    *rect = RECT{x, y, x + d->clientWidth + 2 * d->border, y + d->clientHeight + 2 * d->border};
  } else {
    const RECT& c = d->controls[std::size_t(w->control)].pixels;
    *rect = RECT{x + d->border + c.left, y + d->border + c.top, x + d->border + c.right, y + d->border + c.bottom};
  }
  return TRUE;
}

int GetSystemMetrics(int index) {
  const win32::ScreenMode desktop = win32::GetWindowBackend().DesktopMode();
  if (index == SM_CXSCREEN) return desktop.width;
  if (index == SM_CYSCREEN) return desktop.height;
  return 0;
}

// Only a dialog's position is modelled: other windows are placed by the window manager, and a
// dialog's size is its template's.
BOOL SetWindowPos(HWND window, HWND, int x, int y, int, int, UINT flags) {
  HWND__* w = win32::detail::LiveWindow(window);
  if (!w) return FALSE;
  if (w->dialog && w->control < 0 && !(flags & SWP_NOMOVE)) w->dialog->position = POINT{x, y};
  return TRUE;
}
