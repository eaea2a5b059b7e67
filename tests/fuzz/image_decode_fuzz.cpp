// Arbitrary bytes through the image decoders (BMP, DIB, TGA, JPEG, PNG) as the texture loader
// feeds them. A decode must either fail cleanly or give width * height pixels.
#include <cstdint>
#include <cstdlib>

#include "platform/d3dx8/image_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  d3dx::DecodedImage image;
  if (SUCCEEDED(d3dx::DecodeImage(data, size, &image))) {
    if (image.width <= 0 || image.height <= 0 ||
        image.argb.size() != static_cast<size_t>(image.width) * image.height) {
      std::abort();
    }
  }
  // Each decoder also on its own, so magic-byte detection does not hide the others.
  d3dx::DecodeTga(data, size, &image);
  d3dx::DecodeBmp(data, size, &image);
  return 0;
}
