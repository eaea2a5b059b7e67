// The libFuzzer entry of one fuzz target; the build compiles this file once per target with
// VORNHOLD_FUZZ_ENTRY naming that target's function in fuzz_targets.h.
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return vornhold::fuzz::VORNHOLD_FUZZ_ENTRY(data, size);
}
