// Presented frames as PNG files (8-bit RGB).
#pragma once

#include <string>

#include "platform/present/present.h"

namespace platform {

// Writes the image; false with a one-line reason on failure.
bool WritePng(const std::string& path, const platform::FrameImage& image, std::string& error);

}  // namespace platform
