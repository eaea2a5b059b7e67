// What both devices compute the same way before their own work: vertex fields read from a buffer,
// the product of two matrices (row vectors, summed in the same order, so that both devices place
// vertices alike), and whether a stage-0 operation reads its texture.
#pragma once

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

inline bool ReadsTexture(DWORD op, DWORD arg1, DWORD arg2) {
  const bool first = op != D3DTOP_SELECTARG2 && (arg1 & D3DTA_SELECTMASK) == D3DTA_TEXTURE;
  const bool second = op != D3DTOP_SELECTARG1 && (arg2 & D3DTA_SELECTMASK) == D3DTA_TEXTURE;
  return first || second;
}

}  // namespace d3d8
