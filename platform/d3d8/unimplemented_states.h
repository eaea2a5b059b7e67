// What the devices do not implement: one list of render states and texture stage states, the
// same for the software and the OpenGL device. Setting one of them to a value other than
// Direct3D's default logs one line on stderr, once per state and device kind for the process
// ("REF device: ... is not implemented"); drawing then goes on as if the state held its default.
// The device front reports; the null device, which draws nothing, does not.
#pragma once

#include "platform/d3d8/d3d8.h"

namespace d3d8 {

// True when this render state's value is not drawn as Direct3D would draw it.
bool RenderStateUnimplemented(DWORD id, DWORD value);
bool StageStateUnimplemented(DWORD stage, DWORD id, DWORD value);

// Log once per state and device when the value is unimplemented; device: "REF" or "HAL".
void NoteRenderState(const char* device, DWORD id, DWORD value);
void NoteStageState(const char* device, DWORD stage, DWORD id, DWORD value);

}  // namespace d3d8
