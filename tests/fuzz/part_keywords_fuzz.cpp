// Fuzz target: "part.txt" through ApplyPartKeywords. Besides not crashing, the flags must be
// exactly those whose keyword is a whole line of the file read in text mode (CR LF is a line end,
// Ctrl-Z ends the file), worked out here independently of the line reader.
#include <cstdint>
#include <string>
#include <string_view>

#include "demo/demo.h"
#include "fuzz_support.h"
#include "fuzz_targets.h"

namespace vornhold::fuzz {
namespace {

// The file's lines as a text-mode reader sees them.
bool HasLine(std::string_view text, std::string_view wanted) {
  text = text.substr(0, text.find('\x1A'));
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (end != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line == wanted) return true;
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return false;
}

}  // namespace

int PartKeywordsFuzz(const std::uint8_t* data, std::size_t size) {
  const std::string path = WriteScratchFile("part.txt", data, size);
  if (path.empty()) return 0;
  DemoFlags flags{};
  ApplyPartKeywords(path.c_str(), flags);
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const struct {
    const char* keyword;
    BYTE flag;
  } expected[] = {{"part01", flags.part01}, {"part02", flags.part02}, {"part03", flags.part03},
                  {"part04", flags.part04}, {"part05", flags.part05}, {"part06", flags.part06},
                  {"part07", flags.part07}, {"part08", flags.part08}, {"part09", flags.part09},
                  {"part10", flags.part10}, {"stoned", flags.stoned}, {"lesbian", flags.lesbian},
                  {"secret", flags.secret}, {"room", flags.room},     {"jelly", flags.jelly}};
  for (const auto& e : expected) {
    Require(e.flag == (HasLine(text, e.keyword) ? 1 : 0), "a flag is set exactly when its keyword is a line");
    if (e.flag) NoteAccepted();
  }
  return 0;
}

}  // namespace vornhold::fuzz
