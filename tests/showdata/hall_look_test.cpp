// The jellyfish hall as a viewer sees it, drawn from the built data the way the scene draws it on
// the software device: the ten glow plates added over the hall leave it in view, and the jellyfish
// stand out bright against the dark. Skipped when the build made no data (the sanitizer build).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "demo/asset_catalogue.h"
#include "platform/d3dx8/d3dx8.h"
#include "platform/host_glue/present_hub.h"
#include "support/headless_device.h"

namespace {

namespace fs = std::filesystem;

const fs::path kData = fs::path(VORNHOLD_BINARY_DIR) / "data";

std::vector<unsigned char> Extract(const char* name) {
  unsigned char* data = nullptr;
  unsigned int size = 0;
  const std::string archive = (kData / "lab.ac").string();
  EXPECT_EQ(ArchiveExtract(&data, &size, name, archive.c_str(), ""), 1) << name;
  std::vector<unsigned char> bytes(data, data + size);
  std::free(data);
  return bytes;
}

struct Camera {
  D3DXVECTOR3 eye, target;
  float fovDegrees;
};

// The hall's cameras: phase 0 spirals out from radius 6 while its view widens from 45 degrees,
// phase 1 looks up from low and close, phase 2 orbits wide and high.
Camera Spiral(float spinX, float radius, float fov) {
  return {{radius * std::sin(0.8f * spinX), 7.106f, -radius * std::cos(0.8f * spinX)}, {0, 2.008f, 0}, fov};
}
Camera Low(float spinX) {
  return {{5 * std::sin(0.9f * spinX), -2.811f, -5 * std::cos(0.9f * spinX)}, {0.02f, 1.963f, 0}, 130};
}
Camera High(float spinX) { return {{15 * std::sin(spinX), 6.223f, 15 * std::cos(spinX)}, {0.018f, 5.173f, 0}, 92}; }

// The show's picture is 640 x 480 with a square projection; a quarter of it is enough here.
constexpr int kWidth = 320, kHeight = 240;

class HallLook : public testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kData / "lab.ac")) GTEST_SKIP() << "no data in " << kData;
    device_ = screen_.get();
    platform::SetPresentHandler([this](HWND__*, const platform::FrameImage* image) {
      if (image) frame_ = *image;
    });
  }
  void TearDown() override {
    platform::SetPresentHandler(nullptr);
    for (Piece& piece : pieces_) {
      if (piece.texture) piece.texture->Release();
      if (piece.mesh) piece.mesh->Release();
    }
  }

  // A general mesh with the picture the scene puts on it; returns its number for Draw.
  int Load(int mesh, int texture) {
    Piece piece;
    const std::vector<unsigned char> x = Extract(g_meshEntries[mesh]);
    ID3DXBuffer* materials = nullptr;
    DWORD count = 0;
    EXPECT_EQ(D3DXLoadMeshFromXInMemory(x.data(), DWORD(x.size()), D3DXMESH_SYSTEMMEM, device_, nullptr, &materials,
                                        &count, &piece.mesh),
              D3D_OK);
    if (materials) {
      const auto* records = static_cast<const D3DXMATERIAL*>(materials->GetBufferPointer());
      for (DWORD i = 0; i < count; ++i) piece.materials.push_back(records[i].MatD3D);
      materials->Release();
    }
    const std::vector<unsigned char> picture = Extract(g_textureEntries[texture]);
    EXPECT_EQ(D3DXCreateTextureFromFileInMemory(device_, picture.data(), UINT(picture.size()), &piece.texture), D3D_OK);
    pieces_.push_back(piece);
    return int(pieces_.size()) - 1;
  }

  void Begin(const Camera& camera, D3DCOLOR backdrop) {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, backdrop, 1.0f, 0);
    D3DXMATRIX projection, view;
    D3DXMatrixPerspectiveFovLH(&projection, 0.0174f * camera.fovDegrees, 1.0f, 0.1f, 1000.0f);
    device_->SetTransform(D3DTS_PROJECTION, &projection);
    const D3DXVECTOR3 up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &camera.eye, &camera.target, &up);
    device_->SetTransform(D3DTS_VIEW, &view);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device_->BeginScene();
  }

  void Draw(int piece, const D3DXMATRIX& world) {
    const Piece& p = pieces_[size_t(piece)];
    if (!p.mesh) return;
    device_->SetTransform(D3DTS_WORLD, &world);
    device_->SetTexture(0, p.texture);
    for (size_t i = 0; i < p.materials.size(); ++i) {
      D3DMATERIAL8 material = p.materials[i];
      material.Ambient = {0, 0, 0, 1};  // as the show's mesh objects load them
      device_->SetMaterial(&material);
      p.mesh->DrawSubset(DWORD(i));
    }
  }

  platform::FrameImage End() {
    device_->EndScene();
    frame_ = {};
    device_->Present(nullptr, nullptr, nullptr, nullptr);
    return frame_;
  }

  struct Piece {
    ID3DXMesh* mesh = nullptr;
    std::vector<D3DMATERIAL8> materials;
    IDirect3DTexture8* texture = nullptr;
  };
  testsupport::HeadlessDevice screen_{kWidth, kHeight};
  IDirect3DDevice8* device_ = nullptr;
  std::vector<Piece> pieces_;
  platform::FrameImage frame_;
};

D3DXMATRIX Scaling(float x, float y, float z) {
  D3DXMATRIX m;
  return *D3DXMatrixScaling(&m, x, y, z);
}
D3DXMATRIX Turn(float x, float y, float z) {
  D3DXMATRIX a, b, c;
  D3DXMatrixRotationX(&a, x);
  D3DXMatrixRotationY(&b, y);
  D3DXMatrixRotationZ(&c, z);
  return a * b * c;
}
D3DXMATRIX Moved(float x, float y, float z) {
  D3DXMATRIX m;
  return *D3DXMatrixTranslation(&m, x, y, z);
}
// The turn that stands the hall's meshes (and the jellyfish) upright.
D3DXMATRIX SetTurn() { return Turn(0, 3.132f, 0) * Turn(1.566f, 0, 0); }

int Channel(std::uint32_t p, int shift) { return int((p >> shift) & 0xFF); }
int Brightest(std::uint32_t p) { return std::max({Channel(p, 16), Channel(p, 8), Channel(p, 0)}); }
// Luma, 0 .. 255.
int Luma(std::uint32_t p) { return (77 * Channel(p, 16) + 150 * Channel(p, 8) + 29 * Channel(p, 0)) >> 8; }

// Rows between the letterbox bars (100 .. 380 of 480).
template <typename F>
void ForEachShownPixel(const platform::FrameImage& image, F f) {
  for (int y = image.height * 100 / 480; y < image.height * 380 / 480; ++y) {
    for (int x = 0; x < image.width; ++x) f(image.xrgb[size_t(y * image.width + x)]);
  }
}

// Ten plates turning about the hall's centre, each a third of a radian on from the one before,
// added without lighting or depth writes over the hall (here a flat backdrop of its dark blue).
// They show, but as lines of light: hardly any of what they light is washed to white, and through
// most of it the backdrop stays readable (lifted by less than 96 of 255 in luma).
TEST_F(HallLook, TenGlowPlatesReadAsRingsOverTheHall) {
  const int plate = Load(3, 8);
  const D3DCOLOR backdrop = 0x00283048;
  struct View {
    const char* name;
    Camera camera;
    float scale, spinX, spinY, spinZ;
  };
  const View views[] = {
      {"opening", Spiral(3.5f, 6, 45), 15, 3.5f, 70.0f, 50.05f},
      {"opening_later", Spiral(3.55f, 8, 49), 14.5f, 3.55f, 71.0f, 50.8f},
      {"spiral", Spiral(3.8f, 12, 60), 11, 3.8f, 76.0f, 54.3f},
      {"spiral_wide", Spiral(4.2f, 15, 80), 8, 4.2f, 84.0f, 60.1f},
      {"low", Low(4.5f), 8, 4.5f, 90.0f, 64.4f},
      {"low_later", Low(4.9f), 8, 4.9f, 98.0f, 70.1f},
      {"high", High(5.0f), 8, 5.0f, 100.0f, 71.5f},
      {"high_later", High(5.6f), 8, 5.6f, 112.0f, 80.1f},
  };
  for (const View& v : views) {
    Begin(v.camera, backdrop);
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    device_->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    for (int i = 0; i < 10; ++i) {
      const float a = float(i) / 3;
      Draw(plate, Scaling(v.scale, v.scale, v.scale) * Turn(a + v.spinX, a + v.spinY, a + v.spinZ) * Moved(0, 2.008f, 0));
    }
    const platform::FrameImage image = End();
    ASSERT_EQ(image.width, kWidth) << v.name;
    size_t shown = 0, white = 0, hidden = 0, lit = 0;
    ForEachShownPixel(image, [&](std::uint32_t p) {
      ++shown;
      white += Channel(p, 16) >= 240 && Channel(p, 8) >= 240 && Channel(p, 0) >= 240;
      hidden += Luma(p) - Luma(backdrop) >= 96;
      lit += Brightest(p) - Brightest(backdrop) >= 24;
    });
    EXPECT_GT(double(lit) / double(shown), 0.02) << v.name;
    EXPECT_LT(double(white) / double(shown), 0.01) << v.name;
    EXPECT_LT(double(white) / double(lit), 0.05) << v.name;
    EXPECT_LT(double(hidden) / double(lit), 0.35) << v.name;
  }
}

// The hall lit as the scene lights it: one white point light on the centre line at height 2,
// reaching 13 units; the room's faint device ambient still set.
void LightTheHall(IDirect3DDevice8* device) {
  D3DLIGHT8 light = {};
  light.Type = D3DLIGHT_POINT;
  light.Ambient = {0.3f, 0.3f, 0.3f, 1};
  light.Diffuse = light.Specular = {1, 1, 1, 1};
  light.Position = {0, 2, 0};
  light.Range = 13;
  light.Attenuation0 = 1;
  device->SetLight(0, &light);
  device->LightEnable(0, TRUE);
  device->SetRenderState(D3DRS_AMBIENT, 0x05050505);
  device->SetRenderState(D3DRS_LIGHTING, TRUE);
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}

// Jellyfish rising through the hall, seen from each camera phase, drawn over the hall. Where they
// cover the hall they are clearly brighter than the hall they hide (by a quarter of the scale in
// luma on average), and together they take up enough of the picture to make out.
TEST_F(HallLook, JellyfishStandOutBrightAgainstTheHall) {
  const int hall[3] = {Load(17, 17), Load(18, 16), Load(19, 15)};
  const int jellyfish = Load(10, 7);
  struct Jelly {
    float x, y, z, sx, sz;
  };
  // Low in the middle, then out to 1.5 times their offsets higher up; the wave's smallest, middle
  // and largest sizes.
  const Jelly swarm[] = {{0, 3, 0, 1, 1},          {-1.8f, 6.5f, 2.4f, 0.5f, 1},   {2.7f, 8.5f, -1.2f, 1.5f, 1.3f},
                         {-2.8f, 10, -2.6f, 1, 0.7f}, {1.2f, 5.5f, 1.5f, 1.25f, 1.2f}};
  struct View {
    const char* name;
    Camera camera;
  };
  const View views[] = {{"spiral", Spiral(3.9f, 13, 70)}, {"spiral_wide", Spiral(4.2f, 15.2f, 81)},
                        {"low", Low(4.5f)},               {"low_later", Low(4.9f)},
                        {"high", High(5.0f)},             {"high_later", High(5.6f)}};
  for (const View& v : views) {
    const auto drawHall = [&] {
      for (int piece : hall) Draw(piece, SetTurn());
    };
    Begin(v.camera, 0);
    LightTheHall(device_);
    drawHall();
    const platform::FrameImage empty = End();
    Begin(v.camera, 0);
    LightTheHall(device_);
    drawHall();
    for (const Jelly& j : swarm) Draw(jellyfish, Scaling(j.sx, j.sx, j.sz) * SetTurn() * Moved(j.x, j.y, j.z));
    const platform::FrameImage full = End();
    ASSERT_EQ(full.width, kWidth) << v.name;
    size_t shown = 0, covered = 0;
    double jellyLuma = 0, hallLuma = 0;
    for (int y = kHeight * 100 / 480; y < kHeight * 380 / 480; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const std::uint32_t before = empty.xrgb[size_t(y * kWidth + x)], after = full.xrgb[size_t(y * kWidth + x)];
        ++shown;
        if (before == after) continue;
        ++covered;
        jellyLuma += Luma(after);
        hallLuma += Luma(before);
      }
    }
    ASSERT_GT(covered, 0u) << v.name;
    jellyLuma /= double(covered);
    hallLuma /= double(covered);
    EXPECT_GT(double(covered) / double(shown), 0.01) << v.name;
    EXPECT_GT(jellyLuma, 96) << v.name;
    EXPECT_GT(jellyLuma, hallLuma + 64) << v.name;
  }
}

}  // namespace
