// JPEG decoding through libjpeg: colour and grey baseline or progressive files. CMYK/YCCK files
// are refused. A file that ends before its image data is complete counts as damaged (libjpeg
// would quietly fill the rest with grey).
//
// libjpeg reports fatal errors through error_exit, which must not return: we longjmp back to the
// decode function. Nothing with a destructor lives in the frames the jump skips; the state the
// decode function reads afterwards lives in one struct outside the jump's reach.
#include <csetjmp>
#include <cstdio>
#include <memory>

#include <jpeglib.h>
#include <jerror.h>

#include "platform/d3dx8/image_bits.h"
#include "platform/d3dx8/image_decode.h"

namespace d3dx {
namespace {

struct JpegErrors {
  jpeg_error_mgr base;  // first member: libjpeg hands us a pointer to it
  std::jmp_buf jump;
  bool truncated = false;
};

void OnFatal(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1);
}

void OnMessage(j_common_ptr cinfo, int level) {
  auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
  if (level < 0 && errors->base.msg_code == JWRN_JPEG_EOF) errors->truncated = true;
}

void Silent(j_common_ptr) {}

// Every 8x8 block costs at least one bit of entropy-coded data, so the `scanBytes` from the first
// scan to the end of the file cannot describe more than 512 pixels per byte (the markers, tables
// and comments before it describe none); anything larger is refused before allocating.
bool PlausibleSize(const jpeg_decompress_struct& cinfo, size_t scanBytes, const ImageLimits& limits) {
  const size_t pixels = static_cast<size_t>(cinfo.image_width) * cinfo.image_height;
  return cinfo.image_width > 0 && cinfo.image_height > 0 && limits.Allow(cinfo.image_width, cinfo.image_height) &&
         pixels <= 512 * scanBytes + 4096;
}

struct JpegJob {
  jpeg_decompress_struct cinfo;
  JpegErrors errors;
  std::vector<uint8_t> row;
  DecodedImage* out;
  ImageLimits limits;
  HRESULT result = D3DXERR_INVALIDDATA;
};

// Returns normally only after a clean decode or a refusal; libjpeg errors jump past it.
void RunDecode(JpegJob& job, const uint8_t* data, size_t size) {
  jpeg_decompress_struct& cinfo = job.cinfo;
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) return;
  // The header is read up to the first scan's own header: what remains is the scans' data.
  if (!PlausibleSize(cinfo, cinfo.src->bytes_in_buffer, job.limits)) return;
  const bool grey = cinfo.jpeg_color_space == JCS_GRAYSCALE;
  if (!grey && cinfo.num_components != 3) return;
  cinfo.out_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_start_decompress(&cinfo);
  const unsigned components = static_cast<unsigned>(cinfo.output_components);
  if (components != (grey ? 1u : 3u)) return;
  DecodedImage& out = *job.out;
  out.width = static_cast<int>(cinfo.output_width);
  out.height = static_cast<int>(cinfo.output_height);
  out.argb.assign(static_cast<size_t>(out.width) * out.height, 0);
  job.row.resize(static_cast<size_t>(out.width) * components);
  while (cinfo.output_scanline < cinfo.output_height) {
    const size_t y = cinfo.output_scanline;
    JSAMPROW rows[1] = {job.row.data()};
    if (jpeg_read_scanlines(&cinfo, rows, 1) != 1 || job.errors.truncated) return;
    uint32_t* dest = &out.argb[y * out.width];
    for (int x = 0; x < out.width; ++x) {
      const uint8_t* p = &job.row[static_cast<size_t>(x) * components];
      dest[x] = grey ? PackArgb(255, p[0], p[0], p[0]) : PackArgb(255, p[0], p[1], p[2]);
    }
  }
  jpeg_finish_decompress(&cinfo);
  if (job.errors.truncated) return;
  out.hasAlpha = false;
  out.fileFormat = grey ? D3DFMT_L8 : D3DFMT_R8G8B8;
  job.result = D3D_OK;
}

}  // namespace

HRESULT DecodeJpeg(const uint8_t* data, size_t size, DecodedImage* out, const ImageLimits& limits) {
  // On the heap so that what the jump skips over cannot leave it indeterminate.
  auto job = std::make_unique<JpegJob>();
  job->out = out;
  job->limits = limits;
  job->cinfo.err = jpeg_std_error(&job->errors.base);
  job->errors.base.error_exit = OnFatal;
  job->errors.base.emit_message = OnMessage;
  job->errors.base.output_message = Silent;
  if (setjmp(job->errors.jump) == 0) {
    jpeg_create_decompress(&job->cinfo);
    RunDecode(*job, data, size);
  } else {
    job->result = D3DXERR_INVALIDDATA;
  }
  jpeg_destroy_decompress(&job->cinfo);
  if (FAILED(job->result)) *out = DecodedImage{};
  return job->result;
}

}  // namespace d3dx
