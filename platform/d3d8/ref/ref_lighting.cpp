#include "platform/d3d8/ref/ref_lighting.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "platform/d3d8/shared_pipeline.h"

#if defined(__SSE2__)
#include <xmmintrin.h>
#include <emmintrin.h>
#endif

namespace d3d8::ref {
namespace {

inline Vec3 ReadVec3(const BYTE* p) {
  Vec3 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

inline D3DCOLORVALUE ReadColorValue(const BYTE* p) {
  D3DCOLOR c;
  std::memcpy(&c, p, 4);
  return {static_cast<float>((c >> 16) & 255) / 255.0f, static_cast<float>((c >> 8) & 255) / 255.0f,
          static_cast<float>(c & 255) / 255.0f, static_cast<float>(c >> 24) / 255.0f};
}

inline float Channel(float value) { return std::clamp(value, 0.0f, 1.0f) * 255.0f; }

}  // namespace

void Lighting::Prepare(const DeviceState& state, const FixedFunctionState& fixed) {
  const auto& rs = state.renderStates;
  worldView_ = fixed.worldView;
  normalMatrix_ = fixed.normalMatrix;
  layout_ = fixed.layout;
  normalize_ = rs[D3DRS_NORMALIZENORMALS] != FALSE;
  localViewer_ = rs[D3DRS_LOCALVIEWER] != FALSE;
  specular_ = fixed.specular;
  diffuseSource_ = fixed.diffuseFrom;
  ambientSource_ = fixed.ambientFrom;
  specularSource_ = fixed.specularFrom;
  emissiveSource_ = fixed.emissiveFrom;
  const D3DMATERIAL8& m = state.material;
  material_[0] = m.Diffuse;
  material_[1] = m.Ambient;
  material_[2] = m.Specular;
  material_[3] = m.Emissive;
  power_ = m.Power;
  const D3DCOLOR ga = rs[D3DRS_AMBIENT];
  globalAmbient_ = {static_cast<float>((ga >> 16) & 255) / 255.0f,
                    static_cast<float>((ga >> 8) & 255) / 255.0f,
                    static_cast<float>(ga & 255) / 255.0f};
  lights_ = fixed.lights;
  lightCount_ = fixed.lightCount;
  fourAtOnce_ = !specular_ && layout_.normal >= 0 && diffuseSource_ == kMaterial &&
                ambientSource_ == kMaterial && emissiveSource_ == kMaterial;
  for (int i = 0; i < lightCount_; ++i) {
    if (lights_[i].type == D3DLIGHT_SPOT) fourAtOnce_ = false;
  }
}

#if defined(__SSE2__)
namespace {

struct Vec4 {
  __m128 x, y, z;
};

inline __m128 Dot4(const Vec4& a, const Vec4& b) {
  return _mm_add_ps(_mm_add_ps(_mm_mul_ps(a.x, b.x), _mm_mul_ps(a.y, b.y)), _mm_mul_ps(a.z, b.z));
}

// where ? a : b
inline __m128 Select(__m128 where, __m128 a, __m128 b) {
  return _mm_or_ps(_mm_and_ps(where, a), _mm_andnot_ps(where, b));
}

// std::clamp(v, 0, 1) * 255 in each lane, NaN staying NaN as there.
inline __m128 ChannelFour(__m128 v) {
  const __m128 zero = _mm_setzero_ps(), one = _mm_set1_ps(1.0f);
  const __m128 clamped = Select(_mm_cmplt_ps(v, zero), zero, Select(_mm_cmplt_ps(one, v), one, v));
  return _mm_mul_ps(clamped, _mm_set1_ps(255.0f));
}

}  // namespace
#endif

void Lighting::LightMany(const BYTE* first, UINT stride, UINT count, LitColor* out) const {
  UINT i = 0;
#if defined(__SSE2__)
  if (fourAtOnce_) {
    // Each lane runs the float operations of Light in its order; a light that Light skips for a
    // vertex adds +0 to its sums here, which leaves them as they are (they never hold -0).
    const auto broadcast = [](float value) { return _mm_set1_ps(value); };
    const D3DMATRIX& m = worldView_;
    const auto& t = normalMatrix_;
    const D3DCOLORVALUE &cd = material_[0], &ca = material_[1], &ce = material_[3];
    for (; i + 4 <= count; i += 4) {
      alignas(16) float px[4], py[4], pz[4], nx[4], ny[4], nz[4];
      for (int k = 0; k < 4; ++k) {
        const BYTE* vertex = first + static_cast<std::size_t>(i + k) * stride;
        const Vec3 p = ReadVec3(vertex), n = ReadVec3(vertex + layout_.normal);
        px[k] = p.x;
        py[k] = p.y;
        pz[k] = p.z;
        nx[k] = n.x;
        ny[k] = n.y;
        nz[k] = n.z;
      }
      const Vec4 p{_mm_load_ps(px), _mm_load_ps(py), _mm_load_ps(pz)};
      const Vec4 mn{_mm_load_ps(nx), _mm_load_ps(ny), _mm_load_ps(nz)};
      const auto point = [&](float a, float b, float c, float d) {
        return _mm_add_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(p.x, broadcast(a)), _mm_mul_ps(p.y, broadcast(b))),
                                     _mm_mul_ps(p.z, broadcast(c))),
                          broadcast(d));
      };
      const Vec4 pe{point(m._11, m._21, m._31, m._41), point(m._12, m._22, m._32, m._42),
                    point(m._13, m._23, m._33, m._43)};
      const auto normal = [&](float a, float b, float c) {
        return _mm_add_ps(_mm_add_ps(_mm_mul_ps(mn.x, broadcast(a)), _mm_mul_ps(mn.y, broadcast(b))),
                          _mm_mul_ps(mn.z, broadcast(c)));
      };
      Vec4 n{normal(t[0], t[3], t[6]), normal(t[1], t[4], t[7]), normal(t[2], t[5], t[8])};
      if (normalize_) {
        const __m128 length = _mm_sqrt_ps(Dot4(n, n));
        const __m128 positive = _mm_cmpgt_ps(length, _mm_setzero_ps());
        n = {Select(positive, _mm_div_ps(n.x, length), n.x), Select(positive, _mm_div_ps(n.y, length), n.y),
             Select(positive, _mm_div_ps(n.z, length), n.z)};
      }
      __m128 ar = _mm_setzero_ps(), ag = ar, ab = ar, dr = ar, dg = ar, db = ar;
      for (int l = 0; l < lightCount_; ++l) {
        const EyeLight& light = lights_[l];
        Vec4 toLight;
        __m128 factor = broadcast(1.0f);
        __m128 lit = _mm_castsi128_ps(_mm_set1_epi32(-1));  // the light reaches the vertex
        if (light.type == D3DLIGHT_DIRECTIONAL) {
          toLight = {broadcast(-light.direction.x), broadcast(-light.direction.y),
                     broadcast(-light.direction.z)};
        } else {
          const Vec4 v{_mm_sub_ps(broadcast(light.position.x), pe.x),
                       _mm_sub_ps(broadcast(light.position.y), pe.y),
                       _mm_sub_ps(broadcast(light.position.z), pe.z)};
          const __m128 distance = _mm_sqrt_ps(Dot4(v, v));
          lit = _mm_andnot_ps(_mm_cmpgt_ps(distance, broadcast(light.range)), lit);
          const __m128 positive = _mm_cmpgt_ps(distance, _mm_setzero_ps());
          toLight = {Select(positive, _mm_div_ps(v.x, distance), v.x),
                     Select(positive, _mm_div_ps(v.y, distance), v.y),
                     Select(positive, _mm_div_ps(v.z, distance), v.z)};
          const __m128 denominator =
              _mm_add_ps(_mm_add_ps(broadcast(light.a0), _mm_mul_ps(broadcast(light.a1), distance)),
                         _mm_mul_ps(_mm_mul_ps(broadcast(light.a2), distance), distance));
          factor = Select(_mm_cmpgt_ps(denominator, _mm_setzero_ps()),
                          _mm_div_ps(broadcast(1.0f), denominator), broadcast(FLT_MAX));
        }
        ar = _mm_add_ps(ar, _mm_and_ps(lit, _mm_mul_ps(broadcast(light.ambient.r), factor)));
        ag = _mm_add_ps(ag, _mm_and_ps(lit, _mm_mul_ps(broadcast(light.ambient.g), factor)));
        ab = _mm_add_ps(ab, _mm_and_ps(lit, _mm_mul_ps(broadcast(light.ambient.b), factor)));
        const __m128 nDotL = Dot4(n, toLight);
        const __m128 shines = _mm_andnot_ps(_mm_cmple_ps(nDotL, _mm_setzero_ps()), lit);
        const auto term = [&](float color) {
          return _mm_and_ps(shines, _mm_mul_ps(_mm_mul_ps(broadcast(color), nDotL), factor));
        };
        dr = _mm_add_ps(dr, term(light.diffuse.r));
        dg = _mm_add_ps(dg, term(light.diffuse.g));
        db = _mm_add_ps(db, term(light.diffuse.b));
      }
      const auto channel = [&](float e, float a, float global, __m128 ambient, float d, __m128 diffuse) {
        return ChannelFour(_mm_add_ps(
            _mm_add_ps(broadcast(e), _mm_mul_ps(broadcast(a), _mm_add_ps(broadcast(global), ambient))),
            _mm_mul_ps(broadcast(d), diffuse)));
      };
      alignas(16) float r[4], g[4], b[4];
      _mm_store_ps(r, channel(ce.r, ca.r, globalAmbient_.r, ar, cd.r, dr));
      _mm_store_ps(g, channel(ce.g, ca.g, globalAmbient_.g, ag, cd.g, dg));
      _mm_store_ps(b, channel(ce.b, ca.b, globalAmbient_.b, ab, cd.b, db));
      const float alpha = Channel(cd.a);
      for (int k = 0; k < 4; ++k) out[i + k] = {r[k], g[k], b[k], alpha, 0.0f, 0.0f, 0.0f};
    }
  }
#endif
  for (; i < count; ++i) out[i] = Light(first + static_cast<std::size_t>(i) * stride);
}

LitColor Lighting::Light(const BYTE* vertex) const {
  const auto pick = [&](Source source, int member) {
    if (source == kVertexDiffuse) return ReadColorValue(vertex + layout_.diffuse);
    if (source == kVertexSpecular) return ReadColorValue(vertex + layout_.specular);
    return material_[member];
  };
  const D3DCOLORVALUE cd = pick(diffuseSource_, 0), ca = pick(ambientSource_, 1),
                      ce = pick(emissiveSource_, 3);

  Color3 ambient{0, 0, 0}, diffuse{0, 0, 0}, specular{0, 0, 0};
  if (lightCount_ > 0) {
    const Vec3 pe = PointTimes(ReadVec3(vertex), worldView_);
    const bool hasNormal = layout_.normal >= 0;
    Vec3 n{0, 0, 0};
    if (hasNormal) {
      const Vec3 m = ReadVec3(vertex + layout_.normal);
      const auto& t = normalMatrix_;
      n = {m.x * t[0] + m.y * t[3] + m.z * t[6], m.x * t[1] + m.y * t[4] + m.z * t[7],
           m.x * t[2] + m.y * t[5] + m.z * t[8]};
      if (normalize_) n = Normalized(n);
    }
    // Only the specular term looks towards the viewer.
    const Vec3 toViewer = specular_ && localViewer_ ? Normalized({-pe.x, -pe.y, -pe.z}) : Vec3{0, 0, -1};
    for (int i = 0; i < lightCount_; ++i) {
      const EyeLight& light = lights_[i];
      Vec3 toLight;
      float factor = 1.0f;  // attenuation times spot factor
      if (light.type == D3DLIGHT_DIRECTIONAL) {
        toLight = {-light.direction.x, -light.direction.y, -light.direction.z};
      } else {
        const Vec3 v{light.position.x - pe.x, light.position.y - pe.y, light.position.z - pe.z};
        const float distance = std::sqrt(Dot(v, v));
        if (distance > light.range) continue;
        toLight = distance > 0.0f ? Vec3{v.x / distance, v.y / distance, v.z / distance} : v;
        const float denominator = light.a0 + light.a1 * distance + light.a2 * distance * distance;
        factor = denominator > 0.0f ? 1.0f / denominator : FLT_MAX;
        if (light.type == D3DLIGHT_SPOT) {
          const float rho = -Dot(toLight, light.direction);
          if (rho <= light.cosPhi) continue;
          if (rho <= light.cosTheta) {
            factor *= std::pow((rho - light.cosPhi) / (light.cosTheta - light.cosPhi),
                               light.falloff);
          }
        }
      }
      ambient.r += light.ambient.r * factor;
      ambient.g += light.ambient.g * factor;
      ambient.b += light.ambient.b * factor;
      if (!hasNormal) continue;
      const float nDotL = Dot(n, toLight);
      if (nDotL <= 0.0f) continue;
      diffuse.r += light.diffuse.r * nDotL * factor;
      diffuse.g += light.diffuse.g * nDotL * factor;
      diffuse.b += light.diffuse.b * nDotL * factor;
      if (!specular_) continue;
      const Vec3 h = Normalized({toLight.x + toViewer.x, toLight.y + toViewer.y,
                                 toLight.z + toViewer.z});
      const float nDotH = Dot(n, h);
      if (nDotH <= 0.0f) continue;
      const float shine = std::pow(nDotH, power_) * factor;
      specular.r += light.specular.r * shine;
      specular.g += light.specular.g * shine;
      specular.b += light.specular.b * shine;
    }
  }

  LitColor out;
  out.r = Channel(ce.r + ca.r * (globalAmbient_.r + ambient.r) + cd.r * diffuse.r);
  out.g = Channel(ce.g + ca.g * (globalAmbient_.g + ambient.g) + cd.g * diffuse.g);
  out.b = Channel(ce.b + ca.b * (globalAmbient_.b + ambient.b) + cd.b * diffuse.b);
  out.a = Channel(cd.a);
  out.sr = out.sg = out.sb = 0.0f;
  if (specular_) {
    const D3DCOLORVALUE cs = pick(specularSource_, 2);
    out.sr = Channel(cs.r * specular.r);
    out.sg = Channel(cs.g * specular.g);
    out.sb = Channel(cs.b * specular.b);
  }
  return out;
}

}  // namespace d3d8::ref
