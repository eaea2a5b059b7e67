#include "platform/d3d8/fvf.h"

namespace d3d8 {
namespace {

bool Decode(DWORD fvf, FvfLayout& layout) {
  layout = FvfLayout{};
  if (fvf & (D3DFVF_RESERVED0 | D3DFVF_RESERVED2 | D3DFVF_LASTBETA_UBYTE4)) return false;
  const DWORD position = fvf & D3DFVF_POSITION_MASK;
  if (position != D3DFVF_XYZ && position != D3DFVF_XYZRHW) return false;
  layout.transformed = position == D3DFVF_XYZRHW;
  if (layout.transformed && (fvf & D3DFVF_NORMAL)) return false;

  int offset = layout.transformed ? 16 : 12;
  if (fvf & D3DFVF_NORMAL) {
    layout.normal = offset;
    offset += 12;
  }
  if (fvf & D3DFVF_PSIZE) offset += 4;
  if (fvf & D3DFVF_DIFFUSE) {
    layout.diffuse = offset;
    offset += 4;
  }
  if (fvf & D3DFVF_SPECULAR) {
    layout.specular = offset;
    offset += 4;
  }
  layout.texCoordSets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  if (layout.texCoordSets > 8) return false;
  static constexpr UINT kFloats[4] = {2, 3, 4, 1};  // by D3DFVF_TEXTUREFORMATn code
  for (UINT set = 0; set < layout.texCoordSets; ++set) {
    layout.texCoord[set] = offset;
    layout.texCoordSize[set] = kFloats[(fvf >> (16 + 2 * set)) & 3];
    offset += static_cast<int>(layout.texCoordSize[set]) * 4;
  }
  layout.size = static_cast<UINT>(offset);
  return true;
}

}  // namespace

// Draws come in runs of one format (thousands of screen quads a frame): the last one decoded is
// kept.
bool DecodeFvf(DWORD fvf, FvfLayout& layout) {
  struct Last {
    DWORD fvf = 0;
    FvfLayout layout;
    bool valid = false;
  };
  thread_local Last last;
  if (last.fvf != fvf || !last.valid) {
    last.fvf = fvf;
    last.valid = Decode(fvf, last.layout);
    if (!last.valid) {
      layout = FvfLayout{};
      return Decode(fvf, layout);
    }
  }
  layout = last.layout;
  return true;
}

}  // namespace d3d8
