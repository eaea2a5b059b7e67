#include "demo/part_loop.h"

#include "Win32Platform/Window/qv_core.h"
#include "demo/globals.h"
#include "engine/frame_timer.h"

namespace {

constexpr WPARAM kEscape = 27;

bool TimeIsUp(const Demo& demo, const PartWindow& window) {
  const std::int32_t t = TimelineMs(demo);
  switch (window.closes) {
    case PartEnd::kReached: return t >= window.end;
    case PartEnd::kPassed: return t > window.end;
    case PartEnd::kNever: return false;
  }
  return false;
}

// At most one message per frame. Returns false when GetMessage returned 0.
bool PumpOneMessage(Demo& demo) {
  const HWND window = g_pCore->m_hWnd;
  if (!PeekMessageA(&demo.msg, window, 0, 0, PM_NOREMOVE)) return true;
  if (!GetMessageA(&demo.msg, window, 0, 0)) return false;
  TranslateMessage(&demo.msg);
  if (demo.msg.wParam == kEscape) demo.running = 0;
  DispatchMessageA(&demo.msg);
  return true;
}

}  // namespace

std::int32_t TimelineMs(const Demo& demo) { return std::int32_t(GetTickCount() - demo.startTick); }

void PartLoop(Demo& demo, const PartWindow& window, PartScene& scene) {
  scene.Setup();
  if (window.previousFlag && !*window.previousFlag) demo.startTick = GetTickCount() - DWORD(window.start);
  FrameTimer timer;
  timer.Start(100.0f);

  while (demo.running && (!window.flag || *window.flag) && !TimeIsUp(demo, window)) {
    if (!PumpOneMessage(demo)) break;
    timer.Tick();
    scene.Frame(timer.delta);
  }
  scene.Finish();
}
