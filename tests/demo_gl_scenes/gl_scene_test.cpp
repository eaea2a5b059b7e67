// Every scene drawn by the OpenGL device and by the software device, frame by frame at the
// harness's 160 x 120, compared by PSNR against a floor per scene, with the OpenGL device on
// OpenGL 3.3 and on OpenGL ES 3.0 (WebGL2's rules). Skipped, with the reason, where the API cannot
// start, and in sanitizer builds (Mesa's llvmpipe is not built for them).
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/window_backend.h"
#include "support/scene_harness.h"

namespace scenetest {
namespace {

struct SceneFloor {
  int slot;
  double floorDb;   // the lowest PSNR of a frame that passes
  const char* why;  // what still differs
};

// Measured on Mesa llvmpipe (LLVM 15): each floor is the scene's lowest frame less about 3 dB.
// Where every pixel is within 2 per channel, what differs is rounding: colours interpolated across
// triangles in OpenGL's floats, and blending rounded per product (see gl_device_test.cpp).
constexpr const char* kRounding = "pixels within 2 per channel: rounding of interpolated colours and blends";
constexpr const char* kEdges =
    "rounding as elsewhere, and up to 20 pixels along edges that the vertex shader's float transform puts "
    "on the other side of a pixel centre";
const SceneFloor kFloors[] = {
    {0, 77, kRounding},  // lowest 80.0 dB
    {1, 53, kRounding},  // 56.3 dB: a third of the pixels off by 1
    {2, 54, kRounding},  // 57.4 dB
    {3, 56, kRounding},  // 59.5 dB
    {4, 78, kRounding},  // 81.6 dB
    {5, 51, kRounding},  // 54.3 dB: 2800 blended quads, half the pixels off by 1 or 2
    {6, 65, kRounding},  // 68.3 dB
    {7, 61, kRounding},  // 65.0 dB
    {8, 46, kEdges},     // 49.8 dB
    {9, 41, kEdges},     // 44.7 dB
};

double Psnr(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
  double sum = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    for (int shift : {0, 8, 16}) {
      const double d = static_cast<double>((a[i] >> shift) & 255) - static_cast<double>((b[i] >> shift) & 255);
      sum += d * d;
    }
  }
  if (sum == 0) return std::numeric_limits<double>::infinity();
  const double mse = sum / (3.0 * static_cast<double>(a.size()));
  return 10.0 * std::log10(255.0 * 255.0 / mse);
}

// With VORNHOLD_GL_TEST_DUMP=DIR, both frames of a frame below its floor are written there as PPM.
void Dump(int slot, long t, const char* device, const std::vector<std::uint32_t>& pixels) {
  const char* dir = std::getenv("VORNHOLD_GL_TEST_DUMP");
  if (!dir) return;
  const std::string file =
      std::string(dir) + "/slot" + std::to_string(slot) + "_" + std::to_string(t) + "." + device + ".ppm";
  std::FILE* out = std::fopen(file.c_str(), "wb");
  if (!out) return;
  std::fprintf(out, "P6 %d %d 255\n", kWidth, kHeight);
  for (const std::uint32_t pixel : pixels) {
    const unsigned char rgb[3] = {static_cast<unsigned char>(pixel >> 16), static_cast<unsigned char>(pixel >> 8),
                                  static_cast<unsigned char>(pixel)};
    std::fwrite(rgb, 1, 3, out);
  }
  std::fclose(out);
}

// The parameter: the API the OpenGL device is made on (VORNHOLD_GL_ES chooses it).
class GlSceneTest : public SceneHarness, public testing::WithParamInterface<win32::GlApi> {
 protected:
  void SetUp() override {
    SceneHarness::SetUp();
    if (const char* before = std::getenv("VORNHOLD_GL_ES")) esBefore_ = before;
    setenv("VORNHOLD_GL_ES", GetParam() == win32::GlApi::kEs30 ? "1" : "0", 1);
  }
  void TearDown() override {
    d3d8::UseHardwareDevice(d3d8::HardwareDevice::kNever);
    if (esBefore_) {
      setenv("VORNHOLD_GL_ES", esBefore_->c_str(), 1);
    } else {
      unsetenv("VORNHOLD_GL_ES");
    }
    SceneHarness::TearDown();
  }

  std::optional<std::string> esBefore_;

  // The slot's first frames, 2 s apart, on the software device or the OpenGL device.
  std::vector<Frame> Render(int slot, bool hardware) {
    d3d8::UseHardwareDevice(hardware ? d3d8::HardwareDevice::kAnyOpenGl : d3d8::HardwareDevice::kNever);
    UseClock(0.5);
    const std::string part = (slot + 1 < 10 ? "part0" : "part") + std::to_string(slot + 1) + "\n";
    WinSrand(7);  // the same random sequence for both devices
    StartShow(part, slot, true);
    Play(slot, 0, 4);
    return frames_;
  }
};

TEST_P(GlSceneTest, ScenesMatchTheSoftwareDevice) {
#ifdef VORNHOLD_SANITIZED
  GTEST_SKIP() << "the OpenGL device is compared in the normal build only";
#endif
  for (const SceneFloor& scene : kFloors) {
    SCOPED_TRACE("slot " + std::to_string(scene.slot));
    const std::vector<Frame> soft = Render(scene.slot, false);
    const std::vector<Frame> hard = Render(scene.slot, true);
    const bool es = GetParam() == win32::GlApi::kEs30;
    if (d3d8::DeviceInUse().rfind("OpenGL", 0) != 0) {
      GTEST_SKIP() << "no " << (es ? "OpenGL ES 3.0" : "OpenGL 3.3") << " here";
    }
    ASSERT_EQ(d3d8::DeviceInUse().find(", OpenGL ES)") != std::string::npos, es) << d3d8::DeviceInUse();
    ASSERT_EQ(soft.size(), hard.size());
    ASSERT_FALSE(soft.empty());
    for (std::size_t i = 0; i < soft.size(); ++i) {
      ASSERT_EQ(soft[i].t, hard[i].t);
      ASSERT_EQ(soft[i].pixels.size(), static_cast<std::size_t>(kWidth * kHeight));
      ASSERT_EQ(hard[i].pixels.size(), soft[i].pixels.size());
      const double psnr = Psnr(soft[i].pixels, hard[i].pixels);
      if (psnr < scene.floorDb) {
        Dump(scene.slot, soft[i].t, "software", soft[i].pixels);
        Dump(scene.slot, soft[i].t, "opengl", hard[i].pixels);
      }
      EXPECT_GE(psnr, scene.floorDb) << "at t = " << soft[i].t << " ms; " << scene.why;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Apis, GlSceneTest, testing::Values(win32::GlApi::kCore33, win32::GlApi::kEs30),
                         [](const testing::TestParamInfo<win32::GlApi>& api) {
                           return api.param == win32::GlApi::kEs30 ? std::string("Es30") : std::string("Core33");
                         });

}  // namespace
}  // namespace scenetest
