// The rasterizer's row loops per path (one pixel at a time, SSE2 lanes, AVX2 lanes), in megapixels
// per second: a 640x480 screen covered by two triangles, drawn again and again under the set-ups
// the scenes spend their time in. A path the processor lacks is skipped with a message.
//   build-bench/bench/raster_rows_bench [--benchmark_filter=REGEX] [Google Benchmark options]
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d8/ref/ref_rasterizer.h"

namespace {

using namespace d3d8::ref;

constexpr int kWidth = 640, kHeight = 480;

// The set-ups, named after where the scenes draw them.
enum class Kind {
  kTrailCopies,  // textured, lit (interpolated colour), perspective, added (SRCALPHA / ONE), no depth
  kLitRoom,      // textured, lit, perspective, unblended, z test LESSEQUAL and write
  kGlassPanes,   // textured, lit, perspective, SRCALPHA / INVSRCALPHA, z test without write
  kBallMeshes,   // untextured, lit, perspective, unblended, w-buffer test and write
  kScreenQuad,   // textured, flat white, affine, SRCALPHA / INVSRCALPHA, no depth (packed rows)
};

struct Scene {
  ColorSurface target = MakeColorSurface(kWidth, kHeight, D3DFMT_X8R8G8B8);
  DepthSurface depth = MakeDepthSurface(kWidth, kHeight);
  std::vector<std::uint32_t> texels = std::vector<std::uint32_t>(64 * 64);
  PixelSetup setup;
  ScreenVertex corners[4];
};

void MakeScene(Scene& s, Kind kind, RasterPath path) {
  std::uint32_t seed = 7;
  for (std::uint32_t& texel : s.texels) texel = seed = seed * 1664525u + 1013904223u;
  for (std::uint8_t& byte : s.target.bytes) byte = static_cast<std::uint8_t>(seed = seed * 1664525u + 1013904223u);
  PixelSetup& setup = s.setup;
  setup.target = &s.target;
  setup.right = kWidth;
  setup.bottom = kHeight;
  setup.path = path;
  setup.stage.alphaOp = D3DTOP_MODULATE;
  if (kind != Kind::kBallMeshes) {
    setup.texels = s.texels.data();
    setup.texWidth = setup.texHeight = 64;
  } else {
    setup.stage.colorOp = D3DTOP_DISABLE;
  }
  if (kind == Kind::kLitRoom || kind == Kind::kGlassPanes || kind == Kind::kBallMeshes) {
    setup.depth = &s.depth;
    setup.depthTest = true;
    setup.depthWrite = kind != Kind::kGlassPanes;
    setup.wBuffer = kind == Kind::kBallMeshes;
  }
  setup.blend = kind == Kind::kTrailCopies || kind == Kind::kGlassPanes || kind == Kind::kScreenQuad;
  setup.srcBlend = D3DBLEND_SRCALPHA;
  setup.destBlend = kind == Kind::kTrailCopies ? D3DBLEND_ONE : D3DBLEND_INVSRCALPHA;
  const bool lit = kind != Kind::kScreenQuad;
  const float x1 = kWidth - 0.5f, y1 = kHeight - 0.5f;
  const float litRhw[4] = {1.0f, 0.5f, 0.25f, 0.6f};
  const float xs[4] = {-0.5f, x1, x1, -0.5f}, ys[4] = {-0.5f, -0.5f, y1, y1};
  for (int i = 0; i < 4; ++i) {
    const float shade = lit ? 90.0f + 40.0f * static_cast<float>(i) : 255.0f;
    s.corners[i] = {xs[i], ys[i], 0.25f * static_cast<float>(i), lit ? litRhw[i] : 1.0f,
                    shade, shade, lit ? 255.0f - shade : shade, lit ? shade : 200.0f,
                    3.0f * static_cast<float>(i % 2), 2.0f * static_cast<float>(i / 2)};
  }
}

void BM_Rows(benchmark::State& state, Kind kind, RasterPath path) {
  if (!RasterPathAvailable(path)) {
    state.SkipWithError((std::string("this processor has no ") + RasterPathName(path)).c_str());
    return;
  }
  Scene scene;
  MakeScene(scene, kind, path);
  if (PathFor(scene.setup) != path) {
    state.SkipWithError("the set-up does not take this path");
    return;
  }
  const ScreenVertex* c = scene.corners;
  for (auto _ : state) {
    // Depth starts over each time, so that the test passes everywhere, as on a cleared screen.
    if (scene.setup.depth) FillDepth(scene.depth, {0, 0, kWidth, kHeight}, 1.0f);
    DrawTriangle(scene.setup, c[0], c[1], c[2]);
    DrawTriangle(scene.setup, c[0], c[2], c[3]);
    benchmark::DoNotOptimize(scene.target.bytes.data());
    benchmark::ClobberMemory();
  }
  state.counters["Mpixels/s"] =
      benchmark::Counter(static_cast<double>(kWidth) * kHeight * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
}

void RegisterAll() {
  const std::pair<Kind, const char*> kinds[] = {{Kind::kTrailCopies, "trail_copies"},
                                                {Kind::kLitRoom, "lit_room"},
                                                {Kind::kGlassPanes, "glass_panes"},
                                                {Kind::kBallMeshes, "ball_meshes"},
                                                {Kind::kScreenQuad, "screen_quad"}};
  for (const auto& [kind, name] : kinds) {
    for (RasterPath path : {RasterPath::kScalar, RasterPath::kSse2, RasterPath::kAvx2}) {
      benchmark::RegisterBenchmark((std::string(name) + "/" + RasterPathName(path)).c_str(), BM_Rows, kind, path)
          ->Unit(benchmark::kMillisecond);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  RegisterAll();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
