// Trace lines for the device calls a scene makes itself (render and stage states, transforms,
// textures, lights, materials). Calls made inside an engine or mesh operation are not written:
// see trace::Operation.
#pragma once

#include "platform/d3d8/d3d8.h"

namespace d3d8 {

void TraceSetRenderState(D3DRENDERSTATETYPE state, DWORD value);
void TraceSetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);
void TraceSetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix);
void TraceSetTexture(DWORD stage, const IDirect3DBaseTexture8* texture);
void TraceSetLight(DWORD index, const D3DLIGHT8* light);
void TraceLightEnable(DWORD index, BOOL enable);
void TraceSetMaterial(const D3DMATERIAL8* material);

}  // namespace d3d8
