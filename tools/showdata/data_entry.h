// One generated archive entry: its name as the show asks for it (catalogue spelling, '\' between
// folders) and its bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace showdata {

struct DataEntry {
  std::string name;
  std::vector<std::uint8_t> bytes;
};

}  // namespace showdata
