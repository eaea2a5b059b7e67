// _mm_cvttps_epi32, four floats truncated to integers, with x86's 0x80000000 for a lane that does
// not fit (or is NaN). emscripten's SSE2 header emulates it a lane at a time through lrint, which
// made it the page's slowest instruction by far; WebAssembly's saturating truncation with those
// lanes set afterwards gives the same integers in three instructions.
#pragma once

#include <emmintrin.h>

#include <cstdint>

#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

namespace d3d8::ref {

inline __m128i TruncateToInt(__m128 value) {
#if defined(__wasm_simd128__)
  const v128_t truncated = wasm_i32x4_trunc_sat_f32x4(value);
  const v128_t fits = wasm_f32x4_lt(wasm_f32x4_abs(value), wasm_f32x4_splat(2147483648.0f));
  return wasm_v128_bitselect(truncated, wasm_i32x4_splat(INT32_MIN), fits);
#else
  return _mm_cvttps_epi32(value);
#endif
}

}  // namespace d3d8::ref
