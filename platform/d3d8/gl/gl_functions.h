// The OpenGL functions the hardware device calls, in one table: loaded through eglGetProcAddress
// or the window's SDL_GL_GetProcAddress (no loader library), or under emscripten taken straight
// from the WebGL2 library's <GLES3/gl3.h>. The lists name each function once, for the
// declarations and the loading; a member's type is that of the header's own declaration.
//   VORNHOLD_GL_FUNCTIONS          in OpenGL 3.3 core, OpenGL ES 3.0 and WebGL2 alike
//   VORNHOLD_GL_CORE_FUNCTIONS     OpenGL 3.3 core only, loaded on that path alone; a build for
//                                  the web, whose headers lack them, types them from the list and
//                                  leaves them null (its device never takes the core path)
//   VORNHOLD_GL_ES_FUNCTIONS       what ES has instead (its float depth range and clear depth)
// Every function that is in neither ES 3.0 nor WebGL2 is in the core list; what the device does
// without it on ES is said where it is called.
#pragma once

#include <type_traits>

#ifdef __EMSCRIPTEN__
#include <GLES3/gl3.h>
#else
// The prototypes are only declared, for decltype: every call goes through the table.
#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/glcorearb.h>
#endif

#define VORNHOLD_GL_FUNCTIONS(X)   \
  X(GetString)                     \
  X(GetError)                      \
  X(GetIntegerv)                   \
  X(Enable)                        \
  X(Disable)                       \
  X(Viewport)                      \
  X(Scissor)                       \
  X(ClearColor)                    \
  X(Clear)                         \
  X(ColorMask)                     \
  X(DepthMask)                     \
  X(DepthFunc)                     \
  X(BlendFunc)                     \
  X(BlendEquation)                 \
  X(CullFace)                      \
  X(FrontFace)                     \
  X(PixelStorei)                   \
  X(ReadPixels)                    \
  X(Finish)                        \
  X(BlitFramebuffer)               \
  X(GenFramebuffers)               \
  X(DeleteFramebuffers)            \
  X(BindFramebuffer)               \
  X(FramebufferRenderbuffer)       \
  X(CheckFramebufferStatus)        \
  X(GenRenderbuffers)              \
  X(DeleteRenderbuffers)           \
  X(BindRenderbuffer)              \
  X(RenderbufferStorage)           \
  X(GenTextures)                   \
  X(DeleteTextures)                \
  X(BindTexture)                   \
  X(ActiveTexture)                 \
  X(TexImage2D)                    \
  X(TexParameteri)                 \
  X(GenBuffers)                    \
  X(DeleteBuffers)                 \
  X(BindBuffer)                    \
  X(BufferData)                    \
  X(GenVertexArrays)               \
  X(DeleteVertexArrays)            \
  X(BindVertexArray)               \
  X(EnableVertexAttribArray)       \
  X(DisableVertexAttribArray)      \
  X(VertexAttribPointer)           \
  X(DrawArrays)                    \
  X(DrawElements)                  \
  X(CreateShader)                  \
  X(DeleteShader)                  \
  X(ShaderSource)                  \
  X(CompileShader)                 \
  X(GetShaderiv)                   \
  X(GetShaderInfoLog)              \
  X(CreateProgram)                 \
  X(DeleteProgram)                 \
  X(AttachShader)                  \
  X(BindAttribLocation)            \
  X(LinkProgram)                   \
  X(GetProgramiv)                  \
  X(GetProgramInfoLog)             \
  X(UseProgram)                    \
  X(GetUniformLocation)            \
  X(Uniform1i)                     \
  X(Uniform2i)                     \
  X(Uniform1f)                     \
  X(Uniform2f)                     \
  X(Uniform3f)                     \
  X(Uniform4i)                     \
  X(Uniform4fv)                    \
  X(UniformMatrix3fv)              \
  X(UniformMatrix4fv)

#define VORNHOLD_GL_CORE_FUNCTIONS(X)                         \
  X(DepthRange, void(double, double))                         \
  X(ClearDepth, void(double))                                 \
  X(PolygonMode, void(GLenum, GLenum))                        \
  X(ProvokingVertex, void(GLenum))                            \
  X(PrimitiveRestartIndex, void(GLuint))                      \
  X(BindFragDataLocation, void(GLuint, GLuint, const GLchar*))

#ifdef __EMSCRIPTEN__
// Values of OpenGL 3.3 core that only its path passes, so that the shared code compiles.
#define GL_BGRA 0x80E1
#define GL_UNSIGNED_SHORT_1_5_5_5_REV 0x8366
#define GL_FIRST_VERTEX_CONVENTION 0x8E4D
#define GL_PRIMITIVE_RESTART 0x8F9D
#define GL_POINT 0x1B00
#define GL_LINE 0x1B01
#define GL_FILL 0x1B02
#endif

#define VORNHOLD_GL_ES_FUNCTIONS(X) \
  X(DepthRangef)                    \
  X(ClearDepthf)

namespace d3d8::gl {

struct Functions {
#define VORNHOLD_GL_MEMBER(name) decltype(&::gl##name) name = nullptr;
#ifdef __EMSCRIPTEN__
#define VORNHOLD_GL_CORE_MEMBER(name, signature) std::add_pointer_t<signature> name = nullptr;
#else
#define VORNHOLD_GL_CORE_MEMBER(name, signature) VORNHOLD_GL_MEMBER(name)
#endif
  VORNHOLD_GL_FUNCTIONS(VORNHOLD_GL_MEMBER)
  VORNHOLD_GL_CORE_FUNCTIONS(VORNHOLD_GL_CORE_MEMBER)
  VORNHOLD_GL_ES_FUNCTIONS(VORNHOLD_GL_MEMBER)
#undef VORNHOLD_GL_CORE_MEMBER
#undef VORNHOLD_GL_MEMBER
};

}  // namespace d3d8::gl
