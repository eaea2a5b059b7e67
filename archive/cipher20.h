// The RAR 2.0 block cipher: 32 rounds on 16-byte blocks, keyed by a password.
//
// Four key words and a byte substitution table are derived from the password; after every block
// the key words are mixed with that block's ciphertext, so the blocks of one stream are chained
// and enciphering and deciphering the same stream pass through the same key words. One object
// serves one entry: prepare the keys, then feed the entry's blocks in stream order.
#pragma once

#include <array>
#include <cstdint>

class Rar20Cipher {
 public:
  static constexpr int kBlockSize = 16;
  static constexpr int kMaxPasswordLength = 254;

  // Sets the key words and the substitution table for one entry. The password is a NUL-terminated
  // string; bytes past kMaxPasswordLength are not used.
  void PrepareCipherKeys(const char* password);

  void EncipherBlock(std::uint8_t block[kBlockSize]);
  void DecipherBlock(std::uint8_t block[kBlockSize]);

 private:
  void MixKeys(const std::uint8_t bytes[kBlockSize]);
  std::uint32_t Sub(std::uint32_t t) const;
  void Rounds(std::uint8_t block[kBlockSize], bool decipher);

  std::array<std::uint32_t, 4> key_{};
  std::array<std::uint8_t, 256> subst_{};
};
