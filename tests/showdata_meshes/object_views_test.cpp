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

// The same eye with a field of view that takes in twice the width and height: the scene's picture
// is the middle half of this one.
Camera TwiceAsWide(const Camera& camera) {
  return {camera.eye, camera.target, 2 * std::atan(2 * std::tan(camera.fovRadians / 2))};
}

// An object seen whole through TwiceAsWide: its size (share of that picture), and the share of it
// that the scene's picture, between its letterbox bars, cuts off.
struct WholeView {
  double size = 0;
  double cutOff = 0;
};

WholeView MeasureWhole(const platform::FrameImage& wide) {
  const int left = wide.width / 4, right = wide.width * 3 / 4;
  const int top = wide.height / 4 + wide.height * 100 / 960, bottom = wide.height / 4 + wide.height * 380 / 960;
  size_t all = 0, inside = 0;
  for (int y = 0; y < wide.height; ++y) {
    for (int x = 0; x < wide.width; ++x) {
      if ((wide.xrgb[size_t(y * wide.width + x)] & 0xFFFFFF) == 0) continue;
      ++all;
      inside += x >= left && x < right && y >= top && y < bottom;
    }
  }
  if (all == 0) return {};
  return {double(all) / double(wide.xrgb.size()), 1 - double(inside) / double(all)};
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

// The tile and the star prism take turns two units in front of the eye, right of centre on the
// screen (the left-handed view mirrors x), each drawn 1.1 times larger as a halo behind itself.
// In every turn the scene gives them, each reads, the star is about as large as the tile, and the
// picture's right edge takes no more than a slice of either (the tile, sized by the ripple grid's
// cells, loses a little more at its front corners).
TEST_F(ObjectViews, DotMatrixPartObjectsStandLeftOfCentreTwoUnitsFromTheEye) {
  const Camera camera{{0, 0, 10}, {0, 0, 0}, 1.479f};
  struct Turn {
    const char* name;
    float x0, y, x1, z;  // RotateX(x0), RotateY(y), RotateX(x1), RotateZ(z), in this order
  };
  const Turn turns[] = {
      {"tilted", 0, 0.7f, 0.348f, 0},       {"tumble_1", 0, 1.1f, 1.54f, 0},
      {"tumble_2", 0, 2.4f, 3.36f, 0},      {"tumble_3", 0, 4.0f, 5.6f, 0},
      {"spin_edge_on", 0, 1.571f, 0, 0},    {"spin", 0, 2.7f, 0, 0},
      {"cut_2", -2.434f, 3.234f, 0, -8.276f}, {"cut_4", 4.324f, 1.23f, 0, 14.7f},
  };
  const struct {
    int mesh;
    const char* name;
    double mostCutOff;
  } objects[] = {{1, "tile", 0.45}, {9, "star", 0.35}};
  for (const Turn& turn : turns) {
    const auto place = [&](MeshObject& m, int) {
      m.Scale(1.1f, 1.1f, 1.1f);
      m.RotateX(turn.x0);
      m.RotateY(turn.y);
      m.RotateX(turn.x1);
      m.RotateZ(turn.z);
      m.Translate(-1.5f, 0.1f, 8);
    };
    double sizes[2] = {};
    for (int k = 0; k < 2; ++k) {
      const std::string what = std::string(objects[k].name) + "_" + turn.name;
      const Footprint f = Measure(Draw(objects[k].mesh, camera, place, "dot_" + what));
      const WholeView whole = MeasureWhole(Draw(objects[k].mesh, TwiceAsWide(camera), place, "dot_wide_" + what));
      EXPECT_GT(f.share, 0.05) << what;
      EXPECT_LT(whole.cutOff, objects[k].mostCutOff) << what;
      sizes[k] = whole.size;
    }
    EXPECT_GT(sizes[1], 0.6 * sizes[0]) << turn.name;
    EXPECT_LT(sizes[1], 1.3 * sizes[0]) << turn.name;
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
