#include "tools/rarpack/huffman_code.h"

#include <algorithm>
#include <cassert>
#include <numeric>
#include <vector>

void BuildCodeLengths(std::span<const std::uint32_t> frequencies, int maxLength,
                      std::span<std::uint8_t> lengths) {
  assert(lengths.size() == frequencies.size());
  std::fill(lengths.begin(), lengths.end(), std::uint8_t(0));

  std::vector<int> used;
  for (std::size_t s = 0; s < frequencies.size(); ++s) {
    if (frequencies[s] > 0) used.push_back(int(s));
  }
  const std::size_t n = used.size();
  if (n == 0) return;
  if (n == 1) {
    lengths[used[0]] = 1;
    return;
  }
  assert(maxLength < 32 && n <= (std::size_t(1) << maxLength));
  std::stable_sort(used.begin(), used.end(),
                   [&](int a, int b) { return frequencies[a] < frequencies[b]; });

  // Package-merge. Lists run from the deepest level (all leaves) up to depth 1; each higher list
  // merges the leaves with pairs ("packages") of the list below. Only whether an item is a leaf
  // is kept per level: the selection below needs nothing else.
  std::vector<std::uint64_t> weights(n);
  for (std::size_t i = 0; i < n; ++i) weights[i] = frequencies[used[i]];
  std::vector<std::vector<bool>> isLeaf(std::size_t(maxLength) + 1);
  std::vector<std::uint64_t> below = weights;
  isLeaf[std::size_t(maxLength)].assign(n, true);
  for (int level = maxLength - 1; level >= 1; --level) {
    std::vector<std::uint64_t> merged;
    std::vector<bool>& leafFlags = isLeaf[std::size_t(level)];
    merged.reserve(n + below.size() / 2);
    std::size_t leaf = 0, pair = 0;
    const std::size_t pairs = below.size() / 2;
    while (leaf < n || pair < pairs) {
      const bool takeLeaf =
          pair == pairs || (leaf < n && weights[leaf] <= below[2 * pair] + below[2 * pair + 1]);
      if (takeLeaf) {
        merged.push_back(weights[leaf++]);
        leafFlags.push_back(true);
      } else {
        merged.push_back(below[2 * pair] + below[2 * pair + 1]);
        leafFlags.push_back(false);
        ++pair;
      }
    }
    below = std::move(merged);
  }

  // The cheapest 2n - 2 items of the top list; every leaf taken at a level adds one bit to its
  // symbol, and the packages taken select the cheapest items of the level below.
  std::size_t take = 2 * n - 2;
  for (int level = 1; level <= maxLength && take > 0; ++level) {
    const std::vector<bool>& leafFlags = isLeaf[std::size_t(level)];
    std::size_t leaves = 0;
    for (std::size_t i = 0; i < take; ++i) leaves += leafFlags[i] ? 1 : 0;
    for (std::size_t i = 0; i < leaves; ++i) ++lengths[used[i]];
    take = 2 * (take - leaves);
  }
}

void AssignCanonicalCodes(std::span<const std::uint8_t> lengths, std::span<std::uint16_t> codes) {
  assert(codes.size() == lengths.size());
  unsigned count[17] = {};
  for (const std::uint8_t length : lengths) {
    assert(length <= 16);
    ++count[length];
  }
  count[0] = 0;
  unsigned next[17] = {};
  unsigned code = 0;
  for (int k = 1; k <= 16; ++k) {
    code = (code + count[k - 1]) << 1;
    next[k] = code;
  }
  for (std::size_t s = 0; s < lengths.size(); ++s) {
    codes[s] = lengths[s] ? std::uint16_t(next[lengths[s]]++) : 0;
  }
}

std::uint64_t CodedBits(std::span<const std::uint32_t> frequencies,
                        std::span<const std::uint8_t> lengths) {
  std::uint64_t bits = 0;
  for (std::size_t s = 0; s < frequencies.size(); ++s) bits += std::uint64_t(frequencies[s]) * lengths[s];
  return bits;
}
