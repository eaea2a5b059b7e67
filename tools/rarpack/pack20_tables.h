// Code tables of the RAR 2.0 encoder: code lengths for a block's statistics, and the table block
// that carries them (two flag bits, the bit-length code, then the lengths run-length coded and
// optionally as differences to the previous block's lengths).
//
// Lengths live in one array laid out as the decoder's work area: LZ blocks use 298 literal/length,
// 48 distance and 28 repeat-length entries (374 in all); audio blocks use 257 entries per channel.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "archive/rar20_format.h"
#include "tools/rarpack/bit_writer.h"

struct BlockMode {
  bool audio = false;
  int channels = 1;  // audio blocks: 1..4

  int TableSize() const { return audio ? rar20::kAudioCount * channels : rar20::kLzTableSize; }
  bool operator==(const BlockMode&) const = default;
};

using LengthArea = std::array<std::uint8_t, rar20::kLengthWorkArea>;

// How often each symbol of a block occurs (same layout as the lengths), and the extra bits its
// matches carry.
struct BlockStats {
  std::array<std::uint32_t, rar20::kLengthWorkArea> frequencies{};
  std::uint64_t extraBits = 0;

  void Add(const BlockStats& other);
  // Bits of the block's symbols and extra bits when coded with `lengths`.
  std::uint64_t CodedBits(const BlockMode& mode, const LengthArea& lengths) const;
  // True when every symbol the block uses has a code in `lengths`.
  bool CodableWith(const BlockMode& mode, const LengthArea& lengths) const;
};

// The symbol that announces a table block in `mode`, as an index into the lengths: 269 in LZ
// mode, 256 of the given channel's table in audio mode.
int NewTableIndex(const BlockMode& mode, int channel);

// Code lengths (at most 15 bits) for a block. Every table that can announce a table block gives
// the new-table symbol a code, so that any later block (or the next entry of a solid stream) can
// switch tables, and never the all-zero code, so that zero bits after an entry's last symbol
// never decode as a table block. Codes of those tables are complete.
void BuildBlockLengths(const BlockMode& mode, const BlockStats& stats, LengthArea& lengths);

// Right-aligned canonical codes for every table of `mode`.
void AssignBlockCodes(const BlockMode& mode, const LengthArea& lengths,
                      std::array<std::uint16_t, rar20::kLengthWorkArea>& codes);

// Size in bits of the table block for `lengths`, coded against zero previous lengths. Meant for
// estimates; WriteTableBlock picks the cheaper of that and delta coding.
std::uint64_t TableBlockBits(const BlockMode& mode, const LengthArea& lengths);

// Writes a table block and updates the work area `previous` as the decoder does. Delta coding
// (flag 0x4000) is used when it is smaller and `deltaAllowed`. Returns the bits written.
std::uint64_t WriteTableBlock(BitWriter& out, const BlockMode& mode, const LengthArea& lengths,
                              LengthArea& previous, bool deltaAllowed);
