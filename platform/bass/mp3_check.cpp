// The MPEG audio frame walk behind CheckMp3File.
#include "platform/bass/mp3_check.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <vector>

namespace bass {
namespace {

constexpr std::size_t kSearchBytes = 64 * 1024;

// Kilobits per second by bitrate index: MPEG-1 layers I, II, III, then MPEG-2/2.5 layer I, and
// MPEG-2/2.5 layers II and III. Index 0 (free format) and 15 (bad) are not used.
constexpr int kBitrates[5][16] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
};
constexpr int kSampleRates[3] = {44100, 48000, 32000};  // MPEG-1; halved for 2, quartered for 2.5

struct Frame {
  std::uint32_t stream = 0;  // version, layer and sample-rate bits: equal for frames of one stream
  std::size_t length = 0;    // bytes, header included; 0 for free format (not walked)
};

// The frame whose header starts at data[at], if it is one.
bool ReadHeader(const std::vector<unsigned char>& data, std::size_t at, Frame& frame) {
  if (at + 4 > data.size()) return false;
  const std::uint32_t h = std::uint32_t(data[at]) << 24 | std::uint32_t(data[at + 1]) << 16 |
                          std::uint32_t(data[at + 2]) << 8 | data[at + 3];
  const int version = (h >> 19) & 3;  // 0: 2.5, 1: reserved, 2: MPEG-2, 3: MPEG-1
  const int layer = 4 - int((h >> 17) & 3);  // 4: reserved
  const int bitrateIndex = (h >> 12) & 15, rateIndex = (h >> 10) & 3, padding = (h >> 9) & 1;
  if ((h >> 21) != 0x7FF || version == 1 || layer == 4 || bitrateIndex == 15 || rateIndex == 3) return false;
  const bool mpeg1 = version == 3;
  const int table = mpeg1 ? layer - 1 : (layer == 1 ? 3 : 4);
  const long bitrate = 1000L * kBitrates[table][bitrateIndex];
  const long rate = kSampleRates[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
  frame.stream = h & 0xFFFE0C00;
  if (layer == 1) {
    frame.length = std::size_t((12 * bitrate / rate + padding) * 4);
  } else {
    frame.length = std::size_t((layer == 3 && !mpeg1 ? 72 : 144) * bitrate / rate + padding);
  }
  return true;
}

bool StartsWith(const std::vector<unsigned char>& data, std::size_t at, const char* text) {
  const std::size_t n = std::strlen(text);
  return at + n <= data.size() && std::memcmp(data.data() + at, text, n) == 0;
}

// The bytes after an ID3v2 tag (header, syncsafe size, optional footer), or 0 without one.
std::size_t AfterId3v2(const std::vector<unsigned char>& data) {
  if (!StartsWith(data, 0, "ID3") || data.size() < 10) return 0;
  const std::size_t size = std::size_t(data[6] & 0x7F) << 21 | std::size_t(data[7] & 0x7F) << 14 |
                           std::size_t(data[8] & 0x7F) << 7 | (data[9] & 0x7F);
  return 10 + size + ((data[5] & 0x10) ? 10 : 0);
}

bool IsTrailingTag(const std::vector<unsigned char>& data, std::size_t at) {
  return StartsWith(data, at, "TAG") || StartsWith(data, at, "APETAGEX") || StartsWith(data, at, "LYRICSBEGIN");
}

}  // namespace

Mp3Check CheckMp3File(const char* path, std::string* why) {
  struct stat info {};
  if (::stat(path, &info) != 0) {
    if (why) *why = std::strerror(errno);
    return Mp3Check::kUnreadable;
  }
  if (S_ISDIR(info.st_mode)) {
    if (why) *why = std::strerror(EISDIR);
    return Mp3Check::kUnreadable;
  }
  if (!S_ISREG(info.st_mode)) return Mp3Check::kNotRegular;
  std::ifstream in(path, std::ios::binary);
  std::vector<unsigned char> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad() || !in.is_open()) {
    if (why) *why = std::strerror(errno);
    return Mp3Check::kUnreadable;
  }
  if (data.empty()) return Mp3Check::kEmpty;

  // The first frame: one whose successor is a frame of the same stream, or the end of the file.
  const std::size_t start = AfterId3v2(data);
  std::size_t at = start;
  Frame first, next;
  for (; at < data.size() && at < start + kSearchBytes; ++at) {
    if (!ReadHeader(data, at, first) || first.length == 0) continue;
    const std::size_t after = at + first.length;
    if (after == data.size() || (ReadHeader(data, after, next) && next.stream == first.stream)) break;
  }
  if (at >= data.size() || at >= start + kSearchBytes) return Mp3Check::kNotMp3;

  // A frame that runs past the end is a cut only where the chain of frames leads to it; found by
  // searching through bytes that are no frame, it is more of those bytes.
  bool chained = true;
  for (Frame frame; at < data.size();) {
    if (ReadHeader(data, at, frame) && frame.stream == first.stream && frame.length > 0 &&
        (chained || at + frame.length <= data.size())) {
      if (at + frame.length > data.size()) return Mp3Check::kTruncated;
      at += frame.length;
      chained = true;
    } else if (IsTrailingTag(data, at)) {
      break;
    } else {
      ++at;
      chained = false;
    }
  }
  return Mp3Check::kWhole;
}

std::string DescribeMp3Check(Mp3Check check, const std::string& why) {
  switch (check) {
    case Mp3Check::kWhole: return "";
    case Mp3Check::kUnreadable: return "cannot be read (" + why + ")";
    case Mp3Check::kNotRegular: return "is not a regular file";
    case Mp3Check::kEmpty: return "is empty";
    case Mp3Check::kNotMp3: return "is not an MP3 file (no MP3 frame in its first 64 KiB)";
    case Mp3Check::kTruncated: return "is cut short (it ends inside an MP3 frame)";
  }
  return "";
}

}  // namespace bass
