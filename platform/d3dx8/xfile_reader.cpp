#include "platform/d3dx8/xfile_reader.h"

#include <zlib.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>

#include "platform/little_endian.h"

namespace d3dx::xfile {
namespace {

// The whole of [first, last) as a number, rounded correctly. emscripten's C++ library has no
// from_chars for floating point: there the C library's strtod (in the "C" locale the program
// never leaves) reads a copy that ends where the token ends.
bool ParseNumber(const char* first, const char* last, double& value) {
#ifdef __EMSCRIPTEN__
  const std::string token(first, last);
  if (token.empty() || std::isspace(static_cast<unsigned char>(token[0]))) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtod(token.c_str(), &end);
  return errno == 0 && end == token.c_str() + token.size();
#else
  const auto result = std::from_chars(first, last, value);
  return result.ec == std::errc() && result.ptr == last;
#endif
}

constexpr size_t kHeaderSize = 16;
constexpr int kMaxDepth = 256;   // nesting of data objects
constexpr size_t kWindow = 32768;  // MSZIP history carried from one block to the next

using platform::ReadLe16;
using platform::ReadLe32;

enum class Kind { kName, kString, kNumber, kGuid, kOpen, kClose, kTemplate, kOther };

struct Token {
  Token(Kind k, double n = 0.0, std::string_view t = {}) : kind(k), number(n), text(t) {}
  Kind kind;
  double number;
  std::string_view text;
};

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerCopy(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = Lower(c);
  return out;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || IsDigit(c) || c == '-'; }

bool IsGuidText(const char* p, size_t left) {
  if (left < 38 || p[0] != '<' || p[37] != '>') return false;
  for (int i = 1; i < 37; ++i) {
    const char c = p[i];
    const bool dash = (i == 9 || i == 14 || i == 19 || i == 24);
    if (dash ? c != '-' : !std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

bool TokenizeText(const uint8_t* data, size_t size, std::vector<Token>* tokens) {
  const char* text = reinterpret_cast<const char*>(data);
  size_t i = 0;
  while (i < size) {
    const char c = text[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0') {
      ++i;
    } else if (c == '#' || (c == '/' && i + 1 < size && text[i + 1] == '/')) {
      while (i < size && text[i] != '\n') ++i;
    } else if (c == ';' || c == ',') {
      ++i;  // separators carry nothing once the data is flattened
    } else if (c == '{' || c == '}') {
      tokens->push_back({c == '{' ? Kind::kOpen : Kind::kClose});
      ++i;
    } else if (c == '<' && IsGuidText(text + i, size - i)) {
      tokens->push_back({Kind::kGuid, 0.0, std::string_view(text + i, 38)});
      i += 38;
    } else if (c == '"') {
      const size_t start = ++i;
      while (i < size && text[i] != '"') ++i;
      if (i >= size) return false;  // unterminated string
      tokens->push_back({Kind::kString, 0.0, std::string_view(text + start, i - start)});
      ++i;
    } else if (IsDigit(c) || c == '-' || c == '+' || (c == '.' && i + 1 < size && IsDigit(text[i + 1]))) {
      size_t start = i;
      ++i;
      while (i < size) {
        const char d = text[i];
        if (IsDigit(d) || d == '.' || d == 'e' || d == 'E') {
          ++i;
        } else if ((d == '-' || d == '+') && (text[i - 1] == 'e' || text[i - 1] == 'E')) {
          ++i;
        } else {
          break;
        }
      }
      if (text[start] == '+') ++start;
      double value = 0.0;
      if (!ParseNumber(text + start, text + i, value)) return false;
      tokens->push_back({Kind::kNumber, value});
    } else if (IsNameStart(c)) {
      const size_t start = i;
      while (i < size && IsNameChar(text[i])) ++i;
      const std::string_view name(text + start, i - start);
      tokens->push_back({SameName(name, "template") ? Kind::kTemplate : Kind::kName, 0.0, name});
    } else if (std::strchr("[]()<>.", c) != nullptr) {
      tokens->push_back({Kind::kOther});
      ++i;
    } else {
      return false;
    }
  }
  return true;
}

bool TokenizeBinary(const uint8_t* data, size_t size, bool doubles, std::vector<Token>* tokens) {
  size_t i = 0;
  auto need = [&](size_t n) { return size - i >= n; };
  while (i < size) {
    if (!need(2)) return false;
    const uint16_t id = ReadLe16(data + i);
    i += 2;
    switch (id) {
      case 1:    // name
      case 2: {  // string
        if (!need(4)) return false;
        const uint32_t count = ReadLe32(data + i);
        i += 4;
        if (!need(count)) return false;
        const std::string_view text(reinterpret_cast<const char*>(data + i), count);
        i += count;
        if (id == 1) {
          tokens->push_back({Kind::kName, 0.0, text});
        } else {
          tokens->push_back({Kind::kString, 0.0, text});
          // The terminator is a comma or semicolon token.
          if (need(2) && (ReadLe16(data + i) == 19 || ReadLe16(data + i) == 20)) i += 2;
        }
        break;
      }
      case 3:
        if (!need(4)) return false;
        tokens->push_back({Kind::kNumber, static_cast<double>(ReadLe32(data + i))});
        i += 4;
        break;
      case 5:
        if (!need(16)) return false;
        tokens->push_back({Kind::kGuid});
        i += 16;
        break;
      case 6:
      case 7: {
        if (!need(4)) return false;
        const uint32_t count = ReadLe32(data + i);
        i += 4;
        const size_t width = (id == 7 && doubles) ? 8 : 4;
        if ((size - i) / width < count) return false;
        for (uint32_t k = 0; k < count; ++k, i += width) {
          double value;
          if (id == 6) {
            value = ReadLe32(data + i);
          } else if (width == 8) {
            std::memcpy(&value, data + i, 8);
          } else {
            float f;
            std::memcpy(&f, data + i, 4);
            value = f;
          }
          tokens->push_back({Kind::kNumber, value});
        }
        break;
      }
      case 10:
        tokens->push_back({Kind::kOpen});
        break;
      case 11:
        tokens->push_back({Kind::kClose});
        break;
      case 19:
      case 20:
        break;
      case 31:
        tokens->push_back({Kind::kTemplate});
        break;
      default:
        if ((id >= 12 && id <= 18) || (id >= 40 && id <= 52)) {
          tokens->push_back({Kind::kOther});
          break;
        }
        return false;
    }
  }
  return true;
}

class Parser {
 public:
  Parser(const std::vector<Token>& tokens, Document* document)
      : tokens_(tokens), document_(document) {}

  bool Run() {
    while (pos_ < tokens_.size()) {
      const Token& token = tokens_[pos_];
      if (token.kind == Kind::kTemplate) {
        if (!SkipTemplate()) return false;
      } else if (token.kind == Kind::kName) {
        const int index = ParseObject(0);
        if (index < 0) return false;
        document_->topLevel.push_back(index);
      } else if (token.kind == Kind::kOther || token.kind == Kind::kGuid) {
        ++pos_;
      } else {
        return false;  // data or braces outside any object
      }
    }
    return true;
  }

 private:
  const Token* Peek(size_t ahead = 0) const {
    return pos_ + ahead < tokens_.size() ? &tokens_[pos_ + ahead] : nullptr;
  }

  // template Name { <GUID> members [restrictions] } -- no nested braces.
  bool SkipTemplate() {
    ++pos_;
    while (pos_ < tokens_.size() && tokens_[pos_].kind != Kind::kOpen) {
      if (tokens_[pos_].kind == Kind::kClose) return false;
      ++pos_;
    }
    if (pos_ < tokens_.size()) ++pos_;
    while (pos_ < tokens_.size() && tokens_[pos_].kind != Kind::kClose) {
      if (tokens_[pos_].kind == Kind::kOpen) return false;
      ++pos_;
    }
    if (pos_ >= tokens_.size()) return false;
    ++pos_;
    return true;
  }

  // Type [Name] { [GUID] data... children... }. Returns the object's index or -1.
  int ParseObject(int depth) {
    if (depth >= kMaxDepth) return -1;
    Object object;
    object.type = tokens_[pos_++].text;
    object.depth = depth;
    if (Peek() && Peek()->kind == Kind::kName) object.name = tokens_[pos_++].text;
    if (!Peek() || Peek()->kind != Kind::kOpen) return -1;
    ++pos_;
    const int index = static_cast<int>(document_->objects.size());
    document_->objects.push_back(std::move(object));
    while (true) {
      const Token* token = Peek();
      if (!token) return -1;
      switch (token->kind) {
        case Kind::kNumber:
          document_->objects[index].numbers.push_back(token->number);
          ++pos_;
          break;
        case Kind::kString:
          document_->objects[index].strings.push_back(token->text);
          ++pos_;
          break;
        case Kind::kGuid:
        case Kind::kOther:
          ++pos_;
          break;
        case Kind::kTemplate:
          return -1;
        case Kind::kName: {
          const int child = ParseObject(depth + 1);
          if (child < 0) return -1;
          document_->objects[index].children.push_back(child);
          break;
        }
        case Kind::kOpen: {  // reference: { Name [GUID] } or { GUID }
          ++pos_;
          std::string_view name;
          bool any = false;
          while (Peek() && (Peek()->kind == Kind::kName || Peek()->kind == Kind::kGuid)) {
            if (Peek()->kind == Kind::kName) {
              if (!name.empty()) return -1;
              name = Peek()->text;
            }
            any = true;
            ++pos_;
          }
          if (!any || !Peek() || Peek()->kind != Kind::kClose) return -1;
          ++pos_;
          int target = -1;
          if (!name.empty()) {
            const auto found = names_.find(LowerCopy(name));
            if (found != names_.end()) target = found->second;
          }
          document_->objects[index].children.push_back(target);
          break;
        }
        case Kind::kClose:
          ++pos_;
          if (!document_->objects[index].name.empty()) {
            names_[LowerCopy(document_->objects[index].name)] = index;
          }
          return index;
      }
    }
  }

  const std::vector<Token>& tokens_;
  Document* document_;
  size_t pos_ = 0;
  std::unordered_map<std::string, int> names_;
};

bool ParseBody(const uint8_t* body, size_t size, const Header& header, bool doubles,
               Document* document) {
  std::vector<Token> tokens;
  const bool tokenized = header.format == Format::kText
                             ? TokenizeText(body, size, &tokens)
                             : TokenizeBinary(body, size, doubles, &tokens);
  if (!tokenized) return false;
  document->objects.clear();
  document->topLevel.clear();
  return Parser(tokens, document).Run();
}

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

bool ReadHeader(const uint8_t* data, size_t size, Header* header) {
  if (size < kHeaderSize || std::memcmp(data, "xof ", 4) != 0) return false;
  if (std::memcmp(data + 4, "03", 2) != 0 || !IsDigit(static_cast<char>(data[6])) ||
      !IsDigit(static_cast<char>(data[7]))) {
    return false;
  }
  const std::string_view format(reinterpret_cast<const char*>(data + 8), 4);
  if (format == "txt ") {
    *header = {Format::kText, false};
  } else if (format == "bin ") {
    *header = {Format::kBinary, false};
  } else if (format == "tzip") {
    *header = {Format::kText, true};
  } else if (format == "bzip") {
    *header = {Format::kBinary, true};
  } else {
    return false;
  }
  const std::string_view floats(reinterpret_cast<const char*>(data + 12), 4);
  if (floats == "0064") {
    header->doubles = true;
  } else if (floats != "0032") {
    return false;
  }
  return true;
}

bool DecompressMszip(const uint8_t* data, size_t size, std::vector<uint8_t>* body) {
  body->clear();
  if (size < 4) return false;
  const uint32_t total = ReadLe32(data);  // whole decompressed file, header included
  size_t i = 4;
  z_stream stream{};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return false;
  bool ok = true;
  while (ok && i < size) {
    if (size - i < 4) {
      ok = false;
      break;
    }
    const uint16_t plain = ReadLe16(data + i);
    const uint16_t packed = ReadLe16(data + i + 2);
    i += 4;
    if (size - i < packed || packed < 2 || data[i] != 'C' || data[i + 1] != 'K' ||
        body->size() + plain > total) {
      ok = false;
      break;
    }
    const size_t start = body->size();
    body->resize(start + plain);
    if (inflateReset(&stream) != Z_OK) {
      ok = false;
      break;
    }
    if (start > 0) {
      const size_t window = start < kWindow ? start : kWindow;
      if (inflateSetDictionary(&stream, body->data() + start - window,
                               static_cast<uInt>(window)) != Z_OK) {
        ok = false;
        break;
      }
    }
    stream.next_in = const_cast<Bytef*>(data + i + 2);
    stream.avail_in = packed - 2u;
    stream.next_out = body->data() + start;
    stream.avail_out = plain;
    const int result = inflate(&stream, Z_SYNC_FLUSH);
    if (result != Z_STREAM_END || stream.avail_out != 0) ok = false;  // each block ends its stream
    i += packed;
  }
  inflateEnd(&stream);
  if (!ok) body->clear();
  return ok;
}

bool ReadDocument(const uint8_t* data, size_t size, Document* document) {
  *document = Document{};
  Header header;
  if (!data || !ReadHeader(data, size, &header)) return false;
  const uint8_t* body = data + kHeaderSize;
  size_t bodySize = size - kHeaderSize;
  if (header.compressed) {
    if (!DecompressMszip(body, bodySize, &document->body)) return false;
    body = document->body.data();
    bodySize = document->body.size();
  }
  if (ParseBody(body, bodySize, header, header.doubles, document)) return true;
  // Some writers put 4-byte floats in binary "0064" files; read those too.
  if (header.format == Format::kBinary && header.doubles &&
      ParseBody(body, bodySize, header, false, document)) {
    return true;
  }
  *document = Document{};
  return false;
}

}  // namespace d3dx::xfile
