#include "platform/host_glue/present_hub.h"

#include <cstdarg>
#include <string>
#include <unordered_map>
#include <utility>

namespace platform {
namespace {

PresentHandler& Handler() {
  static PresentHandler handler;
  return handler;
}

std::FILE*& TraceFile() {
  static std::FILE* file = nullptr;
  return file;
}

std::unordered_map<const void*, std::string>& TraceNames() {
  static std::unordered_map<const void*, std::string> names;
  return names;
}

int g_quietDepth = 0;  // the show runs its scenes on one thread

void WriteLine(const char* format, va_list args) {
  std::FILE* f = TraceFile();
  std::vfprintf(f, format, args);
  std::fputc('\n', f);
}

}  // namespace

void SetPresentHandler(PresentHandler handler) { Handler() = std::move(handler); }

void DeliverPresent(HWND__* window, const FrameImage* image) {
  if (Handler()) Handler()(window, image);
}

bool TraceEnabled() { return TraceFile() != nullptr; }

void TraceOpen(std::FILE* file) {
  if (TraceFile()) std::fclose(TraceFile());
  TraceFile() = file;
}

void TraceLine(const char* format, ...) {
  if (!TraceFile()) return;
  va_list args;
  va_start(args, format);
  WriteLine(format, args);
  va_end(args);
}

void SetTraceName(const void* object, const char* name) { TraceNames()[object] = name; }

const char* TraceName(const void* object) {
  const auto it = TraceNames().find(object);
  return it == TraceNames().end() ? "" : it->second.c_str();
}

TraceQuiet::TraceQuiet() { ++g_quietDepth; }
TraceQuiet::~TraceQuiet() { --g_quietDepth; }

void TraceDeviceCall(const char* format, ...) {
  if (!TraceFile() || g_quietDepth > 0) return;
  va_list args;
  va_start(args, format);
  WriteLine(format, args);
  va_end(args);
}

}  // namespace platform
