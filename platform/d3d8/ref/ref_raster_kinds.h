// The stage and blend set-ups common enough to get their own row loops, one pixel at a time and in
// lanes. Each loop computes exactly what the general CombineStage / Blend compute for its set-up,
// with the choices made once per draw.
#pragma once

namespace d3d8::ref::raster {

enum StageKind {
  kStageGeneral,
  kStageModulateTextureAlpha,  // texture x diffuse; alpha the texture's
  kStageModulateBoth,          // texture x diffuse; alpha texture alpha x diffuse alpha
  kStageDiffuse,               // the diffuse colour passes (stage disabled, no alpha test)
};

enum BlendKind {
  kBlendGeneral,
  kBlendNone,
  kBlendAlpha,     // SRCALPHA, INVSRCALPHA
  kBlendAdditive,  // SRCALPHA, ONE
};

}  // namespace d3d8::ref::raster
