// What both devices compute the same way before their own work: vertex fields read from a buffer,
// the product of two matrices (row vectors, summed in the same order, so that both devices place
// vertices alike), the vector arithmetic of eye-space lighting, and whether a stage-0 operation
// reads its texture.
#pragma once

#include <cmath>
#include <cstring>

#include "platform/d3d8/d3d8.h"

namespace d3d8 {

inline float ReadFloat(const BYTE* p) {
  float value;
  std::memcpy(&value, p, 4);
  return value;
}

inline D3DCOLOR ReadColor(const BYTE* p) {
  D3DCOLOR value;
  std::memcpy(&value, p, 4);
  return value;
}

inline D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
  D3DMATRIX out{};
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      float sum = 0;
      for (int k = 0; k < 4; ++k) sum += a.m[i][k] * b.m[k][j];
      out.m[i][j] = sum;
    }
  }
  return out;
}

struct Vec3 {
  float x, y, z;
};

struct Color3 {
  float r, g, b;
};

inline float Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// v / |v|; v itself when its length is 0 (or not a number).
inline Vec3 Normalized(const Vec3& v) {
  const float length = std::sqrt(Dot(v, v));
  if (!(length > 0.0f)) return v;
  return {v.x / length, v.y / length, v.z / length};
}

inline Vec3 PointTimes(const Vec3& p, const D3DMATRIX& m) {
  return {p.x * m._11 + p.y * m._21 + p.z * m._31 + m._41,
          p.x * m._12 + p.y * m._22 + p.z * m._32 + m._42,
          p.x * m._13 + p.y * m._23 + p.z * m._33 + m._43};
}

inline Vec3 DirectionTimes(const Vec3& d, const D3DMATRIX& m) {
  return {d.x * m._11 + d.y * m._21 + d.z * m._31, d.x * m._12 + d.y * m._22 + d.z * m._32,
          d.x * m._13 + d.y * m._23 + d.z * m._33};
}

inline bool ReadsTexture(DWORD op, DWORD arg1, DWORD arg2) {
  const bool first = op != D3DTOP_SELECTARG2 && (arg1 & D3DTA_SELECTMASK) == D3DTA_TEXTURE;
  const bool second = op != D3DTOP_SELECTARG1 && (arg2 & D3DTA_SELECTMASK) == D3DTA_TEXTURE;
  return first || second;
}

}  // namespace d3d8
