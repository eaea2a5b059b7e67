// The program's resources as the build compiled them from resources/vornhold.rc: one entry per
// resource, its bytes in the form the resource section holds them.
//
// RT_DIALOG: an extended dialog template (DLGTEMPLATEEX), little-endian, items DWORD-aligned.
// RT_BITMAP: a device-independent bitmap without the file header: BITMAPINFOHEADER, palette, rows.
// The bytes live for the whole run; the table is in script order.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/win32/win32.h"

namespace resources {

struct Resource {
  WORD type;  // RT_DIALOG (5) or RT_BITMAP (2)
  WORD id;
  const BYTE* bytes;
  std::size_t size;  // bytes
};

const std::vector<Resource>& CompiledResources();

}  // namespace resources
