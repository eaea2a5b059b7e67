#include <cstring>

#include "d3d8_test_support.h"

namespace d3d8_test {
namespace {

using VertexBufferTest = D3D8Test;

// The engine's quad buffer: four 24-byte vertices, write-only, managed.
TEST_F(VertexBufferTest, LockedBytesSurviveUnlockAndRelock) {
  IDirect3DDevice8* device = MakeDevice(4, 4);
  ASSERT_NE(device, nullptr);
  IDirect3DVertexBuffer8* buffer = nullptr;
  const DWORD fvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
  ASSERT_EQ(device->CreateVertexBuffer(96, D3DUSAGE_WRITEONLY, fvf, D3DPOOL_MANAGED, &buffer),
            D3D_OK);
  ASSERT_NE(buffer, nullptr);

  D3DVERTEXBUFFER_DESC desc{};
  ASSERT_EQ(buffer->GetDesc(&desc), D3D_OK);
  EXPECT_EQ(desc.Size, 96u);
  EXPECT_EQ(desc.FVF, 0x142u);
  EXPECT_EQ(desc.Usage, D3DUSAGE_WRITEONLY);
  EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
  EXPECT_EQ(desc.Type, D3DRTYPE_VERTEXBUFFER);
  EXPECT_EQ(desc.Format, D3DFMT_VERTEXDATA);

  BYTE* data = nullptr;
  ASSERT_EQ(buffer->Lock(0, 0, &data, 0), D3D_OK);
  for (int i = 0; i < 96; ++i) data[i] = static_cast<BYTE>(i * 3);
  ASSERT_EQ(buffer->Unlock(), D3D_OK);

  BYTE* part = nullptr;
  ASSERT_EQ(buffer->Lock(24, 24, &part, D3DLOCK_DISCARD), D3D_OK);
  EXPECT_EQ(part[0], 72);
  EXPECT_EQ(part[23], static_cast<BYTE>(47 * 3));
  ASSERT_EQ(buffer->Unlock(), D3D_OK);
  BYTE* tail = nullptr;
  ASSERT_EQ(buffer->Lock(90, 0, &tail, 0), D3D_OK) << "size 0 locks to the end";
  EXPECT_EQ(tail[5], static_cast<BYTE>(95 * 3));
  ASSERT_EQ(buffer->Unlock(), D3D_OK);

  EXPECT_EQ(buffer->Release(), 0u);
  EXPECT_EQ(device->Release(), 0u);
}

TEST_F(VertexBufferTest, LocksStayInsideTheBufferAndPair) {
  IDirect3DDevice8* device = MakeDevice(4, 4);
  ASSERT_NE(device, nullptr);
  IDirect3DVertexBuffer8* buffer = nullptr;
  EXPECT_EQ(device->CreateVertexBuffer(0, 0, 0, D3DPOOL_MANAGED, &buffer), D3DERR_INVALIDCALL);
  EXPECT_EQ(buffer, nullptr);
  EXPECT_EQ(device->CreateVertexBuffer(16, 0, 0, D3DPOOL_MANAGED, nullptr), D3DERR_INVALIDCALL);
  ASSERT_EQ(device->CreateVertexBuffer(16, 0, D3DFVF_XYZ, D3DPOOL_DEFAULT, &buffer), D3D_OK);

  BYTE* data = reinterpret_cast<BYTE*>(&buffer);  // must be cleared by a failed lock
  EXPECT_EQ(buffer->Lock(8, 9, &data, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(data, nullptr);
  EXPECT_EQ(buffer->Lock(17, 0, &data, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(buffer->Lock(0, 0, nullptr, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(buffer->Unlock(), D3DERR_INVALIDCALL) << "nothing is locked";
  EXPECT_EQ(buffer->Lock(8, 8, &data, 0), D3D_OK);
  EXPECT_EQ(buffer->Unlock(), D3D_OK);
  EXPECT_EQ(buffer->Unlock(), D3DERR_INVALIDCALL);

  EXPECT_EQ(buffer->AddRef(), 2u);
  EXPECT_EQ(buffer->Release(), 1u);
  EXPECT_EQ(buffer->Release(), 0u);
  EXPECT_EQ(device->Release(), 0u);
}

}  // namespace
}  // namespace d3d8_test
