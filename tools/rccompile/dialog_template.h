// A dialog as a resource script describes it, and its encoding as an extended dialog template
// (DLGTEMPLATEEX), the byte form DialogBoxParamA reads.
//
// Layout, little-endian: WORD dlgVer = 1, WORD signature = 0xFFFF, DWORD helpID, DWORD exStyle,
// DWORD style, WORD cDlgItems, short x, y, cx, cy; menu, class and title as sz_Or_Ord; with
// DS_SETFONT: WORD pointsize, WORD weight, BYTE italic, BYTE charset, typeface (UTF-16LE, zero
// ended). Then each item on a DWORD boundary from the template's start: DWORD helpID, DWORD
// exStyle, DWORD style, short x, y, cx, cy, DWORD id, class and title as sz_Or_Ord, WORD extra
// count (always 0 here). Positions and sizes are dialog units.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/win32.h"

namespace rccompile {

// sz_Or_Ord: nothing (0x0000), an ordinal (0xFFFF, WORD) or a UTF-8 name stored as UTF-16LE.
struct NameOrOrdinal {
  enum class Kind { kNone, kOrdinal, kName };
  Kind kind = Kind::kNone;
  WORD ordinal = 0;
  std::string name;  // UTF-8

  static NameOrOrdinal Ordinal(WORD value) { return {Kind::kOrdinal, value, {}}; }
  static NameOrOrdinal Name(std::string text) { return {Kind::kName, 0, std::move(text)}; }
};

// The predefined window classes' ordinals in a template.
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;
constexpr WORD kListBoxClass = 0x0083;
constexpr WORD kScrollBarClass = 0x0084;
constexpr WORD kComboBoxClass = 0x0085;

struct DialogItem {
  DWORD helpId = 0;
  DWORD exStyle = 0;
  DWORD style = 0;
  std::int16_t x = 0, y = 0, cx = 0, cy = 0;  // dialog units
  DWORD id = 0;                               // -1 is stored as 0xFFFFFFFF
  NameOrOrdinal windowClass;
  NameOrOrdinal title;
};

struct DialogFont {
  WORD points = 0;
  WORD weight = 0;  // 0: the face's own
  BYTE italic = 0;
  BYTE charset = 1;  // DEFAULT_CHARSET
  std::string face;  // UTF-8
};

struct Dialog {
  WORD id = 0;
  DWORD helpId = 0;
  DWORD exStyle = 0;
  DWORD style = 0;                            // DS_SETFONT set exactly when `hasFont`
  std::int16_t x = 0, y = 0, cx = 0, cy = 0;  // dialog units
  NameOrOrdinal menu;
  NameOrOrdinal windowClass;
  std::string title;  // UTF-8; empty: no title
  bool hasFont = false;
  DialogFont font;
  std::vector<DialogItem> items;
};

// The template's bytes. Names must be valid UTF-8 (the script reader checks them).
std::vector<BYTE> EncodeDialogEx(const Dialog& dialog);

// UTF-8 to UTF-16 code units; false for malformed UTF-8.
bool Utf8ToUtf16(const std::string& text, std::u16string& out);

}  // namespace rccompile
