// The viewer's choices of the setup dialog, as the host received them (command line or defaults).
// Until the dialog exists, the entry takes these instead of showing it.
#pragma once

namespace platform {

struct SetupChoice {
  int width = 640;  // pixels
  int height = 480;
  int bitsPerPixel = 32;
  bool windowed = true;
  bool sound = true;
  bool cancelled = false;
};

void SetSetupChoice(const SetupChoice& choice);
const SetupChoice& GetSetupChoice();

}  // namespace platform
