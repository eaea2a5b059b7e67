// A draw's triangles collected in a batch and drawn together (even rows on the caller, odd rows on
// the helper thread), or queued for the helper while the caller goes on, must leave the pixels and
// depths of drawing them one by one on one thread: overlapping, blended and depth-tested triangles
// show any change of order.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "platform/d3d8/ref/ref_rasterizer.h"

namespace d3d8_test {
namespace {

using namespace d3d8::ref;

struct Result {
  std::vector<std::uint8_t> colors;
  std::vector<std::uint16_t> depths;
};

enum class Mode { kOneByOne, kBatchOneThread, kBatchTwoThreads };

Result DrawMany(Mode mode, std::uint32_t seed, DWORD destBlend) {
  std::vector<std::uint32_t> texels(32 * 32);
  for (std::size_t i = 0; i < texels.size(); ++i) texels[i] = static_cast<std::uint32_t>(i * 2654435761u);
  ColorSurface target = MakeColorSurface(200, 150, D3DFMT_X8R8G8B8);
  DepthSurface depth = MakeDepthSurface(200, 150);
  HelperThread helper;
  TriangleBatch batch;
  PixelSetup setup;
  setup.target = &target;
  setup.depth = &depth;
  setup.depthTest = setup.depthWrite = true;
  setup.blend = true;
  setup.srcBlend = D3DBLEND_SRCALPHA;
  setup.destBlend = destBlend;
  setup.stage.alphaOp = D3DTOP_MODULATE;
  setup.texels = texels.data();
  setup.texWidth = setup.texHeight = 32;
  setup.right = 200;
  setup.bottom = 150;
  setup.helper = mode == Mode::kBatchTwoThreads ? &helper : nullptr;
  const auto random = [&seed](float low, float high) {
    seed = seed * 1664525u + 1013904223u;
    return low + (high - low) * static_cast<float>(seed >> 8) / 16777216.0f;
  };
  for (int i = 0; i < 120; ++i) {
    ScreenVertex v[3];
    for (ScreenVertex& p : v) {
      p = {random(-20, 220), random(-20, 170), random(0, 1), random(0.2f, 1),
           random(0, 255), random(0, 255), random(0, 255), random(0, 255), random(-1, 2), random(-1, 2)};
    }
    DrawTriangle(setup, v[0], v[1], v[2], mode == Mode::kOneByOne ? nullptr : &batch);
  }
  if (mode != Mode::kOneByOne) DrawBatch(setup, batch);
  return {target.bytes, depth.values};
}

TEST(TriangleBatch, DrawsWhatOneByOneDrawsOnOneOrTwoThreads) {
  for (DWORD destBlend : {DWORD{D3DBLEND_INVSRCALPHA}, DWORD{D3DBLEND_ONE}}) {
    for (std::uint32_t seed : {1u, 99u}) {
      const Result reference = DrawMany(Mode::kOneByOne, seed, destBlend);
      for (Mode mode : {Mode::kBatchOneThread, Mode::kBatchTwoThreads}) {
        const Result batched = DrawMany(mode, seed, destBlend);
        EXPECT_EQ(batched.colors, reference.colors) << "seed " << seed << " blend " << destBlend;
        EXPECT_EQ(batched.depths, reference.depths) << "seed " << seed << " blend " << destBlend;
      }
      int drawn = 0;
      for (std::uint16_t d : reference.depths) drawn += d != 0xFFFF;
      EXPECT_GT(drawn, 20000) << "most of the target is covered";
    }
  }
}

// The batch empties when drawn: drawing it again draws nothing more.
TEST(TriangleBatch, DrawingEmptiesTheBatch) {
  ColorSurface target = MakeColorSurface(16, 16, D3DFMT_X8R8G8B8);
  PixelSetup setup;
  setup.target = &target;
  setup.blend = true;
  setup.srcBlend = D3DBLEND_ONE;
  setup.destBlend = D3DBLEND_ONE;
  setup.stage.colorOp = D3DTOP_DISABLE;
  setup.right = setup.bottom = 16;
  TriangleBatch batch;
  const ScreenVertex a{-1, -1, 0, 1, 10, 20, 30, 255, 0, 0};
  const ScreenVertex b{40, -1, 0, 1, 10, 20, 30, 255, 0, 0};
  const ScreenVertex c{-1, 40, 0, 1, 10, 20, 30, 255, 0, 0};
  DrawTriangle(setup, a, b, c, &batch);
  EXPECT_EQ(ReadPixel(target, 2, 2), 0u) << "not drawn until the batch is";
  DrawBatch(setup, batch);
  EXPECT_EQ(ReadPixel(target, 2, 2), 0x000A141Eu);
  DrawBatch(setup, batch);
  EXPECT_EQ(ReadPixel(target, 2, 2), 0x000A141Eu);
}

// Draws queued behind a helper held busy: with one job ahead of them the helper sets the first
// batch up itself (and the caller the rest, once batches wait); with two, the caller sets all up.
// Each draw has its own blend, depth set-up and texels, dropped by the caller right after the draw:
// the queue must keep them. After the helper is let go, large draws (rows shared) and more small
// ones follow.
TEST(DrawQueue, DrawsWhatOneByOneDraws) {
  constexpr int kWidth = 200, kHeight = 150;
  for (int jobsAhead : {1, 2}) {
    ColorSurface targets[2] = {MakeColorSurface(kWidth, kHeight, D3DFMT_X8R8G8B8),
                               MakeColorSurface(kWidth, kHeight, D3DFMT_X8R8G8B8)};
    DepthSurface depths[2] = {MakeDepthSurface(kWidth, kHeight), MakeDepthSurface(kWidth, kHeight)};
    HelperThread helper;
    std::atomic<bool> open{false};
    const auto wait = [](void* gate, int) {
      while (!static_cast<std::atomic<bool>*>(gate)->load()) std::this_thread::yield();
    };
    for (int i = 0; i < jobsAhead; ++i) helper.Post(wait, &open);
    DrawQueue queue;
    std::uint32_t seed = 7;
    const auto random = [&seed](float low, float high) {
      seed = seed * 1664525u + 1013904223u;
      return low + (high - low) * static_cast<float>(seed >> 8) / 16777216.0f;
    };
    for (int draw = 0; draw < 90; ++draw) {
      if (draw == 60) {
        EXPECT_EQ(targets[1].bytes, MakeColorSurface(kWidth, kHeight, D3DFMT_X8R8G8B8).bytes) << "drawn while held";
        open = true;
      }
      auto texels = std::make_shared<std::vector<std::uint32_t>>(16 * 16);
      for (std::uint32_t& texel : *texels) texel = static_cast<std::uint32_t>(random(0, 4294967040.0f));
      PixelSetup setups[2];
      for (int k = 0; k < 2; ++k) {
        PixelSetup& setup = setups[k];
        setup.target = &targets[k];
        setup.depth = &depths[k];
        setup.depthTest = draw % 3 != 0;
        setup.depthWrite = draw % 4 != 0;
        setup.blend = draw % 5 != 0;
        setup.srcBlend = D3DBLEND_SRCALPHA;
        setup.destBlend = draw % 2 ? D3DBLEND_INVSRCALPHA : D3DBLEND_ONE;
        setup.stage.alphaOp = D3DTOP_MODULATE;
        setup.texels = texels->data();
        setup.texWidth = setup.texHeight = 16;
        setup.right = kWidth;
        setup.bottom = kHeight;
        setup.helper = k == 1 ? &helper : nullptr;
      }
      const bool large = draw == 70 || draw == 80;
      const float size = large ? 300 : 15;  // small draws stay below the size that shares rows
      const int count = large ? 3 : 1 + draw % 9;
      queue.BeginDraw(&helper);
      for (int i = 0; i < count; ++i) {
        const float x = random(0, kWidth), y = random(0, kHeight);
        ScreenVertex v[3];
        for (ScreenVertex& p : v) {
          p = {x + random(-size, size), y + random(-size, size), random(0, 1), random(0.2f, 1), random(0, 255),
               random(0, 255),     random(0, 255),            random(0, 255), random(-1, 2), random(-1, 2)};
        }
        DrawTriangle(setups[0], v[0], v[1], v[2]);
        queue.Add(setups[1], v[0], v[1], v[2]);
      }
      queue.EndDraw(setups[1], texels);
    }
    queue.Flush();
    helper.Finish();
    EXPECT_EQ(targets[1].bytes, targets[0].bytes) << jobsAhead << " jobs ahead";
    EXPECT_EQ(depths[1].values, depths[0].values) << jobsAhead << " jobs ahead";
  }
}

}  // namespace
}  // namespace d3d8_test
