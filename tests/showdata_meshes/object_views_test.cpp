// The single objects where their scenes put them, seen through the scenes' cameras: each shows up
// in the picture between the letterbox bars, at a size that reads.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "camera_paths.h"
#include "demo/asset_catalogue.h"
#include "tools/showdata/meshes.h"

namespace {

using meshviews::Camera;

// Share of the rows between the letterbox bars (100 .. 380 of 480) that the object covers, and
// whether it reaches the picture's left or right edge.
struct Footprint {
  double share = 0;
  bool touchesSides = false;
};

Footprint Measure(const platform::FrameImage& image) {
  Footprint f;
  const int top = image.height * 100 / 480, bottom = image.height * 380 / 480;
  size_t covered = 0;
  for (int y = top; y < bottom; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const bool on = (image.xrgb[size_t(y * image.width + x)] & 0xFFFFFF) != 0;
      covered += on;
      if (on && (x == 0 || x == image.width - 1)) f.touchesSides = true;
    }
  }
  f.share = double(covered) / double((bottom - top) * image.width);
  return f;
}

class ObjectViews : public testing::Test {
 protected:
  ObjectViews() : viewer_(showdata::MakeMeshes()) { viewer_.setTurn = false; }
  platform::FrameImage Draw(int mesh, const Camera& camera, const meshviews::Viewer::Placement& place,
                            const std::string& name, int copies = 1) {
    auto ids = viewer_.IdsPlaced(mesh, camera, place, copies);
    meshviews::Keep(viewer_.LitPlaced(mesh, camera, place, copies), "object_" + name);
    return ids;
  }
  meshviews::Viewer viewer_;
  const Camera defaultCamera_{{0, 0, 10}, {0, 0, 0}, 1.566f};
};

TEST_F(ObjectViews, KnotSpinsWhollyInsideThePicture) {
  for (float spin : {0.0f, 0.8f, 2.1f}) {
    const auto f = Measure(Draw(5, defaultCamera_, [&](MeshObject& m, int) {
      m.RotateX(-spin);
      m.RotateZ(spin * 0.5f);
      m.Translate(2.3f, -0.5f, 6);
    }, "knot_" + std::to_string(int(spin * 10))));
    EXPECT_GT(f.share, 0.03) << spin;
    EXPECT_FALSE(f.touchesSides) << spin;
  }
}

// Seen from +z towards the origin, x = -9.9 lies on the right of the picture.
TEST_F(ObjectViews, SlidingBlobIsInThePictureOnItsSideOnceItArrives) {
  const auto image = Draw(2, defaultCamera_, [](MeshObject& m, int) {
    m.RotateY(3.132f);
    m.RotateZ(1.0f);
    m.RotateY(35);
    m.RotateX(-45);
    m.Translate(-9.9f, 2, -7);
  }, "blob");
  EXPECT_GT(Measure(image).share, 0.02);
  size_t left = 0, right = 0;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      if (image.xrgb[size_t(y * image.width + x)] & 0xFFFFFF) ++(x < image.width / 2 ? left : right);
    }
  }
  EXPECT_GT(right, 20 * left + 1);
  EXPECT_FALSE(Measure(image).touchesSides);
}

TEST_F(ObjectViews, BallColumnFillsTheMiddleWithoutMergingIntoOneMass) {
  // The column pass with its spin angles at 0: fifteen rings of fifteen, tilted back by 0.348.
  const auto image = Draw(6, defaultCamera_, [](MeshObject& m, int copy) {
    const int ring = copy / 15, ball = copy % 15;
    const float rho = 1 + 0.5f * std::sin(0.4176f * float(ring)), theta = 0.4176f * float(ball);
    m.Translate(rho * 3 * std::sin(theta), 0, rho * 3 * std::cos(theta));
    m.Translate(0, -7.5f + float(ring), 0);
    m.RotateX(0.348f);
  }, "column", 225);
  const auto f = Measure(image);
  EXPECT_GT(f.share, 0.1);
  EXPECT_LT(f.share, 0.6);
}

TEST_F(ObjectViews, DotMatrixPartObjectsStandLeftOfCentreTwoUnitsFromTheEye) {
  const Camera camera{{0, 0, 10}, {0, 0, 0}, 1.479f};
  for (int mesh : {1, 9}) {
    const auto image = Draw(mesh, camera, [](MeshObject& m, int) {
      m.RotateY(0.7f);
      m.RotateX(0.348f);
      m.Translate(-1.5f, 0.1f, 8);
    }, "dot_" + std::to_string(mesh));
    const auto f = Measure(image);
    EXPECT_GT(f.share, 0.05) << mesh;
    EXPECT_LT(f.share, 0.6) << mesh;
  }
}

TEST_F(ObjectViews, EchoTrailObjectSitsSevenUnitsAhead) {
  const Camera camera{{0, 0, 10}, {0, 0, 0}, 1.479f};
  const auto f = Measure(Draw(7, camera, [](MeshObject& m, int) {
    m.RotateX(0.4f);
    m.RotateY(0.4f);
    m.RotateZ(0.4f);
    m.Translate(0, 0, 3);
  }, "echo"));
  EXPECT_GT(f.share, 0.03);
  EXPECT_FALSE(f.touchesSides);
}

TEST_F(ObjectViews, OpeningsFloatingCopiesAreSeparateShapesInTheirOwnCamera) {
  for (float tumble : {0.0f, 1.0f, 2.5f}) {
    const Camera camera{{6 * std::sin(3.4f * tumble), 1.5f * std::sin(2 * tumble), 4.5f * std::cos(9.3f * tumble)},
                        {0, 0, 0},
                        1.827f};
    const auto image = Draw(0, camera, [&](MeshObject& m, int copy) {
      const float offsets[3][3] = {{0, 0, 1}, {2, 0, 0}, {-2, 0, 0}};
      m.RotateX(tumble * (copy == 2 ? -3.0f : 1.0f));
      m.RotateY(2 * tumble * (copy == 1 ? -1.0f : 1.0f));
      m.RotateZ(3 * tumble);
      m.Translate(offsets[copy][0], offsets[copy][1], offsets[copy][2]);
    }, "copies_" + std::to_string(int(tumble * 10)), 3);
    const auto f = Measure(image);
    EXPECT_GT(f.share, 0.04) << tumble;
    EXPECT_LT(f.share, 0.5) << tumble;
  }
}

}  // namespace
