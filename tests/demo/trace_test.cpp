// The trace of what a scene does itself: mesh draws by name with their world matrix, light
// changes, and device calls made directly, while calls inside a traced operation stay silent.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include "demo/mesh_object.h"
#include "demo/scene_light.h"
#include "platform/trace/trace.h"
#include "support/headless_device.h"
#include "support/two_material_mesh.h"

namespace {

class Trace : public testing::Test {
 protected:
  void SetUp() override {
    file_ = std::tmpfile();
    ASSERT_NE(file_, nullptr);
    int fd = dup(fileno(file_));
    readBack_ = fdopen(fd, "r");
    trace::Open(file_);  // the trace owns and closes it
  }
  void TearDown() override {
    trace::Open(nullptr);
    std::fclose(readBack_);
  }
  std::vector<std::string> Lines() {
    std::fflush(file_);
    std::rewind(readBack_);
    std::vector<std::string> lines;
    char buffer[2048];
    while (std::fgets(buffer, sizeof buffer, readBack_)) {
      std::string line(buffer);
      if (!line.empty() && line.back() == '\n') line.pop_back();
      lines.push_back(line);
    }
    return lines;
  }

  testsupport::HeadlessDevice screen_{32, 32};
  IDirect3DDevice8* device_ = screen_.get();
  std::FILE* file_ = nullptr;
  std::FILE* readBack_ = nullptr;
};

TEST_F(Trace, MeshDrawIsOneLineWithItsNameAndWorldRowByRow) {
  const std::string x = testsupport::kTwoMaterialMesh;
  MeshObject object;
  object.Load(x.data(), DWORD(x.size()), device_);
  trace::SetName(&object, "room12");
  object.Scale(2, 3, 4);
  object.Translate(1, -2, 0.5f);
  device_->BeginScene();
  object.Draw(device_);  // world, texture, two materials and two subsets inside: one line
  object.Draw(device_);
  device_->EndScene();
  const std::vector<std::string> lines = Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "Draw room12 2 0 0 0 0 3 0 0 0 0 4 0 1 -2 0.5 1");
  EXPECT_EQ(lines[1], "Draw room12 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1");
}

TEST_F(Trace, LightChangesAndDirectDeviceCallsAppearUnderTheirOwnNames) {
  SceneLight light(D3DLIGHT_POINT, device_);
  light.light.Diffuse = {1, 0.5f, 0.25f, 1};
  light.light.Position = {0, 2, -3};
  light.light.Range = 50;
  light.light.Attenuation0 = 1;
  light.Apply();
  light.Enable();
  light.Disable();
  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  {
    const trace::Operation operation("Fade", 0.5f, -2, "tex3");  // its device calls are its line
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    light.Enable();
  }
  device_->SetTexture(0, nullptr);
  const std::vector<std::string> lines = Lines();
  const std::string index = std::to_string(light.index);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0], "SetLight " + index + " 1 1 0.5 0.25 1 0 0 0 0 0 0 0 0 0 2 -3 0 0 0 50 0 1 0 0 0 0");
  EXPECT_EQ(lines[1], "LightEnable " + index + " 1");
  EXPECT_EQ(lines[2], "LightEnable " + index + " 0");
  EXPECT_EQ(lines[3], "SetRenderState 22 1");
  EXPECT_EQ(lines[4], "Fade 0.5 -2 tex3");
  EXPECT_EQ(lines[5], "SetTexture 0 null");
}

}  // namespace
