// Fuzz target: arbitrary bytes through the image decoders (BMP, DIB, TGA, JPEG, PNG) as the
// texture loader feeds them. A decode must either fail cleanly, leaving an empty image, or give
// width * height pixels within the size limit.
#include <cstdint>

#include "fuzz_support.h"
#include "fuzz_targets.h"
#include "platform/d3dx8/image_decode.h"

namespace vornhold::fuzz {
namespace {

void CheckDecode(HRESULT result, const d3dx::DecodedImage& image) {
  if (FAILED(result)) {
    Require(image.argb.empty(), "a failed decode leaves no pixels");
    return;
  }
  Require(image.width > 0 && image.height > 0 && image.width <= d3dx::kMaxImageSide &&
              image.height <= d3dx::kMaxImageSide,
          "a decoded image has a size within the limit");
  Require(image.argb.size() == static_cast<size_t>(image.width) * image.height, "a decoded image has all its pixels");
  NoteAccepted();
}

}  // namespace

int ImageDecodeFuzz(const std::uint8_t* data, std::size_t size) {
  d3dx::DecodedImage image;
  CheckDecode(d3dx::DecodeImage(data, size, &image), image);
  // Each decoder without magic bytes also on its own, so detection does not hide it.
  image = d3dx::DecodedImage{};
  CheckDecode(d3dx::DecodeTga(data, size, &image), image);
  image = d3dx::DecodedImage{};
  CheckDecode(d3dx::DecodeBmp(data, size, &image), image);
  return 0;
}

}  // namespace vornhold::fuzz
