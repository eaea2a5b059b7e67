#include "tools/rarpack/pack20_tables.h"

#include <algorithm>
#include <cassert>
#include <limits>
#include <vector>

#include "tools/rarpack/huffman_code.h"

using namespace rar20;

namespace {

// One Huffman table inside the work-area layout.
struct SubTable {
  int offset;
  int count;
  int newTableSymbol;  // -1: the table cannot announce a table block
};

int SubTables(const BlockMode& mode, SubTable (&tables)[kMaxChannels]) {
  if (mode.audio) {
    for (int c = 0; c < mode.channels; ++c) tables[c] = {kAudioCount * c, kAudioCount, kAudioNewTables};
    return mode.channels;
  }
  tables[0] = {0, kLiteralCount, kSymNewTables};
  tables[1] = {kLiteralCount, kDistanceCount, -1};
  tables[2] = {kLiteralCount + kDistanceCount, kRepeatCount, -1};
  return 3;
}

// True when `symbol` would get the all-zero code: it has the shortest length and no smaller
// symbol has that length.
bool HasZeroCode(std::span<const std::uint8_t> lengths, int symbol) {
  const std::uint8_t own = lengths[symbol];
  if (own == 0) return false;
  for (std::size_t s = 0; s < lengths.size(); ++s) {
    if (lengths[s] != 0 && (lengths[s] < own || (lengths[s] == own && int(s) < symbol))) return false;
  }
  return true;
}

void BuildSubTableLengths(const SubTable& table, const BlockStats& stats, std::uint8_t* out) {
  std::vector<std::uint32_t> frequencies(stats.frequencies.begin() + table.offset,
                                         stats.frequencies.begin() + table.offset + table.count);
  std::span<std::uint8_t> lengths(out, std::size_t(table.count));
  const int t = table.newTableSymbol;
  if (t < 0) {
    BuildCodeLengths(frequencies, kMaxCodeLength, lengths);
    return;
  }
  frequencies[t] = std::max<std::uint32_t>(frequencies[t], 1);
  BuildCodeLengths(frequencies, kMaxCodeLength, lengths);
  if (!HasZeroCode(lengths, t)) return;

  // Give the all-zero code to a smaller symbol by swapping lengths with the shortest one (the
  // code stays complete); when there is none, a dummy symbol 0 provides it.
  if (std::all_of(frequencies.begin(), frequencies.begin() + t, [](std::uint32_t f) { return f == 0; })) {
    frequencies[0] = 1;
    BuildCodeLengths(frequencies, kMaxCodeLength, lengths);
    if (!HasZeroCode(lengths, t)) return;
  }
  int swapWith = -1;
  for (int s = 0; s < t; ++s) {
    if (lengths[s] != 0 && (swapWith < 0 || lengths[s] < lengths[swapWith])) swapWith = s;
  }
  std::swap(lengths[swapWith], lengths[t]);
  assert(!HasZeroCode(lengths, t));
}

// ---------------------------------------------------------------------------------------------
// Run-length coding of the lengths: codes 0..15 give (length - base) & 15, 16 repeats the
// previous length 3..6 times (2 extra bits), 17 writes 3..10 zeros (3 bits), 18 writes 11..138
// zeros (7 bits). Runs never reach past the table's end, and 16 never opens a table.
// ---------------------------------------------------------------------------------------------

struct LengthOp {
  std::uint8_t code;
  std::uint8_t extra;
};

constexpr int kExtraBits[kBitLengthCount] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                             0, 0, 0, 0, 0, 0, 2, 3, 7};
constexpr std::uint32_t kUnavailable = std::numeric_limits<std::uint32_t>::max() / 4;

// The cheapest op sequence under per-code costs (kUnavailable: the code must not be used).
std::uint64_t CheapestOps(const std::uint8_t* lengths, const std::uint8_t* base, int size,
                          const std::uint32_t (&cost)[kBitLengthCount], std::vector<LengthOp>& ops) {
  std::vector<int> runFrom(std::size_t(size) + 1, 0);
  for (int i = size - 1; i >= 0; --i) {
    runFrom[i] = (i + 1 < size && lengths[i + 1] == lengths[i]) ? runFrom[i + 1] + 1 : 1;
  }
  constexpr std::uint64_t kUnreachable = std::numeric_limits<std::uint64_t>::max();
  std::vector<std::uint64_t> best(std::size_t(size) + 1, 0);
  std::vector<LengthOp> choice(static_cast<std::size_t>(size));
  auto consider = [&](int i, int code, int count, std::uint8_t extra) {
    if (cost[code] >= kUnavailable || best[i + count] == kUnreachable) return;
    const std::uint64_t bits = cost[code] + kExtraBits[code] + best[i + count];
    if (bits < best[i]) {
      best[i] = bits;
      choice[i] = {std::uint8_t(code), extra};
    }
  };
  for (int i = size - 1; i >= 0; --i) {
    best[i] = kUnreachable;
    consider(i, (lengths[i] - base[i]) & 15, 1, 0);
    if (i > 0 && lengths[i] == lengths[i - 1]) {
      const int run = std::min(runFrom[i], 6);
      for (int n = 3; n <= run; ++n) consider(i, 16, n, std::uint8_t(n - 3));
    }
    if (lengths[i] == 0) {
      const int run = std::min(runFrom[i], 138);
      for (int n = 3; n <= std::min(run, 10); ++n) consider(i, 17, n, std::uint8_t(n - 3));
      // The longest run, or one that leaves up to 10 zeros to the ops after it.
      for (int n = std::max(11, run - 10); n <= run; ++n) consider(i, 18, n, std::uint8_t(n - 11));
    }
  }
  // Always reachable: the costs come from codes that an unrestricted choice used.
  assert(best[0] != kUnreachable);
  ops.clear();
  for (int i = 0; i < size;) {
    const LengthOp op = choice[i];
    ops.push_back(op);
    i += op.code < 16 ? 1 : op.code == 18 ? op.extra + 11 : op.extra + 3;
  }
  return best[0];
}

struct LengthPlan {
  std::vector<LengthOp> ops;
  std::uint8_t bitLengths[kBitLengthCount] = {};
  std::uint64_t bits = 0;  // the 19 bit lengths and the coded lengths
};

// Alternates between choosing ops for given code costs and building the bit-length code from
// the ops chosen; keeps the cheapest consistent pair.
LengthPlan PlanLengths(const std::uint8_t* lengths, const std::uint8_t* base, int size) {
  std::uint32_t cost[kBitLengthCount];
  std::fill(std::begin(cost), std::end(cost), 4u);
  LengthPlan best;
  best.bits = std::numeric_limits<std::uint64_t>::max();
  std::vector<LengthOp> ops;
  for (int round = 0; round < 3; ++round) {
    CheapestOps(lengths, base, size, cost, ops);
    std::uint32_t frequencies[kBitLengthCount] = {};
    for (const LengthOp& op : ops) ++frequencies[op.code];
    std::uint8_t bitLengths[kBitLengthCount];
    BuildCodeLengths(frequencies, kMaxCodeLength, bitLengths);
    std::uint32_t exact[kBitLengthCount];
    for (int c = 0; c < kBitLengthCount; ++c) exact[c] = bitLengths[c] ? bitLengths[c] : kUnavailable;
    const std::uint64_t bits = 4 * kBitLengthCount + CheapestOps(lengths, base, size, exact, ops);
    if (bits < best.bits) {
      best.ops = ops;
      std::copy(std::begin(bitLengths), std::end(bitLengths), best.bitLengths);
      best.bits = bits;
    }
    // Next round: the codes just built, with unused codes priced so they may come back.
    for (int c = 0; c < kBitLengthCount; ++c) cost[c] = bitLengths[c] ? bitLengths[c] : 7;
  }
  return best;
}

int HeaderBits(const BlockMode& mode) { return mode.audio ? 4 : 2; }

}  // namespace

void BlockStats::Add(const BlockStats& other) {
  for (std::size_t i = 0; i < frequencies.size(); ++i) frequencies[i] += other.frequencies[i];
  extraBits += other.extraBits;
}

std::uint64_t BlockStats::CodedBits(const BlockMode& mode, const LengthArea& lengths) const {
  std::uint64_t bits = extraBits;
  for (int i = 0; i < mode.TableSize(); ++i) bits += std::uint64_t(frequencies[i]) * lengths[i];
  return bits;
}

bool BlockStats::CodableWith(const BlockMode& mode, const LengthArea& lengths) const {
  for (int i = 0; i < mode.TableSize(); ++i) {
    if (frequencies[i] != 0 && lengths[i] == 0) return false;
  }
  return true;
}

int NewTableIndex(const BlockMode& mode, int channel) {
  return mode.audio ? kAudioCount * channel + kAudioNewTables : kSymNewTables;
}

void BuildBlockLengths(const BlockMode& mode, const BlockStats& stats, LengthArea& lengths) {
  lengths.fill(0);
  SubTable tables[kMaxChannels];
  const int n = SubTables(mode, tables);
  for (int t = 0; t < n; ++t) BuildSubTableLengths(tables[t], stats, lengths.data() + tables[t].offset);
}

void AssignBlockCodes(const BlockMode& mode, const LengthArea& lengths,
                      std::array<std::uint16_t, kLengthWorkArea>& codes) {
  SubTable tables[kMaxChannels];
  const int n = SubTables(mode, tables);
  for (int t = 0; t < n; ++t) {
    const auto offset = std::size_t(tables[t].offset);
    const auto count = std::size_t(tables[t].count);
    AssignCanonicalCodes(std::span<const std::uint8_t>(lengths.data() + offset, count),
                         std::span<std::uint16_t>(codes.data() + offset, count));
  }
}

std::uint64_t TableBlockBits(const BlockMode& mode, const LengthArea& lengths) {
  static constexpr LengthArea kZeros{};
  return HeaderBits(mode) + PlanLengths(lengths.data(), kZeros.data(), mode.TableSize()).bits;
}

std::uint64_t WriteTableBlock(BitWriter& out, const BlockMode& mode, const LengthArea& lengths,
                              LengthArea& previous, bool deltaAllowed) {
  static constexpr LengthArea kZeros{};
  const int size = mode.TableSize();
  LengthPlan plan = PlanLengths(lengths.data(), kZeros.data(), size);
  bool delta = false;
  if (deltaAllowed) {
    LengthPlan deltaPlan = PlanLengths(lengths.data(), previous.data(), size);
    if (deltaPlan.bits < plan.bits) {
      plan = std::move(deltaPlan);
      delta = true;
    }
  }

  const std::uint64_t start = out.BitCount();
  out.Put((mode.audio ? 2u : 0u) | (delta ? 1u : 0u), 2);
  if (mode.audio) out.Put(unsigned(mode.channels - 1), 2);
  for (const std::uint8_t length : plan.bitLengths) out.Put(length, 4);
  std::uint16_t codes[kBitLengthCount];
  AssignCanonicalCodes(plan.bitLengths, codes);
  for (const LengthOp& op : plan.ops) {
    out.Put(codes[op.code], plan.bitLengths[op.code]);
    out.Put(op.extra, unsigned(kExtraBits[op.code]));
  }

  // The decoder's work area: zeroed by a block without delta coding, then the first `size`
  // entries take the new lengths and the rest keep theirs.
  if (!delta) previous.fill(0);
  std::copy(lengths.begin(), lengths.begin() + size, previous.begin());
  return out.BitCount() - start;
}
