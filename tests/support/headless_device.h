// A software (REF) device on a headless window of the given size, for tests that draw.
#pragma once

#include <gtest/gtest.h>

#include "platform/d3d8/offscreen_device.h"

namespace testsupport {

class HeadlessDevice {
 public:
  HeadlessDevice(int width, int height) : device_({width, height, D3DFMT_X8R8G8B8, true}) {
    EXPECT_EQ(device_.result(), D3D_OK);
  }

  IDirect3DDevice8* get() const { return device_.get(); }

 private:
  d3d8::OffscreenDevice device_;
};

}  // namespace testsupport
