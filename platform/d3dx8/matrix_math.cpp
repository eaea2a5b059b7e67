#include <cmath>

#include "platform/d3dx8/d3dx8.h"

namespace {

D3DXVECTOR3 Cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// A zero vector stays zero, as in D3DX.
D3DXVECTOR3 Normalize(const D3DXVECTOR3& v) {
  const float length = std::sqrt(Dot(v, v));
  return length > 0.0f ? v * (1.0f / length) : D3DXVECTOR3();
}

}  // namespace

D3DXMATRIX::D3DXMATRIX(float m11, float m12, float m13, float m14, float m21, float m22, float m23,
                       float m24, float m31, float m32, float m33, float m34, float m41, float m42,
                       float m43, float m44)
    : D3DMATRIX{} {
  _11 = m11, _12 = m12, _13 = m13, _14 = m14;
  _21 = m21, _22 = m22, _23 = m23, _24 = m24;
  _31 = m31, _32 = m32, _33 = m33, _34 = m34;
  _41 = m41, _42 = m42, _43 = m43, _44 = m44;
}

D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& other) const {
  D3DXMATRIX product;
  D3DXMatrixMultiply(&product, this, &other);
  return product;
}

D3DXMATRIX& D3DXMATRIX::operator*=(const D3DXMATRIX& other) {
  D3DXMatrixMultiply(this, this, &other);
  return *this;
}

bool D3DXMATRIX::operator==(const D3DXMATRIX& other) const {
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      if (m[i][j] != other.m[i][j]) return false;
    }
  }
  return true;
}

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* pOut) {
  *pOut = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
  return pOut;
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* pOut, const D3DXMATRIX* pM1, const D3DXMATRIX* pM2) {
  D3DXMATRIX product;  // separate, so that pOut may be pM1 or pM2
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      product.m[i][j] = pM1->m[i][0] * pM2->m[0][j] + pM1->m[i][1] * pM2->m[1][j] +
                        pM1->m[i][2] * pM2->m[2][j] + pM1->m[i][3] * pM2->m[3][j];
    }
  }
  *pOut = product;
  return pOut;
}

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* pOut, float x, float y, float z) {
  *pOut = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1);
  return pOut;
}

D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* pOut, float sx, float sy, float sz) {
  *pOut = D3DXMATRIX(sx, 0, 0, 0, 0, sy, 0, 0, 0, 0, sz, 0, 0, 0, 0, 1);
  return pOut;
}

D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* pOut, float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  *pOut = D3DXMATRIX(1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1);
  return pOut;
}

D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* pOut, float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  *pOut = D3DXMATRIX(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1);
  return pOut;
}

D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* pOut, float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  *pOut = D3DXMATRIX(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
  return pOut;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* pOut, float fovy, float aspect, float zn,
                                       float zf) {
  const float yScale = 1.0f / std::tan(fovy / 2.0f);
  const float xScale = yScale / aspect;
  *pOut = D3DXMATRIX(xScale, 0, 0, 0, 0, yScale, 0, 0, 0, 0, zf / (zf - zn), 1, 0, 0,
                     -zn * zf / (zf - zn), 0);
  return pOut;
}

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* pOut, const D3DXVECTOR3* pEye, const D3DXVECTOR3* pAt,
                               const D3DXVECTOR3* pUp) {
  const D3DXVECTOR3 zaxis = Normalize(*pAt - *pEye);
  const D3DXVECTOR3 xaxis = Normalize(Cross(*pUp, zaxis));
  const D3DXVECTOR3 yaxis = Cross(zaxis, xaxis);
  *pOut = D3DXMATRIX(xaxis.x, yaxis.x, zaxis.x, 0, xaxis.y, yaxis.y, zaxis.y, 0, xaxis.z, yaxis.z,
                     zaxis.z, 0, -Dot(xaxis, *pEye), -Dot(yaxis, *pEye), -Dot(zaxis, *pEye), 1);
  return pOut;
}

D3DXMATRIX* D3DXMatrixOrthoOffCenterLH(D3DXMATRIX* pOut, float l, float r, float b, float t,
                                       float zn, float zf) {
  *pOut = D3DXMATRIX(2.0f / (r - l), 0, 0, 0, 0, 2.0f / (t - b), 0, 0, 0, 0, 1.0f / (zf - zn), 0,
                     (l + r) / (l - r), (t + b) / (b - t), zn / (zn - zf), 1);
  return pOut;
}
