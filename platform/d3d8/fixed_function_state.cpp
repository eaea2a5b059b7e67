#include "platform/d3d8/fixed_function_state.h"

#include <cmath>

namespace d3d8 {
namespace {

StageOps ResolveStage(const DeviceState& state, bool textured) {
  const auto& tss = state.stages[0];
  StageOps stage;
  stage.colorOp = tss[D3DTSS_COLOROP];
  stage.colorArg1 = tss[D3DTSS_COLORARG1];
  stage.colorArg2 = tss[D3DTSS_COLORARG2];
  stage.alphaOp = tss[D3DTSS_ALPHAOP];
  stage.alphaArg1 = tss[D3DTSS_ALPHAARG1];
  stage.alphaArg2 = tss[D3DTSS_ALPHAARG2];
  if (textured) return stage;
  if (ReadsTexture(stage.colorOp, stage.colorArg1, stage.colorArg2)) stage.colorOp = D3DTOP_DISABLE;
  const auto toDiffuse = [](DWORD arg) {
    return (arg & D3DTA_SELECTMASK) == D3DTA_TEXTURE ? (arg & ~D3DTA_SELECTMASK) | D3DTA_DIFFUSE : arg;
  };
  stage.alphaArg1 = toDiffuse(stage.alphaArg1);
  stage.alphaArg2 = toDiffuse(stage.alphaArg2);
  return stage;
}

void ResolveTexCoords(const DeviceState& state, FixedFunctionState& out) {
  const DWORD tci = state.stages[0][D3DTSS_TEXCOORDINDEX];
  const UINT set = tci & 0xFFFFu;
  out.texCoords = TexCoordSource::kNone;
  out.texCoordSet = 0;
  if ((tci & 0xFFFF0000u) == D3DTSS_TCI_CAMERASPACEPOSITION && !out.layout.transformed) {
    out.texCoords = TexCoordSource::kCameraPosition;
  } else if ((tci & 0xFFFF0000u) == D3DTSS_TCI_PASSTHRU && set < out.layout.texCoordSets) {
    out.texCoords = TexCoordSource::kVertexSet;
    out.texCoordSet = set;
  }
}

void ResolveDepth(const DeviceState& state, bool depthBuffer, FixedFunctionState& out) {
  const auto& rs = state.renderStates;
  out.depthTest = depthBuffer && rs[D3DRS_ZENABLE] != D3DZB_FALSE;
  out.wBuffer = false;
  out.wScale = 1.0f;
  out.wNear = 0.0f;
  out.wInvRange = 1.0f;
  if (!out.depthTest || rs[D3DRS_ZENABLE] != D3DZB_USEW) return;
  const D3DMATRIX& p = state.projection;
  if (!(p._34 != 0.0f && p._44 == 0.0f && p._33 != 0.0f && p._33 != 1.0f)) return;
  const float scale = 1.0f / p._34;
  const float nearW = -p._43 / p._33;
  const float farW = (p._43 * scale) / (1.0f - p._33 * scale);
  if (!(std::isfinite(nearW) && std::isfinite(farW) && nearW < farW)) return;
  out.wBuffer = true;
  out.wScale = scale;
  out.wNear = nearW;
  out.wInvRange = 1.0f / (farW - nearW);
}

void ResolveBlend(const DeviceState& state, FixedFunctionState& out) {
  const auto& rs = state.renderStates;
  out.blend = rs[D3DRS_ALPHABLENDENABLE] != FALSE;
  out.srcBlend = rs[D3DRS_SRCBLEND];
  out.destBlend = rs[D3DRS_DESTBLEND];
  if (out.srcBlend == D3DBLEND_BOTHSRCALPHA) {
    out.srcBlend = D3DBLEND_SRCALPHA;
    out.destBlend = D3DBLEND_INVSRCALPHA;
  } else if (out.srcBlend == D3DBLEND_BOTHINVSRCALPHA) {
    out.srcBlend = D3DBLEND_INVSRCALPHA;
    out.destBlend = D3DBLEND_SRCALPHA;
  }
}

MaterialSource SourceOf(DWORD materialSource, bool colorVertex, const FvfLayout& layout) {
  if (colorVertex && materialSource == D3DMCS_COLOR1 && layout.diffuse >= 0) return MaterialSource::kVertexDiffuse;
  if (colorVertex && materialSource == D3DMCS_COLOR2 && layout.specular >= 0) return MaterialSource::kVertexSpecular;
  return MaterialSource::kMaterial;
}

int EyeLights(const DeviceState& state, std::array<EyeLight, kMaxActiveLights>& out) {
  int count = 0;
  for (const auto& [index, slot] : state.lights) {
    if (!slot.enabled) continue;
    if (count == static_cast<int>(kMaxActiveLights)) break;
    const D3DLIGHT8& l = slot.light;
    if (l.Type != D3DLIGHT_POINT && l.Type != D3DLIGHT_SPOT && l.Type != D3DLIGHT_DIRECTIONAL) {
      continue;  // enabled, but an undefined type shines nothing
    }
    EyeLight& e = out[count++];
    e.type = l.Type;
    e.diffuse = {l.Diffuse.r, l.Diffuse.g, l.Diffuse.b};
    e.specular = {l.Specular.r, l.Specular.g, l.Specular.b};
    e.ambient = {l.Ambient.r, l.Ambient.g, l.Ambient.b};
    e.position = PointTimes({l.Position.x, l.Position.y, l.Position.z}, state.view);
    e.direction = Normalized(DirectionTimes({l.Direction.x, l.Direction.y, l.Direction.z}, state.view));
    e.range = l.Range;
    e.a0 = l.Attenuation0;
    e.a1 = l.Attenuation1;
    e.a2 = l.Attenuation2;
    e.cosTheta = std::cos(l.Theta * 0.5f);
    e.cosPhi = std::cos(l.Phi * 0.5f);
    e.falloff = l.Falloff;
  }
  return count;
}

void ResolveLighting(const DeviceState& state, FixedFunctionState& out) {
  const auto& rs = state.renderStates;
  out.lighting = !out.layout.transformed && rs[D3DRS_LIGHTING] != FALSE;
  out.lightCount = 0;
  if (!out.lighting) return;
  const bool colorVertex = rs[D3DRS_COLORVERTEX] != FALSE;
  out.diffuseFrom = SourceOf(rs[D3DRS_DIFFUSEMATERIALSOURCE], colorVertex, out.layout);
  out.ambientFrom = SourceOf(rs[D3DRS_AMBIENTMATERIALSOURCE], colorVertex, out.layout);
  out.specularFrom = SourceOf(rs[D3DRS_SPECULARMATERIALSOURCE], colorVertex, out.layout);
  out.emissiveFrom = SourceOf(rs[D3DRS_EMISSIVEMATERIALSOURCE], colorVertex, out.layout);
  out.normalMatrix = NormalMatrix(out.worldView);
  out.lightCount = EyeLights(state, out.lights);
}

}  // namespace

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

void ResolveFixedFunction(const DeviceState& state, DWORD fvf, bool depthBuffer, FixedFunctionState& out) {
  out.layout = FvfLayout{};
  DecodeFvf(fvf, out.layout);
  out.worldView = Multiply(state.world[0], state.view);
  out.worldViewProjection = Multiply(out.worldView, state.projection);
  out.texture = state.textures[0];
  out.stage = ResolveStage(state, out.texture != nullptr);
  ResolveTexCoords(state, out);
  ResolveDepth(state, depthBuffer, out);
  ResolveBlend(state, out);
  out.specular = state.renderStates[D3DRS_SPECULARENABLE] != FALSE;
  ResolveLighting(state, out);
}

}  // namespace d3d8
