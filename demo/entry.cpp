// The program entry: creates the global objects, runs the setup dialog, opens the window and the
// device, starts the sound, plays the ten part slots in order and shuts down.
// Returns 1 after a normal run or Cancel, -1 when no Direct3D device can be created or no display
// mode was chosen.
#include "Win32Platform/Window/qv_core.h"
#include "demo/demo.h"
#include "demo/globals.h"
#include "demo/setup_dialog.h"
#include "engine/dx_engine.h"
#include "engine/music_player.h"
#include "platform/win32/win32.h"
#include "platform/win32/win32_host.h"

QvCore* g_pCore = nullptr;
std::vector<DisplayMode> g_modes;
BYTE g_bWindowed = 0;
BYTE g_bSound = 0;
BYTE g_bCancelled = 0;

namespace {

void DeleteEngine() {
  g_pDxEngine->Shutdown();
  delete g_pDxEngine;
  g_pDxEngine = nullptr;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  MusicPlayer* music = new MusicPlayer(1);
  // Lives until the process ends, with its assets; held in static storage so that it stays
  // reachable on every path out of the entry.
  static Demo* demo = nullptr;
  demo = new VariantDemo();
  g_pDxEngine = new DxEngine();
  // Without the Direct3D object nothing can be shown (the message box has been shown).
  if (!g_pDxEngine->d3d) {
    DeleteEngine();
    delete music;
    return -1;
  }
  g_pCore = new QvCore();

  int wanted[14][3] = {{320, 200, 16},  {320, 200, 32},  {320, 240, 16},  {320, 240, 32},  {640, 400, 16},
                       {640, 400, 32},  {640, 480, 16},  {640, 480, 32},  {800, 600, 16},  {800, 600, 32},
                       {1024, 768, 16}, {1024, 768, 32}, {1280, 960, 16}, {1280, 960, 32}};
  g_bWindowed = 0;
  g_bSound = 0;
  g_bCancelled = 0;
  g_pDxEngine->EnumerateModes(wanted, 14, g_modes);
  const INT_PTR shown = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SETUP), nullptr, DlgProc, 0);
  if (g_bCancelled) {
    DeleteEngine();
    delete music;
    return 1;
  }

  // Nothing chosen (no dialog, an empty mode list, no selection) ends the program like a missing
  // device, rather than opening a window of a mode nobody chose.
  const DisplayMode* mode = nullptr;
  for (const DisplayMode& m : g_modes)
    if (m.index == g_pDxEngine->chosenMode) mode = &m;
  if (shown == -1 || !mode) {
    MessageBoxA(nullptr, shown == -1 ? "The setup dialog cannot be shown." : "No usable display mode was chosen.",
                "Error", MB_OK | MB_ICONERROR);
    DeleteEngine();
    delete music;
    return -1;
  }
  g_pCore->Create(mode->width, mode->height, 1, instance);
  g_pCore->Show();
  if (!g_pDxEngine->CreateDevice(g_pCore, g_bWindowed)) {
    DeleteEngine();
    delete music;
    delete g_pCore;
    g_pCore = nullptr;
    return -1;
  }
  if (!g_bWindowed) ShowCursor(FALSE);

  music->InitSound(g_pCore->m_hWnd, g_bSound);
  music->LoadStream("lab.mp3");
  demo->archiveName = "lab.ac";
  demo->LoadAssets();
  music->Play();
  demo->startTick = GetTickCount();
  win32::SetTimelineOrigin(&demo->startTick);

  demo->PartSlot0();
  demo->PartSlot1();
  demo->PartSlot2();
  demo->PartSlot3();
  demo->PartSlot4();
  demo->PartSlot5();
  demo->PartSlot6();
  demo->PartSlot7();
  demo->PartSlot8();
  demo->PartSlot9();

  music->Stop();
  g_pCore->Close();
  ShowCursor(TRUE);
  delete music;
  DeleteEngine();
  delete g_pCore;
  g_pCore = nullptr;
  return 1;  // the demo object and its assets end with the process
}
