// Encoding of a dialog as an extended dialog template (see dialog_template.h for the layout).
#include "tools/rccompile/dialog_template.h"

#include <cassert>

namespace rccompile {
namespace {

class Writer {
 public:
  void Byte(BYTE v) { bytes_.push_back(v); }
  void Word(WORD v) {
    Byte(static_cast<BYTE>(v));
    Byte(static_cast<BYTE>(v >> 8));
  }
  void Dword(DWORD v) {
    Word(static_cast<WORD>(v));
    Word(static_cast<WORD>(v >> 16));
  }
  void Short(std::int16_t v) { Word(static_cast<WORD>(v)); }
  void Text(const std::string& utf8) {
    std::u16string units;
    const bool valid = Utf8ToUtf16(utf8, units);
    assert(valid && "names are checked when the script is read");
    (void)valid;
    for (char16_t u : units) Word(u);
    Word(0);
  }
  void NameOrOrd(const NameOrOrdinal& value) {
    switch (value.kind) {
      case NameOrOrdinal::Kind::kNone:
        Word(0);
        break;
      case NameOrOrdinal::Kind::kOrdinal:
        Word(0xFFFF);
        Word(value.ordinal);
        break;
      case NameOrOrdinal::Kind::kName:
        Text(value.name);
        break;
    }
  }
  void AlignToDword() {
    while (bytes_.size() % 4 != 0) Byte(0);
  }
  std::vector<BYTE> Take() { return std::move(bytes_); }

 private:
  std::vector<BYTE> bytes_;
};

}  // namespace

bool Utf8ToUtf16(const std::string& text, std::u16string& out) {
  out.clear();
  for (size_t i = 0; i < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    int extra = 0;
    char32_t code = 0;
    if (lead < 0x80) {
      code = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1, code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2, code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3, code = lead & 0x07;
    } else {
      return false;
    }
    if (i + extra >= text.size()) return false;  // cut off
    for (int k = 1; k <= extra; ++k) {
      const unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    static const char32_t kSmallest[4] = {0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    if (code >= 0x10000) {
      code -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(code));
    }
    i += extra + 1;
  }
  return true;
}

std::vector<BYTE> EncodeDialogEx(const Dialog& dialog) {
  Writer w;
  w.Word(1);       // dlgVer
  w.Word(0xFFFF);  // signature: the extended form
  w.Dword(dialog.helpId);
  w.Dword(dialog.exStyle);
  w.Dword(dialog.style);
  w.Word(static_cast<WORD>(dialog.items.size()));
  w.Short(dialog.x);
  w.Short(dialog.y);
  w.Short(dialog.cx);
  w.Short(dialog.cy);
  w.NameOrOrd(dialog.menu);
  w.NameOrOrd(dialog.windowClass);
  w.Text(dialog.title);
  if (dialog.style & DS_SETFONT) {
    w.Word(dialog.font.points);
    w.Word(dialog.font.weight);
    w.Byte(dialog.font.italic);
    w.Byte(dialog.font.charset);
    w.Text(dialog.font.face);
  }
  for (const DialogItem& item : dialog.items) {
    w.AlignToDword();
    w.Dword(item.helpId);
    w.Dword(item.exStyle);
    w.Dword(item.style);
    w.Short(item.x);
    w.Short(item.y);
    w.Short(item.cx);
    w.Short(item.cy);
    w.Dword(item.id);
    w.NameOrOrd(item.windowClass);
    w.NameOrOrd(item.title);
    w.Word(0);  // no creation data
  }
  return w.Take();
}

}  // namespace rccompile
