#include "platform/d3d8/device_trace.h"

#include "platform/host_glue/present_hub.h"

namespace d3d8 {

void TraceSetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  platform::TraceDeviceCall("SetRenderState %d %u", int(state), unsigned(value));
}

void TraceSetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  platform::TraceDeviceCall("SetTextureStageState %u %d %u", unsigned(stage), int(type), unsigned(value));
}

void TraceSetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* m) {
  if (!m) {
    platform::TraceDeviceCall("SetTransform %d null", int(state));
    return;
  }
  platform::TraceDeviceCall("SetTransform %d %g %g %g %g %g %g %g %g %g %g %g %g %g %g %g %g", int(state), m->_11,
                            m->_12, m->_13, m->_14, m->_21, m->_22, m->_23, m->_24, m->_31, m->_32, m->_33, m->_34,
                            m->_41, m->_42, m->_43, m->_44);
}

void TraceSetTexture(DWORD stage, const IDirect3DBaseTexture8* texture) {
  const char* name = texture ? platform::TraceName(texture) : "null";
  platform::TraceDeviceCall("SetTexture %u %s", unsigned(stage), *name ? name : "tex?");
}

// type, diffuse, specular, ambient (r g b a each), position, direction, range, falloff, the three
// attenuation factors, theta, phi: the record's own order.
void TraceSetLight(DWORD index, const D3DLIGHT8* l) {
  if (!l) {
    platform::TraceDeviceCall("SetLight %u null", unsigned(index));
    return;
  }
  platform::TraceDeviceCall(
      "SetLight %u %d %g %g %g %g %g %g %g %g %g %g %g %g %g %g %g %g %g %g %g %g %g %g %g %g %g", unsigned(index),
      int(l->Type), l->Diffuse.r, l->Diffuse.g, l->Diffuse.b, l->Diffuse.a, l->Specular.r, l->Specular.g,
      l->Specular.b, l->Specular.a, l->Ambient.r, l->Ambient.g, l->Ambient.b, l->Ambient.a, l->Position.x,
      l->Position.y, l->Position.z, l->Direction.x, l->Direction.y, l->Direction.z, l->Range, l->Falloff,
      l->Attenuation0, l->Attenuation1, l->Attenuation2, l->Theta, l->Phi);
}

void TraceLightEnable(DWORD index, BOOL enable) {
  platform::TraceDeviceCall("LightEnable %u %d", unsigned(index), enable ? 1 : 0);
}

// diffuse, ambient, specular, emissive (r g b a each), power.
void TraceSetMaterial(const D3DMATERIAL8* m) {
  if (!m) {
    platform::TraceDeviceCall("SetMaterial null");
    return;
  }
  platform::TraceDeviceCall("SetMaterial %g %g %g %g %g %g %g %g %g %g %g %g %g %g %g %g %g", m->Diffuse.r,
                            m->Diffuse.g, m->Diffuse.b, m->Diffuse.a, m->Ambient.r, m->Ambient.g, m->Ambient.b,
                            m->Ambient.a, m->Specular.r, m->Specular.g, m->Specular.b, m->Specular.a,
                            m->Emissive.r, m->Emissive.g, m->Emissive.b, m->Emissive.a, m->Power);
}

}  // namespace d3d8
