// The null device: takes every call and draws nothing; its frames reach the host as null frames, so
// that the clock and the trace still advance once per frame.
#include "platform/d3d8/device_backend.h"

namespace d3d8 {
namespace {

class NullBackend final : public DeviceBackend {
 public:
  void Clear(const std::vector<D3DRECT>&, DWORD, D3DCOLOR, float) override {}
  const platform::FrameImage* Present() override { return nullptr; }
  void Draw(const DrawRequest&) override {}
};

}  // namespace

std::unique_ptr<DeviceBackend> MakeNullBackend() { return std::make_unique<NullBackend>(); }

}  // namespace d3d8
