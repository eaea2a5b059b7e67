#include "demo/show_facts.h"

#include <filesystem>

#include "demo/demo.h"
#include "demo/scene_light.h"
#include "engine/dx_engine.h"
#include "platform/win32/crt.h"

namespace show {
namespace {

// The finale's closing picture comes at 143139 ms on the timeline; a video keeps it on screen
// through its fade and 2 s more.
constexpr long kCaptureEndMs = 147139;

}  // namespace

Facts ReadFacts() {
  Facts facts;
  std::error_code ec;
  facts.partFilePresent = std::filesystem::is_regular_file("part.txt", ec);
  DemoFlags flags{};
  ApplyPartKeywords("part.txt", flags);
  facts.anyPartPlays = AnyPartPlays(flags);
  facts.endsByItself = !flags.secret;
  facts.captureEndMs = kCaptureEndMs;
  return facts;
}

void PrepareAnotherRun() {
  ResetLightNumbering();
  ResetTextureNumbering();
  WinSrand(1);  // the runtime's seed before any srand()
}

}  // namespace show
