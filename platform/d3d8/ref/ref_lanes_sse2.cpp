// The lane row loops four pixels at a time with SSE2, which every x86-64 processor has.
#include <emmintrin.h>

#include <cstdint>

#include "platform/d3d8/ref/ref_lane_kernel.h"
#include "platform/d3d8/ref/ref_lane_rows.h"
#include "platform/d3d8/ref/ref_truncate.h"

namespace d3d8::ref::raster {
namespace {

struct Sse2Lanes {
  static constexpr int kCount = 4;
  static constexpr bool kMinUnsigned = false;  // SSE2 has no 32-bit minimum
  using F = __m128;
  using I = __m128i;

  static F SplatF(float value) { return _mm_set1_ps(value); }
  static F AddF(F a, F b) { return _mm_add_ps(a, b); }
  static F SubF(F a, F b) { return _mm_sub_ps(a, b); }
  static F MulF(F a, F b) { return _mm_mul_ps(a, b); }
  static F DivF(F a, F b) { return _mm_div_ps(a, b); }
  static F ToFloat(I a) { return _mm_cvtepi32_ps(a); }
  static I Truncate(F a) { return TruncateToInt(a); }
  static I GreaterF(F a, F b) { return _mm_castps_si128(_mm_cmpgt_ps(a, b)); }
  static I GreaterEqualF(F a, F b) { return _mm_castps_si128(_mm_cmpge_ps(a, b)); }
  static I LessF(F a, F b) { return _mm_castps_si128(_mm_cmplt_ps(a, b)); }

  static I Splat(int value) { return _mm_set1_epi32(value); }
  static I Zero() { return _mm_setzero_si128(); }
  static I Ones() { return _mm_set1_epi32(-1); }
  static I Iota() { return _mm_setr_epi32(0, 1, 2, 3); }
  static I Add(I a, I b) { return _mm_add_epi32(a, b); }
  static I Sub(I a, I b) { return _mm_sub_epi32(a, b); }
  static I And(I a, I b) { return _mm_and_si128(a, b); }
  static I Or(I a, I b) { return _mm_or_si128(a, b); }
  static I Not(I a) { return _mm_xor_si128(a, Ones()); }
  static I Select(I mask, I a, I b) { return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b)); }
  static I Greater(I a, I b) { return _mm_cmpgt_epi32(a, b); }
  static I Equal(I a, I b) { return _mm_cmpeq_epi32(a, b); }
  template <int kBits>
  static I ShiftRight(I a) { return _mm_srli_epi32(a, kBits); }
  template <int kBits>
  static I ShiftLeft(I a) { return _mm_slli_epi32(a, kBits); }
  // a * b for lanes whose product stays below 65536: the high halves multiply 0 by 0.
  static I Mul16(I a, I b) { return _mm_mullo_epi16(a, b); }
  static bool Any(I mask) { return _mm_movemask_epi8(mask) != 0; }

  static I Load(const std::uint8_t* pixels) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels)); }
  static void Store(std::uint8_t* pixels, I value) { _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels), value); }
  static I LoadInts(const std::int32_t* lanes) { return _mm_load_si128(reinterpret_cast<const __m128i*>(lanes)); }
  static void StoreInts(std::int32_t* lanes, I value) { _mm_store_si128(reinterpret_cast<__m128i*>(lanes), value); }
  static I LoadDepths(const std::uint16_t* depths) {
    return _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(depths)), _mm_setzero_si128());
  }
  // Lanes of 0 .. 65535 to 16 bits: shifted into the signed range, packed, shifted back.
  static void StoreDepths(std::uint16_t* depths, I value) {
    const __m128i biased = _mm_sub_epi32(value, _mm_set1_epi32(32768));
    const __m128i packed = _mm_xor_si128(_mm_packs_epi32(biased, biased), _mm_set1_epi16(-32768));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(depths), packed);
  }
  // SRCALPHA / INVSRCALPHA of packed colours: per channel round((s * a + d * (255 - a)) / 255), where
  // the sum plus 128 and the rounding step stay below 65536 in 16-bit lanes.
  static I BlendAlpha(I s, I d) {
    const __m128i zero = _mm_setzero_si128(), full = _mm_set1_epi16(255), half = _mm_set1_epi16(128);
    const auto pair = [&](__m128i s16, __m128i d16) {
      // Each pixel's alpha (its fourth 16-bit lane) into all four of its lanes.
      __m128i alpha = _mm_shufflelo_epi16(s16, _MM_SHUFFLE(3, 3, 3, 3));
      alpha = _mm_shufflehi_epi16(alpha, _MM_SHUFFLE(3, 3, 3, 3));
      __m128i t = _mm_add_epi16(_mm_mullo_epi16(s16, alpha), _mm_mullo_epi16(d16, _mm_sub_epi16(full, alpha)));
      t = _mm_add_epi16(t, half);
      return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
    };
    return _mm_packus_epi16(pair(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero)),
                            pair(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero)));
  }
  // SRCALPHA / ONE: per channel d + round(s * a / 255), saturated; (s * a + d * 255 + 127) / 255
  // is that, d * 255 dividing exactly.
  static I BlendAdditive(I s, I d) {
    const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi16(128);
    const auto scale = [&](__m128i s16) {
      __m128i alpha = _mm_shufflelo_epi16(s16, _MM_SHUFFLE(3, 3, 3, 3));
      alpha = _mm_shufflehi_epi16(alpha, _MM_SHUFFLE(3, 3, 3, 3));
      const __m128i t = _mm_add_epi16(_mm_mullo_epi16(s16, alpha), half);
      return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
    };
    return _mm_adds_epu8(d, _mm_packus_epi16(scale(_mm_unpacklo_epi8(s, zero)), scale(_mm_unpackhi_epi8(s, zero))));
  }
  static I GatherTexels(const std::uint32_t* texels, I tx, I ty, int width) {
    alignas(16) std::int32_t x[4], y[4];
    StoreInts(x, tx);
    StoreInts(y, ty);
    const auto at = [&](int i) {
      return static_cast<int>(texels[static_cast<std::ptrdiff_t>(y[i]) * width + x[i]]);
    };
    return _mm_setr_epi32(at(0), at(1), at(2), at(3));
  }
};

}  // namespace

LaneRowsFunction Sse2LaneRows(StageKind stage, BlendKind blend) { return SelectLaneRows<Sse2Lanes>(stage, blend); }

}  // namespace d3d8::ref::raster
