#include "tools/rarpack/pack20_parse.h"

#include <algorithm>
#include <array>
#include <cassert>

using namespace rar20;

namespace {

// Matches at least this long are taken without looking one byte further.
constexpr std::uint32_t kLazyLimit = 32;
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

std::uint32_t LzParser::PriceOfMatch(std::uint32_t length, std::uint32_t distance) const {
  const int lengthSlot = kLengthSlot[length - MatchLengthBonus(distance) - 3];
  const int distanceSlot = DistanceSlot(distance - 1);
  return prices_->literal[kSymMatch + lengthSlot] + kLengthBits[lengthSlot] +
         prices_->distance[distanceSlot] + kDistanceBits[distanceSlot];
}

LzParser::Choice LzParser::Best(std::uint32_t position) const {
  Choice best;
  const std::uint32_t maxLength = std::min(LzMatchFinder::kMaxLength, entryEnd_ - position);
  if (maxLength < 2) return best;
  const std::uint32_t* prefix = literalPrefix_.data() + (position - prefixStart_);
  auto offer = [&](std::uint32_t length, std::uint32_t distance, int kind, std::uint32_t price) {
    const std::int32_t gain = std::int32_t(prefix[length] - prefix[0]) - std::int32_t(price);
    if (gain > best.gain) best = {length, distance, gain, kind};
  };

  const std::uint32_t reach = finder_.HistoryAt(position);
  const MatchHistory& history = *history_;
  for (int k = 0; k < 4; ++k) {
    const std::uint32_t distance = history.Recent(k);
    if (distance == 0 || distance > reach) continue;
    const std::uint32_t bonus = RepeatLengthBonus(distance);
    const std::uint32_t length = finder_.MatchLength(position, distance, std::min(maxLength, 257 + bonus));
    if (k == 0 && history.lastLength > 0 && history.lastLength <= maxLength &&
        finder_.MatchLength(position, distance, history.lastLength) == history.lastLength) {
      offer(history.lastLength, distance, kSymRepeatLast, prices_->literal[kSymRepeatLast]);
    }
    if (length >= 2 + bonus) {
      const int slot = kLengthSlot[length - bonus - 2];
      offer(length, distance, kSymOldDistance + k,
            prices_->literal[kSymOldDistance + k] + prices_->repeat[slot] + kLengthBits[slot]);
    }
  }

  if (const std::uint32_t distance = finder_.PairDistance(position); distance != 0 && distance <= 256) {
    const int slot = kShortSlot[distance - 1];
    offer(2, distance, kSymShortDistance, prices_->literal[kSymShortDistance + slot] + kShortDistanceBits[slot]);
  }

  LzMatch matches[LzMatchFinder::kMaxMatches];
  const int found = finder_.FindMatches(
      position, maxLength, [](std::uint32_t distance) { return 3 + MatchLengthBonus(distance); }, matches);
  for (int i = 0; i < found; ++i) {
    const std::uint32_t distance = matches[i].distance;
    const std::uint32_t length = std::min(matches[i].length, 258 + MatchLengthBonus(distance));
    offer(length, distance, kSymMatch, PriceOfMatch(length, distance));
  }
  return best;
}

void LzParser::Emit(const Choice& choice, std::uint32_t position) {
  BlockStats& stats = *stats_;
  Pack20Token token;
  if (choice.length == 0) {
    token.symbol = *finder_.At(position);
    ++stats.frequencies[token.symbol];
    tokens_->push_back(token);
    return;
  }
  const std::uint32_t length = choice.length;
  const std::uint32_t distance = choice.distance;
  if (choice.kind == kSymRepeatLast) {
    token.symbol = kSymRepeatLast;
  } else if (choice.kind < kSymShortDistance) {
    const std::uint32_t coded = length - RepeatLengthBonus(distance) - 2;
    const int slot = kLengthSlot[coded];
    token.symbol = std::uint16_t(choice.kind);
    token.subSymbol = std::uint16_t(slot);
    token.subExtra = std::uint16_t(coded - kLengthBase[slot]);
    ++stats.frequencies[kLiteralCount + kDistanceCount + slot];
    stats.extraBits += kLengthBits[slot];
  } else if (choice.kind == kSymShortDistance) {
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

  // Literal prices summed over every byte a match from [begin, stop] can cover.
  prefixStart_ = begin;
  const std::uint32_t last = std::min(entryEnd - begin, stop - begin + LzMatchFinder::kMaxLength);
  literalPrefix_.resize(std::size_t(last) + 1);
  literalPrefix_[0] = 0;
  const std::uint8_t* bytes = finder_.At(begin);
  for (std::uint32_t i = 0; i < last; ++i) literalPrefix_[i + 1] = literalPrefix_[i] + prices.literal[bytes[i]];

  std::uint32_t position = begin;
  finder_.InsertUpTo(position);
  Choice choice = Best(position);
  for (;;) {
    if (choice.length > 0 && choice.length < kLazyLimit && entryEnd - position > 1) {
      finder_.InsertUpTo(position + 1);
      const Choice next = Best(position + 1);
      if (next.gain > choice.gain) {
        Emit(Choice{}, position);
        ++position;
        choice = next;
        if (position - begin >= stop - begin) break;
        continue;
      }
    }
    Emit(choice, position);
    position += std::max<std::uint32_t>(choice.length, 1);
    if (position - begin >= stop - begin) break;
    finder_.InsertUpTo(position);
    choice = Best(position);
  }
  return position;
}
