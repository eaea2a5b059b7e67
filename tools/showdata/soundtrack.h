// The soundtrack: synthesized by our own code, encoded to MP3 (44.1 kHz stereo) with LAME.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace showdata {

// The whole of "lab.mp3". On failure returns an empty vector and sets *error to one line.
std::vector<std::uint8_t> MakeSoundtrack(std::string* error);

}  // namespace showdata
