// Constants of the RAR 2.x container and of the RAR 2.0 compression format, shared by the reader
// and the archive writer.
#pragma once

#include <cstdint>

namespace rar20 {

// Container.
inline constexpr std::uint8_t kMarker[7] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};  // "Rar!"
inline constexpr std::uint8_t kAltMarker[7] = {'T', 'o', 'l', 'v', 'e', 'x', '!'};
inline constexpr std::uint8_t kOldMarker[4] = {0x52, 0x45, 0x7E, 0x5E};  // "RE~^", RAR 1.x
inline constexpr int kMainHeaderSize = 13;  // fixed part; the header may carry more
inline constexpr int kFileHeaderSize = 32;  // fixed part, before the name

inline constexpr std::uint8_t kTypeMain = 0x73;
inline constexpr std::uint8_t kTypeFile = 0x74;
inline constexpr std::uint8_t kTypeSubBlock = 0x77;

inline constexpr std::uint16_t kMainSolid = 0x0008;
inline constexpr std::uint16_t kFileEnciphered = 0x0004;
inline constexpr std::uint16_t kFileSolid = 0x0010;       // continues the previous entry's stream
inline constexpr std::uint16_t kFileWindowMask = 0x00E0;  // dictionary size; 0x00E0 = directory
inline constexpr std::uint16_t kFileWindow1M = 0x0080;
inline constexpr std::uint16_t kFileDirectory = 0x00E0;
inline constexpr std::uint16_t kLongBlock = 0x8000;  // a data area of packed-size bytes follows

inline constexpr std::uint8_t kMethodStored = 0x30;
inline constexpr std::uint8_t kMethodBest = 0x35;
inline constexpr std::uint8_t kMinVersion = 13;
inline constexpr std::uint8_t kMaxVersion = 20;

// Compression.
inline constexpr std::uint32_t kWindowSize = 0x100000;  // 1 MiB
inline constexpr std::uint32_t kWindowMask = kWindowSize - 1;

inline constexpr int kLiteralCount = 298;  // 256 bytes, 256..268 repeats, 269 tables, 270..297 lengths
inline constexpr int kDistanceCount = 48;
inline constexpr int kRepeatCount = 28;
inline constexpr int kBitLengthCount = 19;
inline constexpr int kAudioCount = 257;  // 256 deltas and 256 = new table block
inline constexpr int kLzTableSize = kLiteralCount + kDistanceCount + kRepeatCount;  // 374
inline constexpr int kMaxChannels = 4;
inline constexpr int kLengthWorkArea = kMaxChannels * kAudioCount;  // 1028
inline constexpr int kMaxCodeLength = 15;

inline constexpr int kSymRepeatLast = 256;     // last length at last distance
inline constexpr int kSymOldDistance = 257;    // 257..260: one of the four last distances
inline constexpr int kSymShortDistance = 261;  // 261..268: length 2 at a short distance
inline constexpr int kSymNewTables = 269;
inline constexpr int kSymMatch = 270;          // 270..297: coded length, then a distance
inline constexpr int kAudioNewTables = 256;

inline constexpr std::uint8_t kLengthBase[28] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  10,
                                                 12, 14, 16, 20, 24, 28, 32, 40, 48, 56,
                                                 64, 80, 96, 112, 128, 160, 192, 224};
inline constexpr std::uint8_t kLengthBits[28] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2,
                                                 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};
inline constexpr std::uint32_t kDistanceBase[48] = {
    0,      1,      2,      3,      4,      6,      8,      12,     16,     24,     32,     48,
    64,     96,     128,    192,    256,    384,    512,    768,    1024,   1536,   2048,   3072,
    4096,   6144,   8192,   12288,  16384,  24576,  32768,  49152,  65536,  98304,  131072, 196608,
    262144, 327680, 393216, 458752, 524288, 589824, 655360, 720896, 786432, 851968, 917504, 983040};
inline constexpr std::uint8_t kDistanceBits[48] = {
    0,  0,  0,  0,  1,  1,  2,  2,  3,  3,  4,  4,  5,  5,  6,  6,  7,  7,  8,  8,  9,  9,  10, 10,
    11, 11, 12, 12, 13, 13, 14, 14, 15, 15, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16};
inline constexpr std::uint8_t kShortDistanceBase[8] = {0, 4, 8, 16, 32, 64, 128, 192};
inline constexpr std::uint8_t kShortDistanceBits[8] = {2, 2, 3, 4, 5, 6, 6, 6};

}  // namespace rar20
