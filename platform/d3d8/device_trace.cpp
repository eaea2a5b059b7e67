// The trace lines of the device calls a scene makes itself.
#include "platform/d3d8/device_trace.h"

#include "platform/trace/trace.h"

namespace d3d8 {
namespace {

trace::Floats Fields(const D3DCOLORVALUE& c) { return {&c.r, 4}; }
trace::Floats Fields(const D3DVECTOR& v) { return {&v.x, 3}; }

}  // namespace

void TraceSetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  trace::DeviceCall("SetRenderState", int(state), unsigned(value));
}

void TraceSetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  trace::DeviceCall("SetTextureStageState", unsigned(stage), int(type), unsigned(value));
}

void TraceSetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* m) {
  if (!m) return trace::DeviceCall("SetTransform", int(state), "null");
  trace::DeviceCall("SetTransform", int(state), trace::Floats{&m->m[0][0], 16});
}

void TraceSetTexture(DWORD stage, const IDirect3DBaseTexture8* texture) {
  const char* name = texture ? trace::NameOf(texture) : "null";
  trace::DeviceCall("SetTexture", unsigned(stage), *name ? name : "tex?");
}

// type, diffuse, specular, ambient (r g b a each), position, direction, range, falloff, the three
// attenuation factors, theta, phi: the record's own order.
void TraceSetLight(DWORD index, const D3DLIGHT8* l) {
  if (!l) return trace::DeviceCall("SetLight", unsigned(index), "null");
  trace::DeviceCall("SetLight", unsigned(index), int(l->Type), Fields(l->Diffuse), Fields(l->Specular),
                    Fields(l->Ambient), Fields(l->Position), Fields(l->Direction), l->Range, l->Falloff,
                    l->Attenuation0, l->Attenuation1, l->Attenuation2, l->Theta, l->Phi);
}

void TraceLightEnable(DWORD index, BOOL enable) { trace::DeviceCall("LightEnable", unsigned(index), enable ? 1 : 0); }

// diffuse, ambient, specular, emissive (r g b a each), power.
void TraceSetMaterial(const D3DMATERIAL8* m) {
  if (!m) return trace::DeviceCall("SetMaterial", "null");
  trace::DeviceCall("SetMaterial", Fields(m->Diffuse), Fields(m->Ambient), Fields(m->Specular), Fields(m->Emissive),
                    m->Power);
}

}  // namespace d3d8
