// Compiling a script's resources to bytes, and the C++ source that carries them.
#include "tools/rccompile/rc_compile.h"

#include <cstdio>
#include <filesystem>

#include "tools/common/read_whole_file.h"
#include "tools/rccompile/rc_script.h"

namespace rccompile {
namespace {

constexpr size_t kFileHeaderSize = 14;  // BITMAPFILEHEADER
constexpr size_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER, the smallest header we take

DWORD ReadDword(const std::vector<BYTE>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<DWORD>(b[at + 3]) << 24);
}

std::vector<BYTE> BitmapResource(const ScriptResource& r, const std::string& folder) {
  const std::filesystem::path path = std::filesystem::path(folder) / r.bitmapFile;
  std::vector<BYTE> file;
  std::string why;
  if (!tools::ReadWholeFile(path.string(), file, why, kMaxInputFileBytes)) {
    throw ScriptError(r.place, "cannot read bitmap '" + path.string() + "': " + why);
  }
  const bool isBmp = file.size() >= kFileHeaderSize + kInfoHeaderSize && file[0] == 'B' && file[1] == 'M' &&
                     ReadDword(file, kFileHeaderSize) >= kInfoHeaderSize &&
                     ReadDword(file, 10) >= kFileHeaderSize + ReadDword(file, kFileHeaderSize) &&
                     ReadDword(file, 10) <= file.size();
  if (!isBmp) throw ScriptError(r.place, "'" + path.string() + "' is not a BMP file with a BITMAPINFOHEADER");
  return std::vector<BYTE>(file.begin() + kFileHeaderSize, file.end());
}

}  // namespace

std::vector<CompiledResource> CompileScript(const std::string& scriptPath, const std::string& bitmapFolder) {
  const std::string folder =
      bitmapFolder.empty() ? std::filesystem::path(scriptPath).parent_path().string() : bitmapFolder;
  std::vector<CompiledResource> compiled;
  for (const ScriptResource& r : ReadScript(scriptPath)) {
    CompiledResource c{r.type, r.id, {}};
    c.bytes = r.type == RT_DIALOG ? EncodeDialogEx(r.dialog) : BitmapResource(r, folder);
    compiled.push_back(std::move(c));
  }
  return compiled;
}

std::string GenerateSource(const std::vector<CompiledResource>& resources, const std::string& scriptName) {
  std::string out = "// The program's resources, compiled by rccompile from " + scriptName +
                    ". Made by the build; not edited by hand.\n"
                    "#include \"resources/compiled_resources.h\"\n\nnamespace resources {\nnamespace {\n\n";
  std::string table;
  for (const CompiledResource& r : resources) {
    const std::string name = std::string(r.type == RT_DIALOG ? "kDialog" : "kBitmap") + std::to_string(r.id);
    out += "const BYTE " + name + "[" + std::to_string(r.bytes.size()) + "] = {";
    for (size_t i = 0; i < r.bytes.size(); ++i) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%02x,", r.bytes[i]);
      out += (i % 16 == 0 ? "\n    " : " ") + std::string(hex);
    }
    out += "\n};\n\n";
    table += "      {" + std::string(r.type == RT_DIALOG ? "RT_DIALOG" : "RT_BITMAP") + ", " + std::to_string(r.id) +
             ", " + name + ", sizeof " + name + "},\n";
  }
  out +=
      "}  // namespace\n\nconst std::vector<Resource>& CompiledResources() {\n"
      "  static const std::vector<Resource> table = {\n" +
      table + "  };\n  return table;\n}\n\n}  // namespace resources\n";
  return out;
}

}  // namespace rccompile
