// LZ77 parse of the RAR 2.0 encoder: turns bytes into literal/length symbols with their extras.
//
// A forward dynamic-programming pass over segments of up to 4096 positions finds the cheapest
// sequence of literals and matches under per-symbol prices (code lengths of recent blocks). At
// each position it prices every way the format can code what follows: a literal, the last match
// again (256), a match at one of the four last distances (257..260), a two-byte match within 256
// bytes (261..268) and the chain matches at every length they allow (270..297). Each position
// keeps the match history of the cheapest path that reaches it, so repeat symbols are priced
// against the ring the decoder will have; the history mirrors the decoder's exactly (every match
// pushes its distance and becomes the last length and distance). A match of 64 bytes or more is
// taken at once, which keeps long repeats (runs of one byte) linear.
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

  // Parses from `begin` up to `stop` (a match of 64 bytes or more may end past it), with matches
  // ending at or before `entryEnd`; the finder must hold the bytes up to min(stop + 260,
  // entryEnd). Appends tokens and their statistics and returns the position reached.
  std::uint32_t Parse(std::uint32_t begin, std::uint32_t stop, std::uint32_t entryEnd,
                      const SymbolPrices& prices, MatchHistory& history,
                      std::vector<Pack20Token>& tokens, BlockStats& stats);

 private:
  struct Step {
    std::uint32_t length = 0;  // 0: a literal
    std::uint32_t distance = 0;
    int kind = 0;              // symbol: 256, 257..260, 261 (short), 270 (chain match)
  };
  // The cheapest way found to reach a position of the segment.
  struct Node {
    std::uint32_t cost = 0;  // bits from the segment's start
    std::uint32_t from = 0;  // node the step starts at
    Step step;
    MatchHistory history;    // after the step
  };

  // Prices the ways to code what follows node `i` (at `position`) and relaxes the nodes they
  // reach within `room`; returns a match of kNiceLength or more instead, if there is one.
  Step Expand(std::uint32_t i, std::uint32_t position, std::uint32_t room, bool search);
  void Emit(const Step& step, std::uint32_t position);

  LzMatchFinder& finder_;
  // Per Parse call.
  const SymbolPrices* prices_ = nullptr;
  MatchHistory* history_ = nullptr;
  std::vector<Pack20Token>* tokens_ = nullptr;
  BlockStats* stats_ = nullptr;
  std::uint32_t entryEnd_ = 0;
  std::vector<Node> nodes_;
  std::vector<std::uint32_t> path_;
  std::uint32_t lastSearchLength_ = 0;  // longest chain match of the last search
};
