// The `.x` file container: the 16-byte header, MSZIP decompression, and the text / binary token
// streams read into one tree of data objects. Template definitions are skipped (the standard
// templates are known to the mesh builder), and member data is kept as a flat list of numbers and
// strings in file order, which is how both encodings carry it once separators are dropped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace d3dx::xfile {

enum class Format { kText, kBinary };

struct Header {
  Format format = Format::kText;
  bool compressed = false;
  bool doubles = false;  // "0064": 8-byte floats in binary data
};

// Reads the 16-byte header. False when it is not a `.x` header this reader supports.
bool ReadHeader(const uint8_t* data, size_t size, Header* header);

// Inflates the MSZIP body that follows a compressed file's header (data points just after the
// header). False for damaged data.
bool DecompressMszip(const uint8_t* data, size_t size, std::vector<uint8_t>* body);

struct Object {
  std::string_view type;  // template name as written
  std::string_view name;  // may be empty
  std::vector<double> numbers;
  std::vector<std::string_view> strings;
  // Children in file order: indices into Document::objects, or -1 for a reference that names no
  // earlier object.
  std::vector<int> children;
  int depth = 0;
};

struct Document {
  std::vector<Object> objects;
  std::vector<int> topLevel;
  // Owns the decompressed body when the file was compressed (views point into it).
  std::vector<uint8_t> body;
};

// Parses the whole file. False for data that is not a well-formed `.x` file.
bool ReadDocument(const uint8_t* data, size_t size, Document* document);

// Case-insensitive ASCII comparison (template names).
bool SameName(std::string_view a, std::string_view b);

}  // namespace d3dx::xfile
