// The trace file, the lines' fields and the names of traced objects.
#include "platform/trace/trace.h"

#include <unordered_map>
#include <utility>

namespace trace {
namespace {

std::FILE*& File() {
  static std::FILE* file = nullptr;
  return file;
}

std::unordered_map<const void*, std::string>& Names() {
  static std::unordered_map<const void*, std::string> names;
  return names;
}

int g_operationDepth = 0;
bool g_muted = false;

void AppendFormatted(std::string& line, const char* format, auto value) {
  char text[32];
  const int length = std::snprintf(text, sizeof text, format, value);
  line += ' ';
  line.append(text, std::size_t(length));
}

}  // namespace

bool Enabled() { return File() != nullptr; }

void Open(std::FILE* file) {
  if (File()) std::fclose(File());
  File() = file;
}

void Mute(bool muted) { g_muted = muted; }

void SetName(const void* object, std::string name) { Names()[object] = std::move(name); }

const char* NameOf(const void* object) {
  const auto it = Names().find(object);
  return it == Names().end() ? "" : it->second.c_str();
}

namespace detail {

void Append(std::string& line, double value) { AppendFormatted(line, "%g", value); }
void Append(std::string& line, long long value) { AppendFormatted(line, "%lld", value); }
void Append(std::string& line, unsigned long long value) { AppendFormatted(line, "%llu", value); }
void Append(std::string& line, const char* text) { (line += ' ') += text; }
void Append(std::string& line, const std::string& text) { (line += ' ') += text; }

void Append(std::string& line, Floats floats) {
  for (int i = 0; i < floats.count; ++i) Append(line, double(floats.values[i]));
}

void WriteLine(const std::string& line) {
  if (g_muted) return;
  std::fwrite(line.data(), 1, line.size(), File());
  std::fputc('\n', File());
}

bool InsideOperation() { return g_operationDepth > 0; }
void EnterOperation() { ++g_operationDepth; }
void LeaveOperation() { --g_operationDepth; }

}  // namespace detail
}  // namespace trace
