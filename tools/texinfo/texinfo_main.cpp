// texinfo FILE [--png OUT]: decodes an image file through the D3DX texture loader and prints one
// line about it. Exit 0 when the file decodes, 1 when it does not (one line on stderr), 2 for
// bad usage.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/common/read_whole_file.h"
#include "tools/texinfo/texinfo_report.h"

namespace {

const char kUsage[] =
    "usage: texinfo FILE [--png OUT]\n"
    "Decodes FILE (BMP, DIB, TGA, JPEG or PNG) as D3DXCreateTextureFromFileInMemory does and\n"
    "prints one line:\n"
    "  image=WxH texture=WxH format=NAME sha256=HEX\n"
    "image: the decoded picture's size; texture: level 0 of the texture the loader creates on\n"
    "the software device, and its format; sha256: the SHA-256 of the decoded picture's pixels\n"
    "as 8-bit R, G, B, A bytes, rows top first, no padding (before any resizing).\n"
    "  --png OUT   also write the decoded picture (before any resizing) to OUT as RGBA PNG\n"
    "Pictures wider or taller than the largest texture (4096 pixels) are refused.\n"
    "Exit status: 0 decoded, 1 not decodable, too large or not readable, 2 bad usage.\n";

int Usage(const char* problem) {
  std::fprintf(stderr, "texinfo: %s (usage: texinfo FILE [--png OUT]; --help for more)\n", problem);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string input, pngPath;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--png") {
      if (i + 1 >= argc) return Usage("--png needs a file name");
      pngPath = argv[++i];
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Usage(("unknown option " + arg).c_str());
    } else if (input.empty()) {
      input = arg;
    } else {
      return Usage("only one input file");
    }
  }
  if (input.empty()) return Usage("no input file");

  std::vector<uint8_t> file;
  std::string why;
  if (!tools::ReadWholeFile(input, file, why)) {
    std::fprintf(stderr, "texinfo: cannot read %s: %s\n", input.c_str(), why.c_str());
    return 1;
  }
  d3dx::DecodedImage image;
  const HRESULT hr = d3dx::DecodeImage(file.data(), file.size(), &image);
  if (FAILED(hr)) {
    const std::string reason = file.empty() ? "empty file"
                                            : "not a decodable BMP, TGA, JPEG or PNG image of at most " +
                                                  std::to_string(d3dx::kMaxImageSide) + " pixels a side";
    std::fprintf(stderr, "texinfo: %s: %s\n", input.c_str(), reason.c_str());
    return 1;
  }
  texinfo::TextureFacts facts;
  std::string error;
  if (!texinfo::TextureFromFile(file, &facts, error)) {
    std::fprintf(stderr, "texinfo: %s: %s\n", input.c_str(), error.c_str());
    return 1;
  }
  if (!pngPath.empty() && !texinfo::WriteRgbaPng(pngPath, image, error)) {
    std::fprintf(stderr, "texinfo: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s\n", texinfo::ReportLine(image, facts).c_str());
  return 0;
}
