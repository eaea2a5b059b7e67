#include <gtest/gtest.h>

#include <cmath>

#include "platform/d3dx8/d3dx8.h"

namespace {

constexpr float kHalfPi = 1.57079632679f;

// Expects every element within tolerance (exact formulas use 0; sines and cosines of float angles
// are off by an ulp or so from the ideal 0 and 1).
void ExpectMatrix(const D3DXMATRIX& actual, const float (&expected)[16], float tolerance = 0.0f) {
  for (int i = 0; i < 16; ++i) {
    EXPECT_NEAR(actual.m[i / 4][i % 4], expected[i], tolerance)
        << "element _" << (i / 4 + 1) << (i % 4 + 1);
  }
}

// p' = (x, y, z, 1) * M, without the divide by w.
D3DXVECTOR3 TransformPoint(const D3DXVECTOR3& p, const D3DXMATRIX& m) {
  return {p.x * m._11 + p.y * m._21 + p.z * m._31 + m._41,
          p.x * m._12 + p.y * m._22 + p.z * m._32 + m._42,
          p.x * m._13 + p.y * m._23 + p.z * m._33 + m._43};
}

void ExpectPoint(const D3DXVECTOR3& actual, float x, float y, float z) {
  EXPECT_NEAR(actual.x, x, 1e-6f);
  EXPECT_NEAR(actual.y, y, 1e-6f);
  EXPECT_NEAR(actual.z, z, 1e-6f);
}

TEST(MatrixTest, IdentityTranslationAndScalingReturnTheOutput) {
  D3DXMATRIX m(2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2);
  EXPECT_EQ(D3DXMatrixIdentity(&m), &m);
  ExpectMatrix(m, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
  EXPECT_EQ(D3DXMatrixTranslation(&m, 1.5f, -2, 3), &m);
  ExpectMatrix(m, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1.5f, -2, 3, 1});
  EXPECT_EQ(D3DXMatrixScaling(&m, 2, 3, 4), &m);
  ExpectMatrix(m, {2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1});
}

// Left-handed rotations, clockwise looking toward the origin along the axis.
TEST(MatrixTest, RotationsTurnTheAxesTheLeftHandedWay) {
  D3DXMATRIX m;
  EXPECT_EQ(D3DXMatrixRotationX(&m, kHalfPi), &m);
  ExpectPoint(TransformPoint({0, 1, 0}, m), 0, 0, 1);
  ExpectPoint(TransformPoint({0, 0, 1}, m), 0, -1, 0);
  D3DXMatrixRotationY(&m, kHalfPi);
  ExpectPoint(TransformPoint({1, 0, 0}, m), 0, 0, -1);
  ExpectPoint(TransformPoint({0, 0, 1}, m), 1, 0, 0);
  D3DXMatrixRotationZ(&m, kHalfPi);
  ExpectPoint(TransformPoint({1, 0, 0}, m), 0, 1, 0);
  ExpectPoint(TransformPoint({0, 1, 0}, m), -1, 0, 0);

  // cos 0.5 = 0.87758256, sin 0.5 = 0.47942554
  D3DXMatrixRotationZ(&m, 0.5f);
  ExpectMatrix(m, {0.87758256f, 0.47942554f, 0, 0, -0.47942554f, 0.87758256f, 0, 0, 0, 0, 1, 0,
                   0, 0, 0, 1},
               1e-6f);
}

TEST(MatrixTest, MultiplyAppliesTheFirstThenTheSecond) {
  const D3DXMATRIX a(1, 2, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
  const D3DXMATRIX b(1, 0, 0, 0, 3, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
  D3DXMATRIX out;
  EXPECT_EQ(D3DXMatrixMultiply(&out, &a, &b), &out);
  ExpectMatrix(out, {7, 2, 0, 0, 3, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
  ExpectMatrix(b * a, {1, 2, 0, 0, 3, 7, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});

  // Scale, then move: the translation is not scaled. Move, then scale: it is.
  D3DXMATRIX scale, move;
  D3DXMatrixScaling(&scale, 2, 2, 2);
  D3DXMatrixTranslation(&move, 1, 2, 3);
  ExpectMatrix(scale * move, {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 1, 2, 3, 1});
  ExpectMatrix(move * scale, {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 2, 4, 6, 1});

  // The output may be an input.
  D3DXMATRIX inPlace = move;
  D3DXMatrixMultiply(&inPlace, &inPlace, &scale);
  EXPECT_EQ(inPlace, move * scale);
  inPlace = scale;
  D3DXMatrixMultiply(&inPlace, &move, &inPlace);
  EXPECT_EQ(inPlace, move * scale);
}

TEST(MatrixTest, PerspectiveFovLH) {
  D3DXMATRIX m;
  // fov 90 degrees: cot(45 degrees) = 1; aspect 2 halves x; zf/(zf-zn) = 11/10.
  EXPECT_EQ(D3DXMatrixPerspectiveFovLH(&m, kHalfPi, 2.0f, 1.0f, 11.0f), &m);
  ExpectMatrix(m, {0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1.1f, 1, 0, 0, -1.1f, 0}, 1e-6f);
  // The engine's projection: 0.783 rad, aspect 1, planes 0.1 and 1000. cot(0.3915) = 2.4224252.
  D3DXMatrixPerspectiveFovLH(&m, 0.783f, 1.0f, 0.1f, 1000.0f);
  ExpectMatrix(m, {2.4224252f, 0, 0, 0, 0, 2.4224252f, 0, 0, 0, 0, 1.0001f, 1, 0, 0, -0.10001f, 0},
               1e-5f);
}

TEST(MatrixTest, LookAtLH) {
  D3DXMATRIX m;
  // The engine's default camera: from (0, 0, 10) toward the origin, y up. Looking down -z turns
  // x around; the origin lies 10 units ahead.
  const D3DXVECTOR3 eye(0, 0, 10), at(0, 0, 0), up(0, 1, 0);
  EXPECT_EQ(D3DXMatrixLookAtLH(&m, &eye, &at, &up), &m);
  ExpectMatrix(m, {-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 10, 1});

  // From (3, 4, 0) toward (3, 4, 5): the identity moved by the eye.
  const D3DXVECTOR3 eye2(3, 4, 0), at2(3, 4, 5);
  D3DXMatrixLookAtLH(&m, &eye2, &at2, &up);
  ExpectMatrix(m, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -3, -4, 0, 1});

  // A tilted view: from (0, 0, 0) toward (1, 0, 1), 45 degrees to the right.
  const D3DXVECTOR3 origin(0, 0, 0), diagonal(1, 0, 1);
  D3DXMatrixLookAtLH(&m, &origin, &diagonal, &up);
  const float r = std::sqrt(0.5f);
  ExpectMatrix(m, {r, 0, r, 0, 0, 1, 0, 0, -r, 0, r, 0, 0, 0, 0, 1}, 1e-6f);
  ExpectPoint(TransformPoint({1, 0, 1}, m), 0, 0, std::sqrt(2.0f));
}

// The 640 x 480 screen space: (0, 0) at the top left maps to (-1, 1), (640, 480) to (1, -1).
TEST(MatrixTest, OrthoOffCenterLH) {
  D3DXMATRIX m;
  EXPECT_EQ(D3DXMatrixOrthoOffCenterLH(&m, 0, 640, 480, 0, 0, 1), &m);
  ExpectMatrix(m, {2.0f / 640, 0, 0, 0, 0, -2.0f / 480, 0, 0, 0, 0, 1, 0, -1, 1, 0, 1});
  ExpectPoint(TransformPoint({640, 480, 1}, m), 1, -1, 1);
  D3DXMatrixOrthoOffCenterLH(&m, -2, 2, -1, 1, 1, 5);
  ExpectMatrix(m, {0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0.25f, 0, 0, 0, -0.25f, 1});
}

}  // namespace
