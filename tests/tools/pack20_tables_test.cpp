// Code lengths, canonical codes and table blocks of the RAR 2.0 encoder, checked against the
// decoder's own table construction and against a plain Huffman construction.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <queue>
#include <vector>

#include "archive/unpack20.h"
#include "tools/rarpack/bit_writer.h"
#include "tools/rarpack/huffman_code.h"
#include "tools/rarpack/pack20_tables.h"

namespace {

using namespace rar20;

// Sum of 2^(15 - length) over the used symbols: 2^15 for a complete prefix code.
std::uint64_t KraftSum(const std::vector<std::uint8_t>& lengths) {
  std::uint64_t sum = 0;
  for (const std::uint8_t l : lengths) {
    if (l) sum += std::uint64_t(1) << (15 - l);
  }
  return sum;
}

// Cost of an unlimited Huffman code: the sum of all merged weights.
std::uint64_t HuffmanCost(const std::vector<std::uint32_t>& frequencies) {
  std::priority_queue<std::uint64_t, std::vector<std::uint64_t>, std::greater<>> queue;
  for (const std::uint32_t f : frequencies) {
    if (f) queue.push(f);
  }
  std::uint64_t cost = 0;
  while (queue.size() > 1) {
    const std::uint64_t a = queue.top();
    queue.pop();
    const std::uint64_t b = queue.top();
    queue.pop();
    cost += a + b;
    queue.push(a + b);
  }
  return cost;
}

std::vector<std::uint8_t> Lengths(const std::vector<std::uint32_t>& frequencies, int limit = 15) {
  std::vector<std::uint8_t> lengths(frequencies.size());
  BuildCodeLengths(frequencies, limit, lengths);
  return lengths;
}

TEST(Pack20CodeLengths, OptimalWhenTheLimitDoesNotBind) {
  std::uint32_t seed = 12345;
  for (int round = 0; round < 50; ++round) {
    std::vector<std::uint32_t> frequencies(298);
    for (auto& f : frequencies) {
      seed = seed * 1103515245u + 12345u;
      // Within a factor of 50 of each other: no code gets near 15 bits.
      f = (seed >> 16) % 4 == 0 ? 0 : 100 + (seed >> 8) % 5000;
    }
    const auto lengths = Lengths(frequencies);
    const std::uint64_t bits = CodedBits(frequencies, lengths);
    EXPECT_EQ(bits, HuffmanCost(frequencies)) << "round " << round;
    EXPECT_EQ(KraftSum(lengths), 1u << 15);
  }
}

TEST(Pack20CodeLengths, LimitedCodesStayCompleteAndNearOptimal) {
  // Fibonacci weights make an unlimited Huffman tree as deep as there are symbols.
  std::vector<std::uint32_t> frequencies(40);
  frequencies[0] = frequencies[1] = 1;
  for (std::size_t i = 2; i < 30; ++i) frequencies[i] = frequencies[i - 1] + frequencies[i - 2];
  const auto lengths = Lengths(frequencies);
  EXPECT_EQ(*std::max_element(lengths.begin(), lengths.end()), 15);
  EXPECT_EQ(KraftSum(lengths), 1u << 15);
  for (std::size_t i = 30; i < 40; ++i) EXPECT_EQ(lengths[i], 0) << i;
  // The limit costs something, but little: the frequent symbols keep their short codes.
  const std::uint64_t bits = CodedBits(frequencies, lengths);
  EXPECT_GT(bits, HuffmanCost(frequencies));
  EXPECT_LT(double(bits), 1.01 * double(HuffmanCost(frequencies)));

  // A tight limit: seven symbols in at most 3 bits leave room for one 2-bit code only.
  const auto tight = Lengths(std::vector<std::uint32_t>{1000, 1, 1, 1, 1, 1, 1}, 3);
  EXPECT_EQ(tight, (std::vector<std::uint8_t>{2, 3, 3, 3, 3, 3, 3}));
}

TEST(Pack20CodeLengths, OneUsedSymbolGetsLengthOne) {
  EXPECT_EQ(Lengths({0, 0, 9, 0}), (std::vector<std::uint8_t>{0, 0, 1, 0}));
  EXPECT_EQ(Lengths({0, 0, 0}), (std::vector<std::uint8_t>{0, 0, 0}));
}

// Decodes the left-justified 16-bit `bits` as the reader's decoder does with `table`.
int DecodeLikeTheReader(const DecodeTable& table, unsigned bits, int& length) {
  const unsigned b = bits & 0xFFFE;
  int k = 1;
  while (k < 15 && b >= table.limit[k]) ++k;
  length = k;
  const unsigned j = table.first[k] + ((b - table.limit[k - 1]) >> (16 - k));
  return table.symbols[j < unsigned(table.symbolCount) ? j : 0];
}

TEST(Pack20CodeLengths, CanonicalCodesAreTheOnesTheDecoderBuilds) {
  std::vector<std::uint32_t> frequencies(kLiteralCount);
  for (std::size_t s = 0; s < frequencies.size(); ++s) frequencies[s] = std::uint32_t((s * 7919) % 61 + (s < 20 ? 4000 : 0));
  frequencies[5] = 0;
  const auto lengths = Lengths(frequencies);
  std::vector<std::uint16_t> codes(lengths.size());
  AssignCanonicalCodes(lengths, codes);

  DecodeTable table;
  BuildDecodeTable(lengths.data(), table, int(lengths.size()));
  for (std::size_t s = 0; s < lengths.size(); ++s) {
    if (!lengths[s]) continue;
    int decodedLength = 0;
    // Any bits may follow a code; all ones is the hardest case for the limits.
    const unsigned bits = (unsigned(codes[s]) << (16 - lengths[s])) | ((1u << (16 - lengths[s])) - 1);
    EXPECT_EQ(DecodeLikeTheReader(table, bits, decodedLength), int(s));
    EXPECT_EQ(decodedLength, lengths[s]);
  }
}

// The symbol that zero bits decode to, by the canonical codes of `lengths[offset, offset+count)`.
int ZeroCodeSymbol(const LengthArea& lengths, int offset, int count) {
  std::array<std::uint16_t, kLengthWorkArea> codes{};
  AssignCanonicalCodes(std::span<const std::uint8_t>(lengths.data() + offset, std::size_t(count)),
                       std::span<std::uint16_t>(codes.data(), std::size_t(count)));
  for (int s = 0; s < count; ++s) {
    if (lengths[offset + s] && codes[s] == 0) return s;
  }
  return -1;
}

TEST(Pack20BlockLengths, NewTableSymbolAlwaysCodedButNeverAllZeros) {
  // Blocks made only of matches: 269 would otherwise be the smallest symbol of the shortest
  // length, and zero padding would read as a table block.
  BlockStats stats;
  stats.frequencies[kSymMatch + 3] = 1;
  stats.frequencies[kLiteralCount + 1] = 1;
  LengthArea lengths;
  BuildBlockLengths(BlockMode{}, stats, lengths);
  EXPECT_GT(lengths[kSymNewTables], 0);
  EXPECT_NE(ZeroCodeSymbol(lengths, 0, kLiteralCount), kSymNewTables);
  EXPECT_EQ(KraftSum(std::vector<std::uint8_t>(lengths.begin(), lengths.begin() + kLiteralCount)), 1u << 15);

  stats.frequencies[kSymMatch + 5] = 3;
  stats.frequencies[kSymMatch + 9] = 3;
  BuildBlockLengths(BlockMode{}, stats, lengths);
  EXPECT_NE(ZeroCodeSymbol(lengths, 0, kLiteralCount), kSymNewTables);

  // Audio: channel 1 of 2 has no bytes in this block; its table still announces table blocks.
  BlockStats audio;
  audio.frequencies[17] = 100;
  const BlockMode stereo{true, 2};
  BuildBlockLengths(stereo, audio, lengths);
  for (int c = 0; c < 2; ++c) {
    EXPECT_GT(lengths[NewTableIndex(stereo, c)], 0) << c;
    EXPECT_NE(ZeroCodeSymbol(lengths, kAudioCount * c, kAudioCount), kAudioNewTables) << c;
  }
}

TEST(Pack20TableBlock, DeltaCodingAndTheWorkArea) {
  BlockStats stats;
  for (int s = 0; s < kLzTableSize; ++s) stats.frequencies[s] = std::uint32_t(1 + (s * 37) % 200);
  LengthArea lz;
  BuildBlockLengths(BlockMode{}, stats, lz);
  LengthArea previous{};
  previous.fill(9);  // what an earlier, larger audio block left

  BitWriter first;
  const std::uint64_t plainBits = WriteTableBlock(first, BlockMode{}, lz, previous, false);
  EXPECT_EQ(first.Bytes()[0] >> 6, 0) << "no audio flag, no delta flag";
  EXPECT_TRUE(std::equal(lz.begin(), lz.begin() + kLzTableSize, previous.begin()));
  EXPECT_EQ(previous[kLzTableSize], 0) << "a block without delta coding clears the whole work area";

  // The same lengths again: all differences are zero, far cheaper than the lengths themselves.
  BitWriter second;
  const std::uint64_t deltaBits = WriteTableBlock(second, BlockMode{}, lz, previous, true);
  EXPECT_EQ(second.Bytes()[0] >> 6, 1) << "delta flag 0x4000";
  EXPECT_LT(deltaBits * 2, plainBits);

  // A smaller delta-coded block leaves the entries past its table as they were. (Its lengths
  // start as the LZ block's, so delta coding is the cheaper choice.)
  LengthArea audio = lz;
  audio[3] = 7;
  const BlockMode mono{true, 1};
  BitWriter third;
  WriteTableBlock(third, mono, audio, previous, true);
  EXPECT_EQ(third.Bytes()[0] >> 4, 0b1100) << "audio and delta flags, one channel";
  EXPECT_TRUE(std::equal(audio.begin(), audio.begin() + kAudioCount, previous.begin()));
  EXPECT_TRUE(std::equal(lz.begin() + kAudioCount, lz.begin() + kLzTableSize, previous.begin() + kAudioCount));
}

}  // namespace
