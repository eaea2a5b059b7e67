// Reading a resource script: the usual text syntax, for the statements this program's resources
// use. What it reads:
//
//   #include "file"             another script or a header of ids, relative to the including file
//   #define NAME tokens          an object-like macro (ids: `#define IDC_STATIC (-1)`)
//   #pragma once                 ignored; any other directive is an error
//   NAME DIALOGEX x, y, cx, cy [, helpId]
//     STYLE, EXSTYLE, CAPTION "text", FONT points, "face" [, weight [, italic [, charset]]],
//     MENU name, CLASS "name", then BEGIN (or {) controls END (or })
//   NAME BITMAP "file.bmp"       memory flags (DISCARDABLE, ...) before the file are accepted
//
// Controls, with the styles each adds by itself (every control also gets WS_CHILD | WS_VISIBLE):
//   DEFPUSHBUTTON   "text", id, x, y, cx, cy [, style [, exStyle [, helpId]]]   BS_DEFPUSHBUTTON | WS_TABSTOP
//   PUSHBUTTON      "text", id, ...                                             BS_PUSHBUTTON | WS_TABSTOP
//   AUTORADIOBUTTON "text", id, ...                                             BS_AUTORADIOBUTTON | WS_TABSTOP
//   GROUPBOX        "text", id, ...                                             BS_GROUPBOX | WS_GROUP
//   LTEXT           "text", id, ...                                             SS_LEFT | WS_GROUP
//   COMBOBOX        id, x, y, cx, cy [, style [, exStyle [, helpId]]]           WS_TABSTOP (CBS_SIMPLE)
//   CONTROL         "text" or ordinal, id, class, style, x, y, cx, cy [, exStyle [, helpId]]   nothing
// A given style is added to these; `NOT X` in it takes X away (`NOT WS_TABSTOP`). CONTROL's class
// is a string or one of BUTTON, EDIT, STATIC, LISTBOX, SCROLLBAR, COMBOBOX; the predefined classes
// are stored as their ordinals. A number as CONTROL's text is stored as an ordinal (a picture's
// bitmap id). A DIALOGEX without STYLE gets WS_POPUP | WS_BORDER | WS_SYSMENU, CAPTION adds
// WS_CAPTION and FONT adds DS_SETFONT.
//
// Numbers are decimal or 0x hex (an L or U suffix is allowed); expressions combine numbers, the
// Win32 style and id names of platform/win32/win32.h and #defined names with |, +, -, ~ and
// parentheses. Strings are UTF-8 with "" or \" for a quote and \\, \n, \t escapes. Keywords are
// upper case, as resource editors write them.
//
// Limits, each ending in a ScriptError at the statement that passes it: files are read only when
// they are regular files of at most kMaxInputFileBytes; includes nest 16 deep, and 4096 files or 64
// MiB are read in all; a macro may lead to 256 more in a row, and macros produce 65536 tokens in
// the whole script; parentheses and unary operators nest 256 deep in an expression.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/rccompile/dialog_template.h"

namespace rccompile {

// Largest script, included file or bitmap the compiler reads, in bytes.
constexpr std::size_t kMaxInputFileBytes = std::size_t{16} << 20;

// Where a statement is: the file as it was named and its 1-based line.
struct SourcePlace {
  std::string file;
  int line = 0;
};

// A mistake in the script or in a file it names; what() is "FILE:LINE: what is wrong".
class ScriptError : public std::runtime_error {
 public:
  ScriptError(const SourcePlace& place, const std::string& message)
      : std::runtime_error(place.file + ":" + std::to_string(place.line) + ": " + message) {}
};

struct ScriptResource {
  WORD type = 0;  // RT_DIALOG or RT_BITMAP
  WORD id = 0;
  SourcePlace place;       // the statement that defines it
  Dialog dialog;           // RT_DIALOG
  std::string bitmapFile;  // RT_BITMAP: the name as written in the script
};

// The resources of the script at `path`, in script order. Throws ScriptError.
std::vector<ScriptResource> ReadScript(const std::string& path);

}  // namespace rccompile
