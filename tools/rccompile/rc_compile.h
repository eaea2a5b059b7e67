// The resource compiler: a script and the bitmap files it names, compiled to the bytes of each
// resource, and written out as a C++ source file that defines resources::CompiledResources()
// (resources/compiled_resources.h).
#pragma once

#include <string>
#include <vector>

#include "platform/win32/win32.h"

namespace rccompile {

struct CompiledResource {
  WORD type = 0;  // RT_DIALOG or RT_BITMAP
  WORD id = 0;
  std::vector<BYTE> bytes;  // as the resource section holds them
};

// Reads the script and compiles every resource in script order. Bitmap files are looked up in
// `bitmapFolder`, or next to the script when it is empty; a bitmap resource is the BMP file without
// its 14-byte file header. Throws ScriptError ("FILE:LINE: what is wrong").
std::vector<CompiledResource> CompileScript(const std::string& scriptPath, const std::string& bitmapFolder);

// The C++ source of the resource table; `scriptName` goes into its opening comment.
std::string GenerateSource(const std::vector<CompiledResource>& resources, const std::string& scriptName);

}  // namespace rccompile
