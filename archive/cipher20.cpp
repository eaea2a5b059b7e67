#include "archive/cipher20.h"

#include <bit>
#include <cstring>

#include "archive/crc32.h"
#include "platform/little_endian.h"

namespace {

// The cipher's initial substitution table: a fixed permutation of 0..255.
constexpr std::array<std::uint8_t, 256> kInitSubst = {
    215, 19,  149, 35,  73,  197, 192, 205, 249, 28,  16,  119, 48,  221, 2,   42,
    232, 1,   177, 233, 14,  88,  219, 25,  223, 195, 244, 90,  87,  239, 153, 137,
    255, 199, 147, 70,  92,  66,  246, 13,  216, 40,  62,  29,  217, 230, 86,  6,
    71,  24,  171, 196, 101, 113, 218, 123, 93,  91,  163, 178, 202, 67,  44,  235,
    107, 250, 75,  234, 49,  167, 125, 211, 83,  114, 157, 144, 32,  193, 143, 36,
    158, 124, 247, 187, 89,  214, 141, 47,  121, 228, 61,  130, 213, 194, 174, 251,
    97,  110, 54,  229, 115, 57,  152, 94,  105, 243, 212, 55,  209, 245, 63,  11,
    164, 200, 31,  156, 81,  176, 227, 21,  76,  99,  139, 188, 127, 17,  248, 51,
    207, 120, 189, 210, 8,   226, 41,  72,  183, 203, 135, 165, 166, 60,  98,  7,
    122, 38,  155, 170, 69,  172, 252, 238, 39,  134, 59,  128, 236, 27,  240, 80,
    131, 3,   85,  206, 145, 79,  154, 142, 159, 220, 201, 133, 74,  64,  20,  129,
    224, 185, 138, 103, 173, 182, 43,  34,  254, 82,  198, 151, 231, 180, 58,  10,
    118, 26,  102, 12,  50,  132, 22,  191, 136, 111, 162, 179, 45,  4,   148, 108,
    161, 56,  78,  126, 242, 222, 15,  175, 146, 23,  33,  241, 181, 190, 77,  225,
    0,   46,  169, 186, 68,  95,  237, 65,  53,  208, 253, 168, 9,   18,  100, 52,
    116, 184, 160, 96,  109, 37,  30,  106, 140, 104, 150, 5,   204, 117, 112, 84,
};

using platform::ReadLe32;

void StoreWord(std::uint8_t* p, std::uint32_t w) {
  p[0] = std::uint8_t(w);
  p[1] = std::uint8_t(w >> 8);
  p[2] = std::uint8_t(w >> 16);
  p[3] = std::uint8_t(w >> 24);
}

}  // namespace

void Rar20Cipher::PrepareCipherKeys(const char* password) {
  key_ = {0xD3A3B879u, 0x3F6D12F7u, 0x7515A235u, 0xA4E7F123u};

  // Zero padding: the pair (P[i], P[i + 1]) of an odd-length password takes the terminating
  // zero, and the last enciphered block of a long password stays inside the 256 bytes.
  std::uint8_t work[256] = {};
  const std::size_t length = password ? strnlen(password, kMaxPasswordLength) : 0;
  if (length) std::memcpy(work, password, length);

  subst_ = kInitSubst;
  // Through a plain pointer: every index below is masked to 0..255, and the checked subscript
  // would cost as much as the swap in builds that check it.
  std::uint8_t* const subst = subst_.data();
  for (int j = 0; j < 256; ++j) {
    for (std::size_t i = 0; i < length; i += 2) {
      unsigned y = kCrcTable[(work[i + 1] + j) & 0xFF] & 0xFF;
      unsigned x = kCrcTable[(work[i] - j) & 0xFF] & 0xFF;
      for (unsigned k = 1; x != y; ++k) {
        std::swap(subst[x], subst[(x + i + k) & 0xFF]);
        x = (x + 1) & 0xFF;
      }
    }
  }
  // Enciphering the padded password only serves the key mixing each block ends with.
  for (std::size_t i = 0; i < length; i += kBlockSize) EncipherBlock(work + i);
}

std::uint32_t Rar20Cipher::Sub(std::uint32_t t) const {
  const std::uint8_t* const s = subst_.data();  // each index is one byte of t
  return std::uint32_t(s[t & 0xFF]) | std::uint32_t(s[(t >> 8) & 0xFF]) << 8 |
         std::uint32_t(s[(t >> 16) & 0xFF]) << 16 | std::uint32_t(s[t >> 24]) << 24;
}

void Rar20Cipher::Rounds(std::uint8_t block[kBlockSize], bool decipher) {
  std::uint32_t a = ReadLe32(block) ^ key_[0];
  std::uint32_t b = ReadLe32(block + 4) ^ key_[1];
  std::uint32_t c = ReadLe32(block + 8) ^ key_[2];
  std::uint32_t d = ReadLe32(block + 12) ^ key_[3];
  for (int n = 0; n < 32; ++n) {
    const int r = decipher ? 31 - n : n;
    const std::uint32_t k = key_[r & 3];
    const std::uint32_t ta = a ^ Sub((c + std::rotl(d, 11)) ^ k);
    const std::uint32_t tb = b ^ Sub((d ^ std::rotl(c, 17)) + k);
    a = c;
    b = d;
    c = ta;
    d = tb;
  }
  StoreWord(block, c ^ key_[0]);
  StoreWord(block + 4, d ^ key_[1]);
  StoreWord(block + 8, a ^ key_[2]);
  StoreWord(block + 12, b ^ key_[3]);
}

void Rar20Cipher::EncipherBlock(std::uint8_t block[kBlockSize]) {
  Rounds(block, false);
  MixKeys(block);
}

void Rar20Cipher::DecipherBlock(std::uint8_t block[kBlockSize]) {
  std::uint8_t ciphertext[kBlockSize];
  std::memcpy(ciphertext, block, kBlockSize);
  Rounds(block, true);
  MixKeys(ciphertext);
}

void Rar20Cipher::MixKeys(const std::uint8_t bytes[kBlockSize]) {
  for (int g = 0; g < 4; ++g)
    for (int w = 0; w < 4; ++w) key_[w] ^= kCrcTable[bytes[4 * g + w]];
}
