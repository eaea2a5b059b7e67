#include "tools/rarpack/lz_match_finder.h"

#include <algorithm>
#include <cstring>

namespace {
// Bytes kept ahead of the window's worth of history; appends are at most this much at a time.
constexpr std::size_t kLookahead = 1 << 20;
}  // namespace

LzMatchFinder::LzMatchFinder()
    : buffer_(kWindowSize + kLookahead + 8),
      head_(std::size_t(1) << kHashBits),
      chain_(kWindowSize),
      triples_(std::size_t(1) << kTripleBits),
      pairs_(std::size_t(1) << 16) {}

void LzMatchFinder::Reset() {
  base_ = end_;
  inserted_ = end_;
  streamStart_ = end_;
  std::fill(head_.begin(), head_.end(), end_);
  std::fill(triples_.begin(), triples_.end(), end_);
  std::fill(pairs_.begin(), pairs_.end(), end_);
}

std::uint32_t LzMatchFinder::HistoryAt(std::uint32_t position) const {
  return std::min(position - streamStart_, kMaxDistance);
}

std::size_t LzMatchFinder::Append(std::span<const std::uint8_t> data) {
  const std::size_t capacity = buffer_.size() - 8;
  if (std::size_t(end_ - base_) + data.size() > capacity) {
    // Slide: keep a window's worth of bytes before the first position not yet inserted.
    const std::uint32_t keepFrom =
        inserted_ - base_ > kWindowSize ? inserted_ - kWindowSize : base_;
    const std::size_t kept = end_ - keepFrom;
    std::memmove(buffer_.data(), At(keepFrom), kept);
    base_ = keepFrom;
  }
  const std::size_t room = capacity - (end_ - base_);
  const std::size_t n = std::min(room, data.size());
  std::memcpy(buffer_.data() + (end_ - base_), data.data(), n);
  end_ += std::uint32_t(n);
  return n;
}

void LzMatchFinder::InsertUpTo(std::uint32_t position) {
  // A position needs the three bytes after it for its hashes; the last three wait for more data.
  const std::uint32_t hashable = end_ - base_ >= 3 ? end_ - 3 : base_;
  const std::uint32_t stop = std::int32_t(position - hashable) > 0 ? hashable : position;
  for (; std::int32_t(stop - inserted_) > 0; ++inserted_) {
    const std::uint8_t* p = At(inserted_);
    std::uint32_t& head = head_[Hash4(p)];
    chain_[inserted_ & (kWindowSize - 1)] = head;
    head = inserted_;
    triples_[Hash3(p)] = inserted_;
    pairs_[Pair(p)] = inserted_;
  }
}

std::uint32_t LzMatchFinder::PairDistance(std::uint32_t position) const {
  if (end_ - position < 2) return 0;
  const std::uint8_t* here = At(position);
  const std::uint32_t distance = position - pairs_[Pair(here)];
  if (distance == 0 || distance > HistoryAt(position)) return 0;
  const std::uint8_t* there = here - distance;
  return there[0] == here[0] && there[1] == here[1] ? distance : 0;
}

std::uint32_t LzMatchFinder::MatchLength(std::uint32_t position, std::uint32_t distance,
                                         std::uint32_t maxLength) const {
  const std::uint8_t* here = At(position);
  const std::uint8_t* there = here - distance;
  std::uint32_t n = 0;
  while (n + 8 <= maxLength) {
    std::uint64_t a, b;
    std::memcpy(&a, here + n, 8);
    std::memcpy(&b, there + n, 8);
    if (a != b) return n + std::uint32_t(__builtin_ctzll(a ^ b) >> 3);
    n += 8;
  }
  while (n < maxLength && here[n] == there[n]) ++n;
  return n;
}
