// The OpenGL 3.3 core functions the hardware device calls, loaded through eglGetProcAddress into
// one table (no loader library): GL_FUNCTIONS lists them once for the declarations and the loading.
#pragma once

#include <GL/glcorearb.h>

#define VORNHOLD_GL_FUNCTIONS(X)                                           \
  X(PFNGLGETSTRINGPROC, GetString)                                         \
  X(PFNGLGETERRORPROC, GetError)                                           \
  X(PFNGLGETINTEGERVPROC, GetIntegerv)                                     \
  X(PFNGLENABLEPROC, Enable)                                               \
  X(PFNGLDISABLEPROC, Disable)                                             \
  X(PFNGLVIEWPORTPROC, Viewport)                                           \
  X(PFNGLSCISSORPROC, Scissor)                                             \
  X(PFNGLDEPTHRANGEPROC, DepthRange)                                       \
  X(PFNGLCLEARCOLORPROC, ClearColor)                                       \
  X(PFNGLCLEARDEPTHPROC, ClearDepth)                                       \
  X(PFNGLCLEARPROC, Clear)                                                 \
  X(PFNGLCOLORMASKPROC, ColorMask)                                         \
  X(PFNGLDEPTHMASKPROC, DepthMask)                                         \
  X(PFNGLDEPTHFUNCPROC, DepthFunc)                                         \
  X(PFNGLBLENDFUNCPROC, BlendFunc)                                         \
  X(PFNGLBLENDEQUATIONPROC, BlendEquation)                                 \
  X(PFNGLPOLYGONMODEPROC, PolygonMode)                                     \
  X(PFNGLCULLFACEPROC, CullFace)                                           \
  X(PFNGLFRONTFACEPROC, FrontFace)                                         \
  X(PFNGLPROVOKINGVERTEXPROC, ProvokingVertex)                             \
  X(PFNGLPIXELSTOREIPROC, PixelStorei)                                     \
  X(PFNGLREADPIXELSPROC, ReadPixels)                                       \
  X(PFNGLFINISHPROC, Finish)                                               \
  X(PFNGLBLITFRAMEBUFFERPROC, BlitFramebuffer)                             \
  X(PFNGLGENFRAMEBUFFERSPROC, GenFramebuffers)                             \
  X(PFNGLDELETEFRAMEBUFFERSPROC, DeleteFramebuffers)                       \
  X(PFNGLBINDFRAMEBUFFERPROC, BindFramebuffer)                             \
  X(PFNGLFRAMEBUFFERRENDERBUFFERPROC, FramebufferRenderbuffer)             \
  X(PFNGLCHECKFRAMEBUFFERSTATUSPROC, CheckFramebufferStatus)               \
  X(PFNGLGENRENDERBUFFERSPROC, GenRenderbuffers)                           \
  X(PFNGLDELETERENDERBUFFERSPROC, DeleteRenderbuffers)                     \
  X(PFNGLBINDRENDERBUFFERPROC, BindRenderbuffer)                           \
  X(PFNGLRENDERBUFFERSTORAGEPROC, RenderbufferStorage)                     \
  X(PFNGLGENTEXTURESPROC, GenTextures)                                     \
  X(PFNGLDELETETEXTURESPROC, DeleteTextures)                               \
  X(PFNGLBINDTEXTUREPROC, BindTexture)                                     \
  X(PFNGLACTIVETEXTUREPROC, ActiveTexture)                                 \
  X(PFNGLTEXIMAGE2DPROC, TexImage2D)                                       \
  X(PFNGLTEXPARAMETERIPROC, TexParameteri)                                 \
  X(PFNGLGENBUFFERSPROC, GenBuffers)                                       \
  X(PFNGLDELETEBUFFERSPROC, DeleteBuffers)                                 \
  X(PFNGLBINDBUFFERPROC, BindBuffer)                                       \
  X(PFNGLBUFFERDATAPROC, BufferData)                                       \
  X(PFNGLGENVERTEXARRAYSPROC, GenVertexArrays)                             \
  X(PFNGLDELETEVERTEXARRAYSPROC, DeleteVertexArrays)                       \
  X(PFNGLBINDVERTEXARRAYPROC, BindVertexArray)                             \
  X(PFNGLENABLEVERTEXATTRIBARRAYPROC, EnableVertexAttribArray)             \
  X(PFNGLVERTEXATTRIBPOINTERPROC, VertexAttribPointer)                     \
  X(PFNGLDRAWARRAYSPROC, DrawArrays)                                       \
  X(PFNGLDRAWELEMENTSBASEVERTEXPROC, DrawElementsBaseVertex)               \
  X(PFNGLCREATESHADERPROC, CreateShader)                                   \
  X(PFNGLDELETESHADERPROC, DeleteShader)                                   \
  X(PFNGLSHADERSOURCEPROC, ShaderSource)                                   \
  X(PFNGLCOMPILESHADERPROC, CompileShader)                                 \
  X(PFNGLGETSHADERIVPROC, GetShaderiv)                                     \
  X(PFNGLGETSHADERINFOLOGPROC, GetShaderInfoLog)                           \
  X(PFNGLCREATEPROGRAMPROC, CreateProgram)                                 \
  X(PFNGLDELETEPROGRAMPROC, DeleteProgram)                                 \
  X(PFNGLATTACHSHADERPROC, AttachShader)                                   \
  X(PFNGLBINDATTRIBLOCATIONPROC, BindAttribLocation)                       \
  X(PFNGLBINDFRAGDATALOCATIONPROC, BindFragDataLocation)                   \
  X(PFNGLLINKPROGRAMPROC, LinkProgram)                                     \
  X(PFNGLGETPROGRAMIVPROC, GetProgramiv)                                   \
  X(PFNGLGETPROGRAMINFOLOGPROC, GetProgramInfoLog)                         \
  X(PFNGLUSEPROGRAMPROC, UseProgram)                                       \
  X(PFNGLGETUNIFORMLOCATIONPROC, GetUniformLocation)                       \
  X(PFNGLUNIFORM1IPROC, Uniform1i)                                         \
  X(PFNGLUNIFORM2IPROC, Uniform2i)                                         \
  X(PFNGLUNIFORM1FPROC, Uniform1f)                                         \
  X(PFNGLUNIFORM2FPROC, Uniform2f)                                         \
  X(PFNGLUNIFORM3FPROC, Uniform3f)                                         \
  X(PFNGLUNIFORM4IPROC, Uniform4i)                                         \
  X(PFNGLUNIFORMMATRIX4FVPROC, UniformMatrix4fv)                           \
  X(PFNGLUNIFORMMATRIX3FVPROC, UniformMatrix3fv)                           \
  X(PFNGLUNIFORM4FVPROC, Uniform4fv)                                       \
  X(PFNGLDISABLEVERTEXATTRIBARRAYPROC, DisableVertexAttribArray)           \
  X(PFNGLPRIMITIVERESTARTINDEXPROC, PrimitiveRestartIndex)

namespace d3d8::gl {

struct Functions {
#define VORNHOLD_GL_MEMBER(type, name) type name = nullptr;
  VORNHOLD_GL_FUNCTIONS(VORNHOLD_GL_MEMBER)
#undef VORNHOLD_GL_MEMBER
};

}  // namespace d3d8::gl
