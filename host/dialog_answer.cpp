// The options' answer to the setup dialog.
#include "host/dialog_answer.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "demo/globals.h"
#include "host/exit_status.h"
#include "resources/resource_ids.h"

namespace host {

win32::DialogAnswer AnswerFromOptions(const HostOptions& options) {
  return [options](HWND dialog) {
    const HWND list = GetDlgItem(dialog, IDC_RESOLUTION);
    const int count = int(SendMessageA(list, CB_GETCOUNT, 0, 0));
    // An empty list leaves no mode to pick: OK then chooses none, and the show says so and gives
    // up, as when a viewer presses OK on it.
    if (options.modeGiven && count > 0) {
      const auto matches = [&](int item) {
        char text[64] = {};
        if (item < 0 || SendMessageA(list, CB_GETLBTEXTLEN, WPARAM(item), 0) >= LRESULT(sizeof text)) return false;
        SendMessageA(list, CB_GETLBTEXT, WPARAM(item), reinterpret_cast<LPARAM>(text));
        int w = 0, h = 0, bits = 0;
        return std::sscanf(text, "%dx%d - %dbpp", &w, &h, &bits) == 3 && w == options.width && h == options.height &&
               bits == options.bitsPerPixel;
      };
      int chosen = int(SendMessageA(list, CB_GETCURSEL, 0, 0));
      for (int i = 0; i < count && !matches(chosen); ++i) chosen = i;
      if (!matches(chosen)) {
        std::string offered;
        for (int i = 0; i < count; ++i) {
          char text[64] = {};
          if (SendMessageA(list, CB_GETLBTEXTLEN, WPARAM(i), 0) < LRESULT(sizeof text))
            SendMessageA(list, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text));
          offered += std::string(i ? ", " : "") + text;
        }
        std::fprintf(stderr, "vornhold: mode %dx%dx%d is not offered; offered: %s\n", options.width, options.height,
                     options.bitsPerPixel, offered.c_str());
        std::exit(kExitFailure);
      }
      SendMessageA(list, CB_SETCURSEL, WPARAM(chosen), 0);
    }
    if (options.windowed)
      SendMessageA(GetDlgItem(dialog, *options.windowed ? IDC_WINDOWED : IDC_FULLSCREEN), BM_CLICK, 0, 0);
    // A capture renders faster or slower than real time: the music goes into the video, not out.
    if (options.silent || !options.captureFile.empty()) SendMessageA(GetDlgItem(dialog, IDC_SILENT), BM_CLICK, 0, 0);
    const int command = options.cancel ? IDCANCEL : IDOK;
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, command)));
    return true;
  };
}

HostOptions AnswerAsGiven(const HostOptions& options) {
  HostOptions given = options;
  for (const DisplayMode& mode : g_modes)
    if (g_pDxEngine && mode.index == g_pDxEngine->chosenMode)
      given.width = mode.width, given.height = mode.height, given.bitsPerPixel = mode.bitsPerPixel;
  given.modeGiven = true;
  given.windowed = g_bWindowed != 0;
  given.silent = g_bSound == 0;
  given.dialog = given.cancel = false;
  return given;
}

}  // namespace host
