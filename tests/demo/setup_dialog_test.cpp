// The setup dialog on the real template, headless: what DlgProc sets up and writes back when the
// dialog is answered with keys and clicks (the dialog manager's keyboard and mouse interface) or
// by the host's options, and what the entry does with Cancel and with nothing chosen.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "demo/globals.h"
#include "demo/setup_dialog.h"
#include "host/dialog_answer.h"
#include "platform/win32/dialog.h"
#include "platform/win32/win32_host.h"
#include "platform/win32/window_backend.h"
#include "resources/compiled_resources.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

namespace {

using win32::DialogState;

std::vector<DisplayMode> Modes(std::initializer_list<std::array<int, 3>> modes) {
  std::vector<DisplayMode> out;
  for (const auto& m : modes) out.push_back(DisplayMode{m[0], m[1], m[2], int(out.size()), D3DFMT_UNKNOWN});
  return out;
}

const std::vector<DisplayMode> kOffered = Modes({{320, 240, 16}, {640, 480, 16}, {640, 480, 32}, {800, 600, 16}});

class SetupDialogTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    for (const resources::Resource& r : resources::CompiledResources())
      win32::RegisterResource(r.type, r.id, r.bytes, r.size);
  }
  void SetUp() override {
    // A headless desktop of its own (1024 x 768), whatever an earlier test of this program left.
    win32::SetWindowBackend(std::make_unique<win32::HeadlessBackend>());
    g_pDxEngine = new DxEngine();
    g_modes = kOffered;
  }
  void TearDown() override {
    win32::SetDialogAnswer(nullptr);
    g_pDxEngine->Shutdown();
    delete g_pDxEngine;
    g_pDxEngine = nullptr;
  }

  // Runs the dialog with `answer` working on its state after WM_INITDIALOG; the state as the
  // answer first saw it is kept in `seen_`.
  INT_PTR Run(const std::function<void(DialogState&)>& answer) {
    g_bWindowed = g_bSound = g_bCancelled = 0;
    g_pDxEngine->chosenMode = 99;
    win32::SetDialogAnswer([&](HWND dialog) {
      DialogState& d = *win32::DialogStateOf(dialog);
      seen_ = d;
      answer(d);
      return true;
    });
    return DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_SETUP), nullptr, DlgProc, 0);
  }
  static const win32::DialogControl& Control(const DialogState& d, int id) {
    for (const auto& c : d.controls)
      if (c.id == id) return c;
    ADD_FAILURE() << "no control " << id;
    return d.controls.at(0);
  }
  static void ClickOn(DialogState& d, int id) {
    const RECT& r = Control(d, id).pixels;
    win32::DialogClick(d, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  static void Keys(DialogState& d, std::initializer_list<WPARAM> keys) {
    for (WPARAM key : keys) win32::DialogKey(d, key, false, false);
  }

  DialogState seen_;
};

TEST_F(SetupDialogTest, SetsUpCentredWithTheModesInOfferOrderAndWritesWhatTheViewerChose) {
  struct Row {
    const char* what;
    std::function<void(DialogState&)> answer;
    BYTE windowed, sound, cancelled;
    int chosen;
  };
  const Row rows[] = {
      {"Enter takes it as set up", [](DialogState& d) { Keys(d, {VK_RETURN}); }, 0, 1, 0, 2},
      {"Tab to the window buttons, Down checks Windowed",
       [](DialogState& d) { Keys(d, {VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_DOWN, VK_RETURN}); }, 1, 1, 0, 2},
      {"a click on Silent, then OK", [](DialogState& d) { ClickOn(d, IDC_SILENT), ClickOn(d, IDOK); }, 0, 0, 0, 2},
      {"the resolution list by keys", [](DialogState& d) { Keys(d, {VK_TAB, VK_TAB, VK_TAB, VK_DOWN, VK_RETURN}); },
       0, 1, 0, 3},
      {"the resolution list opened by a click, its first item clicked",
       [](DialogState& d) {
         ClickOn(d, IDC_RESOLUTION);
         const RECT list = Control(d, IDC_RESOLUTION).listPixels;
         win32::DialogClick(d, list.left + 5, list.top + Control(d, IDC_RESOLUTION).itemHeight / 2 + 1);
         ClickOn(d, IDOK);
       },
       0, 1, 0, 0},
      {"Escape cancels and leaves the rest", [](DialogState& d) { Keys(d, {VK_ESCAPE}); }, 0, 0, 1, 99},
      {"an open list takes Escape; the next one cancels", [](DialogState& d) {
         Keys(d, {VK_TAB, VK_TAB, VK_TAB, VK_F4, VK_DOWN, VK_ESCAPE});
         EXPECT_FALSE(d.ended);
         Keys(d, {VK_ESCAPE});
       }, 0, 0, 1, 99},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(Run(row.answer), 0);
    EXPECT_EQ(g_bWindowed, row.windowed);
    EXPECT_EQ(g_bSound, row.sound);
    EXPECT_EQ(g_bCancelled, row.cancelled);
    EXPECT_EQ(g_pDxEngine->chosenMode, row.chosen);
  }
  // As set up: centred on the 1024 x 768 headless desktop (264 x 127 units are 396 x 206 pixels,
  // plus the border), the device types, the modes at their indices with 640x480 - 32bpp chosen,
  // Fullscreen and Use Sound checked.
  EXPECT_EQ(seen_.position.x, (1024 - 398) / 2);
  EXPECT_EQ(seen_.position.y, (768 - 208) / 2);
  EXPECT_EQ(Control(seen_, IDC_DEVICE_TYPE).items,
            (std::vector<std::string>{"HAL (Hardware T&L)", "HAL (Software T&L)", "Reference Rasterizer"}));
  EXPECT_EQ(Control(seen_, IDC_DEVICE_TYPE).selection, 0);
  EXPECT_EQ(Control(seen_, IDC_RESOLUTION).items, (std::vector<std::string>{"320x240 - 16bpp", "640x480 - 16bpp",
                                                                           "640x480 - 32bpp", "800x600 - 16bpp"}));
  EXPECT_EQ(Control(seen_, IDC_RESOLUTION).selection, 2);
  for (int id : {IDC_FULLSCREEN, IDC_WINDOWED, IDC_USE_SOUND, IDC_SILENT})
    EXPECT_EQ(Control(seen_, id).checked, id == IDC_FULLSCREEN || id == IDC_USE_SOUND) << id;
}

TEST_F(SetupDialogTest, TabVisitsEachStopOnceWithARadioGroupAsOneStopOnItsCheckedButton) {
  std::vector<int> forward, backward;
  Run([&](DialogState& d) {
    ClickOn(d, IDC_SILENT);  // the sound group's stop is now Silent
    for (int i = 0; i < 6; ++i) Keys(d, {VK_TAB}), forward.push_back(d.controls[std::size_t(d.focus)].id);
    for (int i = 0; i < 6; ++i)
      win32::DialogKey(d, VK_TAB, true, false), backward.push_back(d.controls[std::size_t(d.focus)].id);
    Keys(d, {VK_ESCAPE});
  });
  EXPECT_EQ(forward, (std::vector<int>{IDOK, IDCANCEL, IDC_DEVICE_TYPE, IDC_RESOLUTION, IDC_FULLSCREEN, IDC_SILENT}));
  EXPECT_EQ(backward, (std::vector<int>{IDC_FULLSCREEN, IDC_RESOLUTION, IDC_DEVICE_TYPE, IDCANCEL, IDOK, IDC_SILENT}));
}

TEST_F(SetupDialogTest, TheLastOfTwoSameModesIsPreselectedAndAnEmptyListChoosesNothing) {
  g_modes = Modes({{640, 480, 32}, {800, 600, 32}, {640, 480, 32}});
  Run([](DialogState& d) { Keys(d, {VK_RETURN}); });
  EXPECT_EQ(g_pDxEngine->chosenMode, 2);
  g_modes.clear();
  Run([](DialogState& d) { Keys(d, {VK_RETURN}); });
  EXPECT_EQ(g_pDxEngine->chosenMode, -1);
}

// Eleven modes in a list that shows eight: every one can be reached with the mouse alone. Each row
// opens the list with a click, works its scroll bar or the wheel (the list stays open), then clicks
// the last row shown, which chooses the mode there.
TEST_F(SetupDialogTest, TheDroppedListScrollsWithTheMouseAsAComboBoxDoes) {
  g_modes = Modes({{320, 240, 16}, {320, 240, 32}, {400, 300, 16}, {400, 300, 32}, {512, 384, 16}, {512, 384, 32},
                   {640, 480, 16}, {640, 480, 32}, {800, 600, 16}, {800, 600, 32}, {1024, 768, 32}});
  const auto centre = [](const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; };
  const auto click = [](DialogState& d, POINT p) { win32::DialogClick(d, p.x, p.y); };
  const auto bar = [](const DialogState& d) { return win32::ListScrollBarOf(d, Control(d, IDC_RESOLUTION)); };
  struct Row {
    const char* what;
    std::function<void(DialogState&)> scroll;
    int topItem;  // the first row shown afterwards; the last shown (topItem + 7) is chosen
  };
  const Row rows[] = {
      {"nothing: the top", [](DialogState&) {}, 0},
      {"the wheel towards the viewer, a notch", [](DialogState& d) { win32::DialogWheel(d, -1); }, 3},
      {"the wheel, two notches on, stops at the bottom", [](DialogState& d) { win32::DialogWheel(d, -2); }, 3},
      {"the wheel back from the bottom", [](DialogState& d) { win32::DialogWheel(d, -5), win32::DialogWheel(d, 1); },
       0},
      {"the down arrow twice", [&](DialogState& d) { click(d, centre(bar(d).down)), click(d, centre(bar(d).down)); },
       2},
      {"the up arrow at the top", [&](DialogState& d) { click(d, centre(bar(d).up)); }, 0},
      {"the track below the thumb pages to the bottom",
       [&](DialogState& d) { click(d, POINT{centre(bar(d).track).x, bar(d).track.bottom - 1}); }, 3},
      {"the track above the thumb pages back",
       [&](DialogState& d) {
         win32::DialogWheel(d, -3);
         click(d, POINT{centre(bar(d).track).x, bar(d).track.top});
       },
       0},
      {"the thumb dragged down the track and released",
       [&](DialogState& d) {
         const RECT thumb = bar(d).thumb;
         click(d, centre(thumb));
         win32::DialogDrag(d, centre(thumb).x, centre(thumb).y + (bar(d).track.bottom - thumb.bottom));
         win32::DialogRelease(d);
         win32::DialogDrag(d, centre(thumb).x, centre(thumb).y);  // no longer held: nothing moves
       },
       3},
      {"the thumb dragged part of the way",
       [&](DialogState& d) {
         const RECT thumb = bar(d).thumb, track = bar(d).track;
         click(d, centre(thumb));
         win32::DialogDrag(d, centre(thumb).x, centre(thumb).y + ((track.bottom - thumb.bottom) * 2 + 1) / 3);
         win32::DialogRelease(d);
       },
       2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    bool stayedOpen = false;
    int topItem = -1;
    EXPECT_EQ(Run([&](DialogState& d) {
                ClickOn(d, IDC_RESOLUTION);
                ASSERT_TRUE(bar(d).shown);
                row.scroll(d);
                const win32::DialogControl& list = Control(d, IDC_RESOLUTION);
                stayedOpen = list.dropped;
                topItem = list.topItem;
                const int frame = 1;  // at scale 1
                click(d, POINT{list.listPixels.left + 5, list.listPixels.bottom - frame - list.itemHeight / 2});
                ClickOn(d, IDOK);
              }),
              0);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(topItem, row.topItem);
    EXPECT_EQ(g_pDxEngine->chosenMode, row.topItem + 7);
  }
}

TEST_F(SetupDialogTest, OptionsAnswerTheDialogAndKeepItsDefaultsForTheRest) {
  struct Row {
    std::vector<const char*> args;
    BYTE windowed, sound, cancelled;
    int chosen;
  };
  const Row rows[] = {{{"--headless"}, 0, 1, 0, 2},
                      {{"--mode", "800x600x16", "--windowed", "--silent"}, 1, 0, 0, 3},
                      {{"--fullscreen", "--mode", "640x480x16"}, 0, 1, 0, 1},
                      {{"--cancel"}, 0, 0, 1, 99}};
  for (const Row& row : rows) {
    std::vector<const char*> argv = {"vornhold"};
    argv.insert(argv.end(), row.args.begin(), row.args.end());
    std::string error;
    const auto options = host::ParseHostOptions(int(argv.size()), argv.data(), error);
    ASSERT_TRUE(options) << error;
    g_bWindowed = g_bSound = g_bCancelled = 0;
    g_pDxEngine->chosenMode = 99;
    win32::SetDialogAnswer(host::AnswerFromOptions(*options));
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_SETUP), nullptr, DlgProc, 0), 0);
    EXPECT_EQ(g_bWindowed, row.windowed) << argv[1];
    EXPECT_EQ(g_bSound, row.sound) << argv[1];
    EXPECT_EQ(g_bCancelled, row.cancelled) << argv[1];
    EXPECT_EQ(g_pDxEngine->chosenMode, row.chosen) << argv[1];
  }
}

TEST_F(SetupDialogTest, AModeTheListDoesNotOfferEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const auto answer = [](std::vector<const char*> argv) {
    std::string error;
    win32::SetDialogAnswer(host::AnswerFromOptions(*host::ParseHostOptions(int(argv.size()), argv.data(), error)));
    DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_SETUP), nullptr, DlgProc, 0);
  };
  EXPECT_EXIT(answer({"vornhold", "--mode", "800x600x32"}), testing::ExitedWithCode(2),
              "^vornhold: mode 800x600x32 is not offered; offered: 320x240 - 16bpp, 640x480 - 16bpp, 640x480 - "
              "32bpp, 800x600 - 16bpp\n$");
}

// Neither an empty mode list nor a dialog that nobody can show passes for a Cancel: the entry sees
// OK with no mode, or -1, and gives up with -1 as it does for a viewer.
TEST_F(SetupDialogTest, NoModeOrNoWayToShowTheDialogIsNoCancel) {
  for (const bool answered : {true, false}) {
    g_modes.clear();
    g_bWindowed = g_bSound = g_bCancelled = 0;
    g_pDxEngine->chosenMode = 99;
    std::vector<const char*> argv = {"vornhold", "--mode", "640x480x32"};
    std::string error;
    win32::SetDialogAnswer(answered ? host::AnswerFromOptions(*host::ParseHostOptions(3, argv.data(), error))
                                    : win32::DialogAnswer());
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_SETUP), nullptr, DlgProc, 0), answered ? 0 : -1);
    EXPECT_EQ(g_bCancelled, 0) << answered;
  }
}

}  // namespace
