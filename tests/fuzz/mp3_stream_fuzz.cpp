// Fuzz target: the soundtrack file through what the sound library does with it: CheckMp3File,
// then the decoder's Open and the first few thousand output frames, at a rate that makes files
// of other rates go through the resampler. A file the check calls whole or not must not crash
// the decoder either way; Read never reports more frames than asked.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "fuzz_targets.h"
#include "platform/bass/mp3_check.h"
#include "platform/bass/mp3_decoder.h"

namespace vornhold::fuzz {
namespace {

constexpr int kOutputRate = 44100;      // Hz, the show's output rate
constexpr std::size_t kReadFrames = 1152;  // one MPEG-1 layer III frame's samples per read
constexpr int kReads = 3;

}  // namespace

int Mp3StreamFuzz(const std::uint8_t* data, std::size_t size) {
  const std::string path = WriteScratchFile("lab.mp3", data, size);
  if (path.empty()) return 0;
  const bass::Mp3Check check = bass::CheckMp3File(path.c_str());
  Require(check != bass::Mp3Check::kUnreadable, "a written file is readable");
  Require((check == bass::Mp3Check::kEmpty) == (size == 0), "only an empty file is empty");

  bass::Mp3Decoder decoder;
  if (decoder.Open(path.c_str(), kOutputRate) != bass::Mp3Decoder::OpenResult::kOk) return 0;
  if (check == bass::Mp3Check::kWhole) NoteAccepted();
  std::vector<std::int16_t> out(2 * kReadFrames);
  for (int i = 0; i < kReads && !decoder.Ended(); ++i) {
    Require(decoder.Read(out.data(), kReadFrames) <= kReadFrames, "a read gives at most the frames asked");
  }
  return 0;
}

}  // namespace vornhold::fuzz
