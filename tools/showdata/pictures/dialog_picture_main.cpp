// dialog_picture OUTPUT.bmp: draws the setup dialog's picture and writes it as an 8-bit
// palettised BMP for the resource compiler. Errors end in one line and exit code 1.
#include <cstdio>
#include <exception>

#include "tools/showdata/pictures/dialog_picture.h"
#include "tools/showdata/pictures/indexed_bmp.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: dialog_picture OUTPUT.bmp\n");
    return 1;
  }
  try {
    const std::vector<std::uint8_t> bmp = pictures::EncodeBmp8(pictures::Quantise(pictures::DialogPicture()));
    std::FILE* f = std::fopen(argv[1], "wb");
    bool ok = f != nullptr;
    if (f) {
      ok = std::fwrite(bmp.data(), 1, bmp.size(), f) == bmp.size();
      ok = std::fclose(f) == 0 && ok;
    }
    if (!ok) {
      std::fprintf(stderr, "dialog_picture: cannot write %s\n", argv[1]);
      std::remove(argv[1]);
      return 1;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "dialog_picture: %s\n", e.what());
    return 1;
  }
  return 0;
}
