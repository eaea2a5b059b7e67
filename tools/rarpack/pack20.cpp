// RAR 2.0 compressor.
//
// [SECTIONS]
//   Blocks        candidate blocks of 16 KiB: LZ parse and audio trials, the cheaper one kept
//   Merging       neighbouring candidates of one mode share tables while that is cheaper
//   Emission      table blocks (or the tables in force, at the start of a solid entry), symbols
//   Entry end     byte alignment and padding that the decoder's end check cannot misread
//
// The encoder works ahead of what it has written: a candidate's parse moves the match history
// and audio model on at once, and the open block is written only when the next candidate does
// not join it. Everything written mirrors the decoder's state step by step (tables, channel,
// work area of previous lengths).
#include "tools/rarpack/pack20.h"

#include <algorithm>
#include <cassert>

#include "archive/audio_predictor.h"
#include "tools/rarpack/bit_writer.h"
#include "tools/rarpack/lz_match_finder.h"
#include "tools/rarpack/pack20_audio.h"
#include "tools/rarpack/pack20_parse.h"
#include "tools/rarpack/pack20_tables.h"

using namespace rar20;

namespace {

constexpr std::size_t kCandidateBytes = 16 * 1024;
// In automatic mode, while audio wins clearly, only every this many candidates is parsed as LZ
// too (to notice when LZ becomes the better choice); the others go straight to audio.
constexpr int kAudioProbeInterval = 4;
// Blocks stop growing here, which bounds the tokens held in memory.
constexpr std::uint32_t kMaxBlockBytes = 2 * 1024 * 1024;

// Symbols coded with one set of tables.
struct Block {
  BlockMode mode;
  std::vector<Pack20Token> tokens;
  BlockStats stats;
  std::uint64_t bits = 0;   // estimate, including a table block of its own
  std::uint32_t bytes = 0;  // input bytes covered
};

}  // namespace

struct Pack20Encoder::State {
  explicit State(Pack20Options o) : options(o) {}

  Pack20Options options;
  LzMatchFinder finder;
  LzParser parser{finder};
  SymbolPrices prices;

  // Where the parse stands (ahead of what is written).
  MatchHistory history;
  AudioPredictor predictor;
  int channel = 0;
  int audioStreak = 0;  // automatic mode: candidates in a row where audio won clearly
  double streakBitsPerByte = 0;   // audio cost at the streak's last probe
  double streakGuessPerByte = 0;  // and the guess there
  int streakChannels = 1;

  // The decoder as of the bits written so far.
  bool started = false;  // a table block has been written since the last reset
  BlockMode tableMode;
  LengthArea tableLengths{};
  std::array<std::uint16_t, kLengthWorkArea> tableCodes{};
  LengthArea previousLengths{};
  int lastTableSize = 0;
  int decoderChannel = 0;

  // Per entry.
  BitWriter out;
  bool mayReuseTables = false;
  Block open;
  bool hasOpen = false;

  void ResetStream();
  Block Evaluate(std::span<const std::uint8_t> entry, std::uint32_t entryBase, std::size_t begin,
                 std::size_t stop);
  void Offer(Block&& block);
  void Emit(const Block& block);
  void EmitTokens(const Block& block);
  int DecodeAtEnd(unsigned peek) const;
  void Pad(std::size_t alignTo);
};

void Pack20Encoder::State::ResetStream() {
  finder.Reset();
  prices = SymbolPrices();
  history = MatchHistory();
  predictor = AudioPredictor();
  channel = 0;
  audioStreak = 0;
  started = false;
  tableMode = BlockMode();
  tableLengths.fill(0);
  previousLengths.fill(0);
  lastTableSize = 0;
  decoderChannel = 0;
}

// ---------------------------------------------------------------------------------------------
// Blocks
// ---------------------------------------------------------------------------------------------

namespace {

std::uint64_t EstimateBits(const BlockMode& mode, const BlockStats& stats, LengthArea& lengths) {
  BuildBlockLengths(mode, stats, lengths);
  return stats.CodedBits(mode, lengths) + TableBlockBits(mode, lengths);
}

}  // namespace

// Codes entry bytes [begin, stop) (an LZ parse may end a little past stop) in the cheapest mode
// allowed and moves the parse state past them.
Block Pack20Encoder::State::Evaluate(std::span<const std::uint8_t> entry, std::uint32_t entryBase,
                                     std::size_t begin, std::size_t stop) {
  const MultimediaMode multimedia = options.multimedia;
  const std::uint32_t start = entryBase + std::uint32_t(begin);

  // Automatic mode: a cheap guess of the audio cost per channel count, from byte differences.
  double guess[kMaxChannels] = {};
  double bestGuess = 0;
  if (multimedia == MultimediaMode::kAuto) {
    std::vector<std::uint8_t> window(4 + (stop - begin));
    for (std::uint32_t k = 1; k <= 4; ++k) {
      window[4 - k] = finder.HistoryAt(start) >= k ? *finder.At(start - k) : 0;
    }
    std::copy(entry.begin() + std::ptrdiff_t(begin), entry.begin() + std::ptrdiff_t(stop), window.begin() + 4);
    EstimateAudioBits(window.data() + 4, stop - begin, guess);
    bestGuess = *std::min_element(std::begin(guess), std::end(guess));
  }
  const double guessPerByte = bestGuess / double(stop - begin);
  if (audioStreak > 0 && guessPerByte > 1.2 * streakGuessPerByte) audioStreak = 0;
  const bool parseLz = multimedia == MultimediaMode::kForbid ||
                       (multimedia == MultimediaMode::kAuto && audioStreak % kAudioProbeInterval == 0);

  Block lz;
  LengthArea lengths;
  MatchHistory lzHistory = history;
  std::size_t end = stop;
  if (parseLz) {
    const std::uint32_t reached =
        parser.Parse(start, entryBase + std::uint32_t(stop), entryBase + std::uint32_t(entry.size()), prices,
                     lzHistory, lz.tokens, lz.stats);
    end = reached - entryBase;
    lz.bits = EstimateBits(lz.mode, lz.stats, lengths);
  } else {
    finder.InsertUpTo(entryBase + std::uint32_t(stop));  // later LZ blocks may refer to these bytes
  }
  const std::span<const std::uint8_t> bytes = entry.subspan(begin, end - begin);
  lz.bytes = std::uint32_t(bytes.size());

  bool tryChannels[kMaxChannels] = {};
  if (multimedia == MultimediaMode::kForce) {
    std::fill(std::begin(tryChannels), std::end(tryChannels), true);
  } else if (multimedia == MultimediaMode::kAuto) {
    // Run the predictor only for channel counts whose guess looks promising.
    if (!parseLz || bestGuess < 1.25 * double(lz.bits)) {
      for (int c = 0; c < kMaxChannels; ++c) tryChannels[c] = guess[c] <= 1.1 * bestGuess;
    }
    if (!parseLz) tryChannels[streakChannels - 1] = true;
  }

  Block audio;
  AudioPredictor audioPredictor;
  int audioChannel = 0;
  for (int c = 0; c < kMaxChannels; ++c) {
    if (!tryChannels[c]) continue;
    Block trial;
    trial.mode = {true, c + 1};
    trial.bytes = lz.bytes;
    trial.tokens.reserve(bytes.size());
    AudioPredictor trialPredictor = predictor;
    int trialChannel = channel;
    CodeAudioBytes(bytes, c + 1, trialPredictor, trialChannel, trial.tokens, trial.stats);
    trial.bits = EstimateBits(trial.mode, trial.stats, lengths);
    if (audio.tokens.empty() || trial.bits < audio.bits) {
      audio = std::move(trial);
      audioPredictor = trialPredictor;
      audioChannel = trialChannel;
    }
  }

  const bool takeAudio = !audio.tokens.empty() && (!parseLz || audio.bits < lz.bits);
  if (multimedia == MultimediaMode::kAuto) {
    // A clear audio win at a probe starts or extends a streak; the streak ends when audio stops
    // winning clearly at a probe, or when audio or the guess costs clearly more per byte than
    // at the last probe.
    const double bitsPerByte = double(audio.bits) / double(lz.bytes);
    if (!takeAudio) {
      audioStreak = 0;
    } else if (parseLz) {
      const bool clear = double(audio.bits) < 0.85 * double(lz.bits);
      audioStreak = clear ? audioStreak + 1 : 0;
      streakBitsPerByte = bitsPerByte;
      streakGuessPerByte = guessPerByte;
      streakChannels = audio.mode.channels;
    } else {
      audioStreak = bitsPerByte > 1.2 * streakBitsPerByte ? 0 : audioStreak + 1;
    }
  }

  if (takeAudio) {
    predictor = audioPredictor;
    channel = audioChannel;
    return audio;
  }
  history = lzHistory;
  BuildBlockLengths(lz.mode, lz.stats, lengths);
  prices.Update(lengths);
  return lz;
}

// ---------------------------------------------------------------------------------------------
// Merging
// ---------------------------------------------------------------------------------------------

void Pack20Encoder::State::Offer(Block&& block) {
  if (!hasOpen) {
    open = std::move(block);
    hasOpen = true;
    return;
  }
  if (open.mode == block.mode && open.bytes + block.bytes <= kMaxBlockBytes) {
    BlockStats merged = open.stats;
    merged.Add(block.stats);
    LengthArea lengths;
    const std::uint64_t bits = EstimateBits(open.mode, merged, lengths);
    if (bits <= open.bits + block.bits) {
      open.tokens.insert(open.tokens.end(), block.tokens.begin(), block.tokens.end());
      open.stats = merged;
      open.bits = bits;
      open.bytes += block.bytes;
      return;
    }
  }
  Emit(open);
  open = std::move(block);
}

// ---------------------------------------------------------------------------------------------
// Emission
// ---------------------------------------------------------------------------------------------

void Pack20Encoder::State::Emit(const Block& block) {
  const BlockMode& mode = block.mode;
  LengthArea lengths;
  BuildBlockLengths(mode, block.stats, lengths);

  bool newTables = true;
  if (mayReuseTables) {
    // The first block of a solid entry may go on with the tables in force: no table block.
    mayReuseTables = false;
    if (mode == tableMode && block.stats.CodableWith(mode, tableLengths)) {
      const int announce = NewTableIndex(tableMode, decoderChannel);
      const std::uint64_t fresh =
          tableLengths[announce] + TableBlockBits(mode, lengths) + block.stats.CodedBits(mode, lengths);
      newTables = block.stats.CodedBits(mode, tableLengths) > fresh;
    }
  }

  if (newTables) {
    if (started) {
      const int announce = NewTableIndex(tableMode, decoderChannel);
      out.Put(tableCodes[announce], tableLengths[announce]);
    }
    // Delta coding only against lengths the previous block wrote: what the work area holds past
    // them differs between decoders.
    const bool deltaAllowed = started && lastTableSize >= mode.TableSize();
    WriteTableBlock(out, mode, lengths, previousLengths, deltaAllowed);
    lastTableSize = mode.TableSize();
    tableMode = mode;
    tableLengths = lengths;
    AssignBlockCodes(mode, tableLengths, tableCodes);
    started = true;
    if (mode.audio && decoderChannel >= mode.channels) decoderChannel = 0;
  }
  EmitTokens(block);
}

void Pack20Encoder::State::EmitTokens(const Block& block) {
  const auto put = [this](int index) { out.Put(tableCodes[index], tableLengths[index]); };
  if (block.mode.audio) {
    for (const Pack20Token& t : block.tokens) {
      assert(t.subSymbol == decoderChannel);
      put(kAudioCount * t.subSymbol + t.symbol);
      if (++decoderChannel == block.mode.channels) decoderChannel = 0;
    }
    return;
  }
  constexpr int kDistanceTable = kLiteralCount;
  constexpr int kRepeatTable = kLiteralCount + kDistanceCount;
  for (const Pack20Token& t : block.tokens) {
    const int s = t.symbol;
    assert(tableLengths[s] != 0);
    put(s);
    if (s < kSymRepeatLast + 1) continue;
    if (s >= kSymMatch) {
      out.Put(t.extra, kLengthBits[s - kSymMatch]);
      put(kDistanceTable + t.subSymbol);
      out.Put(t.subExtra, kDistanceBits[t.subSymbol]);
    } else if (s < kSymShortDistance) {
      put(kRepeatTable + t.subSymbol);
      out.Put(t.subExtra, kLengthBits[t.subSymbol]);
    } else {
      out.Put(t.extra, kShortDistanceBits[s - kSymShortDistance]);
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Entry end
// ---------------------------------------------------------------------------------------------

// The symbol the decoder's end check takes from the 16-bit `peek`, in the tables in force;
// -1 for bits that are no complete code.
int Pack20Encoder::State::DecodeAtEnd(unsigned peek) const {
  const int offset = tableMode.audio ? kAudioCount * decoderChannel : 0;
  const int count = tableMode.audio ? kAudioCount : kLiteralCount;
  for (int s = 0; s < count; ++s) {
    const unsigned length = tableLengths[offset + s];
    if (length && (peek >> (16 - length)) == tableCodes[offset + s]) return s;
  }
  return -1;
}

// After the last symbol the decoder decodes one more symbol when at least 5 bytes follow the
// byte it stands in, and reads a table block if that symbol announces one. Zero bits never
// decode so (BuildBlockLengths keeps the all-zero code for other symbols); the filler is still
// checked against the tables in force.
//
// Every stream also ends with kLookaheadSlack zero bytes, too few for that check: some
// extractors (Debian's unar) peek up to 16 bits ahead of each symbol and fail an entry whose
// data ends within those bits.
void Pack20Encoder::State::Pad(std::size_t alignTo) {
  constexpr std::size_t kLookaheadSlack = 2;
  const std::uint64_t endBit = out.BitCount();
  out.AlignToByte();
  std::vector<std::uint8_t>& bytes = out.Bytes();
  bytes.resize(bytes.size() + kLookaheadSlack, 0);
  const std::size_t size = bytes.size();
  if (alignTo <= 1 || size % alignTo == 0) return;
  const std::size_t padded = (size / alignTo + 1) * alignTo;
  const std::size_t stand = std::size_t(endBit / 8);
  const unsigned bit = unsigned(endBit % 8);
  std::uint8_t filler = 0;
  if (padded >= stand + 5) {
    const int newTables = tableMode.audio ? kAudioNewTables : kSymNewTables;
    bool safe = false;
    for (const std::uint8_t candidate : {0x00, 0xFF, 0x55, 0xAA, 0x33, 0xCC, 0x0F, 0xF0}) {
      std::uint8_t window[3];
      for (std::size_t k = 0; k < 3; ++k) window[k] = stand + k < size ? bytes[stand + k] : candidate;
      const unsigned bits24 = (unsigned(window[0]) << 16) | (unsigned(window[1]) << 8) | window[2];
      const int symbol = DecodeAtEnd((bits24 >> (8 - bit)) & 0xFFFF);
      if (symbol >= 0 && symbol != newTables) {
        filler = candidate;
        safe = true;
        break;
      }
    }
    assert(safe && "no padding byte is safe after this entry's last symbol");
    (void)safe;
  }
  bytes.resize(padded, filler);
}

// ---------------------------------------------------------------------------------------------
// Public interface
// ---------------------------------------------------------------------------------------------

Pack20Encoder::Pack20Encoder(Pack20Options options) : state_(std::make_unique<State>(options)) {}
Pack20Encoder::~Pack20Encoder() = default;

std::vector<std::uint8_t> Pack20Encoder::PackEntry(std::span<const std::uint8_t> data, bool continueSolid,
                                                   std::size_t alignTo) {
  if (data.empty()) return {};
  State& s = *state_;
  const bool continues = continueSolid && s.started;
  if (!continues) s.ResetStream();
  s.out = BitWriter();
  s.mayReuseTables = continues;
  s.audioStreak = 0;  // a new file may hold anything
  s.hasOpen = false;

  const std::uint32_t entryBase = s.finder.End();
  std::size_t appended = 0;
  for (std::size_t begin = 0; begin < data.size();) {
    const std::size_t stop = std::min(begin + kCandidateBytes, data.size());
    const std::size_t needed = std::min(stop + LzMatchFinder::kMaxLength, data.size());
    while (appended < needed) {
      const std::size_t n = s.finder.Append(data.subspan(appended, needed - appended));
      assert(n > 0);
      appended += n;
    }
    Block block = s.Evaluate(data, entryBase, begin, stop);
    begin += block.bytes;
    s.Offer(std::move(block));
  }
  s.Emit(s.open);
  s.hasOpen = false;
  s.open = Block();
  s.Pad(alignTo);
  return std::move(s.out.Bytes());
}
