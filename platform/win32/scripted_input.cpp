// The timeline origin and scripted key presses, timed against it.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/win32/win32_host.h"
#include "platform/win32/window_table.h"

namespace {

struct ScriptedKey {
  DWORD msAfterOrigin;
  WPARAM virtualKey;
};

struct Script {
  const DWORD* origin = nullptr;
  DWORD originValue = 0;  // *origin when SetTimelineOrigin was called
  std::vector<ScriptedKey> pending;  // by time, then in the order scheduled
};

Script& TheScript() {
  static Script script;
  return script;
}

}  // namespace

namespace win32 {

void SetTimelineOrigin(const DWORD* startTick) {
  TheScript().origin = startTick;
  TheScript().originValue = startTick ? *startTick : 0;
  detail::NotifyTimelineObserver();
}

const DWORD* TimelineOrigin() { return TheScript().origin; }
DWORD TimelineOriginValue() { return TheScript().originValue; }

void ScheduleKeyPress(DWORD msAfterOrigin, WPARAM virtualKey) {
  auto& pending = TheScript().pending;
  const auto at = std::upper_bound(
      pending.begin(), pending.end(), msAfterOrigin,
      [](DWORD ms, const ScriptedKey& key) { return ms < key.msAfterOrigin; });
  pending.insert(at, ScriptedKey{msAfterOrigin, virtualKey});
}

}  // namespace win32

namespace win32::detail {

long PostDueScriptedKeys() {
  Script& script = TheScript();
  if (script.pending.empty() || !script.origin) return -1;
  const HWND target = MainWindow();
  if (!target) return -1;
  const DWORD now = GetTickCount();
  while (!script.pending.empty()) {
    const ScriptedKey key = script.pending.front();
    // Signed 32-bit difference: survives the tick count's wrap.
    const auto remaining = static_cast<std::int32_t>(script.originValue + key.msAfterOrigin - now);
    if (remaining > 0) return FixedStepClock() ? -1 : remaining;
    script.pending.erase(script.pending.begin());
    PostInputMessage(target, WM_KEYDOWN, key.virtualKey, KeyLParam(key.virtualKey, true, false));
    PostInputMessage(target, WM_KEYUP, key.virtualKey, KeyLParam(key.virtualKey, false, false));
  }
  return -1;
}

}  // namespace win32::detail
