#include "platform/d3d8/unimplemented_states.h"

#include <cstdio>
#include <mutex>
#include <set>
#include <string>
#include <utility>

namespace d3d8 {
namespace {

// THE LIST. A render state appears here with the one value (or set of values) that is drawn
// faithfully; every other value is unimplemented.
struct RenderStateRule {
  DWORD id;
  const char* name;
  bool (*implemented)(DWORD value);
};

bool IsZero(DWORD value) { return value == 0; }
bool IsAdd(DWORD value) { return value == D3DBLENDOP_ADD; }
bool IsAllChannels(DWORD value) { return (value & 0xF) == 0xF; }
bool IsNotPhong(DWORD value) { return value != D3DSHADE_PHONG; }
bool IsOne(DWORD value) { return value != 0; }

constexpr RenderStateRule kRenderStates[] = {
    {D3DRS_SHADEMODE, "D3DRS_SHADEMODE (Phong)", IsNotPhong},
    {D3DRS_LINEPATTERN, "D3DRS_LINEPATTERN", IsZero},
    {D3DRS_DITHERENABLE, "D3DRS_DITHERENABLE", IsZero},
    {D3DRS_FOGENABLE, "D3DRS_FOGENABLE", IsZero},
    {D3DRS_FOGTABLEMODE, "D3DRS_FOGTABLEMODE", IsZero},
    {D3DRS_FOGVERTEXMODE, "D3DRS_FOGVERTEXMODE", IsZero},
    {D3DRS_EDGEANTIALIAS, "D3DRS_EDGEANTIALIAS", IsZero},
    {D3DRS_ZBIAS, "D3DRS_ZBIAS", IsZero},
    {D3DRS_STENCILENABLE, "D3DRS_STENCILENABLE", IsZero},
    {D3DRS_WRAP0, "D3DRS_WRAP0", IsZero},
    {D3DRS_CLIPPLANEENABLE, "D3DRS_CLIPPLANEENABLE", IsZero},
    {D3DRS_VERTEXBLEND, "D3DRS_VERTEXBLEND", IsZero},
    {D3DRS_POINTSPRITEENABLE, "D3DRS_POINTSPRITEENABLE", IsZero},
    {D3DRS_MULTISAMPLEANTIALIAS, "D3DRS_MULTISAMPLEANTIALIAS (off)", IsOne},
    {D3DRS_INDEXEDVERTEXBLENDENABLE, "D3DRS_INDEXEDVERTEXBLENDENABLE", IsZero},
    {D3DRS_COLORWRITEENABLE, "D3DRS_COLORWRITEENABLE (masked channels)", IsAllChannels},
    {D3DRS_BLENDOP, "D3DRS_BLENDOP (other than ADD)", IsAdd},
};

struct StageStateRule {
  DWORD id;
  const char* name;
  bool (*implemented)(DWORD stage, DWORD value);
};

bool StageZeroOnly(DWORD stage, DWORD value) { return stage == 0 || value == D3DTOP_DISABLE; }
bool ImplementedOp(DWORD, DWORD value) {
  return value >= D3DTOP_DISABLE && value <= D3DTOP_SUBTRACT && value != D3DTOP_ADDSIGNED &&
         value != D3DTOP_ADDSIGNED2X;
}
bool WrapOrClamp(DWORD, DWORD value) {
  return value == D3DTADDRESS_WRAP || value == D3DTADDRESS_CLAMP;
}
bool PointFilter(DWORD, DWORD value) { return value == D3DTEXF_POINT || value == D3DTEXF_NONE; }
bool NoMipFilter(DWORD, DWORD value) { return value == D3DTEXF_NONE; }
bool StageZeroCoords(DWORD stage, DWORD value) {
  const DWORD mode = value & 0xFFFF0000u;
  return stage != 0 || mode == D3DTSS_TCI_PASSTHRU || mode == D3DTSS_TCI_CAMERASPACEPOSITION;
}
bool ZeroValue(DWORD, DWORD value) { return value == 0; }
bool CurrentResult(DWORD, DWORD value) { return value == D3DTA_CURRENT; }

constexpr StageStateRule kStageStates[] = {
    {D3DTSS_COLOROP, "D3DTSS_COLOROP on stages after 0", StageZeroOnly},
    {D3DTSS_ALPHAOP, "D3DTSS_ALPHAOP on stages after 0", StageZeroOnly},
    {D3DTSS_COLOROP, "D3DTSS_COLOROP (ops other than DISABLE..SUBTRACT)", ImplementedOp},
    {D3DTSS_ALPHAOP, "D3DTSS_ALPHAOP (ops other than DISABLE..SUBTRACT)", ImplementedOp},
    {D3DTSS_ADDRESSU, "D3DTSS_ADDRESSU (MIRROR, BORDER, MIRRORONCE)", WrapOrClamp},
    {D3DTSS_ADDRESSV, "D3DTSS_ADDRESSV (MIRROR, BORDER, MIRRORONCE)", WrapOrClamp},
    {D3DTSS_MAGFILTER, "D3DTSS_MAGFILTER (linear and better)", PointFilter},
    {D3DTSS_MINFILTER, "D3DTSS_MINFILTER (linear and better)", PointFilter},
    {D3DTSS_MIPFILTER, "D3DTSS_MIPFILTER", NoMipFilter},
    {D3DTSS_MAXMIPLEVEL, "D3DTSS_MAXMIPLEVEL", ZeroValue},
    {D3DTSS_TEXCOORDINDEX, "D3DTSS_TEXCOORDINDEX (normal and reflection generation)",
     StageZeroCoords},
    {D3DTSS_TEXTURETRANSFORMFLAGS, "D3DTSS_TEXTURETRANSFORMFLAGS", ZeroValue},
    {D3DTSS_RESULTARG, "D3DTSS_RESULTARG (TEMP)", CurrentResult},
};

void LogOnce(const char* device, const char* name) {
  static std::mutex mutex;
  static std::set<std::pair<std::string, const char*>> logged;
  std::lock_guard lock(mutex);
  if (logged.insert({device, name}).second) {
    std::fprintf(stderr, "%s device: %s is not implemented; drawn as the default\n", device, name);
  }
}

const char* FindRenderState(DWORD id, DWORD value) {
  for (const RenderStateRule& rule : kRenderStates) {
    if (rule.id == id && !rule.implemented(value)) return rule.name;
  }
  if (id > D3DRS_WRAP0 && id <= D3DRS_WRAP7 && value != 0) return "D3DRS_WRAP1..7";
  return nullptr;
}

const char* FindStageState(DWORD stage, DWORD id, DWORD value) {
  for (const StageStateRule& rule : kStageStates) {
    if (rule.id == id && !rule.implemented(stage, value)) return rule.name;
  }
  return nullptr;
}

}  // namespace

bool RenderStateUnimplemented(DWORD id, DWORD value) { return FindRenderState(id, value) != nullptr; }

bool StageStateUnimplemented(DWORD stage, DWORD id, DWORD value) {
  return FindStageState(stage, id, value) != nullptr;
}

void NoteRenderState(const char* device, DWORD id, DWORD value) {
  if (const char* name = FindRenderState(id, value)) LogOnce(device, name);
}

void NoteStageState(const char* device, DWORD stage, DWORD id, DWORD value) {
  if (const char* name = FindStageState(stage, id, value)) LogOnce(device, name);
}

}  // namespace d3d8
