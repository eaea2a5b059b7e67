// Two dancers built from capsules and discs, mirrored about the middle of the frame, a quarter
// loop apart in their moves, on a softly lit floor. Eight bounces per loop.
#include <cmath>

#include "tools/showdata/frames/dot_canvas.h"
#include "tools/showdata/frames/motifs.h"

namespace showdata {
namespace {

constexpr int kWidth = 80;
constexpr int kHeight = 35;
constexpr float kFloorY = 33.0f;  // pixels

// The point at `length` pixels from `from` in direction `angle` (radians, 0 = right, y downwards).
Point2 Reach(Point2 from, float angle, float length) {
  return {from.x + length * std::cos(angle), from.y + length * std::sin(angle)};
}

// One dancer; phase in radians over the loop, facing +1 (right) or -1 (left).
void DrawDancer(DotCanvas& canvas, float centreX, float phase, float facing) {
  const float kDown = kTwoPi / 4;  // pointing down the screen
  const float bounce = std::fabs(std::sin(4 * phase));
  const float sway = 2.2f * std::sin(2 * phase);
  const Point2 hip = {centreX + facing * sway, 17.5f + 1.4f * (1 - bounce)};
  const float lean = -0.5f * facing * sway;
  const Point2 chest = {hip.x + lean, hip.y - 8.5f};
  const Point2 head = {chest.x + 0.4f * lean, chest.y - 4.3f};

  // Legs: the thighs swing with the bounce, the knees bend as the body dips.
  const float step = 0.32f * std::sin(4 * phase);
  const float kneeBend = 0.25f + 0.45f * (1 - bounce);
  for (float side : {-1.0f, 1.0f}) {
    const Point2 hipJoint = {hip.x + 1.8f * side, hip.y + 0.5f};
    const float thighAngle = kDown - side * 0.18f + facing * side * step;
    const Point2 knee = Reach(hipJoint, thighAngle - facing * kneeBend, 7.0f);
    Point2 foot = Reach(knee, thighAngle + facing * kneeBend, 7.0f);
    if (foot.y > kFloorY) foot.y = kFloorY;
    canvas.Capsule(hipJoint, knee, 1.25f, 1.0f);
    canvas.Capsule(knee, foot, 1.05f, 1.0f);
    canvas.Capsule(foot, {foot.x + 2.0f * facing, foot.y}, 0.8f, 1.0f);
  }

  // Arms: the near arm reaches up and down in a slow wave, the far arm answers it.
  for (float side : {-1.0f, 1.0f}) {
    const Point2 shoulder = {chest.x + 2.6f * side, chest.y + 0.6f};
    const float wave = std::sin(2 * phase + (side > 0 ? 0.0f : kTwoPi / 2));
    const float raise = 1.1f + 0.95f * wave;  // radians away from hanging straight down
    const float upperAngle = kDown - side * raise;
    const Point2 elbow = Reach(shoulder, upperAngle, 5.5f);
    const float bend = 0.5f + 0.4f * std::sin(4 * phase + 1.0f);
    const Point2 hand = Reach(elbow, upperAngle - side * bend, 5.0f);
    canvas.Capsule(shoulder, elbow, 0.95f, 1.0f);
    canvas.Capsule(elbow, hand, 0.85f, 1.0f);
    canvas.Disc(hand, 1.1f, 1.0f);
  }

  canvas.Capsule(hip, chest, 2.2f, 1.0f);
  canvas.Capsule({chest.x - 2.6f, chest.y + 0.6f}, {chest.x + 2.6f, chest.y + 0.6f}, 1.2f, 1.0f);
  canvas.Capsule(chest, head, 0.9f, 1.0f);
  canvas.Disc(head, 2.6f, 1.0f);
}

}  // namespace

std::vector<std::uint8_t> DancersFrame(int frame, int period) {
  const float phase = kTwoPi * static_cast<float>(frame) / static_cast<float>(period);
  DotCanvas canvas(kWidth, kHeight);

  // Floor light under each dancer, breathing with the bounce.
  const float glow = 0.16f + 0.08f * std::fabs(std::sin(4 * phase));
  canvas.Shade([&](float x, float y) {
    float v = 0;
    for (float cx : {25.0f, 55.0f}) {
      const float dx = (x - cx) / 11.0f;
      const float dy = (y - kFloorY) / 1.8f;
      v += glow * std::exp(-dx * dx - dy * dy);
    }
    return v;
  });
  // A faint beam from above between them.
  canvas.Shade([&](float x, float y) {
    const float dx = (x - 40.0f) / (3.0f + 0.25f * y);
    return 0.07f * std::exp(-dx * dx);
  });

  DrawDancer(canvas, 25.0f, phase, 1.0f);
  DrawDancer(canvas, 55.0f, phase + kTwoPi / 4, -1.0f);  // answers the first dancer
  return canvas.ToBytes();
}

}  // namespace showdata
