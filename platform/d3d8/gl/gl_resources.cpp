// The OpenGL device's copies of textures and vertex and index buffers: uploaded when first drawn
// and again when their contents changed, given back after kIdleFrames frames without a draw.
//
// [SECTION] Textures
// [SECTION] Buffers
// [SECTION] Eviction
#include "platform/d3d8/gl/gl_backend.h"

namespace d3d8::gl {

// ---- [SECTION] Textures -------------------------------------------------------------------------

void GlBackend::BindTexture(const DrawSetup& setup) {
  const Functions& f = gl();
  CachedTexture& cached = textures_[setup.texture];
  cached.lastFrame = frame_;
  if (cached.name && cached.texels == setup.texels) {
    f.BindTexture(GL_TEXTURE_2D, cached.name);
    return;
  }
  // Holding the texels keeps their memory from being reused: a texture that changes (or a new
  // texture at the same address) hands out new texels, so a pointer that differs means an upload.
  if (!cached.name) f.GenTextures(1, &cached.name);
  f.BindTexture(GL_TEXTURE_2D, cached.name);
  f.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  f.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  f.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  const GLsizei width = static_cast<GLsizei>(setup.textureWidth), height = static_cast<GLsizei>(setup.textureHeight);
  if (es_) {
    // ES takes no B, G, R, A bytes (and WebGL2 no swizzle): the words turn into R, G, B, A bytes,
    // so that the shader samples the same channels.
    const std::vector<std::uint32_t>& texels = *setup.texels;
    rgba_.resize(texels.size());
    for (std::size_t i = 0; i < texels.size(); ++i) rgba_[i] = SwapRedBlue(texels[i]);
    f.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba_.data());
  } else {
    f.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, setup.texels->data());
  }
  cached.texels = setup.texels;
}

// ---- [SECTION] Buffers --------------------------------------------------------------------------

// Binds the OpenGL copy of a vertex or index buffer to `target`, uploading the bytes when the copy
// is not of the buffer's version. A locked buffer can change without a new version, so a copy made
// while it is locked is never taken as current. On ES the 16-bit indices of an upload are looked
// through once for 0xFFFF, at which ES (WebGL2) restarts.
CachedBuffer& GlBackend::BufferCopy(std::unordered_map<const void*, CachedBuffer>& copies, const void* buffer,
                                    std::uint64_t version, bool locked, GLenum target,
                                    const std::vector<BYTE>& bytes, bool narrowIndices) {
  const Functions& f = gl();
  CachedBuffer& copy = copies[buffer];
  copy.lastFrame = frame_;
  if (!copy.name) f.GenBuffers(1, &copy.name);
  f.BindBuffer(target, copy.name);
  if (copy.version != version || locked) {
    f.BufferData(target, static_cast<GLsizeiptr>(bytes.size()), bytes.data(), GL_STATIC_DRAW);
    copy.holdsFFFF = false;
    for (std::size_t i = 0; es_ && narrowIndices && i + 1 < bytes.size() && !copy.holdsFFFF; i += 2) {
      copy.holdsFFFF = bytes[i] == 0xFF && bytes[i + 1] == 0xFF;
    }
  }
  copy.version = locked ? 0 : version;
  return copy;
}

// ---- [SECTION] Eviction -------------------------------------------------------------------------

void GlBackend::ForgetIdleCopies() {
  const Functions& f = gl();
  for (auto it = textures_.begin(); it != textures_.end();) {
    if (frame_ - it->second.lastFrame > kIdleFrames) {
      f.DeleteTextures(1, &it->second.name);
      it = textures_.erase(it);
    } else {
      ++it;
    }
  }
  for (auto* copies : {&vertexCopies_, &indexCopies_}) {
    for (auto it = copies->begin(); it != copies->end();) {
      if (frame_ - it->second.lastFrame > kIdleFrames) {
        f.DeleteBuffers(1, &it->second.name);
        it = copies->erase(it);
      } else {
        ++it;
      }
    }
  }
}

}  // namespace d3d8::gl
