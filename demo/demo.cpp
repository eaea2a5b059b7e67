#include "demo/demo.h"

#include <cstring>
#include <string>

#include "platform/win32/crt.h"

namespace {

// A line is read into an 80-byte buffer: at most 79 characters.
constexpr std::size_t kMaxKeywordLine = 79;

}  // namespace

void ApplyPartKeywords(const char* path, DemoFlags& flags) {
  BYTE* const flag[] = {&flags.part01, &flags.part02, &flags.part03, &flags.part04, &flags.part05,
                        &flags.part06, &flags.part07, &flags.part08, &flags.part09, &flags.part10,
                        &flags.stoned, &flags.lesbian, &flags.secret, &flags.room,   &flags.jelly};
  static const char* const keyword[] = {"part01", "part02", "part03", "part04", "part05",
                                        "part06", "part07", "part08", "part09", "part10",
                                        "stoned", "lesbian", "secret", "room",   "jelly"};
  TextModeFile file(path);
  if (!file.IsOpen()) return;
  std::string line;
  // One character past the longest line is enough to know that a line is too long.
  while (file.ReadLine(line, kMaxKeywordLine + 1)) {
    if (line.size() > kMaxKeywordLine) continue;  // matches nothing; the next line is still read
    for (int k = 0; k < 15; ++k)
      if (line == keyword[k]) *flag[k] = 1;
  }
}

bool AnyPartPlays(const DemoFlags& flags) {
  const BYTE parts[] = {flags.part01, flags.part02, flags.part03, flags.part04, flags.part05, flags.part06,
                        flags.part07, flags.part08, flags.part09, flags.part10, flags.secret};
  for (const BYTE part : parts)
    if (part) return true;
  return false;
}

Demo::Demo() : startTick(0), running(1), msg{}, archiveName(nullptr), spinX(0), spinY(0), spinZ(0), flags{},
      textures(nullptr), video01Frames(nullptr), video02Frames(nullptr), video03Frames(nullptr), txt2Map(nullptr),
      tekstiBitmap(nullptr), meshes(nullptr), roomMeshes(nullptr), device(nullptr), lights{} {
  ReadPartFile();
}

void Demo::ReadPartFile() {
  ApplyPartKeywords("part.txt", flags);
  if (flags.secret) {
    flags.part01 = flags.part02 = flags.part03 = flags.part04 = flags.part05 = 0;
    flags.part06 = flags.part07 = flags.part08 = flags.part09 = 0;
    flags.part10 = 1;
  }
  archiveName = nullptr;
  spinX = spinY = spinZ = 0.0f;
}

void VariantDemo::PartSlot6() {
  if (!flags.room)
    Demo::PartSlot6();
  else
    PlayRoomPanorama();
}

void VariantDemo::PartSlot7() {
  if (!flags.jelly) Demo::PartSlot7();
}

void VariantDemo::PartSlot9() {
  if (!flags.secret)
    Demo::PartSlot9();
  else
    PlaySecretPicturePage();
}
