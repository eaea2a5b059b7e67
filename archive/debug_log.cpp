#include "archive/debug_log.h"

#include <cstdarg>
#include <cstdio>
#include <string>
#include <string_view>

#include "platform/win32/win32.h"

namespace {

struct DebugLogState {
  bool enabled = false;
  std::string path;
  DWORD timeBase = 0;  // GetTickCount when the log was opened, ms
};

DebugLogState& Log() {
  static DebugLogState state;
  return state;
}

// Build paths differ between machines; the log names only the file.
const char* BaseName(const char* path) {
  const std::string_view p(path);
  const auto slash = p.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path + slash + 1;
}

constexpr std::string_view kTitle = " Vornhold archive reader RAR 2x ";
static_assert(kTitle.size() == 32);

}  // namespace

void DebugLogOpen(const char* path) {
  DebugLogState& log = Log();
  log.timeBase = GetTickCount();
  log.path = path;
  std::FILE* f = std::fopen(path, "w");
  if (!f) return;
  log.enabled = true;
  std::fprintf(f, "%s\n~^~~~~~~~~~~~~~~~~~~~~~~~~~~~~^~\n", kTitle.data());
  std::fprintf(f, "(executable compiled on %s at %s)\n\n", __DATE__, __TIME__);
  std::fclose(f);
}

void DebugLogLine(const char* message, const char* sourceFile, unsigned sourceLine) {
  DebugLogState& log = Log();
  if (!log.enabled) return;
  std::FILE* f = std::fopen(log.path.c_str(), "a");
  if (!f) return;
  std::fprintf(f, " %8u ms (line %u in %s):\n              - %s\n", GetTickCount() - log.timeBase,
               sourceLine, BaseName(sourceFile), message);
  std::fclose(f);
}

void DebugLogFormat(const char* sourceFile, unsigned sourceLine, const char* format, ...) {
  if (!Log().enabled) return;
  char message[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof message, format, args);
  va_end(args);
  DebugLogLine(message, sourceFile, sourceLine);
}
