// The library front: validation, error codes and the one library state behind the BASS calls.
//
// Two locks: `api` serialises the BASS calls themselves (and is the only lock held around SDL
// calls), `mix` guards what the audio thread reads. The audio callback takes only `mix`, so closing
// the device while holding `api` cannot deadlock against it.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include "platform/bass/bass.h"
#include "platform/bass/bass_host.h"
#include "platform/bass/mp3_check.h"
#include "platform/bass/mp3_decoder.h"
#include "platform/bass/sdl_output.h"
#include "platform/bass/stream_mixer.h"

namespace {

constexpr int kDefaultDevice = -1;
constexpr int kSilentDevice = -2;
constexpr DWORD kMinRate = 8000;    // Hz
constexpr DWORD kMaxRate = 192000;  // Hz
constexpr int kErrorUnknown = -1;

struct Library {
  std::mutex api;
  std::unique_ptr<bass::SdlOutput> output;  // null on the silent device; guarded by `api`

  std::mutex mix;
  bool initialised = false;  // guarded by `mix` (written under both locks)
  bool running = false;      // output started: streams advance
  bool held = false;         // the host holds every stream where it stands (a pause, a seek)
  int rate = 0;              // Hz
  bass::StreamMixer mixer;

  ~Library() { output.reset(); }  // stop the audio thread before the mixer goes
};

Library& TheLibrary() {
  static Library library;
  return library;
}

std::atomic<bool> g_forceSilent{false};
thread_local int g_lastError = BASS_OK;

BOOL Fail(int code) {
  g_lastError = code;
  return FALSE;
}

BOOL Succeed() {
  g_lastError = BASS_OK;
  return TRUE;
}

bool IsInitialised(Library& library) {
  std::lock_guard<std::mutex> mixLock(library.mix);
  return library.initialised;
}

void FillFromStreams(std::int16_t* out, std::size_t frames) {
  Library& library = TheLibrary();
  std::lock_guard<std::mutex> mixLock(library.mix);
  if (library.initialised && library.running && !library.held)
    library.mixer.Mix(out, frames);
  else
    std::fill(out, out + 2 * frames, std::int16_t{0});
}

}  // namespace

BOOL BASS_Init(int device, DWORD freq, DWORD flags, HWND win, const void* clsid) {
  Library& library = TheLibrary();
  std::lock_guard<std::mutex> apiLock(library.api);
  if (IsInitialised(library)) return Fail(BASS_ERROR_ALREADY);
  if (device != kDefaultDevice && device != kSilentDevice) return Fail(BASS_ERROR_DEVICE);
  if (freq < kMinRate || freq > kMaxRate) return Fail(BASS_ERROR_ILLPARAM);
  if ((flags & ~DWORD{BASS_DEVICE_NOSYNC}) != 0) return Fail(BASS_ERROR_NOTAVAIL);

  const int rate = static_cast<int>(freq);
  if (device == kDefaultDevice && !g_forceSilent) {
    std::string reason;
    library.output = bass::SdlOutput::Open(rate, &FillFromStreams, &reason);
    if (!library.output)
      std::fprintf(stderr, "vornhold: no audio output (%s); the music plays silently\n",
                   reason.c_str());
  }
  std::lock_guard<std::mutex> mixLock(library.mix);
  library.initialised = true;
  library.running = true;
  library.rate = rate;
  return Succeed();
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length,
                              DWORD flags) {
  Library& library = TheLibrary();
  std::lock_guard<std::mutex> apiLock(library.api);
  int rate = 0;
  {
    std::lock_guard<std::mutex> mixLock(library.mix);
    if (!library.initialised) return Fail(BASS_ERROR_INIT);
    rate = library.rate;
  }
  if (mem || offset != 0 || length != 0 || (flags & ~DWORD{BASS_MP3_SETPOS}) != 0)
    return Fail(BASS_ERROR_NOTAVAIL);

  // libmpg123 would play the frames of a damaged file it can find and say nothing: one line says
  // what is wrong, and no stream is made.
  if (file == nullptr) return Fail(BASS_ERROR_FILEOPEN);
  std::string why;
  const bass::Mp3Check check = bass::CheckMp3File(static_cast<const char*>(file), &why);
  if (check != bass::Mp3Check::kWhole) {
    std::fprintf(stderr, "vornhold: warning: %s %s; playing without music\n", static_cast<const char*>(file),
                 bass::DescribeMp3Check(check, why).c_str());
    const bool unopened = check == bass::Mp3Check::kUnreadable || check == bass::Mp3Check::kNotRegular;
    return Fail(unopened ? BASS_ERROR_FILEOPEN : BASS_ERROR_FILEFORM);
  }
  auto decoder = std::make_unique<bass::Mp3Decoder>();
  switch (decoder->Open(static_cast<const char*>(file), rate)) {
    case bass::Mp3Decoder::OpenResult::kOk:
      break;
    case bass::Mp3Decoder::OpenResult::kCannotOpen:
      return Fail(BASS_ERROR_FILEOPEN);
    case bass::Mp3Decoder::OpenResult::kNotMp3:
      return Fail(BASS_ERROR_FILEFORM);
    case bass::Mp3Decoder::OpenResult::kNoMemory:
      return Fail(BASS_ERROR_MEM);
  }
  std::lock_guard<std::mutex> mixLock(library.mix);
  const HSTREAM handle = library.mixer.Add(std::move(decoder));
  g_lastError = BASS_OK;
  return handle;
}

BOOL BASS_Start() {
  Library& library = TheLibrary();
  std::lock_guard<std::mutex> apiLock(library.api);
  std::lock_guard<std::mutex> mixLock(library.mix);
  if (!library.initialised) return Fail(BASS_ERROR_INIT);
  library.running = true;
  return Succeed();
}

BOOL BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD flags) {
  Library& library = TheLibrary();
  std::lock_guard<std::mutex> apiLock(library.api);
  std::lock_guard<std::mutex> mixLock(library.mix);
  if (!library.initialised) return Fail(BASS_ERROR_INIT);
  if (!library.mixer.Contains(handle)) return Fail(BASS_ERROR_HANDLE);
  if (flags != 0) return Fail(BASS_ERROR_NOTAVAIL);
  if (!library.mixer.Play(handle, flush != FALSE)) return Fail(kErrorUnknown);
  return Succeed();
}

BOOL BASS_Stop() {
  Library& library = TheLibrary();
  std::lock_guard<std::mutex> apiLock(library.api);
  std::lock_guard<std::mutex> mixLock(library.mix);
  if (!library.initialised) return Fail(BASS_ERROR_INIT);
  library.running = false;
  library.mixer.StopAll();
  return Succeed();
}

BOOL BASS_Free() {
  Library& library = TheLibrary();
  std::lock_guard<std::mutex> apiLock(library.api);
  if (!IsInitialised(library)) return Fail(BASS_ERROR_INIT);
  library.output.reset();  // joins the audio thread; it takes only `mix`
  std::lock_guard<std::mutex> mixLock(library.mix);
  library.mixer.Clear();
  library.initialised = false;
  library.running = false;
  library.rate = 0;
  return Succeed();
}

int BASS_ErrorGetCode() { return g_lastError; }

namespace bass {

void UseSilentOutput(bool silent) { g_forceSilent = silent; }

std::size_t ReadDecodedSamples(std::int16_t* out, std::size_t frames) {
  Library& library = TheLibrary();
  std::lock_guard<std::mutex> mixLock(library.mix);
  if (!library.initialised || !library.running) {
    std::fill(out, out + 2 * frames, std::int16_t{0});
    return 0;
  }
  return library.mixer.Mix(out, frames);
}

void HoldStreams(bool held) {
  Library& library = TheLibrary();
  std::lock_guard<std::mutex> mixLock(library.mix);
  library.held = held;
}

bool SeekPlayingStreams(std::uint64_t frame) {
  Library& library = TheLibrary();
  std::lock_guard<std::mutex> mixLock(library.mix);
  return library.mixer.SeekPlaying(frame);
}

int OutputRate() {
  Library& library = TheLibrary();
  std::lock_guard<std::mutex> mixLock(library.mix);
  return library.initialised ? library.rate : 0;
}

std::uint64_t StreamPosition(HSTREAM handle) {
  Library& library = TheLibrary();
  std::lock_guard<std::mutex> mixLock(library.mix);
  return library.mixer.Position(handle);
}

}  // namespace bass
