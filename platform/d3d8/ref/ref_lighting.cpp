#include "platform/d3d8/ref/ref_lighting.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

namespace d3d8::ref {
namespace {

inline float Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

inline Vec3 Normalized(const Vec3& v) {
  const float length = std::sqrt(Dot(v, v));
  if (!(length > 0.0f)) return v;
  return {v.x / length, v.y / length, v.z / length};
}

inline Vec3 PointTimes(const Vec3& p, const D3DMATRIX& m) {
  return {p.x * m._11 + p.y * m._21 + p.z * m._31 + m._41,
          p.x * m._12 + p.y * m._22 + p.z * m._32 + m._42,
          p.x * m._13 + p.y * m._23 + p.z * m._33 + m._43};
}

inline Vec3 DirectionTimes(const Vec3& d, const D3DMATRIX& m) {
  return {d.x * m._11 + d.y * m._21 + d.z * m._31, d.x * m._12 + d.y * m._22 + d.z * m._32,
          d.x * m._13 + d.y * m._23 + d.z * m._33};
}

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

// The inverse transpose of the upper 3x3 of m, as a row-vector matrix; the identity when m's 3x3
// cannot be inverted.
std::array<float, 9> NormalMatrix(const D3DMATRIX& m) {
  const float a = m._11, b = m._12, c = m._13, d = m._21, e = m._22, f = m._23, g = m._31,
              h = m._32, i = m._33;
  const float c00 = e * i - f * h, c01 = f * g - d * i, c02 = d * h - e * g;
  const float det = a * c00 + b * c01 + c * c02;
  if (det == 0.0f || !std::isfinite(det)) return {1, 0, 0, 0, 1, 0, 0, 0, 1};
  const float s = 1.0f / det;
  // inverse(m)[r][k] = cofactor(k, r) / det; its transpose is the cofactor matrix / det.
  return {c00 * s, c01 * s, c02 * s,
          (c * h - b * i) * s, (a * i - c * g) * s, (b * g - a * h) * s,
          (b * f - c * e) * s, (c * d - a * f) * s, (a * e - b * d) * s};
}

}  // namespace

void Lighting::Prepare(const DeviceState& state, const D3DMATRIX& worldView,
                       const FvfLayout& layout, bool wantSpecular) {
  const auto& rs = state.renderStates;
  worldView_ = worldView;
  normalMatrix_ = NormalMatrix(worldView);
  layout_ = layout;
  normalize_ = rs[D3DRS_NORMALIZENORMALS] != FALSE;
  localViewer_ = rs[D3DRS_LOCALVIEWER] != FALSE;
  specular_ = wantSpecular;
  const bool colorVertex = rs[D3DRS_COLORVERTEX] != FALSE;
  const auto source = [&](DWORD value) {
    if (colorVertex && value == D3DMCS_COLOR1 && layout.diffuse >= 0) return kVertexDiffuse;
    if (colorVertex && value == D3DMCS_COLOR2 && layout.specular >= 0) return kVertexSpecular;
    return kMaterial;
  };
  diffuseSource_ = source(rs[D3DRS_DIFFUSEMATERIALSOURCE]);
  ambientSource_ = source(rs[D3DRS_AMBIENTMATERIALSOURCE]);
  specularSource_ = source(rs[D3DRS_SPECULARMATERIALSOURCE]);
  emissiveSource_ = source(rs[D3DRS_EMISSIVEMATERIALSOURCE]);
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

  lightCount_ = 0;
  for (const auto& [index, slot] : state.lights) {
    if (!slot.enabled) continue;
    if (lightCount_ == static_cast<int>(kMaxActiveLights)) break;
    const D3DLIGHT8& l = slot.light;
    if (l.Type != D3DLIGHT_POINT && l.Type != D3DLIGHT_SPOT && l.Type != D3DLIGHT_DIRECTIONAL) {
      continue;  // enabled, but an undefined type shines nothing
    }
    EyeLight& e = lights_[lightCount_++];
    e.type = l.Type;
    e.diffuse = {l.Diffuse.r, l.Diffuse.g, l.Diffuse.b};
    e.specular = {l.Specular.r, l.Specular.g, l.Specular.b};
    e.ambient = {l.Ambient.r, l.Ambient.g, l.Ambient.b};
    e.position = PointTimes({l.Position.x, l.Position.y, l.Position.z}, state.view);
    e.direction =
        Normalized(DirectionTimes({l.Direction.x, l.Direction.y, l.Direction.z}, state.view));
    e.range = l.Range;
    e.a0 = l.Attenuation0;
    e.a1 = l.Attenuation1;
    e.a2 = l.Attenuation2;
    e.cosTheta = std::cos(l.Theta * 0.5f);
    e.cosPhi = std::cos(l.Phi * 0.5f);
    e.falloff = l.Falloff;
  }
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
