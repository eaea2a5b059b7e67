#include "platform/host_glue/present_hub.h"

#include <cstdarg>
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
  std::FILE* f = TraceFile();
  if (!f) return;
  va_list args;
  va_start(args, format);
  std::vfprintf(f, format, args);
  va_end(args);
  std::fputc('\n', f);
}

}  // namespace platform
