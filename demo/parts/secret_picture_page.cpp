// The secret picture page (the "secret" variant of slot 9): no time limit and no part flag: Escape
// or the window's quit message ends it, and the timeline is not consulted.
//
// Two pictures read from the archive as the page begins fill the screen side by side (the lower
// 32 units of both lie below it), and in front of them mesh 1 tumbles slowly, enlarged by 1.1,
// unlit and without depth test, keeping whatever texture state earlier set-ups left it.
//
// The pictures are drawn before BeginScene, in the mode the previous frame left: from the second
// frame on the 2D mode; on the first, whatever transforms were current when the page began.
#include "demo/asset_catalogue.h"
#include "demo/catalogue_positions.h"
#include "demo/demo.h"
#include "demo/mesh_object.h"
#include "demo/part_loop.h"
#include "engine/dx_engine.h"

namespace {

class SecretPicturePage : public PartScene {
 public:
  explicit SecretPicturePage(Demo& demo) : demo_(demo) {}

  // A picture that cannot be read or decoded ends the show here, rather than drawing with
  // whatever texture was made last.
  void Setup() override {
    for (int i = 0; i < 2; ++i) pictures_[i] = demo_.LoadPicture(g_secretPictureEntries[i]);
  }

  void Frame(float delta) override {
    p_ += 0.01f * delta;
    q_ += 0.015f * delta;
    g_pDxEngine->Clear();
    g_pDxEngine->DrawScreenQuad(0.0f, 0.0f, 512.0f, 512.0f, pictures_[0]);
    g_pDxEngine->DrawScreenQuad(512.0f, 0.0f, 128.0f, 512.0f, pictures_[1]);
    g_pDxEngine->Set2DMode(0);
    g_pDxEngine->SetZBuffer(0);
    g_pDxEngine->SetLighting(0);
    g_pDxEngine->BeginScene();
    MeshObject& mesh = demo_.meshes[MeshIndex("qtio.x")];
    mesh.Scale(1.1f, 1.1f, 1.1f);
    mesh.RotateY(q_);
    mesh.RotateX(p_);
    mesh.RotateZ(q_);
    mesh.Translate(1.5f, 0.1f, 8.0f);
    mesh.Draw(demo_.device);
    g_pDxEngine->EndScene();
    g_pDxEngine->Set2DMode(1);
    g_pDxEngine->Present();
  }

  void Finish() override {
    for (IDirect3DTexture8* picture : pictures_) picture->Release();
  }

 private:
  Demo& demo_;
  IDirect3DTexture8* pictures_[2] = {};
  float p_ = 0.0f;  // radians
  float q_ = 0.0f;
};

}  // namespace

void Demo::PlaySecretPicturePage() {
  SecretPicturePage scene(*this);
  PartLoop(*this, PartWindow{nullptr, nullptr, 0, 0, PartEnd::kNever}, scene);
}
