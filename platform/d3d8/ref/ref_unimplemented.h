// What the software device does not implement: one list of render states and texture stage
// states. Setting one of them to a value other than Direct3D's default logs one line on stderr,
// once per state for the process ("REF device: ... is not implemented"); drawing then goes on as
// if the state held its default.
#pragma once

#include "platform/d3d8/d3d8.h"

namespace d3d8::ref {

// True when this render state's value is not drawn as Direct3D would draw it.
bool RenderStateUnimplemented(DWORD id, DWORD value);
bool StageStateUnimplemented(DWORD stage, DWORD id, DWORD value);

// Log once per state when the value is unimplemented.
void NoteRenderState(DWORD id, DWORD value);
void NoteStageState(DWORD stage, DWORD id, DWORD value);

}  // namespace d3d8::ref
