// Draws the generated meshes through the software device from the scenes' own cameras, the way
// the scenes draw them (set turn, left-handed projection at aspect 1, near 0.1, far 1000). Frames
// can be written as PNG files for a look (set VORNHOLD_MESH_VIEWS to a folder).
#pragma once

#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "demo/mesh_object.h"
#include "platform/png/png_writer.h"
#include "platform/present/present.h"
#include "support/headless_device.h"
#include "tools/showdata/data_entry.h"
#include "tools/showdata/meshes/room_layout.h"

namespace meshviews {

inline D3DXVECTOR3 Cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline D3DXVECTOR3 Min(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
  return {std::fmin(a.x, b.x), std::fmin(a.y, b.y), std::fmin(a.z, b.z)};
}
inline D3DXVECTOR3 Max(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
  return {std::fmax(a.x, b.x), std::fmax(a.y, b.y), std::fmax(a.z, b.z)};
}

struct Camera {
  D3DXVECTOR3 eye, target;
  float fovRadians;
};

// Colour a pixel gets in an identity view: mesh k is painted in IdColour(k); the clear colour is 0.
inline DWORD IdColour(int k) { return 0x00101010u + DWORD(k + 1) * 0x00070B05u; }

class Viewer {
 public:
  explicit Viewer(const std::vector<showdata::DataEntry>& entries) : screen_(Size(), Size()) {
    device_ = screen_.get();
    for (const auto& entry : entries) {
      objects_.push_back(std::make_unique<MeshObject>());
      objects_.back()->Load(entry.bytes.data(), DWORD(entry.bytes.size()), device_);
    }
    // A checker texture stands in for every picture, so that texture coordinates show.
    device_->CreateTexture(32, 32, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &checker_);
    D3DLOCKED_RECT locked;
    checker_->LockRect(0, &locked, nullptr, 0);
    for (int y = 0; y < 32; ++y) {
      auto* row = reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
      for (int x = 0; x < 32; ++x) row[x] = ((x / 8 + y / 8) % 2) ? 0x00FFFFFF : 0x00A0A8C0;
    }
    checker_->UnlockRect(0);
    platform::SetPresentHandler([this](HWND__*, const platform::FrameImage* image) {
      if (image) frame_ = *image;
    });
  }
  ~Viewer() {
    platform::SetPresentHandler(nullptr);
    objects_.clear();
    if (checker_) checker_->Release();
  }

  MeshObject& Object(size_t i) { return *objects_[i]; }
  IDirect3DDevice8* Device() { return device_; }

  // Lit view: a white point light at `light` with the given range, textures as checkers.
  platform::FrameImage Lit(const std::vector<int>& meshes, const Camera& camera, D3DXVECTOR3 light, float range,
                           bool textured = true) {
    Setup(camera);
    D3DLIGHT8 l = {};
    l.Type = D3DLIGHT_POINT;
    l.Diffuse = {1, 1, 1, 1};
    l.Specular = {1, 1, 1, 1};
    l.Position = light;
    l.Range = range;
    l.Attenuation0 = 1.0f;
    device_->SetLight(0, &l);
    device_->LightEnable(0, TRUE);
    device_->SetRenderState(D3DRS_AMBIENT, 0x00202020);
    device_->BeginScene();
    for (int i : meshes) {
      MeshObject& m = *objects_[size_t(i)];
      m.RestoreMaterials();
      for (DWORD k = 0; k < m.materialCount; ++k) m.materials[k].Ambient = {0.5f, 0.5f, 0.5f, 1};
      m.SetTexture(checker_);
      if (textured) {
        m.EnableTexture();
      } else {
        m.DisableTexture();
      }
      const auto moved = copiesAt.find(i);
      if (moved == copiesAt.end()) {
        Place(m);
        m.Draw(device_);
        continue;
      }
      for (const D3DXVECTOR3& at : moved->second) {
        Place(m);
        m.Translate(at.x, at.y, at.z);
        m.Draw(device_);
      }
    }
    device_->EndScene();
    return Present();
  }

  // Identity view: every mesh painted flat in IdColour(index), no lights, no textures.
  platform::FrameImage Ids(const std::vector<int>& meshes, const Camera& camera) {
    Setup(camera);
    device_->LightEnable(0, FALSE);
    device_->SetRenderState(D3DRS_AMBIENT, 0);
    device_->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    device_->BeginScene();
    for (int i : meshes) {
      MeshObject& m = *objects_[size_t(i)];
      Paint(m, i);
      Place(m);
      m.Draw(device_);
    }
    device_->EndScene();
    return Present();
  }

  // One mesh drawn `copies` times, each placed by place(mesh, copy) instead of the set turn;
  // lit by a white light at the eye (Lit) or flat in its identity colour (Ids).
  using Placement = std::function<void(MeshObject&, int)>;
  platform::FrameImage LitPlaced(int mesh, const Camera& camera, const Placement& place, int copies = 1) {
    Setup(camera);
    D3DLIGHT8 l = {};
    l.Type = D3DLIGHT_POINT;
    l.Diffuse = l.Specular = {1, 1, 1, 1};
    l.Position = camera.eye + D3DXVECTOR3(3, 3, 0);
    l.Range = 100;
    l.Attenuation0 = 1.0f;
    device_->SetLight(0, &l);
    device_->LightEnable(0, TRUE);
    device_->SetRenderState(D3DRS_AMBIENT, 0);
    MeshObject& m = *objects_[size_t(mesh)];
    m.RestoreMaterials();
    m.SetTexture(checker_);
    m.EnableTexture();
    device_->BeginScene();
    for (int k = 0; k < copies; ++k) {
      place(m, k);
      m.Draw(device_);
    }
    device_->EndScene();
    return Present();
  }
  platform::FrameImage IdsPlaced(int mesh, const Camera& camera, const Placement& place, int copies = 1) {
    const bool turn = setTurn;
    setTurn = false;
    Setup(camera);
    device_->LightEnable(0, FALSE);
    device_->SetRenderState(D3DRS_AMBIENT, 0);
    MeshObject& m = *objects_[size_t(mesh)];
    Paint(m, mesh);
    device_->BeginScene();
    for (int k = 0; k < copies; ++k) {
      place(m, k);
      m.Draw(device_);
    }
    device_->EndScene();
    setTurn = turn;
    return Present();
  }

  // Meshes drawn in several copies, each moved by an offset after the set turn.
  std::map<int, std::vector<D3DXVECTOR3>> copiesAt;

  // Meshes drawn without the set turn (the scenes that place them themselves) pass false.
  bool setTurn = true;

 private:
  // 160 pixels square, or VORNHOLD_MESH_VIEW_SIZE for a closer look.
  static int Size() {
    const char* size = std::getenv("VORNHOLD_MESH_VIEW_SIZE");
    return size && std::atoi(size) >= 64 ? std::atoi(size) : 160;
  }
  static void Paint(MeshObject& m, int i) {
    const DWORD c = IdColour(i);
    for (DWORD k = 0; k < m.materialCount; ++k) {
      m.materials[k] = D3DMATERIAL8{};
      m.materials[k].Emissive = {float((c >> 16) & 255) / 255.0f, float((c >> 8) & 255) / 255.0f,
                                 float(c & 255) / 255.0f, 1};
      m.materials[k].Diffuse.a = 1;
    }
    m.DisableTexture();
  }
  void Setup(const Camera& camera) {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    D3DXMATRIX projection, view;
    D3DXMatrixPerspectiveFovLH(&projection, camera.fovRadians, 1.0f, 0.1f, 1000.0f);
    device_->SetTransform(D3DTS_PROJECTION, &projection);
    const D3DXVECTOR3 up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &camera.eye, &camera.target, &up);
    device_->SetTransform(D3DTS_VIEW, &view);
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device_->SetRenderState(D3DRS_LIGHTING, TRUE);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device_->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  }
  void Place(MeshObject& m) const {
    if (!setTurn) return;
    m.RotateY(showdata::kSetTurnY);
    m.RotateX(showdata::kSetTurnX);
  }
  platform::FrameImage Present() {
    frame_ = {};
    device_->Present(nullptr, nullptr, nullptr, nullptr);
    return frame_;
  }

  testsupport::HeadlessDevice screen_;
  IDirect3DDevice8* device_ = nullptr;
  IDirect3DTexture8* checker_ = nullptr;
  std::vector<std::unique_ptr<MeshObject>> objects_;
  platform::FrameImage frame_;
};

// Share of pixels that are not the clear colour.
inline double Coverage(const platform::FrameImage& image) {
  size_t covered = 0;
  for (auto p : image.xrgb) covered += (p & 0xFFFFFF) != 0;
  return image.xrgb.empty() ? 0 : double(covered) / double(image.xrgb.size());
}

// Share of pixels painted in mesh k's identity colour.
inline double Share(const platform::FrameImage& image, int k) {
  size_t n = 0;
  for (auto p : image.xrgb) n += (p & 0xFFFFFF) == IdColour(k);
  return image.xrgb.empty() ? 0 : double(n) / double(image.xrgb.size());
}

inline void Keep(const platform::FrameImage& image, const std::string& name) {
  const char* folder = std::getenv("VORNHOLD_MESH_VIEWS");
  if (!folder || !*folder) return;
  std::string error;
  platform::WritePng(std::string(folder) + "/" + name + ".png", image, error);
}

}  // namespace meshviews
