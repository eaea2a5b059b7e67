#include "tools/rarpack/pack20_parse.h"

#include <algorithm>
#include <array>
#include <cassert>

using namespace rar20;

namespace {

// Positions per dynamic-programming segment.
constexpr std::uint32_t kSegment = 4096;
// A match this long is taken at once: it ends the segment.
constexpr std::uint32_t kNiceLength = 64;
// After a chain match this long, the positions it covers (but the last few) skip the chain
// search; matches starting inside it are mostly the same match, which the repeat distances find.
constexpr std::uint32_t kSkipLength = 16;
constexpr std::uint32_t kSkipKeep = 4;
constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;
// Price of a symbol that the recent blocks did not use.
constexpr std::uint8_t kUnusedPrice = 12;

template <std::size_t N>
constexpr std::array<std::uint8_t, 256> SlotTable(const std::uint8_t (&base)[N], const std::uint8_t (&bits)[N]) {
  std::array<std::uint8_t, 256> slots{};
  for (std::size_t i = 0; i < N; ++i) {
    for (unsigned v = base[i]; v < base[i] + (1u << bits[i]) && v < 256; ++v) slots[v] = std::uint8_t(i);
  }
  return slots;
}

// Slot of a coded length (length minus 3 for 270..297, minus 2 for the repeat lengths).
constexpr std::array<std::uint8_t, 256> kLengthSlot = SlotTable(kLengthBase, kLengthBits);
// Slot of a short distance minus 1.
constexpr std::array<std::uint8_t, 256> kShortSlot = SlotTable(kShortDistanceBase, kShortDistanceBits);

// Slot of a distance minus 1 (below 0x100000).
int DistanceSlot(std::uint32_t value) {
  return int(std::upper_bound(std::begin(kDistanceBase), std::end(kDistanceBase), value) -
             std::begin(kDistanceBase)) - 1;
}

}  // namespace

SymbolPrices::SymbolPrices() {
  for (int s = 0; s < kLiteralCount; ++s) {
    literal[s] = s < 256 ? 8 : s == kSymRepeatLast ? 5 : s < kSymShortDistance ? 7
               : s < kSymNewTables ? 7 : s == kSymNewTables ? 15 : std::uint8_t(6 + (s - kSymMatch) / 5);
  }
  for (auto& p : distance) p = 6;
  for (auto& p : repeat) p = 4;
}

void SymbolPrices::Update(const LengthArea& lzLengths) {
  auto price = [](std::uint8_t length) { return length ? length : kUnusedPrice; };
  for (int s = 0; s < kLiteralCount; ++s) literal[s] = price(lzLengths[s]);
  for (int s = 0; s < kDistanceCount; ++s) distance[s] = price(lzLengths[kLiteralCount + s]);
  for (int s = 0; s < kRepeatCount; ++s) repeat[s] = price(lzLengths[kLiteralCount + kDistanceCount + s]);
}

LzParser::Step LzParser::Expand(std::uint32_t i, std::uint32_t position, std::uint32_t room, bool search) {
  const Node& node = nodes_[i];
  auto relax = [&](std::uint32_t length, std::uint32_t distance, int kind, std::uint32_t price) {
    Node& target = nodes_[i + length];
    const std::uint32_t cost = node.cost + price;
    if (cost < target.cost) {
      target.cost = cost;
      target.from = i;
      target.step = {length, distance, kind};
      target.history = node.history;
      target.history.Push(length, distance);
    }
  };
  if (Node& next = nodes_[i + 1]; node.cost + prices_->literal[*finder_.At(position)] < next.cost) {
    next.cost = node.cost + prices_->literal[*finder_.At(position)];
    next.from = i;
    next.step = Step{};
    next.history = node.history;
  }
  const std::uint32_t maxLength = std::min(LzMatchFinder::kMaxLength, entryEnd_ - position);
  if (maxLength < 2) return {};

  const MatchHistory& history = node.history;
  const std::uint32_t reach = finder_.HistoryAt(position);
  std::uint32_t repeatLength[4] = {};
  for (int k = 0; k < 4; ++k) {
    const std::uint32_t distance = history.Recent(k);
    if (distance == 0 || distance > reach) continue;
    bool seen = false;
    for (int j = 0; j < k; ++j) seen = seen || history.Recent(j) == distance;
    if (!seen) repeatLength[k] = finder_.MatchLength(position, distance, maxLength);
  }
  LzMatch matches[LzMatchFinder::kMaxMatches];
  int found = 0;
  if (search) {
    found = finder_.FindMatches(
        position, maxLength, [](std::uint32_t distance) { return 3 + MatchLengthBonus(distance); }, matches);
  }
  lastSearchLength_ = found ? matches[found - 1].length : 0;

  const auto repeatPrice = [&](int k, std::uint32_t length) -> std::uint32_t {
    const int slot = kLengthSlot[length - RepeatLengthBonus(history.Recent(k)) - 2];
    return prices_->literal[kSymOldDistance + k] + prices_->repeat[slot] + kLengthBits[slot];
  };
  const auto matchPrice = [&](std::uint32_t length, std::uint32_t distance) -> std::uint32_t {
    const int lengthSlot = kLengthSlot[length - MatchLengthBonus(distance) - 3];
    const int distanceSlot = DistanceSlot(distance - 1);
    return prices_->literal[kSymMatch + lengthSlot] + kLengthBits[lengthSlot] + prices_->distance[distanceSlot] +
           kDistanceBits[distanceSlot];
  };
  const bool lastAgain = history.lastLength > 0 && repeatLength[0] >= history.lastLength;

  // A long match is taken at once: of those, the one that saves most over 8-bit literals.
  Step nice;
  std::int64_t niceGain = 0;
  const auto offerNice = [&](const Step& step, std::uint32_t price) {
    const std::int64_t gain = 8 * std::int64_t(step.length) - price;
    if (step.length >= kNiceLength && gain > niceGain) {
      nice = step;
      niceGain = gain;
    }
  };
  if (lastAgain) offerNice({history.lastLength, history.Recent(0), kSymRepeatLast}, prices_->literal[kSymRepeatLast]);
  for (int k = 0; k < 4; ++k) {
    const std::uint32_t length = std::min(repeatLength[k], 257 + RepeatLengthBonus(history.Recent(k)));
    if (length >= kNiceLength) offerNice({length, history.Recent(k), kSymOldDistance + k}, repeatPrice(k, length));
  }
  if (found) {
    const std::uint32_t distance = matches[found - 1].distance;
    const std::uint32_t length = std::min(matches[found - 1].length, 258 + MatchLengthBonus(distance));
    if (length >= kNiceLength) offerNice({length, distance, kSymMatch}, matchPrice(length, distance));
  }
  if (nice.length) return nice;

  if (lastAgain && history.lastLength <= room) {
    relax(history.lastLength, history.Recent(0), kSymRepeatLast, prices_->literal[kSymRepeatLast]);
  }
  for (int k = 0; k < 4; ++k) {
    const std::uint32_t bonus = RepeatLengthBonus(history.Recent(k));
    const std::uint32_t top = std::min({repeatLength[k], 257 + bonus, room});
    for (std::uint32_t length = 2 + bonus; length <= top; ++length) {
      relax(length, history.Recent(k), kSymOldDistance + k, repeatPrice(k, length));
    }
  }
  if (const std::uint32_t distance = finder_.PairDistance(position); distance != 0 && distance <= 256 && room >= 2) {
    const int slot = kShortSlot[distance - 1];
    relax(2, distance, kSymShortDistance, prices_->literal[kSymShortDistance + slot] + kShortDistanceBits[slot]);
  }
  // Each length at the nearest distance that reaches it.
  std::uint32_t covered = 2;
  for (int m = 0; m < found; ++m) {
    const std::uint32_t distance = matches[m].distance;
    const std::uint32_t bonus = MatchLengthBonus(distance);
    const int distanceSlot = DistanceSlot(distance - 1);
    const std::uint32_t distancePrice = prices_->distance[distanceSlot] + kDistanceBits[distanceSlot];
    const std::uint32_t top = std::min({matches[m].length, 258 + bonus, room});
    for (std::uint32_t length = std::max(covered + 1, 3 + bonus); length <= top; ++length) {
      const int lengthSlot = kLengthSlot[length - bonus - 3];
      relax(length, distance, kSymMatch, prices_->literal[kSymMatch + lengthSlot] + kLengthBits[lengthSlot] + distancePrice);
    }
    covered = std::max(covered, top);
  }
  return {};
}

void LzParser::Emit(const Step& step, std::uint32_t position) {
  BlockStats& stats = *stats_;
  Pack20Token token;
  if (step.length == 0) {
    token.symbol = *finder_.At(position);
    ++stats.frequencies[token.symbol];
    tokens_->push_back(token);
    return;
  }
  const std::uint32_t length = step.length;
  const std::uint32_t distance = step.distance;
  if (step.kind == kSymRepeatLast) {
    token.symbol = kSymRepeatLast;
  } else if (step.kind < kSymShortDistance) {
    const std::uint32_t coded = length - RepeatLengthBonus(distance) - 2;
    const int slot = kLengthSlot[coded];
    token.symbol = std::uint16_t(step.kind);
    token.subSymbol = std::uint16_t(slot);
    token.subExtra = std::uint16_t(coded - kLengthBase[slot]);
    ++stats.frequencies[kLiteralCount + kDistanceCount + slot];
    stats.extraBits += kLengthBits[slot];
  } else if (step.kind == kSymShortDistance) {
    const int slot = kShortSlot[distance - 1];
    token.symbol = std::uint16_t(kSymShortDistance + slot);
    token.extra = std::uint16_t(distance - 1 - kShortDistanceBase[slot]);
    stats.extraBits += kShortDistanceBits[slot];
  } else {
    const std::uint32_t coded = length - MatchLengthBonus(distance) - 3;
    const int lengthSlot = kLengthSlot[coded];
    const int distanceSlot = DistanceSlot(distance - 1);
    token.symbol = std::uint16_t(kSymMatch + lengthSlot);
    token.extra = std::uint16_t(coded - kLengthBase[lengthSlot]);
    token.subSymbol = std::uint16_t(distanceSlot);
    token.subExtra = std::uint16_t(distance - 1 - kDistanceBase[distanceSlot]);
    ++stats.frequencies[kLiteralCount + distanceSlot];
    stats.extraBits += kLengthBits[lengthSlot] + kDistanceBits[distanceSlot];
  }
  ++stats.frequencies[token.symbol];
  tokens_->push_back(token);
  history_->Push(length, distance);
}

std::uint32_t LzParser::Parse(std::uint32_t begin, std::uint32_t stop, std::uint32_t entryEnd,
                              const SymbolPrices& prices, MatchHistory& history,
                              std::vector<Pack20Token>& tokens, BlockStats& stats) {
  prices_ = &prices;
  history_ = &history;
  tokens_ = &tokens;
  stats_ = &stats;
  entryEnd_ = entryEnd;
  nodes_.resize(kSegment + 1);

  std::uint32_t position = begin;
  while (position - begin < stop - begin) {
    const std::uint32_t n = std::min(stop - position, kSegment);
    nodes_[0].cost = 0;
    nodes_[0].history = history;
    for (std::uint32_t j = 1; j <= n; ++j) nodes_[j].cost = kInfinite;

    Step cut;  // a long match that ends the segment early
    std::uint32_t i = 0;
    std::uint32_t searchFrom = 0;
    for (; i < n; ++i) {
      finder_.InsertUpTo(position + i);
      cut = Expand(i, position + i, n - i, i >= searchFrom);
      if (cut.length) break;
      if (lastSearchLength_ >= kSkipLength) searchFrom = i + lastSearchLength_ - kSkipKeep;
    }

    // The cheapest path to node i, in order.
    std::vector<std::uint32_t>& path = path_;
    path.clear();
    for (std::uint32_t j = i; j > 0; j = nodes_[j].from) path.push_back(j);
    for (auto it = path.rbegin(); it != path.rend(); ++it) Emit(nodes_[*it].step, position + nodes_[*it].from);
    // Each node's history is the one of the path that reaches it.
    assert(history.ringIndex == nodes_[i].history.ringIndex && history.lastLength == nodes_[i].history.lastLength &&
           std::equal(std::begin(history.distances), std::end(history.distances),
                      std::begin(nodes_[i].history.distances)));
    position += i;
    if (cut.length) {
      Emit(cut, position);
      position += cut.length;
    }
  }
  return position;
}
