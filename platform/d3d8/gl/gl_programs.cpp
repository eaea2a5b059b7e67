// GLSL for the fixed-function state of a draw.
#include "platform/d3d8/gl/gl_programs.h"

namespace d3d8::gl {
namespace {

// A stage argument as an ivec4 expression over diffuse, texel and factor.
std::string Argument(DWORD arg) {
  std::string value;
  switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_DIFFUSE:
    case D3DTA_CURRENT:  // at stage 0 the current colour is the diffuse colour
      value = "diffuse";
      break;
    case D3DTA_TEXTURE:
      value = "texel";
      break;
    case D3DTA_TFACTOR:
      value = "uFactor";
      break;
    default:  // specular and temp read as black
      value = "ivec4(0)";
      break;
  }
  if (arg & D3DTA_COMPLEMENT) value = "(ivec4(255) - " + value + ")";
  if (arg & D3DTA_ALPHAREPLICATE) value = "ivec4(" + value + ".a)";
  return value;
}

// A texture operation on `a1` and `a2` (same-size integer vectors or scalars named by the caller);
// operations not listed act as SELECTARG1.
std::string Operation(DWORD op, const std::string& a1, const std::string& a2, const std::string& type) {
  const std::string top = type + "(255)";
  switch (op) {
    case D3DTOP_SELECTARG2:
      return a2;
    case D3DTOP_MODULATE:
      return "(" + a1 + " * " + a2 + " + 127) / 255";
    case D3DTOP_MODULATE2X:
      return "min(" + top + ", (2 * " + a1 + " * " + a2 + " + 127) / 255)";
    case D3DTOP_MODULATE4X:
      return "min(" + top + ", (4 * " + a1 + " * " + a2 + " + 127) / 255)";
    case D3DTOP_ADD:
      return "min(" + top + ", " + a1 + " + " + a2 + ")";
    case D3DTOP_SUBTRACT:
      return "max(" + type + "(0), " + a1 + " - " + a2 + ")";
    default:
      return a1;
  }
}

std::string AlphaComparison(DWORD func) {
  switch (func) {
    case D3DCMP_NEVER:
      return "false";
    case D3DCMP_LESS:
      return "color.a < uAlphaRef";
    case D3DCMP_EQUAL:
      return "color.a == uAlphaRef";
    case D3DCMP_LESSEQUAL:
      return "color.a <= uAlphaRef";
    case D3DCMP_GREATER:
      return "color.a > uAlphaRef";
    case D3DCMP_NOTEQUAL:
      return "color.a != uAlphaRef";
    case D3DCMP_GREATEREQUAL:
      return "color.a >= uAlphaRef";
    default:
      return "true";
  }
}

}  // namespace

std::string VertexShaderSource(const ProgramKey& key) {
  const std::string qualifier = key.flat ? "flat " : "";
  return "#version 330 core\n"
         "layout(location = 0) in vec4 aPosition;\n"
         "layout(location = 1) in vec4 aDiffuse;\n"
         "layout(location = 2) in vec3 aSpecular;\n"
         "layout(location = 3) in vec2 aTexCoord;\n"
         "uniform mat4 uMatrix;\n"
         "uniform vec2 uHalfPixel;\n" +
         qualifier + "out vec4 vDiffuse;\n" + qualifier +
         "out vec3 vSpecular;\n"
         "out vec2 vTexCoord;\n"
         "void main() {\n"
         "  vec4 c = uMatrix * aPosition;\n"
         "  gl_Position = vec4(c.x + c.w * uHalfPixel.x, -c.y + c.w * uHalfPixel.y, 2.0 * c.z - c.w, c.w);\n"
         "  vDiffuse = aDiffuse;\n"
         "  vSpecular = aSpecular;\n"
         "  vTexCoord = aTexCoord;\n"
         "}\n";
}

std::string FragmentShaderSource(const ProgramKey& key) {
  const std::string qualifier = key.flat ? "flat " : "";
  std::string s =
      "#version 330 core\n" + qualifier + "in vec4 vDiffuse;\n" + qualifier +
      "in vec3 vSpecular;\n"
      "in vec2 vTexCoord;\n"
      "uniform sampler2D uTexture;\n"
      "uniform ivec2 uTextureSize;\n"
      "uniform ivec2 uClamp;\n"
      "uniform ivec4 uFactor;\n"
      "uniform int uAlphaRef;\n"
      "uniform vec3 uWDepth;\n"  // scale, near, 1 / (far - near)
      "out vec4 fragColor;\n"
      "int ToChannel(float v) {\n"
      "  if (!(v > 0.0)) return 0;\n"
      "  if (v >= 255.0) return 255;\n"
      "  return int(v + 0.5);\n"
      "}\n"
      // A coordinate within 1/1024 of a texel edge is taken as on it: a quad drawn texel for pixel
      // puts every pixel centre on an edge, which the software device reaches exactly and OpenGL's
      // interpolation misses by a few ulps (a whole texel row off after the floor).
      "int TexelIndex(float coord, int size, int clampIt) {\n"
      "  float scaled = coord * float(size);\n"
      "  float edge = floor(scaled + 0.5);\n"
      "  if (abs(scaled - edge) < 1.0 / 1024.0) scaled = edge;\n"
      "  int index = 0;\n"
      "  if (scaled > -2.0e9 && scaled < 2.0e9) {\n"
      "    index = int(scaled);\n"
      "    if (float(index) > scaled) index -= 1;\n"
      "  }\n"
      "  if (clampIt != 0) return clamp(index, 0, size - 1);\n"
      "  index = index - size * (index / size);\n"  // GLSL leaves % of negatives undefined
      "  return index < 0 ? index + size : index;\n"
      "}\n"
      "void main() {\n"
      "  ivec4 diffuse = ivec4(ToChannel(vDiffuse.r), ToChannel(vDiffuse.g), ToChannel(vDiffuse.b),"
      " ToChannel(vDiffuse.a));\n";
  if (key.textured) {
    s += "  ivec2 at = ivec2(TexelIndex(vTexCoord.x, uTextureSize.x, uClamp.x),"
         " TexelIndex(vTexCoord.y, uTextureSize.y, uClamp.y));\n"
         "  ivec4 texel = ivec4(texelFetch(uTexture, at, 0) * 255.0 + 0.5);\n";
  } else {
    s += "  ivec4 texel = ivec4(0);\n";
  }
  s += "  ivec4 color = diffuse;\n";
  if (key.colorOp != D3DTOP_DISABLE) {
    s += "  ivec4 c1 = " + Argument(key.colorArg1) + ";\n";
    s += "  ivec4 c2 = " + Argument(key.colorArg2) + ";\n";
    s += "  color.rgb = " + Operation(key.colorOp, "c1.rgb", "c2.rgb", "ivec3") + ";\n";
    if (key.alphaOp != D3DTOP_DISABLE) {
      s += "  int a1 = " + Argument(key.alphaArg1) + ".a;\n";
      s += "  int a2 = " + Argument(key.alphaArg2) + ".a;\n";
      s += "  color.a = " + Operation(key.alphaOp, "a1", "a2", "int") + ";\n";
    }
  }
  if (key.specular) {
    s += "  color.rgb = min(ivec3(255), color.rgb + ivec3(ToChannel(vSpecular.r), ToChannel(vSpecular.g),"
         " ToChannel(vSpecular.b)));\n";
  }
  if (key.wBuffer) s += "  gl_FragDepth = clamp((uWDepth.x / gl_FragCoord.w - uWDepth.y) * uWDepth.z, 0.0, 1.0);\n";
  if (key.alphaTest) s += "  if (!(" + AlphaComparison(key.alphaFunc) + ")) discard;\n";
  s += "  fragColor = vec4(color) / 255.0;\n"
       "}\n";
  return s;
}

}  // namespace d3d8::gl
