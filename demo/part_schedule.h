// Where each of the ten parts begins on the show's timeline, in milliseconds: part01 first. A part
// that plays without the one before it re-bases the timeline so that it still begins here.
#pragma once

#include <cstdint>

inline constexpr std::int32_t kPartStartMs[10] = {0, 18041, 36083, 45162, 50793, 54172, 72190, 107010, 126223, 136382};
