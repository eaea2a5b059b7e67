// Demo: the show object with its ten part slots, the shared timeline, the keyword flags of
// "part.txt" and the state that carries from part to part. VariantDemo, which the entry creates,
// replaces three slots by the variants the keywords "room", "jelly" and "secret" choose.
//
// Timeline times are milliseconds since `startTick`, compared as signed 32-bit differences of
// GetTickCount values; `spinX/Y/Z` are radians.
#pragma once

#include "platform/d3d8/d3d8.h"
#include "platform/win32/win32.h"

class MeshObject;
class SceneLight;

// The keyword flags, each 0 or 1, in the order of the keyword table.
struct DemoFlags {
  BYTE part01, part02, part03, part04, part05, part06, part07, part08, part09, part10;
  BYTE stoned;  // read and kept; nothing uses it
  BYTE lesbian;
  BYTE secret;
  BYTE room;
  BYTE jelly;
};

class Demo {
 public:
  Demo();
  virtual ~Demo() = default;

  virtual void PartSlot0();  // opening corridor fly-through
  virtual void PartSlot1();  // glowing knot
  virtual void PartSlot2();  // ball column
  virtual void PartSlot3();  // ripple grid
  virtual void PartSlot4();  // echo trail
  virtual void PartSlot5();  // dot-matrix tunnel
  virtual void PartSlot6();  // room tour
  virtual void PartSlot7();  // jellyfish hall
  virtual void PartSlot8();  // credits swirl
  virtual void PartSlot9();  // finale ball tower

  // Reads every catalogue entry out of `archiveName` behind the fading loading picture, sets the
  // default camera and creates the four lights. Runs once, before the music starts.
  void LoadAssets();
  // One picture entry of `archiveName` as a texture. A missing entry or one that does not decode
  // ends the program as a hole in the data does at loading: one line naming both, exit code 2.
  IDirect3DTexture8* LoadPicture(const char* entry) const;

  DWORD startTick;  // GetTickCount at timeline 0 ms
  BYTE running;     // 1 until Escape; never set back
  MSG msg;          // the record every part loop uses
  const char* archiveName;
  float spinX, spinY, spinZ;
  DemoFlags flags;

  // Filled by LoadAssets; indices are catalogue positions (demo/asset_catalogue.h).
  IDirect3DTexture8** textures;  // 70 handles
  BYTE* video01Frames;           // 120 frames of 80 x 35 bytes, filled only with `lesbian`
  BYTE* video02Frames;           // 86 frames, filled only without `lesbian`
  BYTE* video03Frames;           // 181 frames, always filled
  BYTE* txt2Map;                 // 256 x 256 bytes, as extracted
  BYTE* tekstiBitmap;            // 400 x 35 bytes, as extracted; 0 is transparent
  MeshObject* meshes;            // 20 objects
  MeshObject* roomMeshes;        // 32 objects
  IDirect3DDevice8* device;      // the engine's device, passed to MeshObject::Draw
  SceneLight* lights[4];         // device light indices 0 .. 3

 protected:
  void PlayRoomPanorama();     // the "room" variant of slot 6
  void PlaySecretPicturePage();  // the "secret" variant of slot 9

 private:
  void ReadPartFile();
};

class VariantDemo : public Demo {
 public:
  void PartSlot6() override;
  void PartSlot7() override;
  void PartSlot9() override;
};

// Reads keyword lines as "part.txt" holds them; exposed for tests. A line longer than 79
// characters matches no keyword and reading goes on. A path that is not a regular file reads as a
// missing one.
void ApplyPartKeywords(const char* path, DemoFlags& flags);

// Whether flags read from "part.txt" let any part slot play ("secret" alone plays the last slot).
bool AnyPartPlays(const DemoFlags& flags);
