// Demo::LoadAssets: every catalogue entry out of the archive, behind a loading picture that fades
// in, stays while the rest loads and fades out; then the default camera and the four lights.
//
// Entries are read in catalogue order (demo/asset_catalogue.h). The show cannot play with a hole
// in its data, so a missing entry, a picture or mesh that does not decode, a video frame shorter
// than 2800 bytes, a short map or memory running out for an entry ends the program with one line
// on stderr naming the entry and the archive, and exit code 2.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "archive/archive.h"
#include "demo/asset_catalogue.h"
#include "demo/demo.h"
#include "demo/mesh_object.h"
#include "demo/scene_light.h"
#include "engine/dx_engine.h"
#include "engine/frame_timer.h"
#include "platform/trace/trace.h"

namespace {

constexpr int kExitBadData = 2;

// Ends the program as the entry would end it, minus the parts: the device goes first so that a
// full-screen display is given back.
[[noreturn]] void StopLoading(const std::string& reason) {
  std::fprintf(stderr, "vornhold: %s\n", reason.c_str());
  if (g_pDxEngine) {
    g_pDxEngine->Shutdown();
    delete g_pDxEngine;
    g_pDxEngine = nullptr;
  }
  ShowCursor(TRUE);
  std::exit(kExitBadData);
}

// The entry's bytes (malloc'ed, the caller frees them); stops the show when it is missing.
unsigned char* Extract(const char* entry, const char* archive, unsigned int* size) {
  unsigned char* data = nullptr;
  errno = 0;  // the reader's buffer allocation leaves ENOMEM when memory, not the archive, failed
  if (!ArchiveExtract(&data, size, entry, archive, "") || !data) {
    if (errno == ENOMEM) StopLoading(std::string("out of memory reading ") + entry + " from " + archive);
    StopLoading(std::string("cannot read ") + entry + " from " + archive);
  }
  return data;
}

// Why the archive cannot be read at all, or null. Only a regular file is an archive: opening a FIFO
// would wait for a writer, and a device or a folder is no archive (O_NONBLOCK changes nothing for
// a regular file).
const char* ArchiveProblem(const char* path) {
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::strerror(errno);
  struct stat info {};
  const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  ::close(fd);
  return regular ? nullptr : "not a regular file";
}

// At least `minimum` bytes of the entry, or the show stops.
unsigned char* ExtractAtLeast(const char* entry, const char* archive, unsigned int minimum) {
  unsigned int size = 0;
  unsigned char* data = Extract(entry, archive, &size);
  if (size < minimum) {
    std::free(data);
    StopLoading(std::string(entry) + " in " + archive + " holds " + std::to_string(size) + " bytes, " +
                std::to_string(minimum) + " expected");
  }
  return data;
}

IDirect3DTexture8* LoadTexture(const char* entry, const char* archive) {
  unsigned int size = 0;
  unsigned char* data = Extract(entry, archive, &size);
  IDirect3DTexture8* texture = *g_pDxEngine->CreateTextureFromMemory(data, size);
  std::free(data);
  if (!texture) StopLoading(std::string(entry) + " in " + archive + " is not a picture that can be decoded");
  return texture;
}

void LoadMesh(MeshObject& object, const char* entry, const char* archive) {
  unsigned int size = 0;
  unsigned char* data = Extract(entry, archive, &size);
  object.Load(data, size, g_pDxEngine->device);
  std::free(data);
  if (!object.mesh) StopLoading(std::string(entry) + " in " + archive + " is not a mesh that can be decoded");
}

// Frames 1 .. count of a set, named by `pattern`, each copied as exactly one frame.
void LoadVideoFrames(BYTE* frames, const char* pattern, int count, const char* archive) {
  for (int n = 1; n <= count; ++n) {
    char entry[64];
    std::snprintf(entry, sizeof entry, pattern, n);
    unsigned char* data = ExtractAtLeast(entry, archive, g_videoFrameBytes);
    std::memcpy(frames + std::size_t(n - 1) * g_videoFrameBytes, data, g_videoFrameBytes);
    std::free(data);
  }
}

// The picture at the lower left of a black screen, with the given alpha.
void DrawLoadingFrame(IDirect3DTexture8* picture, float alpha) {
  g_pDxEngine->SetAlphaBlend(1);
  g_pDxEngine->SetBlendMode(BlendAlpha);
  g_pDxEngine->Set2DMode(1);
  g_pDxEngine->DrawScreenQuadAlpha(0.0f, 224.0f, 512.0f, 256.0f, picture, alpha);
  g_pDxEngine->Set2DMode(0);
  g_pDxEngine->Present();
}

}  // namespace

IDirect3DTexture8* Demo::LoadPicture(const char* entry) const { return LoadTexture(entry, archiveName); }

void Demo::LoadAssets() {
  // Without the archive every entry would be missing: say what is really wrong.
  if (const char* problem = ArchiveProblem(archiveName))
    StopLoading(std::string("cannot open the archive ") + archiveName + ": " + problem);
  textures = new IDirect3DTexture8*[g_textureCount]();
  textures[0] = LoadTexture(g_textureEntries[0], archiveName);

  // Fade in over about a second (alpha grows by 0.01 per hundredth of a second).
  FrameTimer timer;
  timer.Start(100.0f);
  float alpha = 0.0f;
  do {
    g_pDxEngine->Clear();
    timer.Tick();
    alpha += 0.01f * timer.delta;
    if (alpha > 1.0f) alpha = 1.0f;
    DrawLoadingFrame(textures[0], alpha);
  } while (alpha < 1.0f);

  // Nothing is drawn meanwhile: the screen keeps the last loading frame.
  for (int i = 1; i < g_textureCount; ++i) textures[i] = LoadTexture(g_textureEntries[i], archiveName);

  // Both of the first two sets are allocated; only the one `lesbian` chooses is filled.
  video01Frames = new BYTE[std::size_t(g_video01FrameCount) * g_videoFrameBytes]();
  video02Frames = new BYTE[std::size_t(g_video02FrameCount) * g_videoFrameBytes]();
  video03Frames = new BYTE[std::size_t(g_video03FrameCount) * g_videoFrameBytes]();
  if (flags.lesbian)
    LoadVideoFrames(video01Frames, g_video01Pattern, g_video01FrameCount, archiveName);
  else
    LoadVideoFrames(video02Frames, g_video02Pattern, g_video02FrameCount, archiveName);
  LoadVideoFrames(video03Frames, g_video03Pattern, g_video03FrameCount, archiveName);

  // The maps stay as the archive returned them.
  txt2Map = ExtractAtLeast(g_txt2Entry, archiveName, g_txt2Bytes);
  tekstiBitmap = ExtractAtLeast(g_tekstiEntry, archiveName, g_tekstiWidth * g_tekstiHeight);

  // Named by catalogue position for the trace: mesh<i>, room<i>.
  meshes = new MeshObject[g_meshCount];
  for (int i = 0; i < g_meshCount; ++i) {
    trace::SetName(&meshes[i], "mesh" + std::to_string(i));
    LoadMesh(meshes[i], g_meshEntries[i], archiveName);
  }
  // Loaded whatever the keywords say.
  roomMeshes = new MeshObject[g_roomMeshCount];
  for (int i = 0; i < g_roomMeshCount; ++i) {
    trace::SetName(&roomMeshes[i], "room" + std::to_string(i));
    LoadMesh(roomMeshes[i], g_roomMeshEntries[i], archiveName);
  }
  // Loading is done: what the reader keeps between calls (a 1 MiB window for a solid archive) is
  // of no further use.
  ArchiveDropCache();

  g_pDxEngine->SetProjection(0.783f, 1.0f, 0.1f, 1000.0f);
  g_pDxEngine->LookAt(0.0f, 0.0f, 10.0f, 0.0f, 0.0f, 0.0f);
  device = g_pDxEngine->device;

  // Neither configured nor enabled: each part sets them up.
  for (SceneLight*& light : lights) light = new SceneLight(D3DLIGHT_POINT, device);

  // Fade out; the timer starts again, so the loading time does not count. alpha is 1 here.
  timer.Start(100.0f);
  do {
    g_pDxEngine->Clear();
    timer.Tick();
    alpha -= 0.01f * timer.delta;
    if (alpha < 0.0f) alpha = 0.0f;
    DrawLoadingFrame(textures[0], alpha);
  } while (alpha > 0.0f);
}
