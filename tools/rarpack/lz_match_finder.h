// Hash-chain match finder over the RAR 2.0 window (1 MiB) for the encoder's LZ77 parse.
//
// Positions are 32-bit stream offsets that may wrap: only differences (distances) are ever used,
// and every candidate is checked byte by byte against the buffer, so a stale chain entry can
// cost time but never yield a wrong match. The buffer keeps at least the last window's worth of
// bytes behind the oldest position not yet inserted, plus whatever the caller appended ahead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

struct LzMatch {
  std::uint32_t length = 0;
  std::uint32_t distance = 0;
};

class LzMatchFinder {
 public:
  static constexpr std::uint32_t kWindowSize = 0x100000;
  static constexpr std::uint32_t kMaxDistance = kWindowSize - 1;
  static constexpr std::uint32_t kMaxLength = 260;  // the longest match any symbol codes
  static constexpr int kMaxMatches = 16;

  LzMatchFinder();

  // Forgets all history; positions continue from where they were.
  void Reset();

  // Appends bytes after End(); returns how many fit (at least one while any are given and the
  // caller has inserted all but the last window's worth of earlier bytes).
  std::size_t Append(std::span<const std::uint8_t> data);

  std::uint32_t End() const { return end_; }
  const std::uint8_t* At(std::uint32_t position) const { return buffer_.data() + (position - base_); }
  // Distances that reach valid history from `position`: at most kMaxDistance.
  std::uint32_t HistoryAt(std::uint32_t position) const;

  // Adds every position before `position` (that has the bytes its hashes need) to the chains.
  void InsertUpTo(std::uint32_t position);

  // Candidates at `position` from the chains, in order of increasing length and distance; each
  // is longer than the one before and at least `minLength(distance)` long. `maxLength` bounds
  // the lengths (the caller keeps it within End()).
  template <typename MinLength>
  int FindMatches(std::uint32_t position, std::uint32_t maxLength, MinLength minLength,
                  LzMatch* matches) const;

  // The nearest earlier occurrence of the two bytes at `position`, as a distance (0 = none).
  std::uint32_t PairDistance(std::uint32_t position) const;

  // Length of the match at `distance`, up to `maxLength`.
  std::uint32_t MatchLength(std::uint32_t position, std::uint32_t distance,
                            std::uint32_t maxLength) const;

  // Chain steps per search and the length at which a search stops early.
  int chainLimit = 24;
  std::uint32_t niceLength = 64;

 private:
  static constexpr int kHashBits = 17;
  static constexpr int kTripleBits = 16;
  static std::uint32_t Hash4(const std::uint8_t* p) {
    const std::uint32_t v = p[0] | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
    return (v * 0x9E3779B1u) >> (32 - kHashBits);
  }
  static std::uint32_t Hash3(const std::uint8_t* p) {
    const std::uint32_t v = p[0] | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16);
    return (v * 0x9E3779B1u) >> (32 - kTripleBits);
  }
  static std::uint32_t Pair(const std::uint8_t* p) { return p[0] | (std::uint32_t(p[1]) << 8); }

  std::vector<std::uint8_t> buffer_;
  std::uint32_t base_ = 0;         // position of buffer_[0]
  std::uint32_t end_ = 0;          // position after the last appended byte
  std::uint32_t inserted_ = 0;     // positions before this one are in the chains
  std::uint32_t streamStart_ = 0;  // first position of the current history
  std::vector<std::uint32_t> head_;     // hash of four bytes -> last position
  std::vector<std::uint32_t> chain_;    // position & (kWindowSize - 1) -> previous same-hash position
  std::vector<std::uint32_t> triples_;  // hash of three bytes -> last position
  std::vector<std::uint32_t> pairs_;    // two bytes -> last position
};

template <typename MinLength>
int LzMatchFinder::FindMatches(std::uint32_t position, std::uint32_t maxLength, MinLength minLength,
                               LzMatch* matches) const {
  if (maxLength < 3 || end_ - position < 3) return 0;
  const std::uint32_t reach = HistoryAt(position);
  const std::uint8_t* here = At(position);
  std::uint32_t best = 2;
  int found = 0;
  // Three-byte matches come from the last occurrence only; the chains hold four-byte contexts.
  if (const std::uint32_t distance = position - triples_[Hash3(here)]; distance != 0 && distance <= reach) {
    const std::uint32_t length = MatchLength(position, distance, maxLength);
    if (length >= 3 && length >= minLength(distance)) {
      best = length;
      matches[found++] = {length, distance};
      if (length >= niceLength || length >= maxLength) return found;
    }
  }
  if (end_ - position < 4) return found;
  std::uint32_t candidate = head_[Hash4(here)];
  std::uint32_t lastDistance = 0;
  for (int steps = chainLimit; steps > 0; --steps) {
    const std::uint32_t distance = position - candidate;
    // Chains run to older positions; anything else is a stale entry.
    if (distance <= lastDistance || distance > reach) break;
    lastDistance = distance;
    const std::uint8_t* there = here - distance;
    if (there[best] == here[best] && there[0] == here[0] && there[1] == here[1]) {
      const std::uint32_t length = MatchLength(position, distance, maxLength);
      if (length > best && length >= minLength(distance)) {
        best = length;
        // Keep the list in order of distance too: drop a longer-distance three-byte match.
        if (found > 0 && matches[found - 1].distance > distance) --found;
        if (found == kMaxMatches) --found;
        matches[found++] = {length, distance};
        if (length >= niceLength || length >= maxLength) break;
      }
    }
    candidate = chain_[candidate & (kWindowSize - 1)];
  }
  return found;
}
