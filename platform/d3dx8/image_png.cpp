// PNG decoding through libpng: every colour type and bit depth, tRNS transparency, interlacing.
// 16-bit channels are scaled to 8 bits with rounding. A file that stops before its IEND chunk
// counts as damaged. The rows are decoded straight into the result, whose pixels are then put into
// 0xAARRGGBB order in place: one image-sized buffer, not two.
//
// libpng reports errors by longjmp to the setjmp in DecodePng; the state read after the jump
// lives on the heap and nothing with a destructor lives in the frames the jump skips.
#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <memory>

#include <png.h>

#include "platform/d3dx8/image_bits.h"
#include "platform/d3dx8/image_decode.h"

namespace d3dx {
namespace {

// Deflate expands at most 1032 times: the filtered rows cannot be longer than 1032 times the
// bytes of the IDAT chunks they are inflated from (and a few more, as the first ones may come from
// literals).
constexpr size_t kMaxInflateRatio = 1032;
constexpr size_t kInflateSlack = 1032;
constexpr size_t kSignatureSize = 8;

// The data bytes of the file's IDAT chunks, from the chunk lengths alone (libpng checks the rest);
// a chunk that runs past the end counts for what is there.
size_t IdatBytes(const uint8_t* data, size_t size) {
  size_t total = 0;
  for (size_t at = kSignatureSize; at <= size && size - at >= 8;) {
    const size_t length = (size_t{data[at]} << 24) | (size_t{data[at + 1]} << 16) | (size_t{data[at + 2]} << 8) |
                          data[at + 3];
    const size_t body = std::min(length, size - at - 8);
    if (std::equal(data + at + 4, data + at + 8, "IDAT")) total += body;
    if (std::equal(data + at + 4, data + at + 8, "IEND") || size - at - 8 - body < 4) break;
    at += 8 + body + 4;
  }
  return total;
}

struct PngJob {
  png_structp png = nullptr;
  png_infop info = nullptr;
  const uint8_t* data = nullptr;
  size_t size = 0;
  size_t pos = 0;
  std::vector<png_bytep> rows;
  DecodedImage* out = nullptr;
  ImageLimits limits;
  HRESULT result = D3DXERR_INVALIDDATA;
};

void ReadBytes(png_structp png, png_bytep dest, size_t count) {
  auto* job = static_cast<PngJob*>(png_get_io_ptr(png));
  if (job->size - job->pos < count) png_error(png, "truncated");
  std::copy_n(job->data + job->pos, count, dest);
  job->pos += count;
}

void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}

void RunDecode(PngJob& job) {
  png_structp png = job.png;
  png_infop info = job.info;
  png_set_read_fn(png, &job, ReadBytes);
  // libpng refuses a larger IHDR before any row is allocated.
  png_set_user_limits(png, static_cast<png_uint_32>(job.limits.maxWidth),
                      static_cast<png_uint_32>(job.limits.maxHeight));
  png_read_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  const int colorType = png_get_color_type(png, info);
  const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  // Interlacing only adds filter bytes, so this is the least the IDAT chunks must inflate to.
  const size_t rawBytes = static_cast<size_t>(height) * (png_get_rowbytes(png, info) + 1);
  if (rawBytes > kMaxInflateRatio * IdatBytes(job.data, job.size) + kInflateSlack) return;

  png_set_expand(png);
  png_set_scale_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 4) return;

  DecodedImage& out = *job.out;
  out.argb.resize(static_cast<size_t>(width) * height);
  job.rows.resize(height);
  for (png_uint_32 y = 0; y < height; ++y) {
    job.rows[y] = reinterpret_cast<png_bytep>(&out.argb[static_cast<size_t>(y) * width]);
  }
  png_read_image(png, job.rows.data());
  png_read_end(png, nullptr);

  out.width = static_cast<int>(width);
  out.height = static_cast<int>(height);
  for (uint32_t& pixel : out.argb) {
    uint8_t rgba[4];
    std::memcpy(rgba, &pixel, 4);
    pixel = PackArgb(rgba[3], rgba[0], rgba[1], rgba[2]);
  }
  out.hasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0 || transparency;
  switch (colorType) {
    case PNG_COLOR_TYPE_PALETTE: out.fileFormat = D3DFMT_P8; break;
    case PNG_COLOR_TYPE_GRAY: out.fileFormat = transparency ? D3DFMT_A8L8 : D3DFMT_L8; break;
    case PNG_COLOR_TYPE_GRAY_ALPHA: out.fileFormat = D3DFMT_A8L8; break;
    case PNG_COLOR_TYPE_RGB:
      out.fileFormat = transparency ? D3DFMT_A8R8G8B8 : D3DFMT_R8G8B8;
      break;
    default: out.fileFormat = D3DFMT_A8R8G8B8; break;
  }
  job.result = D3D_OK;
}

}  // namespace

HRESULT DecodePng(const uint8_t* data, size_t size, DecodedImage* out, const ImageLimits& limits) {
  auto job = std::make_unique<PngJob>();
  job->data = data;
  job->size = size;
  job->out = out;
  job->limits = limits;
  job->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
  if (!job->png) return D3D_E_OUTOFMEMORY;
  job->info = png_create_info_struct(job->png);
  if (job->info && setjmp(png_jmpbuf(job->png)) == 0) {
    RunDecode(*job);
  } else {
    job->result = job->info ? D3DXERR_INVALIDDATA : D3D_E_OUTOFMEMORY;
  }
  png_destroy_read_struct(&job->png, &job->info, nullptr);
  if (FAILED(job->result)) *out = DecodedImage{};
  return job->result;
}

}  // namespace d3dx
