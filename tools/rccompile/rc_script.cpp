// Reading a resource script (see rc_script.h for what it accepts).
//
// Sections: [lexer] tokens of one file; [token stream] includes, #define and macro expansion;
// [parser] expressions, dialogs and their controls, bitmaps.
#include "tools/rccompile/rc_script.h"

#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>

#include "tools/common/read_whole_file.h"

namespace rccompile {
namespace {

// ---- [lexer] ------------------------------------------------------------------------------------

enum class TokenKind { kEnd, kName, kNumber, kString, kPunct, kDirective };

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::string text;         // name, string contents, punctuation, or a directive's line after '#'
  std::int64_t number = 0;  // kNumber
  SourcePlace place;
};

std::string Describe(const Token& t) {
  switch (t.kind) {
    case TokenKind::kEnd:
      return "the end of the file";
    case TokenKind::kString:
      return "\"" + t.text + "\"";
    default:
      return "'" + t.text + "'";
  }
}

bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9'); }

class Lexer {
 public:
  Lexer(std::string file, std::string text, int firstLine = 1)
      : file_(std::move(file)), text_(std::move(text)), line_(firstLine) {}

  const std::string& file() const { return file_; }

  Token Next() {
    SkipBlank();
    Token t;
    t.place = {file_, line_};
    if (pos_ >= text_.size()) return t;
    const char c = text_[pos_];
    if (c == '#' && lineStart_) return Directive(t);
    lineStart_ = false;
    if (IsNameStart(c)) {
      t.kind = TokenKind::kName;
      while (pos_ < text_.size() && IsNameChar(text_[pos_])) t.text += text_[pos_++];
    } else if (c >= '0' && c <= '9') {
      Number(t);
    } else if (c == '"') {
      String(t);
    } else if (std::string(",|(){}+-~").find(c) != std::string::npos) {
      t.kind = TokenKind::kPunct;
      t.text = std::string(1, c);
      ++pos_;
    } else {
      throw ScriptError(t.place, std::string("unexpected character '") + c + "'");
    }
    return t;
  }

 private:
  void SkipBlank() {
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == '\n') {
        ++line_;
        lineStart_ = true;
        ++pos_;
      } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f') {
        ++pos_;
      } else if (text_.compare(pos_, 2, "//") == 0) {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
      } else if (text_.compare(pos_, 2, "/*") == 0) {
        const SourcePlace start{file_, line_};
        const size_t end = text_.find("*/", pos_ + 2);
        if (end == std::string::npos) throw ScriptError(start, "comment not closed");
        for (size_t i = pos_; i < end; ++i) line_ += text_[i] == '\n';
        pos_ = end + 2;
      } else {
        return;
      }
    }
  }

  Token Directive(Token& t) {
    t.kind = TokenKind::kDirective;
    ++pos_;
    while (pos_ < text_.size() && text_[pos_] != '\n') t.text += text_[pos_++];
    return t;
  }

  void Number(Token& t) {
    std::string digits;
    while (pos_ < text_.size() && IsNameChar(text_[pos_])) digits += text_[pos_++];
    t.kind = TokenKind::kNumber;
    t.text = digits;
    std::string body = digits;
    while (!body.empty() && (body.back() == 'L' || body.back() == 'l' || body.back() == 'U' || body.back() == 'u')) {
      body.pop_back();
    }
    int base = 10;
    size_t start = 0;
    if (body.size() > 2 && body[0] == '0' && (body[1] == 'x' || body[1] == 'X')) base = 16, start = 2;
    std::int64_t value = 0;
    for (size_t i = start; i < body.size(); ++i) {
      const char c = body[i];
      int d = -1;
      if (c >= '0' && c <= '9') d = c - '0';
      if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
      if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
      if (d < 0 || body.size() - start > 16) throw ScriptError(t.place, "bad number '" + digits + "'");
      value = value * base + d;
      if (value > 0xFFFFFFFFLL) throw ScriptError(t.place, "number '" + digits + "' does not fit in 32 bits");
    }
    if (body.size() == start) throw ScriptError(t.place, "bad number '" + digits + "'");
    t.number = value;
  }

  void String(Token& t) {
    t.kind = TokenKind::kString;
    ++pos_;
    for (;;) {
      if (pos_ >= text_.size() || text_[pos_] == '\n') throw ScriptError(t.place, "string not closed");
      const char c = text_[pos_++];
      if (c == '"') {
        if (pos_ < text_.size() && text_[pos_] == '"') {  // "" is a quote
          t.text += '"';
          ++pos_;
          continue;
        }
        break;
      }
      if (c != '\\') {
        t.text += c;
        continue;
      }
      const char e = pos_ < text_.size() ? text_[pos_++] : '\0';
      switch (e) {
        case '\\':
          t.text += '\\';
          break;
        case '"':
          t.text += '"';
          break;
        case 'n':
          t.text += '\n';
          break;
        case 't':
          t.text += '\t';
          break;
        default:
          throw ScriptError(t.place, std::string("unknown escape '\\") + e + "' in a string");
      }
    }
    std::u16string ignored;
    if (!Utf8ToUtf16(t.text, ignored)) throw ScriptError(t.place, "string is not valid UTF-8");
  }

  std::string file_;
  std::string text_;
  size_t pos_ = 0;
  int line_;
  bool lineStart_ = true;
};

// ---- [token stream] -----------------------------------------------------------------------------

constexpr int kMaxIncludeDepth = 16;
// A file included from two places, each of which is included twice, ... is read exponentially
// often without nesting deeply: the script and everything it includes is bounded as a whole.
constexpr int kMaxFilesRead = 4096;
constexpr std::size_t kMaxBytesRead = kMaxInputFileBytes * 4;
constexpr int kMaxExpansions = 256;  // macros expanded in a row before a token comes out
// Tokens that macros produce in the whole script. A macro that uses the one before it twice
// doubles at each step: a few short lines would otherwise expand to billions of tokens. The
// program's own script makes a few hundred.
constexpr std::size_t kMaxExpandedTokens = std::size_t{1} << 16;

class TokenStream {
 public:
  explicit TokenStream(const std::string& path) { Open(path, SourcePlace{path, 0}); }

  const Token& Peek() {
    if (!ahead_) ahead_ = Pull();
    return *ahead_;
  }
  Token Next() {
    Token t = Peek();
    ahead_.reset();
    return t;
  }

 private:
  struct Expansion {
    std::string name;
    std::deque<Token> tokens;
  };

  void Open(const std::string& path, const SourcePlace& from) {
    if (static_cast<int>(files_.size()) >= kMaxIncludeDepth) throw ScriptError(from, "includes nest too deeply");
    if (++filesRead_ > kMaxFilesRead) {
      throw ScriptError(from, "more than " + std::to_string(kMaxFilesRead) + " files included in all");
    }
    std::vector<std::uint8_t> bytes;
    std::string why;
    if (!tools::ReadWholeFile(path, bytes, why, kMaxInputFileBytes)) {
      const std::string what = from.line ? "cannot open include file '" + path + "'" : "cannot read the script";
      throw ScriptError(from.line ? from : SourcePlace{path, 1}, what + ": " + why);
    }
    bytesRead_ += bytes.size();
    if (bytesRead_ > kMaxBytesRead) {
      throw ScriptError(from, "the script and its includes come to more than " + std::to_string(kMaxBytesRead >> 20) +
                                  " MiB in all");
    }
    files_.push_back(std::make_unique<Lexer>(path, std::string(bytes.begin(), bytes.end())));
  }

  bool Expanding(const std::string& name) const {
    for (const Expansion& e : expansions_) {
      if (e.name == name) return true;
    }
    return false;
  }

  Token Pull() {
    for (int expanded = 0;;) {
      Token t;
      if (!expansions_.empty()) {
        if (expansions_.back().tokens.empty()) {
          expansions_.pop_back();
          continue;
        }
        t = expansions_.back().tokens.front();
        expansions_.back().tokens.pop_front();
      } else {
        t = files_.back()->Next();
        if (t.kind == TokenKind::kEnd && files_.size() > 1) {
          files_.pop_back();
          continue;
        }
        if (t.kind == TokenKind::kDirective) {
          HandleDirective(t);
          continue;
        }
      }
      auto macro = t.kind == TokenKind::kName ? macros_.find(t.text) : macros_.end();
      if (macro == macros_.end() || Expanding(t.text)) return t;
      if (++expanded > kMaxExpansions) throw ScriptError(t.place, "macro '" + t.text + "' expands without end");
      expandedTokens_ += macro->second.size();
      if (expandedTokens_ > kMaxExpandedTokens) {
        const std::string& outermost = expansions_.empty() ? t.text : expansions_.front().name;
        throw ScriptError(t.place, "macro '" + outermost + "' expands to too many tokens (the script's macros make " +
                                       std::to_string(kMaxExpandedTokens) + " at most)");
      }
      Expansion e{t.text, {}};
      for (Token m : macro->second) {
        m.place = t.place;  // errors point at the use
        e.tokens.push_back(m);
      }
      expansions_.push_back(std::move(e));
    }
  }

  void HandleDirective(const Token& directive) {
    Lexer line(directive.place.file, directive.text, directive.place.line);
    const Token word = line.Next();
    if (word.kind != TokenKind::kName) throw ScriptError(directive.place, "bad directive '#" + directive.text + "'");
    if (word.text == "include") {
      std::string name;
      const size_t open = directive.text.find_first_of("\"<");
      const size_t close =
          open == std::string::npos ? open : directive.text.find(directive.text[open] == '"' ? '"' : '>', open + 1);
      if (close == std::string::npos) throw ScriptError(directive.place, "#include needs a file name");
      name = directive.text.substr(open + 1, close - open - 1);
      const std::filesystem::path dir = std::filesystem::path(files_.back()->file()).parent_path();
      Open((dir / name).string(), directive.place);
    } else if (word.text == "define") {
      const Token name = line.Next();
      if (name.kind != TokenKind::kName) throw ScriptError(directive.place, "#define needs a name");
      const size_t after = directive.text.find(name.text) + name.text.size();
      if (after < directive.text.size() && directive.text[after] == '(') {
        throw ScriptError(directive.place, "macros with arguments are not supported");
      }
      std::vector<Token> body;
      for (Token t = line.Next(); t.kind != TokenKind::kEnd; t = line.Next()) body.push_back(t);
      macros_[name.text] = std::move(body);
    } else if (word.text == "undef") {
      macros_.erase(line.Next().text);
    } else if (word.text == "pragma" && line.Next().text == "once") {
      // Each file is read where it is included; a header of defines may be read twice harmlessly.
    } else {
      throw ScriptError(directive.place, "unsupported directive '#" + directive.text + "'");
    }
  }

  std::vector<std::unique_ptr<Lexer>> files_;
  int filesRead_ = 0;
  std::size_t bytesRead_ = 0;
  std::vector<Expansion> expansions_;
  std::size_t expandedTokens_ = 0;
  std::map<std::string, std::vector<Token>> macros_;
  std::optional<Token> ahead_;
};

// ---- [parser] -----------------------------------------------------------------------------------

#define RC_SYMBOL(name) \
  { #name, static_cast < std::int64_t>(name) }
const std::map<std::string, std::int64_t>& Symbols() {
  static const std::map<std::string, std::int64_t> symbols = {
      RC_SYMBOL(WS_OVERLAPPED),
      RC_SYMBOL(WS_POPUP),
      RC_SYMBOL(WS_CHILD),
      RC_SYMBOL(WS_VISIBLE),
      RC_SYMBOL(WS_DISABLED),
      RC_SYMBOL(WS_CLIPSIBLINGS),
      RC_SYMBOL(WS_CLIPCHILDREN),
      RC_SYMBOL(WS_CAPTION),
      RC_SYMBOL(WS_BORDER),
      RC_SYMBOL(WS_DLGFRAME),
      RC_SYMBOL(WS_SYSMENU),
      RC_SYMBOL(WS_THICKFRAME),
      RC_SYMBOL(WS_MINIMIZEBOX),
      RC_SYMBOL(WS_MAXIMIZEBOX),
      RC_SYMBOL(WS_OVERLAPPEDWINDOW),
      RC_SYMBOL(WS_POPUPWINDOW),
      RC_SYMBOL(WS_VSCROLL),
      RC_SYMBOL(WS_GROUP),
      RC_SYMBOL(WS_TABSTOP),
      RC_SYMBOL(WS_EX_TOPMOST),
      RC_SYMBOL(WS_EX_TOOLWINDOW),
      RC_SYMBOL(DS_SYSMODAL),
      RC_SYMBOL(DS_SETFONT),
      RC_SYMBOL(DS_MODALFRAME),
      RC_SYMBOL(DS_CENTER),
      RC_SYMBOL(BS_PUSHBUTTON),
      RC_SYMBOL(BS_DEFPUSHBUTTON),
      RC_SYMBOL(BS_GROUPBOX),
      RC_SYMBOL(BS_AUTORADIOBUTTON),
      RC_SYMBOL(SS_LEFT),
      RC_SYMBOL(SS_BITMAP),
      RC_SYMBOL(CBS_DROPDOWNLIST),
      RC_SYMBOL(CBS_SORT),
      RC_SYMBOL(IDOK),
      RC_SYMBOL(IDCANCEL),
      RC_SYMBOL(IDABORT),
      RC_SYMBOL(IDYES),
      RC_SYMBOL(IDNO),
  };
  return symbols;
}
#undef RC_SYMBOL

struct ControlKeyword {
  const char* name;
  WORD windowClass;
  DWORD style;  // added to WS_CHILD | WS_VISIBLE
  bool hasText;
};

constexpr ControlKeyword kControlKeywords[] = {
    {"DEFPUSHBUTTON", kButtonClass, BS_DEFPUSHBUTTON | WS_TABSTOP, true},
    {"PUSHBUTTON", kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, true},
    {"AUTORADIOBUTTON", kButtonClass, BS_AUTORADIOBUTTON | WS_TABSTOP, true},
    {"GROUPBOX", kButtonClass, BS_GROUPBOX | WS_GROUP, true},
    {"LTEXT", kStaticClass, SS_LEFT | WS_GROUP, true},
    {"COMBOBOX", kComboBoxClass, WS_TABSTOP, false},  // CBS_SIMPLE is 0
};

struct ClassName {
  const char* name;
  WORD ordinal;
};
constexpr ClassName kPredefinedClasses[] = {{"BUTTON", kButtonClass},       {"EDIT", kEditClass},
                                            {"STATIC", kStaticClass},       {"LISTBOX", kListBoxClass},
                                            {"SCROLLBAR", kScrollBarClass}, {"COMBOBOX", kComboBoxClass}};

std::string Upper(std::string s) {
  for (char& c : s) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  return s;
}

constexpr DWORD kDefaultDialogStyle = WS_POPUP | WS_BORDER | WS_SYSMENU;

class Parser {
 public:
  explicit Parser(TokenStream& in) : in_(in) {}

  std::vector<ScriptResource> Script() {
    std::vector<ScriptResource> resources;
    while (in_.Peek().kind != TokenKind::kEnd) {
      ScriptResource r = Resource();
      for (const ScriptResource& before : resources) {
        if (before.type == r.type && before.id == r.id) {
          throw ScriptError(r.place, std::string(r.type == RT_DIALOG ? "dialog " : "bitmap ") + std::to_string(r.id) +
                                         " is defined twice");
        }
      }
      resources.push_back(std::move(r));
    }
    return resources;
  }

 private:
  bool IsWord(const Token& t, const char* word) const { return t.kind == TokenKind::kName && t.text == word; }
  bool IsPunct(const Token& t, const char* p) const { return t.kind == TokenKind::kPunct && t.text == p; }
  bool Accept(const char* punct) {
    if (!IsPunct(in_.Peek(), punct)) return false;
    in_.Next();
    return true;
  }
  void Expect(const char* punct, const char* what) {
    const Token t = in_.Next();
    if (!IsPunct(t, punct)) throw ScriptError(t.place, std::string("expected ") + what + ", found " + Describe(t));
  }
  void Comma() { Expect(",", "','"); }

  // ---- expressions
  std::int64_t Primary() {
    const Token t = in_.Next();
    if (t.kind == TokenKind::kNumber) return t.number;
    if (IsPunct(t, "-") || IsPunct(t, "~") || IsPunct(t, "(")) {
      // Each level recurses here: a few thousand '(' (or a macro making them) must end in an
      // error, not overflow the stack.
      if (++depth_ > kMaxExpressionDepth) {
        throw ScriptError(t.place, "expression nests more than " + std::to_string(kMaxExpressionDepth) + " deep");
      }
      std::int64_t v;
      if (t.text == "(") {
        v = Expression();
        Expect(")", "')'");
      } else {
        v = t.text == "-" ? -Primary() : ~Primary();
      }
      --depth_;
      return v;
    }
    if (t.kind == TokenKind::kName) {
      const auto found = Symbols().find(t.text);
      if (found == Symbols().end()) throw ScriptError(t.place, "unknown symbol '" + t.text + "'");
      return found->second;
    }
    throw ScriptError(t.place, "expected a number, found " + Describe(t));
  }
  std::int64_t Expression() {
    std::int64_t v = Primary();
    for (;;) {
      if (Accept("|")) {
        v |= Primary();
      } else if (Accept("+")) {
        v += Primary();
      } else if (Accept("-")) {
        v -= Primary();
      } else {
        return v;
      }
    }
  }
  // Style bits: `start`, each term added with |, or taken away with NOT.
  DWORD Flags(DWORD start) {
    DWORD v = start;
    do {
      const bool clear = IsWord(in_.Peek(), "NOT");
      if (clear) in_.Next();
      const SourcePlace place = in_.Peek().place;
      const DWORD term = Dword(Primary(), place);
      v = clear ? (v & ~term) : (v | term);
    } while (Accept("|"));
    return v;
  }
  DWORD Dword(std::int64_t v, const SourcePlace& place) {
    if (v < INT32_MIN || v > UINT32_MAX)
      throw ScriptError(place, "value " + std::to_string(v) + " does not fit in 32 bits");
    return static_cast<DWORD>(v);
  }
  DWORD DwordValue() {
    const SourcePlace place = in_.Peek().place;
    return Dword(Expression(), place);
  }
  std::int64_t Ranged(std::int64_t low, std::int64_t high, const char* what) {
    const SourcePlace place = in_.Peek().place;
    const std::int64_t v = Expression();
    if (v < low || v > high) {
      throw ScriptError(place, std::string(what) + " " + std::to_string(v) + " is outside " + std::to_string(low) +
                                   ".." + std::to_string(high));
    }
    return v;
  }
  std::int16_t Coordinate() { return static_cast<std::int16_t>(Ranged(INT16_MIN, INT16_MAX, "coordinate")); }
  std::string String(const char* what) {
    const Token t = in_.Next();
    if (t.kind != TokenKind::kString)
      throw ScriptError(t.place, std::string("expected ") + what + ", found " + Describe(t));
    return t.text;
  }
  // x, y, cx, cy
  void Rectangle(std::int16_t& x, std::int16_t& y, std::int16_t& cx, std::int16_t& cy) {
    x = Coordinate();
    Comma();
    y = Coordinate();
    Comma();
    cx = Coordinate();
    Comma();
    cy = Coordinate();
  }
  NameOrOrdinal NameOrNumber() {
    if (in_.Peek().kind == TokenKind::kString) return NameOrOrdinal::Name(String("a name"));
    return NameOrOrdinal::Ordinal(static_cast<WORD>(Ranged(0, 0xFFFF, "ordinal")));
  }

  // ---- resources
  ScriptResource Resource() {
    ScriptResource r;
    r.place = in_.Peek().place;
    r.id = static_cast<WORD>(Ranged(1, 0xFFFF, "resource id"));
    const Token type = in_.Next();
    if (IsWord(type, "DIALOGEX")) {
      r.type = RT_DIALOG;
      r.dialog = DialogEx(r.id, r.place);
    } else if (IsWord(type, "BITMAP")) {
      r.type = RT_BITMAP;
      static const char* const kMemoryFlags[] = {"PRELOAD",     "LOADONCALL", "FIXED", "MOVEABLE",
                                                 "DISCARDABLE", "PURE",       "IMPURE"};
      for (bool flag = true; flag;) {
        flag = false;
        for (const char* f : kMemoryFlags) flag = flag || IsWord(in_.Peek(), f);
        if (flag) in_.Next();
      }
      r.bitmapFile = String("a bitmap file name in quotes");
    } else if (IsWord(type, "DIALOG")) {
      throw ScriptError(type.place, "DIALOG templates are not supported; write DIALOGEX");
    } else if (type.kind == TokenKind::kName) {
      throw ScriptError(type.place, "unknown keyword '" + type.text + "'");
    } else {
      throw ScriptError(type.place, "expected a resource type, found " + Describe(type));
    }
    return r;
  }

  Dialog DialogEx(WORD id, const SourcePlace& place) {
    Dialog d;
    d.id = id;
    Rectangle(d.x, d.y, d.cx, d.cy);
    if (Accept(",")) d.helpId = DwordValue();
    bool styleGiven = false, caption = false;
    DWORD style = 0;
    while (!IsWord(in_.Peek(), "BEGIN") && !IsPunct(in_.Peek(), "{")) {
      const Token t = in_.Next();
      if (IsWord(t, "STYLE")) {
        style = Flags(0);
        styleGiven = true;
      } else if (IsWord(t, "EXSTYLE")) {
        d.exStyle = Flags(0);
      } else if (IsWord(t, "CAPTION")) {
        d.title = String("the caption in quotes");
        caption = true;
      } else if (IsWord(t, "FONT")) {
        d.hasFont = true;
        d.font.points = static_cast<WORD>(Ranged(1, 0xFFFF, "font size"));
        Comma();
        d.font.face = String("the font's name in quotes");
        if (Accept(",")) d.font.weight = static_cast<WORD>(Ranged(0, 1000, "font weight"));
        if (Accept(",")) d.font.italic = static_cast<BYTE>(Ranged(0, 1, "italic flag"));
        if (Accept(",")) d.font.charset = static_cast<BYTE>(Ranged(0, 255, "character set"));
      } else if (IsWord(t, "MENU")) {
        d.menu = NameOrNumber();
      } else if (IsWord(t, "CLASS")) {
        d.windowClass = NameOrNumber();
      } else if (t.kind == TokenKind::kName) {
        throw ScriptError(t.place, "unknown keyword '" + t.text + "'");
      } else {
        throw ScriptError(t.place, "expected BEGIN, found " + Describe(t));
      }
    }
    in_.Next();
    if (!styleGiven) style = kDefaultDialogStyle;
    if (caption) style |= WS_CAPTION;
    if (d.hasFont) {
      style |= DS_SETFONT;
    } else if (style & DS_SETFONT) {
      throw ScriptError(place, "DS_SETFONT without a FONT statement");
    }
    d.style = style;
    while (!IsWord(in_.Peek(), "END") && !IsPunct(in_.Peek(), "}")) {
      if (in_.Peek().kind == TokenKind::kEnd) throw ScriptError(place, "dialog " + std::to_string(id) + " has no END");
      d.items.push_back(Control());
      if (d.items.size() > 0xFFFF) throw ScriptError(place, "too many controls");
    }
    in_.Next();
    return d;
  }

  DWORD ControlId() { return static_cast<DWORD>(Ranged(INT32_MIN, UINT32_MAX, "control id")); }

  DialogItem Control() {
    const Token t = in_.Next();
    DialogItem item;
    item.style = WS_CHILD | WS_VISIBLE;
    if (IsWord(t, "CONTROL")) {
      item.title = in_.Peek().kind == TokenKind::kString
                       ? NameOrOrdinal::Name(String("text"))
                       : NameOrOrdinal::Ordinal(static_cast<WORD>(Ranged(0, 0xFFFF, "ordinal")));
      Comma();
      item.id = ControlId();
      Comma();
      item.windowClass = WindowClass();
      Comma();
      item.style = Flags(item.style);
      Comma();
      Rectangle(item.x, item.y, item.cx, item.cy);
      if (Accept(",")) item.exStyle = Flags(0);
      if (Accept(",")) item.helpId = DwordValue();
      return item;
    }
    const ControlKeyword* keyword = nullptr;
    for (const ControlKeyword& k : kControlKeywords) {
      if (IsWord(t, k.name)) keyword = &k;
    }
    if (!keyword) {
      if (t.kind == TokenKind::kName) throw ScriptError(t.place, "unknown keyword '" + t.text + "'");
      throw ScriptError(t.place, "expected a control or END, found " + Describe(t));
    }
    item.windowClass = NameOrOrdinal::Ordinal(keyword->windowClass);
    item.style |= keyword->style;
    if (keyword->hasText) {
      item.title = NameOrOrdinal::Name(String("the control's text in quotes"));
      Comma();
    }
    item.id = ControlId();
    Comma();
    Rectangle(item.x, item.y, item.cx, item.cy);
    if (Accept(",")) item.style = Flags(item.style);
    if (Accept(",")) item.exStyle = Flags(0);
    if (Accept(",")) item.helpId = DwordValue();
    return item;
  }

  NameOrOrdinal WindowClass() {
    const Token t = in_.Next();
    if (t.kind != TokenKind::kString && t.kind != TokenKind::kName) {
      throw ScriptError(t.place, "expected a window class, found " + Describe(t));
    }
    for (const ClassName& c : kPredefinedClasses) {
      if (Upper(t.text) == c.name && (t.kind == TokenKind::kString || t.text == c.name))
        return NameOrOrdinal::Ordinal(c.ordinal);
    }
    if (t.kind == TokenKind::kName) throw ScriptError(t.place, "unknown window class '" + t.text + "'");
    return NameOrOrdinal::Name(t.text);
  }

  static constexpr int kMaxExpressionDepth = 256;  // parentheses and unary operators inside each other

  TokenStream& in_;
  int depth_ = 0;
};

}  // namespace

std::vector<ScriptResource> ReadScript(const std::string& path) {
  TokenStream in(path);
  return Parser(in).Script();
}

}  // namespace rccompile
