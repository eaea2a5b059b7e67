#include "platform/bass/sdl_output.h"

#include <SDL.h>
#ifndef __EMSCRIPTEN__
#include <dlfcn.h>
#endif

namespace bass {
namespace {

constexpr int kChannels = 2;
constexpr int kBufferFrames = 2048;  // about 46 ms at 44100 Hz

#ifndef __EMSCRIPTEN__
// ALSA prints a dozen lines of its own when there is no sound card; the caller says in one line
// what that means. SDL loads ALSA at run time, so its error handler is reached the same way; where
// ALSA is absent there is nothing to quiet.
void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

void QuietAlsa() {
  using SetHandler = int (*)(void (*)(const char*, int, const char*, int, const char*, ...));
  void* alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_GLOBAL);
  if (!alsa) return;
  if (auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler"))) set(&IgnoreAlsaError);
}
#else
void QuietAlsa() {}  // a page plays through Web Audio
#endif

}  // namespace

std::unique_ptr<SdlOutput> SdlOutput::Open(int rate, Fill fill, std::string* error) {
  QuietAlsa();
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    *error = SDL_GetError();
    return nullptr;
  }
  std::unique_ptr<SdlOutput> output(new SdlOutput());
  output->fill_ = std::move(fill);

  SDL_AudioSpec wanted{};
  wanted.freq = rate;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = kChannels;
  wanted.samples = kBufferFrames;
  wanted.callback = &SdlOutput::Callback;
  wanted.userdata = output.get();
  SDL_AudioSpec obtained{};
  // No allowed changes: SDL converts our format to the device's.
  output->device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (output->device_ == 0) {
    *error = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return nullptr;
  }
  SDL_PauseAudioDevice(output->device_, 0);
  return output;
}

SdlOutput::~SdlOutput() {
  SDL_CloseAudioDevice(device_);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlOutput::Callback(void* self, std::uint8_t* stream, int bytes) {
  const auto frames = static_cast<std::size_t>(bytes) / (kChannels * sizeof(std::int16_t));
  static_cast<SdlOutput*>(self)->fill_(reinterpret_cast<std::int16_t*>(stream), frames);
}

}  // namespace bass
