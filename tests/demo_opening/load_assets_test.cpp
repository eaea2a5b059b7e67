// Demo::LoadAssets on the catalogue archive: catalogue order, the fading loading picture, the
// video buffers the keywords choose, the default camera, the lights, and the one-line stop for
// missing or damaged data.
#include <cstring>
#include <string>

#include "platform/trace/trace.h"
#include "support/scene_harness.h"

namespace {

using scenetest::Calls;
using scenetest::Frame;
using scenetest::Recording;
using testsupport::CatalogueVideoFrame;

class LoadAssetsTest : public scenetest::SceneHarness {
 protected:
  // The loading picture's alpha in each loading frame, checking the frame's shape on the way.
  static std::vector<double> LoadingAlphas(const Recording& show) {
    std::vector<double> alphas;
    for (const Frame& f : show.frames) {
      if (f.timed) break;
      const auto quads = Calls(f, "DrawScreenQuadAlpha");
      EXPECT_EQ(quads.size(), 1u);
      if (quads.size() != 1) continue;
      EXPECT_EQ(quads[0][1] + " " + quads[0][2] + " " + quads[0][3] + " " + quads[0][4], "0 224 512 256");
      EXPECT_EQ(show.TextureIndex(quads[0][5]), 0);
      EXPECT_EQ(Calls(f, "Clear").size(), 1u);
      alphas.push_back(std::stod(quads[0][6]));
    }
    return alphas;
  }

  // The colour of texel (0, 0) of a texture (32-bit formats).
  static std::uint32_t Texel(IDirect3DTexture8* texture) {
    D3DLOCKED_RECT locked = {};
    if (texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY) != D3D_OK) return 0xDEADBEEF;
    std::uint32_t texel = 0;
    std::memcpy(&texel, locked.pBits, 4);
    texture->UnlockRect(0);
    return texel & 0x00FFFFFF;
  }
};

TEST_F(LoadAssetsTest, ReadsTheCatalogueInOrderBehindAFadingPicture) {
  const Recording& show = Show("part01\npart02\n");
  const Demo& demo = *show.demo;
  // The fade-in, all 69 other textures without a frame between, then the camera, then the fade-out.
  const std::vector<Frame>& frames = show.frames;
  std::size_t fadeIn = 0;
  while (fadeIn < frames.size() && Calls(frames[fadeIn], "CreateTextureFromMemory").size() < 2) ++fadeIn;
  ASSERT_LT(fadeIn, frames.size());
  const Frame& loading = frames[fadeIn];
  EXPECT_EQ(Calls(loading, "CreateTextureFromMemory").size(), 69u);
  EXPECT_EQ(Calls(loading, "SetProjection")[0], (std::vector<std::string>{"SetProjection", "0.783", "1", "0.1", "1000"}));
  EXPECT_EQ(Calls(loading, "LookAt")[0], (std::vector<std::string>{"LookAt", "0", "0", "10", "0", "0", "0"}));
  EXPECT_EQ(Calls(frames[0], "CreateTextureFromMemory").size(), 1u);  // the loading picture first

  const std::vector<double> alphas = LoadingAlphas(show);
  // At 100 frames/s every delta is 1: a hundredth more each frame, about a second each way. Frame
  // `fadeIn` is the first of the fade-out.
  EXPECT_NEAR(alphas[0], 0.01, 1e-6);
  EXPECT_GE(fadeIn, 100u);
  EXPECT_LE(fadeIn, 101u);
  EXPECT_EQ(alphas[fadeIn - 1], 1.0);  // clamped
  for (std::size_t i = 1; i < fadeIn; ++i) EXPECT_GT(alphas[i], alphas[i - 1]) << i;
  EXPECT_NEAR(alphas[fadeIn], 0.99, 1e-6);  // the fade-out starts from 1
  for (std::size_t i = fadeIn + 1; i < alphas.size(); ++i) EXPECT_LT(alphas[i], alphas[i - 1]) << i;
  EXPECT_EQ(alphas.back(), 0.0);
  EXPECT_GE(alphas.size() - fadeIn, 100u);
  EXPECT_LE(alphas.size() - fadeIn, 101u);

  // Texture i holds picture i (read back while the device lives); every mesh loaded, named by
  // catalogue position; lights on consecutive device indices.
  for (int i = 0; i < g_meshCount; ++i) EXPECT_EQ(demo.meshes[i].materialCount, 1u) << i;
  for (int i = 0; i < g_roomMeshCount; ++i) EXPECT_NE(demo.roomMeshes[i].mesh, nullptr) << i;
  EXPECT_STREQ(trace::NameOf(&demo.meshes[19]), "mesh19");
  EXPECT_STREQ(trace::NameOf(&demo.roomMeshes[31]), "room31");
  for (int i = 1; i < 4; ++i) EXPECT_EQ(demo.lights[i]->index, demo.lights[0]->index + i);
  EXPECT_EQ(std::memcmp(demo.txt2Map, testsupport::CatalogueEntries()[70 + 86 + 120 + 181].data.data(), 65536), 0);
}

TEST_F(LoadAssetsTest, TexturesHoldTheirCataloguePicturesAndLightsStartOff) {
  Demo& demo = LoadShow("");
  for (int i = 0; i < g_textureCount; ++i)
    EXPECT_EQ(Texel(demo.textures[i]), testsupport::CataloguePictureColour(i)) << i;
  EXPECT_EQ(demo.device, g_pDxEngine->device);
  // Lights are set up by the parts: the device has never heard of them.
  for (int i = 0; i < 4; ++i) {
    BOOL on = FALSE;
    EXPECT_EQ(g_pDxEngine->device->GetLightEnable(DWORD(demo.lights[i]->index), &on), D3DERR_INVALIDCALL);
    EXPECT_EQ(demo.lights[i]->light.Type, D3DLIGHT_POINT);
  }
}

TEST_F(LoadAssetsTest, FillsTheSecondFrameSetOrWithLesbianTheFirst) {
  for (const bool lesbian : {false, true}) {
    SCOPED_TRACE(lesbian ? "lesbian" : "default");
    const Demo& demo = *Show(lesbian ? "lesbian\n" : "part01\npart02\n").demo;
    BYTE* const filled = lesbian ? demo.video01Frames : demo.video02Frames;
    BYTE* const empty = lesbian ? demo.video02Frames : demo.video01Frames;
    const int count = lesbian ? g_video01FrameCount : g_video02FrameCount;
    for (int n = 1; n <= count; ++n)
      ASSERT_EQ(std::memcmp(filled + (n - 1) * 2800, CatalogueVideoFrame(lesbian ? 1 : 2, n).data(), 2800), 0) << n;
    const int emptyBytes = (lesbian ? g_video02FrameCount : g_video01FrameCount) * 2800;
    for (int i = 0; i < emptyBytes; ++i) ASSERT_EQ(empty[i], 0) << i;
    for (int n = 1; n <= g_video03FrameCount; ++n)
      ASSERT_EQ(std::memcmp(demo.video03Frames + (n - 1) * 2800, CatalogueVideoFrame(3, n).data(), 2800), 0) << n;
  }
}

TEST_F(LoadAssetsTest, LongFramesEndEachFadeAtOnceAndTheSoftwareDeviceShowsThePicture) {
  // Four seconds a frame: a delta of 400 after the first.
  const Recording& show = Show("part02\n", 0.25, true);
  EXPECT_EQ(LoadingAlphas(show), (std::vector<double>{0.01, 1.0, 0.99, 0.0}));
  const auto pixel = [&](int frame, int x, int y) { return show.frames[frame].Pixel(x, y); };
  // Alpha 1: the picture's own colour from (0, 224) to (512, 480) of the 640 x 480 space.
  const std::uint32_t picture = testsupport::CataloguePictureColour(0);
  EXPECT_EQ(pixel(1, 0, 119), picture);
  EXPECT_EQ(pixel(1, 127, 56), picture);
  EXPECT_EQ(pixel(1, 128, 100), 0u);
  EXPECT_EQ(pixel(1, 60, 55), 0u);
  for (std::uint32_t p : show.frames[3].pixels) ASSERT_EQ(p, 0u);  // alpha 0: black
}

// Each case runs the loader in a child process, which must stop with one line and exit code 2.
TEST_F(LoadAssetsTest, MissingOrDamagedDataStopsWithOneLineNamingEntryAndArchive) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  struct Case {
    testsupport::CatalogueArchiveOptions options;
    const char* message;
  };
  const auto leave = [](const char* entry) {
    testsupport::CatalogueArchiveOptions o;
    o.leaveOut.insert(entry);
    return o;
  };
  const auto replace = [](const char* entry, const std::string& bytes) {
    testsupport::CatalogueArchiveOptions o;
    o.replace[entry] = testsupport::Bytes(bytes.begin(), bytes.end());
    return o;
  };
  // 8192 x 8192 grey in runs of 128 pixels: 1 MiB of file that would decode to 256 MiB, past the largest texture.
  std::string huge = {0, 0, 11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x20, 0, 0x20, 8, 0};
  for (int i = 0; i < 8192 * 8192 / 128; ++i) huge += "\xFF\x40";
  const Case cases[] = {
      {replace("data\\graphics\\kw03.tga", huge),
       "^vornhold: data.graphics.kw03.tga in broken.ac is not a picture that can be decoded\n$"},
      {leave("data\\graphics\\kw03.tga"), "^vornhold: cannot read data.graphics.kw03.tga from broken.ac\n$"},
      {leave("data\\meshes\\room\\llamp.x"), "^vornhold: cannot read data.meshes.room.llamp.x from broken.ac\n$"},
      {replace("data\\graphics\\room\\poster1.bmp", "BM not a picture"),
       "^vornhold: data.graphics.room.poster1.bmp in broken.ac is not a picture that can be decoded\n$"},
      {replace("data\\meshes\\knotti.x", "xof 0303txt 0032\nMesh {"),
       "^vornhold: data.meshes.knotti.x in broken.ac is not a mesh that can be decoded\n$"},
      {replace("data\\video03\\omol007.raw", std::string(2799, 'x')),
       "^vornhold: data.video03.omol007.raw in broken.ac holds 2799 bytes, 2800 expected\n$"},
      {replace("data\\graphics\\txt2.raw", "short"),
       "^vornhold: data.graphics.txt2.raw in broken.ac holds 5 bytes, 65536 expected\n$"},
  };
  for (const Case& c : cases) {
    std::string error;
    ASSERT_TRUE(testsupport::WriteCatalogueArchive(Folder() / "broken.ac", c.options, error)) << error;
    EXPECT_EXIT(LoadShow("part01\n", false, "broken.ac"), testing::ExitedWithCode(2), c.message);
  }
  EXPECT_EXIT(LoadShow("part01\n", false, "absent.ac"), testing::ExitedWithCode(2),
              "^vornhold: cannot open the archive absent.ac: No such file or directory\n$");
}

}  // namespace
