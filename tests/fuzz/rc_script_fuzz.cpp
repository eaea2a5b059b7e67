// Fuzz target: resource scripts through the resource compiler, the way rccompile runs it: the
// script is read (with its #include and #define lines), every dialog encoded as a template and
// every bitmap read, then the C++ source is generated. A bad script must end in ScriptError and
// nothing else; a good one gives one resource per statement, each with bytes.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "fuzz_targets.h"
#include "tools/rccompile/rc_compile.h"
#include "tools/rccompile/rc_script.h"

namespace vornhold::fuzz {
namespace {

// The smallest BMP with a BITMAPINFOHEADER: one 24-bit pixel. Scripts may name it as "pic.bmp".
const std::vector<std::uint8_t>& SmallBitmap() {
  static const std::vector<std::uint8_t> bmp = {
      'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,                    // file header
      40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0,     // info header
      4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      0x20, 0x40, 0x60, 0};                                              // one pixel, padded
  return bmp;
}

}  // namespace

int RcScriptFuzz(const std::uint8_t* data, std::size_t size) {
  static const bool bitmapWritten =
      !WriteScratchFile("pic.bmp", SmallBitmap().data(), SmallBitmap().size()).empty();
  (void)bitmapWritten;
  const std::string path = WriteScratchFile("script.rc", data, size);
  if (path.empty()) return 0;
  try {
    const std::vector<rccompile::CompiledResource> compiled = rccompile::CompileScript(path, "");
    for (const rccompile::CompiledResource& r : compiled) {
      Require(r.type == RT_DIALOG || r.type == RT_BITMAP, "resources are dialogs or bitmaps");
      Require(!r.bytes.empty(), "a compiled resource has bytes");
    }
    Require(!rccompile::GenerateSource(compiled, "script.rc").empty(), "a compiled script gives a source");
    if (!compiled.empty()) NoteAccepted();
  } catch (const rccompile::ScriptError&) {
    // A mistake in the script, reported as the compiler reports it.
  }
  return 0;
}

}  // namespace vornhold::fuzz
