// GLSL for the fixed-function state of a draw.
#include "platform/d3d8/gl/gl_programs.h"

#include <string>

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

std::string ShaderPrologue(win32::GlApi api) {
  if (api == win32::GlApi::kCore33) return "#version 330 core\n";
  return "#version 300 es\n"
         "precision highp float;\n"
         "precision highp int;\n"
         "precision highp sampler2D;\n";
}

std::string VertexShaderSource(const ProgramKey& key, win32::GlApi api) {
  const std::string qualifier = key.flat ? "flat " : "";
  std::string s =
      ShaderPrologue(api) +
      "layout(location = 0) in vec4 aPosition;\n"
      "layout(location = 1) in vec4 aDiffuse;\n"  // bytes B, G, R, A
      "layout(location = 2) in vec4 aSpecular;\n"
      "layout(location = 3) in vec2 aTexCoord;\n"
      "layout(location = 4) in vec3 aNormal;\n"
      "uniform mat4 uMatrix;\n"  // World * View * Projection
      "uniform mat4 uWorldView;\n"
      "uniform mat3 uNormalMatrix;\n"
      "uniform vec4 uViewport;\n"  // X, Y, Width, Height in pixels
      "uniform vec2 uHalfPixel;\n" +
      qualifier + "out vec4 vDiffuse;\n" + qualifier +
      "out vec3 vSpecular;\n"
      "out vec2 vTexCoord;\n";
  if (key.shadeApart) s += "layout(location = 5) in vec4 aShadePosition;\n";
  if (key.lighting) {
    if (key.lightCount > 0) s += "uniform vec4 uLights[" + std::to_string(kLightVectors * key.lightCount) + "];\n";
    s += "uniform vec4 uMaterial[" + std::to_string(kMaterialVectors) + "];\n"
         "vec3 Normalized(vec3 v) {\n"
         "  float size = sqrt(dot(v, v));\n"
         "  return size > 0.0 ? v / size : v;\n"
         "}\n"
         // std::clamp(v, 0, 1) * 255, NaN staying NaN.
         "float Channel(float v) { return (v < 0.0 ? 0.0 : (1.0 < v ? 1.0 : v)) * 255.0; }\n"
         "vec3 Channel3(vec3 v) { return vec3(Channel(v.r), Channel(v.g), Channel(v.b)); }\n";
  }
  s += "void main() {\n";
  if (api == win32::GlApi::kEs30) s += "  gl_PointSize = 1.0;\n";
  if (key.transformed) {  // pixels to Direct3D clip space, w = 1 / rhw
    s += "  float rhw = aPosition.w;\n"
         "  float w = !isnan(rhw) && !isinf(rhw) && rhw > 0.0 ? 1.0 / rhw : 1.0;\n"
         "  vec4 c = vec4(((aPosition.x - uViewport.x) / uViewport.z * 2.0 - 1.0) * w,\n"
         "                (1.0 - (aPosition.y - uViewport.y) / uViewport.w * 2.0) * w, aPosition.z * w, w);\n";
  } else {
    s += "  vec4 c = uMatrix * vec4(aPosition.xyz, 1.0);\n";
  }
  s += "  gl_Position = vec4(c.x + c.w * uHalfPixel.x, -c.y + c.w * uHalfPixel.y, 2.0 * c.z - c.w, c.w);\n";
  if (key.texCoords == kFromVertexSet) {
    s += "  vTexCoord = aTexCoord;\n";
  } else if (key.texCoords == kFromCameraPosition) {
    s += "  vTexCoord = (uWorldView * vec4(aPosition.xyz, 1.0)).xy;\n";
  } else {
    s += "  vTexCoord = vec2(0.0);\n";
  }
  if (!key.lighting) {
    s += key.hasDiffuse ? "  vDiffuse = aDiffuse.zyxw;\n" : "  vDiffuse = vec4(255.0);\n";
    s += key.hasSpecular ? "  vSpecular = aSpecular.zyx;\n" : "  vSpecular = vec3(0.0);\n";
    return s + "}\n";
  }
  const auto from = [](MaterialFrom source, int member) -> std::string {
    if (source == kFromDiffuse) return "(aDiffuse.zyxw / 255.0)";
    if (source == kFromSpecular) return "(aSpecular.zyxw / 255.0)";
    return "uMaterial[" + std::to_string(member) + "]";
  };
  s += "  vec4 cd = " + from(key.diffuseFrom, 0) + ";\n"
       "  vec4 ca = " + from(key.ambientFrom, 1) + ";\n"
       "  vec4 ce = " + from(key.emissiveFrom, 3) + ";\n"
       "  vec3 ambient = vec3(0.0), diffuse = vec3(0.0), specular = vec3(0.0);\n";
  if (key.lightCount > 0) {
    s += std::string("  vec3 pe = (uWorldView * vec4(") + (key.shadeApart ? "aShadePosition" : "aPosition") +
         ".xyz, 1.0)).xyz;\n";
    if (key.hasNormal) {
      s += "  vec3 n = uNormalMatrix * aNormal;\n";
      if (key.normalize) s += "  n = Normalized(n);\n";
    }
    // Only the specular term looks towards the viewer.
    s += key.specular && key.localViewer ? "  vec3 toViewer = Normalized(-pe);\n"
                                         : "  vec3 toViewer = vec3(0.0, 0.0, -1.0);\n";
  }
  for (int i = 0; i < key.lightCount; ++i) {
    // A light that shines nothing more on the vertex breaks out of its block.
    const std::string l = "uLights[" + std::to_string(kLightVectors * i) + " + ";
    const DWORD type = key.LightType(i);
    s += "  do {\n"
         "    vec3 toLight;\n"
         "    float factor = 1.0;\n";  // attenuation times spot factor
    if (type == D3DLIGHT_DIRECTIONAL) {
      s += "    toLight = -" + l + "4].xyz;\n";
    } else {
      s += "    vec3 v = " + l + "3].xyz - pe;\n"
           "    float range = sqrt(dot(v, v));\n"
           "    if (range > " + l + "0].w) break;\n"
           "    toLight = range > 0.0 ? v / range : v;\n"
           "    float denominator = " + l + "1].w + " + l + "2].w * range + " + l + "3].w * range * range;\n"
           "    factor = denominator > 0.0 ? 1.0 / denominator : 3.40282347e38;\n";
      if (type == D3DLIGHT_SPOT) {
        s += "    float rho = -dot(toLight, " + l + "4].xyz);\n"
             "    if (rho <= " + l + "5].y) break;\n"
             "    if (rho <= " + l + "5].x) factor *= pow((rho - " + l + "5].y) / (" + l + "5].x - " + l + "5].y), " +
             l + "4].w);\n";
      }
    }
    s += "    ambient += " + l + "2].rgb * factor;\n";
    if (key.hasNormal) {
      s += "    float nDotL = dot(n, toLight);\n"
           "    if (nDotL <= 0.0) break;\n"
           "    diffuse += " + l + "0].rgb * nDotL * factor;\n";
      if (key.specular) {
        s += "    vec3 h = Normalized(toLight + toViewer);\n"
             "    float nDotH = dot(n, h);\n"
             "    if (nDotH <= 0.0) break;\n"
             "    specular += " + l + "1].rgb * (pow(nDotH, uMaterial[4].w) * factor);\n";
      }
    }
    s += "  } while (false);\n";
  }
  s += "  vDiffuse = vec4(Channel3(ce.rgb + ca.rgb * (uMaterial[4].rgb + ambient) + cd.rgb * diffuse),"
       " Channel(cd.a));\n";
  if (key.specular) {
    s += "  vSpecular = Channel3(" + from(key.specularFrom, 2) + ".rgb * specular);\n";
  } else {
    s += "  vSpecular = vec3(0.0);\n";
  }
  return s + "}\n";
}

std::string FragmentShaderSource(const ProgramKey& key, win32::GlApi api) {
  const std::string qualifier = key.flat ? "flat " : "";
  std::string s =
      ShaderPrologue(api) + qualifier + "in vec4 vDiffuse;\n" + qualifier +
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
