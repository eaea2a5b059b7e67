// The default audio output: one SDL audio device playing signed 16-bit stereo.
//
// The device asks for samples on SDL's audio thread through `fill`; SDL converts to whatever the
// hardware wants. The device runs from Open to destruction: stopping the library's output is the
// fill function's business (it writes silence), so nothing here needs the library's lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace bass {

class SdlOutput {
 public:
  // Writes 2 * frames samples. Called on the audio thread.
  using Fill = std::function<void(std::int16_t* out, std::size_t frames)>;

  // rate in Hz. Null and a one-line reason in `error` when there is no audio output.
  static std::unique_ptr<SdlOutput> Open(int rate, Fill fill, std::string* error);
  ~SdlOutput();  // waits for a running callback to return, then closes the device
  SdlOutput(const SdlOutput&) = delete;
  SdlOutput& operator=(const SdlOutput&) = delete;

 private:
  SdlOutput() = default;
  static void Callback(void* self, std::uint8_t* stream, int bytes);

  Fill fill_;
  std::uint32_t device_ = 0;  // SDL_AudioDeviceID
};

}  // namespace bass
