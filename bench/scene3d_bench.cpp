// Frames per second of 3D frames shaped like the show's heaviest, on the software device at
// 640x480 and 1280x960: 360 draws of a 12-triangle box; 300 draws of a lit 300-triangle ball; a
// 20,000-triangle textured room filling the screen; ten large additive, unlit copies of a plate
// covering the screen several times over. Every frame ends with the letterbox bars and a
// full-screen fade, as the scenes draw them. Meshes go through the `.x` loader and MeshObject, as
// the scenes' do. Each scene's last frame is drawn again without the rasterizer's helper thread
// and must come out identical. A measurement, not a test.
//   build-bench/bench/scene3d_bench [FRAMES] [--png PREFIX] [--scene NAME] [--scale 1|2]
//   (PREFIX<scene>.png: 640x480 frames; --scene and --scale run one scene or one size, for profiling)
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_screen.h"
#include "demo/mesh_object.h"
#include "demo/scene_light.h"
#include "engine/dx_engine.h"
#include "platform/d3d8/d3d8_host.h"
#include "platform/png/png_writer.h"
#include "platform/present/present.h"
#include "platform/win32/win32.h"

namespace {

// ---- Meshes as `.x` text --------------------------------------------------------------------

struct Vertex {
  float x, y, z, nx, ny, nz, u, v;
};

std::string XFile(const std::vector<Vertex>& vertices, const std::vector<int>& triangles, float r, float g,
                  float b) {
  std::ostringstream x;
  x << "xof 0302txt 0032\nMesh {\n" << vertices.size() << ";\n";
  for (std::size_t i = 0; i < vertices.size(); ++i)
    x << vertices[i].x << ";" << vertices[i].y << ";" << vertices[i].z << ";" << (i + 1 < vertices.size() ? "," : ";")
      << "\n";
  const std::size_t faces = triangles.size() / 3;
  x << faces << ";\n";
  for (std::size_t f = 0; f < faces; ++f)
    x << "3;" << triangles[3 * f] << "," << triangles[3 * f + 1] << "," << triangles[3 * f + 2] << ";"
      << (f + 1 < faces ? "," : ";") << "\n";
  x << "MeshNormals {\n" << vertices.size() << ";\n";
  for (std::size_t i = 0; i < vertices.size(); ++i)
    x << vertices[i].nx << ";" << vertices[i].ny << ";" << vertices[i].nz << ";"
      << (i + 1 < vertices.size() ? "," : ";") << "\n";
  x << faces << ";\n";
  for (std::size_t f = 0; f < faces; ++f)
    x << "3;" << triangles[3 * f] << "," << triangles[3 * f + 1] << "," << triangles[3 * f + 2] << ";"
      << (f + 1 < faces ? "," : ";") << "\n";
  x << "}\nMeshTextureCoords {\n" << vertices.size() << ";\n";
  for (std::size_t i = 0; i < vertices.size(); ++i)
    x << vertices[i].u << ";" << vertices[i].v << ";" << (i + 1 < vertices.size() ? "," : ";") << "\n";
  x << "}\nMeshMaterialList {\n1;\n" << faces << ";\n";
  for (std::size_t f = 0; f < faces; ++f) x << "0" << (f + 1 < faces ? "," : ";") << "\n";
  x << "Material {\n" << r << ";" << g << ";" << b << ";1.0;;\n20.0;\n0.5;0.5;0.5;;\n0.0;0.0;0.0;;\n}\n}\n}\n";
  return x.str();
}

// A grid of (n+1)^2 vertices on one face of the unit cube [-1, 1]^3, facing `inward` or out.
void AddFace(std::vector<Vertex>& v, std::vector<int>& t, int axis, float side, int n, bool inward) {
  const int base = int(v.size());
  for (int j = 0; j <= n; ++j)
    for (int i = 0; i <= n; ++i) {
      const float a = -1.0f + 2.0f * float(i) / float(n), c = -1.0f + 2.0f * float(j) / float(n);
      float p[3], nrm[3] = {0, 0, 0};
      p[axis] = side;
      p[(axis + 1) % 3] = a;
      p[(axis + 2) % 3] = c;
      nrm[axis] = inward ? -side : side;
      v.push_back({p[0], p[1], p[2], nrm[0], nrm[1], nrm[2], float(i) / float(n) * 4.0f, float(j) / float(n) * 4.0f});
    }
  // Clockwise as seen from the side the normal points to (Direct3D's front faces).
  const bool flip = (side > 0) == inward;
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) {
      const int k = base + j * (n + 1) + i;
      if (flip) {
        t.insert(t.end(), {k, k + n + 1, k + 1, k + 1, k + n + 1, k + n + 2});
      } else {
        t.insert(t.end(), {k, k + 1, k + n + 1, k + 1, k + n + 2, k + n + 1});
      }
    }
}

std::string Box(int n, bool inward, float r, float g, float b) {
  std::vector<Vertex> v;
  std::vector<int> t;
  for (int axis = 0; axis < 3; ++axis)
    for (float side : {-1.0f, 1.0f}) AddFace(v, t, axis, side, n, inward);
  return XFile(v, t, r, g, b);
}

// slices x stacks: 2 * slices * (stacks - 1) triangles.
std::string Ball(int slices, int stacks) {
  std::vector<Vertex> v;
  std::vector<int> t;
  const float pi = 3.14159265f;
  for (int j = 0; j <= stacks; ++j)
    for (int i = 0; i <= slices; ++i) {
      const float theta = pi * float(j) / float(stacks), phi = 2 * pi * float(i) / float(slices);
      const float x = std::sin(theta) * std::cos(phi), y = std::cos(theta), z = std::sin(theta) * std::sin(phi);
      v.push_back({x, y, z, x, y, z, float(i) / float(slices), float(j) / float(stacks)});
    }
  for (int j = 0; j < stacks; ++j)
    for (int i = 0; i < slices; ++i) {
      const int k = j * (slices + 1) + i, below = k + slices + 1;
      if (j > 0) t.insert(t.end(), {k, k + 1, below});
      if (j < stacks - 1) t.insert(t.end(), {k + 1, below + 1, below});
    }
  return XFile(v, t, 0.9f, 0.6f, 0.3f);
}

std::string Plate() {
  std::vector<Vertex> v;
  std::vector<int> t;
  AddFace(v, t, 2, -1.0f, 1, false);  // one quad facing the camera (towards -z)
  return XFile(v, t, 1, 1, 1);
}

// ---- The frame around every scene -----------------------------------------------------------

IDirect3DTexture8* PatternTexture(IDirect3DDevice8* device, UINT size, D3DCOLOR a, D3DCOLOR b, bool radial) {
  IDirect3DTexture8* texture = nullptr;
  device->CreateTexture(size, size, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture);
  D3DLOCKED_RECT locked;
  texture->LockRect(0, &locked, nullptr, 0);
  for (UINT y = 0; y < size; ++y) {
    auto* row = reinterpret_cast<D3DCOLOR*>(static_cast<BYTE*>(locked.pBits) + y * UINT(locked.Pitch));
    for (UINT x = 0; x < size; ++x) {
      if (radial) {
        const float dx = (float(x) + 0.5f) / float(size) - 0.5f, dy = (float(y) + 0.5f) / float(size) - 0.5f;
        const float k = std::max(0.0f, 1.0f - 2.0f * std::sqrt(dx * dx + dy * dy));
        const DWORD c = DWORD(k * k * 255.0f);
        row[x] = 0xFF000000u | (c << 16) | (DWORD(c * 0.7f) << 8) | DWORD(c * 0.4f);
      } else {
        row[x] = ((x / 16 + y / 16) & 1) ? a : b;
      }
    }
  }
  texture->UnlockRect(0);
  return texture;
}

struct Stage {
  DxEngine* engine;
  IDirect3DDevice8* device;
  IDirect3DTexture8* bar;
  IDirect3DTexture8* checker;
  IDirect3DTexture8* flare;
  MeshObject box, ball, room, plate;
  std::vector<SceneLight*> lights;
};

void FrameStart(Stage& s) {
  s.engine->Clear();
  s.engine->Set2DMode(0);
  s.engine->SetZBuffer(1);
  s.engine->SetZWrite(1);
  s.engine->SetAlphaBlend(0);
  s.engine->SetLighting(1);
  s.engine->BeginScene();
}

void FrameEnd(Stage& s, int frame) {
  s.engine->EndScene();
  s.engine->SetAlphaBlend(1);
  s.engine->SetBlendMode(BlendAlpha);
  s.engine->Set2DMode(1);
  s.engine->DrawScreenQuad(0, 0, 640, 60, s.bar);
  s.engine->DrawScreenQuad(0, 420, 640, 60, s.bar);
  s.engine->DrawScreenQuadAlpha(0, 0, 640, 480, s.bar, 0.25f + 0.001f * float(frame % 100));
  s.engine->Set2DMode(0);
  s.engine->Present();
}

void Boxes(Stage& s, int frame) {
  FrameStart(s);
  s.box.DisableTexture();
  for (int k = 0; k < 360; ++k) {
    s.box.Translate(0, 0, 0);
    s.box.Scale(0.2f, 0.2f, 0.2f);
    s.box.RotateY(0.01f * float(frame) + 0.1f * float(k));
    s.box.RotateX(0.5f);
    s.box.Translate(-4.5f + 0.5f * float(k % 20), -3.4f + 0.4f * float(k / 20), 2.0f);
    s.box.Draw(s.device);
  }
  FrameEnd(s, frame);
}

void Balls(Stage& s, int frame) {
  FrameStart(s);
  s.ball.DisableTexture();
  for (int k = 0; k < 300; ++k) {
    const float a = 0.2f * float(k) + 0.02f * float(frame);
    s.ball.Translate(0, 0, 0);
    s.ball.Scale(0.35f, 0.35f, 0.35f);
    s.ball.Translate(3.0f * std::cos(a), -3.0f + 0.02f * float(k), 3.0f * std::sin(a) + 2.0f);
    s.ball.Draw(s.device);
  }
  FrameEnd(s, frame);
}

void Room(Stage& s, int frame) {
  FrameStart(s);
  s.room.SetTexture(s.checker);
  s.device->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);  // the room is scaled up 12 times
  s.room.Translate(0, 0, 0);
  s.room.Scale(12, 6, 12);
  s.room.RotateY(0.005f * float(frame));
  s.room.Translate(0, 0, 10);  // the camera at (0, 0, 10) stands in the middle of the room
  s.room.Draw(s.device);
  s.device->SetRenderState(D3DRS_NORMALIZENORMALS, FALSE);
  FrameEnd(s, frame);
}

void Plates(Stage& s, int frame) {
  FrameStart(s);
  s.engine->SetLighting(0);
  s.engine->SetZBuffer(0);
  s.engine->SetAlphaBlend(1);
  s.engine->SetBlendMode(BlendAdd);
  s.plate.SetTexture(s.flare);
  for (int k = 0; k < 10; ++k) {
    s.plate.Translate(0, 0, 0);
    s.plate.Scale(9, 9, 1);
    s.plate.RotateZ(0.3f * float(k) + 0.01f * float(frame));
    s.plate.Translate(0.3f * float(k % 3) - 0.3f, 0.2f * float(k % 4) - 0.3f, 0);
    s.plate.Draw(s.device);
  }
  FrameEnd(s, frame);
}

struct Scene {
  const char* name;
  const char* shape;
  std::function<void(Stage&, int)> draw;
};

}  // namespace

int main(int argc, char** argv) {
  int frames = 100;
  std::string pngPrefix, onlyScene;
  int onlyScale = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--png" && i + 1 < argc)
      pngPrefix = argv[++i];
    else if (std::string(argv[i]) == "--scene" && i + 1 < argc)
      onlyScene = argv[++i];
    else if (std::string(argv[i]) == "--scale" && i + 1 < argc)
      onlyScale = std::atoi(argv[++i]);
    else
      frames = std::atoi(argv[i]);
  }
  const bool knownScene = onlyScene.empty() || onlyScene == "boxes" || onlyScene == "balls" ||
                          onlyScene == "room" || onlyScene == "plates";
  if (frames <= 0 || !knownScene || (onlyScale != 0 && onlyScale != 1 && onlyScale != 2)) {
    std::fprintf(stderr,
                 "usage: scene3d_bench [FRAMES > 0] [--png PREFIX] [--scene boxes|balls|room|plates] [--scale 1|2]\n");
    return 2;
  }
  platform::FrameImage last;
  platform::SetPresentHandler([&](HWND__*, const platform::FrameImage* image) {
    if (image) last = *image;
  });

  const std::vector<Scene> scenes = {
      {"boxes", "360 draws of a lit 12-triangle box", Boxes},
      {"balls", "300 draws of a lit 300-triangle ball", Balls},
      {"room", "a 20,000-triangle textured, lit room around the camera", Room},
      {"plates", "10 additive, unlit plates, each covering the screen", Plates},
  };
  const std::string box = Box(1, false, 0.4f, 0.7f, 1.0f), ball = Ball(15, 11), room = Box(41, true, 1, 1, 1),
                    plate = Plate();
  bool allIdentical = true;
  std::printf("3D frames on the software device, each with two bars and a full-screen fade (goal at 640x480: 100 "
              "frames/s; floor 60):\n");
  for (const int scale : {1, 2}) {
    if (onlyScale != 0 && scale != onlyScale) continue;
    const int width = 640 * scale, height = 480 * scale;
    BenchScreen screen(width, height);
    if (!screen.ok()) return 1;
    DxEngine& engine = screen.engine;
    engine.LookAt(0, 0, -8, 0, 0, 10);
    auto stage = std::make_unique<Stage>();
    Stage& s = *stage;
    s.engine = &engine;
    s.device = engine.device;
    s.bar = PatternTexture(engine.device, 16, 0xFF101020, 0xFF101020, false);
    s.checker = PatternTexture(engine.device, 256, 0xFFC0A080, 0xFF504060, false);
    s.flare = PatternTexture(engine.device, 128, 0, 0, true);
    s.box.Load(box.data(), DWORD(box.size()), engine.device);
    s.ball.Load(ball.data(), DWORD(ball.size()), engine.device);
    s.room.Load(room.data(), DWORD(room.size()), engine.device);
    s.plate.Load(plate.data(), DWORD(plate.size()), engine.device);
    for (int k = 0; k < 2; ++k) s.lights.push_back(new SceneLight(D3DLIGHT_POINT, engine.device));
    s.lights[0]->light.Diffuse = {1, 1, 1, 1};
    s.lights[0]->light.Position = {0, 2, -4};
    s.lights[0]->light.Range = 40;
    s.lights[0]->light.Attenuation0 = 1;
    s.lights[1]->light.Diffuse = {0.3f, 0.4f, 0.9f, 1};
    s.lights[1]->light.Position = {3, -2, 6};
    s.lights[1]->light.Range = 20;
    s.lights[1]->light.Attenuation0 = 0.8f;
    for (SceneLight* l : s.lights) {
      l->Apply();
      l->Enable();
    }
    for (const Scene& scene : scenes) {
      if (!onlyScene.empty() && onlyScene != scene.name) continue;
      const bool inside = scene.name == std::string("room");  // seen from its middle
      if (inside) {
        engine.LookAt(-4, 2, 4, 8, -2, 18);  // towards a far corner: two walls, floor and ceiling
      } else {
        engine.LookAt(0, 0, -8, 0, 0, 10);
      }
      scene.draw(s, 0);  // warm-up
      const auto start = std::chrono::steady_clock::now();
      for (int f = 0; f < frames; ++f) scene.draw(s, f);
      const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      const platform::FrameImage threaded = last;
      d3d8::UseRasterizerHelper(false);
      scene.draw(s, frames - 1);
      d3d8::UseRasterizerHelper(true);
      const bool identical = last.xrgb == threaded.xrgb;
      allIdentical = allIdentical && identical;
      const double fps = frames / seconds;
      std::printf("  %-6s %4dx%-4d %7.1f frames/s%s  one thread: %s   (%s)\n", scene.name, width, height, fps,
                  scale == 1 ? (fps >= 100 ? " MET    " : fps >= 60 ? " floor  " : " BELOW  ") : "        ",
                  identical ? "identical" : "DIFFERENT", scene.shape);
      std::string error;
      if (!pngPrefix.empty() && scale == 1 &&
          !platform::WritePng(pngPrefix + scene.name + ".png", threaded, error)) {
        std::fprintf(stderr, "scene3d_bench: %s\n", error.c_str());
        return 1;
      }
    }
    for (SceneLight* l : s.lights) delete l;
    s.bar->Release();
    s.checker->Release();
    s.flare->Release();
    stage.reset();  // the meshes go before the device
  }
  return allIdentical ? 0 : 1;
}
