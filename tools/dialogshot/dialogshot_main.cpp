// dialogshot: draws the setup dialog's picture, as the window shows it, into PNG files.
//
//   dialogshot [DIR]   writes DIR/dialog_1x.png and dialog_2x.png (focus on OK),
//                      dialog_dropped.png (the resolution list open, scale 1), dialog_dropped_2x.png
//                      and dialog_radio_2x.png (focus on a radio button); DIR defaults to /tmp.
#include <cstdio>
#include <string>

#include "platform/png/png_writer.h"
#include "platform/win32/dialog_painter.h"
#include "tools/dialogshot/sample_dialog.h"

namespace {

bool Write(const win32::DialogState& dialog, const std::string& path) {
  platform::FrameImage image;
  image.width = win32::DialogWindowWidth(dialog);
  image.height = win32::DialogWindowHeight(dialog);
  win32::PaintDialog(dialog, image.xrgb);
  std::string error;
  if (!platform::WritePng(path, image, error)) {
    std::fprintf(stderr, "dialogshot: %s\n", error.c_str());
    return false;
  }
  std::printf("%s (%dx%d)\n", path.c_str(), image.width, image.height);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : "/tmp";
  using dialogshot::DropList;
  using dialogshot::SampleDialog;
  bool ok = Write(SampleDialog(1.0), dir + "/dialog_1x.png");
  ok = Write(SampleDialog(2.0), dir + "/dialog_2x.png") && ok;
  win32::DialogState dropped = SampleDialog(1.0);
  DropList(dropped, dialogshot::kResolutionCombo, 9);
  ok = Write(dropped, dir + "/dialog_dropped.png") && ok;
  dropped = SampleDialog(2.0);
  DropList(dropped, dialogshot::kDeviceCombo, 1);
  ok = Write(dropped, dir + "/dialog_dropped_2x.png") && ok;
  win32::DialogState radio = SampleDialog(2.0);
  radio.focus = dialogshot::kWindowedRadio;
  radio.controls[dialogshot::kWindowedRadio].checked = true;
  radio.controls[dialogshot::kFullscreenRadio].checked = false;
  ok = Write(radio, dir + "/dialog_radio_2x.png") && ok;
  std::printf("font: %s\n", win32::DialogFontFile().empty() ? "(none)" : win32::DialogFontFile().c_str());
  return ok ? 0 : 1;
}
