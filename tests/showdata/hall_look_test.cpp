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
    if (texture_) texture_->Release();
    if (mesh_) mesh_->Release();
  }

  void Load(int mesh, int texture) {
    const std::vector<unsigned char> x = Extract(g_meshEntries[mesh]);
    ID3DXBuffer* materials = nullptr;
    ASSERT_EQ(D3DXLoadMeshFromXInMemory(x.data(), DWORD(x.size()), D3DXMESH_SYSTEMMEM, device_, nullptr, &materials,
                                        &materialCount_, &mesh_),
              D3D_OK);
    const auto* records = static_cast<const D3DXMATERIAL*>(materials->GetBufferPointer());
    for (DWORD i = 0; i < materialCount_; ++i) materials_.push_back(records[i].MatD3D);
    materials->Release();
    const std::vector<unsigned char> picture = Extract(g_textureEntries[texture]);
    ASSERT_EQ(D3DXCreateTextureFromFileInMemory(device_, picture.data(), UINT(picture.size()), &texture_), D3D_OK);
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
    device_->SetTexture(0, texture_);
    device_->BeginScene();
  }

  void Draw(const D3DXMATRIX& world) {
    device_->SetTransform(D3DTS_WORLD, &world);
    for (DWORD i = 0; i < materialCount_; ++i) {
      D3DMATERIAL8 material = materials_[i];
      material.Ambient = {0, 0, 0, 1};  // as the show's mesh objects load them
      device_->SetMaterial(&material);
      mesh_->DrawSubset(i);
    }
  }

  platform::FrameImage End() {
    device_->EndScene();
    frame_ = {};
    device_->Present(nullptr, nullptr, nullptr, nullptr);
    return frame_;
  }

  testsupport::HeadlessDevice screen_{kWidth, kHeight};
  IDirect3DDevice8* device_ = nullptr;
  ID3DXMesh* mesh_ = nullptr;
  DWORD materialCount_ = 0;
  std::vector<D3DMATERIAL8> materials_;
  IDirect3DTexture8* texture_ = nullptr;
  platform::FrameImage frame_;
};

D3DXMATRIX Then(const D3DXMATRIX& a, const D3DXMATRIX& b) {
  D3DXMATRIX out;
  return *D3DXMatrixMultiply(&out, &a, &b);
}
D3DXMATRIX Scaling(float x, float y, float z) {
  D3DXMATRIX m;
  return *D3DXMatrixScaling(&m, x, y, z);
}
D3DXMATRIX Turn(float x, float y, float z) {
  D3DXMATRIX a, b, c;
  D3DXMatrixRotationX(&a, x);
  D3DXMatrixRotationY(&b, y);
  D3DXMatrixRotationZ(&c, z);
  return Then(Then(a, b), c);
}
D3DXMATRIX Moved(float x, float y, float z) {
  D3DXMATRIX m;
  return *D3DXMatrixTranslation(&m, x, y, z);
}

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
  Load(3, 8);
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
      Draw(Then(Then(Scaling(v.scale, v.scale, v.scale), Turn(a + v.spinX, a + v.spinY, a + v.spinZ)),
                Moved(0, 2.008f, 0)));
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

}  // namespace
