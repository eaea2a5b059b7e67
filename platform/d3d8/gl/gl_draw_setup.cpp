// The OpenGL device's programs and draw set-up: shaders compiled and linked per program key, and a
// draw's state (from the device state and the fixed-function state the front resolved) turned into
// a DrawSetup and applied to OpenGL.
//
// [SECTION] Programs
// [SECTION] Draw set-up
// [SECTION] Applying a set-up
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/d3d8/gl/gl_backend.h"

namespace d3d8::gl {
namespace {

GLenum CompareFunction(DWORD func) {
  return func >= D3DCMP_NEVER && func <= D3DCMP_ALWAYS ? GL_NEVER + (func - D3DCMP_NEVER) : GL_ALWAYS;
}

GLenum BlendFactor(DWORD blend) {
  switch (blend) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
    default: return GL_ONE;
  }
}

GLenum PrimitiveMode(D3DPRIMITIVETYPE type) {
  if (type == D3DPT_TRIANGLESTRIP) return GL_TRIANGLE_STRIP;
  if (type == D3DPT_TRIANGLEFAN) return GL_TRIANGLE_FAN;
  return GL_TRIANGLES;
}

MaterialFrom FromOf(MaterialSource source) {
  if (source == MaterialSource::kVertexDiffuse) return kFromDiffuse;
  if (source == MaterialSource::kVertexSpecular) return kFromSpecular;
  return kFromMaterial;
}

TexCoordFrom FromOf(TexCoordSource source) {
  if (source == TexCoordSource::kVertexSet) return kFromVertexSet;
  if (source == TexCoordSource::kCameraPosition) return kFromCameraPosition;
  return kNoTexCoords;
}

}  // namespace

// ---- [SECTION] Programs -------------------------------------------------------------------------

GLuint GlBackend::Link(const std::string& vertexSource, const std::string& fragmentSource) {
  const Functions& f = gl();
  const auto compile = [&](GLenum type, const std::string& source) {
    const GLuint shader = f.CreateShader(type);
    const char* text = source.c_str();
    f.ShaderSource(shader, 1, &text, nullptr);
    f.CompileShader(shader);
    GLint ok = 0;
    f.GetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
      char log[1024] = {};
      f.GetShaderInfoLog(shader, sizeof log, nullptr, log);
      std::fprintf(stderr, "vornhold: OpenGL device: a generated shader does not compile: %s\n", log);
    }
    return shader;
  };
  const GLuint vertex = compile(GL_VERTEX_SHADER, vertexSource);
  const GLuint fragment = compile(GL_FRAGMENT_SHADER, fragmentSource);
  const GLuint program = f.CreateProgram();
  f.AttachShader(program, vertex);
  f.AttachShader(program, fragment);
  f.BindAttribLocation(program, kPosition, "aPosition");
  if (!es_) f.BindFragDataLocation(program, 0, "fragColor");  // ES: a shader's only output is at 0
  f.LinkProgram(program);
  f.DeleteShader(vertex);
  f.DeleteShader(fragment);
  GLint linked = 0;
  f.GetProgramiv(program, GL_LINK_STATUS, &linked);
  if (!linked) {
    char log[1024] = {};
    f.GetProgramInfoLog(program, sizeof log, nullptr, log);
    std::fprintf(stderr, "vornhold: OpenGL device: a generated program does not link: %s\n", log);
  }
  return program;
}

const Program& GlBackend::ProgramFor(const ProgramKey& key) {
  if (auto found = programs_.find(key); found != programs_.end()) return found->second;
  const Functions& f = gl();
  Program program;
  program.name = Link(VertexShaderSource(key, context_->api()), FragmentShaderSource(key, context_->api()));
  program.matrix = f.GetUniformLocation(program.name, "uMatrix");
  program.worldView = f.GetUniformLocation(program.name, "uWorldView");
  program.normalMatrix = f.GetUniformLocation(program.name, "uNormalMatrix");
  program.lights = f.GetUniformLocation(program.name, "uLights");
  program.material = f.GetUniformLocation(program.name, "uMaterial");
  program.viewport = f.GetUniformLocation(program.name, "uViewport");
  program.halfPixel = f.GetUniformLocation(program.name, "uHalfPixel");
  program.texture = f.GetUniformLocation(program.name, "uTexture");
  program.textureSize = f.GetUniformLocation(program.name, "uTextureSize");
  program.clamp = f.GetUniformLocation(program.name, "uClamp");
  program.factor = f.GetUniformLocation(program.name, "uFactor");
  program.alphaRef = f.GetUniformLocation(program.name, "uAlphaRef");
  program.wDepth = f.GetUniformLocation(program.name, "uWDepth");
  return programs_.emplace(key, program).first->second;
}

// ---- [SECTION] Draw set-up ----------------------------------------------------------------------

DrawSetup GlBackend::SetupFor(const DrawRequest& request, const FvfLayout& layout) const {
  const DeviceState& state = *request.state;
  const FixedFunctionState& fixed = *request.fixed;
  const auto& rs = state.renderStates;
  DrawSetup d;
  ProgramKey& key = d.key;
  d.mode = PrimitiveMode(request.type);
  d.fvf = request.fvf;
  d.stride = request.stride;
  d.viewport = state.viewport;

  key.transformed = layout.transformed;
  key.lighting = fixed.lighting;
  key.specular = fixed.specular;
  key.texCoords = FromOf(fixed.texCoords);
  d.texCoordSet = fixed.texCoordSet;
  if (!layout.transformed) {
    d.matrix = fixed.worldViewProjection;
    if (key.lighting || key.texCoords == kFromCameraPosition) d.worldView = fixed.worldView;
  }
  if (key.lighting) {
    SetLighting(state, fixed, d);
  } else {
    key.hasDiffuse = layout.diffuse >= 0;
    key.hasSpecular = key.specular && layout.specular >= 0;
  }

  d.depthTest = fixed.depthTest;
  if (d.depthTest) {
    d.depthFunc = CompareFunction(rs[D3DRS_ZFUNC]);
    d.depthWrite = rs[D3DRS_ZWRITEENABLE] != FALSE;
    key.wBuffer = fixed.wBuffer;
    if (key.wBuffer) d.wDepth = {fixed.wScale, fixed.wNear, fixed.wInvRange};
  }
  d.blend = fixed.blend;
  if (d.blend) {
    d.source = BlendFactor(fixed.srcBlend);
    d.destination = BlendFactor(fixed.destBlend);
  }
  const DWORD cull = rs[D3DRS_CULLMODE];
  d.cull = cull == D3DCULL_CW || cull == D3DCULL_CCW ? cull : D3DCULL_NONE;
  const DWORD fill = rs[D3DRS_FILLMODE];
  d.fill = fill == D3DFILL_WIREFRAME || fill == D3DFILL_POINT ? fill : D3DFILL_SOLID;

  key.flat = rs[D3DRS_SHADEMODE] == D3DSHADE_FLAT;
  key.shadeApart = es_ && key.flat && d.fill != D3DFILL_SOLID;
  const Texture* texture = fixed.texture;
  key.textured = texture != nullptr;
  if (texture) {
    d.texture = texture;
    d.texels = texture->Texels(0);  // MIPFILTER NONE: only the top level is sampled
    d.textureWidth = texture->Width(0);
    d.textureHeight = texture->Height(0);
    d.clampU = state.stages[0][D3DTSS_ADDRESSU] == D3DTADDRESS_CLAMP;
    d.clampV = state.stages[0][D3DTSS_ADDRESSV] == D3DTADDRESS_CLAMP;
  }
  key.alphaTest = rs[D3DRS_ALPHATESTENABLE] != FALSE;
  key.alphaFunc = rs[D3DRS_ALPHAFUNC];
  const StageOps& stage = fixed.stage;
  key.colorOp = stage.colorOp;
  key.colorArg1 = stage.colorArg1;
  key.colorArg2 = stage.colorArg2;
  key.alphaOp = stage.alphaOp;
  key.alphaArg1 = stage.alphaArg1;
  key.alphaArg2 = stage.alphaArg2;
  d.factor = rs[D3DRS_TEXTUREFACTOR];
  d.alphaRef = rs[D3DRS_ALPHAREF] & 0xFF;
  return d;
}

// The lit vertex shader's key bits and uniforms: material sources, lights and material.
void GlBackend::SetLighting(const DeviceState& state, const FixedFunctionState& fixed, DrawSetup& d) {
  const auto& rs = state.renderStates;
  ProgramKey& key = d.key;
  key.hasNormal = fixed.layout.normal >= 0;
  key.normalize = key.hasNormal && rs[D3DRS_NORMALIZENORMALS] != FALSE;
  key.localViewer = key.specular && rs[D3DRS_LOCALVIEWER] != FALSE;
  key.diffuseFrom = FromOf(fixed.diffuseFrom);
  key.ambientFrom = FromOf(fixed.ambientFrom);
  key.emissiveFrom = FromOf(fixed.emissiveFrom);
  if (key.specular) key.specularFrom = FromOf(fixed.specularFrom);
  d.normalMatrix = fixed.normalMatrix;
  const int count = fixed.lightCount;
  key.lightCount = static_cast<std::uint8_t>(count);
  for (int i = 0; i < count; ++i) {
    const EyeLight& l = fixed.lights[i];
    key.lightTypes = static_cast<std::uint16_t>(key.lightTypes | (l.type << (2 * i)));
    const float vectors[kLightVectors][4] = {
        {l.diffuse.r, l.diffuse.g, l.diffuse.b, l.range},
        {l.specular.r, l.specular.g, l.specular.b, l.a0},
        {l.ambient.r, l.ambient.g, l.ambient.b, l.a1},
        {l.position.x, l.position.y, l.position.z, l.a2},
        {l.direction.x, l.direction.y, l.direction.z, l.falloff},
        {l.cosTheta, l.cosPhi, 0.0f, 0.0f}};
    std::memcpy(&d.lights[4 * kLightVectors * i], vectors, sizeof vectors);
  }
  const D3DMATERIAL8& m = state.material;
  const D3DCOLOR ga = rs[D3DRS_AMBIENT];
  const float material[kMaterialVectors][4] = {
      {m.Diffuse.r, m.Diffuse.g, m.Diffuse.b, m.Diffuse.a},
      {m.Ambient.r, m.Ambient.g, m.Ambient.b, m.Ambient.a},
      {m.Specular.r, m.Specular.g, m.Specular.b, m.Specular.a},
      {m.Emissive.r, m.Emissive.g, m.Emissive.b, m.Emissive.a},
      {static_cast<float>((ga >> 16) & 255) / 255.0f, static_cast<float>((ga >> 8) & 255) / 255.0f,
       static_cast<float>(ga & 255) / 255.0f, m.Power}};
  std::memcpy(d.material.data(), material, sizeof material);
}

// ---- [SECTION] Applying a set-up ----------------------------------------------------------------

void GlBackend::Apply(const DrawSetup& d) {
  const Functions& f = gl();
  const D3DVIEWPORT8& vp = d.viewport;
  const GLint left = static_cast<GLint>(vp.X);
  const GLint top = static_cast<GLint>(vp.Y);
  f.Viewport(left, top, static_cast<GLsizei>(vp.Width), static_cast<GLsizei>(vp.Height));
  f.Scissor(left, top, static_cast<GLsizei>(vp.Width), static_cast<GLsizei>(vp.Height));
  const float nearZ = d.key.transformed ? 0.0f : vp.MinZ, farZ = d.key.transformed ? 1.0f : vp.MaxZ;
  if (es_) {
    f.DepthRangef(nearZ, farZ);
  } else {
    f.DepthRange(nearZ, farZ);
  }
  if (d.depthTest) {
    f.Enable(GL_DEPTH_TEST);
    f.DepthFunc(d.depthFunc);
    f.DepthMask(d.depthWrite ? GL_TRUE : GL_FALSE);
  } else {
    f.Disable(GL_DEPTH_TEST);
  }
  if (d.blend) {
    f.Enable(GL_BLEND);
    f.BlendEquation(GL_FUNC_ADD);
    f.BlendFunc(d.source, d.destination);
  } else {
    f.Disable(GL_BLEND);
  }
  f.ColorMask(GL_TRUE, GL_TRUE, GL_TRUE, writesAlpha_ ? GL_TRUE : GL_FALSE);
  if (d.cull != D3DCULL_NONE) {
    f.Enable(GL_CULL_FACE);
    f.CullFace(d.cull == D3DCULL_CW ? GL_FRONT : GL_BACK);
  } else {
    f.Disable(GL_CULL_FACE);
  }
  // ES has no polygon mode: its outlines are drawn as lines or points (gl_es_draws.cpp).
  if (!es_) f.PolygonMode(GL_FRONT_AND_BACK, d.fill == D3DFILL_WIREFRAME ? GL_LINE
                                             : d.fill == D3DFILL_POINT   ? GL_POINT
                                                                         : GL_FILL);

  const Program& program = ProgramFor(d.key);
  f.UseProgram(program.name);
  // Direct3D's rows are OpenGL's columns: the shader's M * v is Direct3D's v * M.
  f.UniformMatrix4fv(program.matrix, 1, GL_FALSE, &d.matrix._11);
  if (program.worldView >= 0) f.UniformMatrix4fv(program.worldView, 1, GL_FALSE, &d.worldView._11);
  if (program.normalMatrix >= 0) f.UniformMatrix3fv(program.normalMatrix, 1, GL_FALSE, d.normalMatrix.data());
  if (program.lights >= 0) f.Uniform4fv(program.lights, kLightVectors * d.key.lightCount, d.lights.data());
  if (program.material >= 0) f.Uniform4fv(program.material, kMaterialVectors, d.material.data());
  const float viewport[4] = {static_cast<float>(vp.X), static_cast<float>(vp.Y), static_cast<float>(vp.Width),
                             static_cast<float>(vp.Height)};
  f.Uniform4fv(program.viewport, 1, viewport);
  // Half a pixel to Direct3D's pixel centres, less the tie bias.
  f.Uniform2f(program.halfPixel, (1.0f - 2.0f * kTieStepsX * tieBias_) / static_cast<float>(vp.Width),
              (1.0f - 2.0f * tieBias_) / static_cast<float>(vp.Height));
  f.Uniform4i(program.factor, static_cast<GLint>((d.factor >> 16) & 255), static_cast<GLint>((d.factor >> 8) & 255),
              static_cast<GLint>(d.factor & 255), static_cast<GLint>(d.factor >> 24));
  f.Uniform1i(program.alphaRef, static_cast<GLint>(d.alphaRef));
  if (d.key.wBuffer) f.Uniform3f(program.wDepth, d.wDepth[0], d.wDepth[1], d.wDepth[2]);
  if (d.texture) {
    f.ActiveTexture(GL_TEXTURE0);
    BindTexture(d);
    f.Uniform1i(program.texture, 0);
    f.Uniform2i(program.textureSize, static_cast<GLint>(d.textureWidth), static_cast<GLint>(d.textureHeight));
    f.Uniform2i(program.clamp, d.clampU ? 1 : 0, d.clampV ? 1 : 0);
  }
}

}  // namespace d3d8::gl
