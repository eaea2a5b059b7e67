// LZ77 parse of the RAR 2.0 encoder: turns bytes into literal/length symbols with their extras.
//
// At each position the parser prices every way the format can code what follows: a literal, the
// last match again (256), a match at one of the four last distances (257..260), a two-byte match
// within 256 bytes (261..268) and the chain matches (270..297). It takes the option that saves
// the most bits over literals, after looking one byte ahead (lazy matching). Prices are code
// lengths of recent blocks. The match history mirrors the decoder's: every match pushes its
// distance into the four-entry ring and becomes the last length and distance.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/rarpack/lz_match_finder.h"
#include "tools/rarpack/pack20_tables.h"

// One coded symbol. LZ: `symbol` is the literal/length symbol (never 269); `extra` its extra
// bits (length of 270..297, distance of 261..268); `subSymbol`/`subExtra` the distance symbol of
// 270..297 or the repeat-length symbol of 257..260. Audio: `symbol` is the delta and
// `subSymbol` the channel.
struct Pack20Token {
  std::uint16_t symbol = 0;
  std::uint16_t extra = 0;
  std::uint16_t subSymbol = 0;
  std::uint16_t subExtra = 0;
};

struct MatchHistory {
  std::uint32_t distances[4] = {};
  std::uint32_t ringIndex = 0;
  std::uint32_t lastDistance = 0;
  std::uint32_t lastLength = 0;

  // The distance symbol 257 + k refers to (k = 0: the most recent).
  std::uint32_t Recent(int k) const { return distances[(ringIndex - 1 - unsigned(k)) & 3]; }
  void Push(std::uint32_t length, std::uint32_t distance) {
    distances[ringIndex++ & 3] = distance;
    lastDistance = distance;
    lastLength = length;
  }
};

// Estimated bits per symbol of the LZ tables.
struct SymbolPrices {
  std::uint8_t literal[rar20::kLiteralCount];
  std::uint8_t distance[rar20::kDistanceCount];
  std::uint8_t repeat[rar20::kRepeatCount];

  SymbolPrices();  // guesses for the first block
  void Update(const LengthArea& lzLengths);
};

// Extra length the decoder adds for a distance: symbols 270..297, then 257..260.
inline std::uint32_t MatchLengthBonus(std::uint32_t distance) {
  return (distance >= 0x2000 ? 1u : 0u) + (distance >= 0x40000 ? 1u : 0u);
}
inline std::uint32_t RepeatLengthBonus(std::uint32_t distance) {
  return (distance >= 0x101 ? 1u : 0u) + MatchLengthBonus(distance);
}

class LzParser {
 public:
  explicit LzParser(LzMatchFinder& finder) : finder_(finder) {}

  // Parses from `begin` until the first position at or after `stop`, with matches ending at or
  // before `entryEnd`; the finder must hold the bytes up to min(stop + 260, entryEnd). Appends
  // tokens and their statistics and returns the position reached.
  std::uint32_t Parse(std::uint32_t begin, std::uint32_t stop, std::uint32_t entryEnd,
                      const SymbolPrices& prices, MatchHistory& history,
                      std::vector<Pack20Token>& tokens, BlockStats& stats);

 private:
  struct Choice {
    std::uint32_t length = 0;  // 0: a literal
    std::uint32_t distance = 0;
    std::int32_t gain = 0;     // bits saved over coding the bytes as literals
    int kind = 0;              // symbol: 256, 257..260, 261 (short), 270 (chain match)
  };

  Choice Best(std::uint32_t position) const;
  std::uint32_t PriceOfMatch(std::uint32_t length, std::uint32_t distance) const;
  void Emit(const Choice& choice, std::uint32_t position);

  LzMatchFinder& finder_;
  // Per Parse call.
  const SymbolPrices* prices_ = nullptr;
  MatchHistory* history_ = nullptr;
  std::vector<Pack20Token>* tokens_ = nullptr;
  BlockStats* stats_ = nullptr;
  std::uint32_t entryEnd_ = 0;
  std::uint32_t prefixStart_ = 0;
  std::vector<std::uint32_t> literalPrefix_;  // summed literal prices from prefixStart_
};
