// Pack20Encoder output decoded by the reader's Unpack20, byte for byte, on data that exercises
// each part of the encoder: literals, near and far matches, runs, window wrap, audio blocks,
// solid streams whose tables change, and cipher padding.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "archive/unpack20.h"
#include "support/stream_decoder.h"
#include "tools/rarpack/pack20.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

using Decoder = testsupport::StreamDecoder;

// Deterministic pseudo-random numbers (xorshift64*).
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed * 2654435761u + 1) {}
  std::uint32_t Next() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return std::uint32_t((state_ * 0x2545F4914F6CDD1Dull) >> 32);
  }
  std::uint32_t Below(std::uint32_t n) { return Next() % n; }

 private:
  std::uint64_t state_;
};

Bytes RandomBytes(std::size_t n, std::uint64_t seed) {
  Random r(seed);
  Bytes out(n);
  for (auto& b : out) b = std::uint8_t(r.Next());
  return out;
}

// English-like prose: words from a fixed vocabulary with a skewed choice, sentences, lines.
Bytes Text(std::size_t n, std::uint64_t seed) {
  static const char* const kWords[] = {
      "the", "of", "and", "to", "in", "a", "is", "that", "for", "it", "as", "was", "with", "be",
      "by", "on", "not", "he", "this", "are", "or", "his", "from", "at", "which", "but", "have",
      "an", "had", "they", "you", "were", "their", "one", "all", "we", "can", "her", "has",
      "there", "been", "if", "more", "when", "will", "would", "who", "so", "no", "window",
      "archive", "corridor", "light", "glowing", "tunnel", "ripple", "camera", "texture",
      "through", "between", "morning", "harbour", "quietly", "remember", "northern", "station",
      "silver", "distance", "question", "evening", "mountain", "thousand", "language", "history"};
  constexpr std::uint32_t kCount = sizeof(kWords) / sizeof(kWords[0]);
  Random r(seed);
  std::string s;
  bool capital = true;
  while (s.size() < n) {
    // Squaring a uniform choice favours the common words at the front.
    const double u = double(r.Below(1 << 16)) / 65536.0;
    std::string word = kWords[std::uint32_t(u * u * kCount)];
    if (capital) word[0] = char(word[0] - 'a' + 'A');
    s += word;
    capital = false;
    const std::uint32_t p = r.Below(100);
    if (p < 7) {
      s += ".";
      capital = true;
    } else if (p < 11) {
      s += ",";
    }
    s += r.Below(14) == 0 ? "\n" : " ";
  }
  s.resize(n);
  return Bytes(s.begin(), s.end());
}

// Interleaved PCM: `channels` byte streams of slow sines with a little noise. With `wide`,
// pairs of channels form 16-bit little-endian samples.
Bytes Pcm(std::size_t frames, int channels, bool wide, std::uint64_t seed) {
  Random r(seed);
  Bytes out;
  out.reserve(frames * channels);
  const int samples = wide ? channels / 2 : channels;
  for (std::size_t i = 0; i < frames; ++i) {
    for (int c = 0; c < samples; ++c) {
      const double t = double(i) * (0.011 + 0.007 * c);
      const double v = std::sin(t) * 0.6 + std::sin(t * 2.9 + c) * 0.25;
      const int noise = int(r.Below(5)) - 2;
      if (wide) {
        const int sample = int(v * 20000) + noise * 8;
        out.push_back(std::uint8_t(sample & 0xFF));
        out.push_back(std::uint8_t((sample >> 8) & 0xFF));
      } else {
        out.push_back(std::uint8_t(128 + int(v * 100) + noise));
      }
    }
  }
  return out;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// Packs one entry with a fresh encoder and checks that it decodes; returns the packed size.
std::size_t RoundTrip(const Bytes& data, Pack20Options options = {}, std::size_t alignTo = 1) {
  Pack20Encoder encoder(options);
  const Bytes packed = encoder.PackEntry(data, false, alignTo);
  EXPECT_EQ(packed.size() % alignTo, 0u);
  // Extractors that read ahead of each symbol need the two zero bytes after the last one.
  if (alignTo == 1) {
    EXPECT_TRUE(packed.size() >= 3 && packed.end()[-1] == 0 && packed.end()[-2] == 0);
  }
  const Bytes unpacked = Decoder().Entry(packed, data.size(), false);
  EXPECT_EQ(unpacked.size(), data.size());
  EXPECT_TRUE(unpacked == data) << "first difference at "
                                << (std::mismatch(unpacked.begin(), unpacked.end(), data.begin(), data.end())
                                        .first - unpacked.begin());
  return packed.size();
}

TEST(Pack20RoundTrip, RandomBytesStayNearTheirSize) {
  for (const std::size_t n : {1u, 2u, 3u, 5u, 100u, 70000u}) {
    const Bytes data = RandomBytes(n, n);
    const std::size_t packed = RoundTrip(data);
    // Literal codes of 8 bits plus one table block.
    EXPECT_LE(packed, n + n / 64 + 200) << n;
  }
}

TEST(Pack20RoundTrip, EnglishTextCompressesBelow45Percent) {
  const Bytes text = Text(400000, 7);
  const std::size_t packed = RoundTrip(text);
  const double ratio = double(packed) / double(text.size());
  RecordProperty("text_ratio_percent", std::to_string(ratio * 100));
  EXPECT_LT(ratio, 0.45);
}

TEST(Pack20RoundTrip, RunsOfOneByteAndShortPeriods) {
  Bytes data(300000, 'a');
  const std::size_t runPacked = RoundTrip(data);
  EXPECT_LT(runPacked, 1000u);  // one long repeat after another

  Random r(3);
  Bytes mixed;
  while (mixed.size() < 200000) {
    const std::uint8_t b = std::uint8_t(r.Next());
    const std::size_t run = 1 + r.Below(r.Below(4) == 0 ? 600 : 6);
    const std::size_t period = 1 + r.Below(3);
    for (std::size_t i = 0; i < run; ++i) mixed.push_back(std::uint8_t(b + (i % period)));
  }
  RoundTrip(mixed);
}

TEST(Pack20RoundTrip, MatchesBeyond0x40000CarryTheirLengthBonus) {
  // A random block seen again after 280 KB of other random data, which only a match beyond
  // 0x40000 (with its length bonuses) can reach, and again after 100 KB.
  const Bytes block = RandomBytes(20000, 11);
  const Bytes data = Concat({block, RandomBytes(280000, 12), block, RandomBytes(100000, 13), block});
  const std::size_t packed = RoundTrip(data);
  EXPECT_LT(packed, 380000u + 20000u + 20000u / 10);
}

TEST(Pack20RoundTrip, EntriesOverOneMebibyteWrapTheWindow) {
  // Text, random and runs in turn so that the window wraps while tables change.
  Bytes data;
  for (int i = 0; data.size() < (9u << 20) / 8; ++i) {
    const Bytes part = i % 3 == 0 ? Text(150000, i) : i % 3 == 1 ? RandomBytes(60000, i) : Bytes(5000, std::uint8_t(i));
    data.insert(data.end(), part.begin(), part.end());
  }
  // A repeat of an early part: farther back than the window reaches, so it must not be used.
  data.insert(data.end(), data.begin(), data.begin() + 100000);
  RoundTrip(data);
}

TEST(Pack20RoundTrip, MultimediaModesForEveryChannelCount) {
  struct Case {
    int channels;
    bool wide;
  };
  for (const Case c : {Case{1, false}, Case{2, false}, Case{3, false}, Case{4, false}, Case{2, true}, Case{4, true}}) {
    const Bytes pcm = Pcm(60000 / c.channels, c.channels, c.wide, 5);
    const std::size_t forced = RoundTrip(pcm, {MultimediaMode::kForce});
    const std::size_t automatic = RoundTrip(pcm, {MultimediaMode::kAuto});
    const std::size_t lzOnly = RoundTrip(pcm, {MultimediaMode::kForbid});
    SCOPED_TRACE(testing::Message() << c.channels << " channels" << (c.wide ? ", 16-bit" : ""));
    // The predictor must beat LZ clearly on smooth signals; automatic mode must find it.
    EXPECT_LT(double(forced), 0.8 * double(lzOnly));
    EXPECT_LE(double(automatic), 1.02 * double(forced));
  }
}

TEST(Pack20RoundTrip, PcmRatioInAutomaticMode) {
  const Bytes pcm = Pcm(100000, 4, true, 9);  // 16-bit stereo
  const double ratio = double(RoundTrip(pcm)) / double(pcm.size());
  RecordProperty("pcm16_stereo_ratio_percent", std::to_string(ratio * 100));
  EXPECT_LT(ratio, 0.6);  // about 0.53; LZ alone stays above 0.65
}

TEST(Pack20RoundTrip, AutomaticModeSwitchesWithinOneEntry) {
  // Text, then PCM, then text again: the stream must switch between LZ and audio tables.
  const Bytes data = Concat({Text(100000, 1), Pcm(50000, 2, false, 2), Text(100000, 3), Pcm(30000, 1, false, 4)});
  const std::size_t mixed = RoundTrip(data);
  const std::size_t lzOnly = RoundTrip(data, {MultimediaMode::kForbid});
  EXPECT_LT(mixed, lzOnly);
}

// Entries of one solid stream, each decoded in turn by one decoder.
void SolidRoundTrip(const std::vector<Bytes>& entries, Pack20Options options, std::size_t alignTo,
                    std::vector<std::size_t>* sizes = nullptr) {
  Pack20Encoder encoder(options);
  Decoder decoder;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const Bytes packed = encoder.PackEntry(entries[i], i > 0, alignTo);
    EXPECT_EQ(packed.size() % alignTo, 0u);
    if (sizes) sizes->push_back(packed.size());
    if (entries[i].empty()) {
      EXPECT_TRUE(packed.empty());
      continue;  // an empty entry never reaches the decoder
    }
    EXPECT_TRUE(decoder.Entry(packed, entries[i].size(), i > 0) == entries[i]) << "entry " << i;
  }
}

TEST(Pack20RoundTrip, SolidStreamCarriesWindowTablesAndAudioState) {
  const Bytes text = Text(80000, 21);
  std::vector<Bytes> entries = {
      text,
      Pcm(20000, 2, false, 22),
      Bytes(text.begin() + 1000, text.begin() + 41000),  // all of it lies in the window
      {},                                                  // leaves the state as it was
      Pcm(20000, 2, false, 23),
      RandomBytes(3000, 24),
      Text(30000, 25),
      Bytes(1, 'x'),
      Pcm(9000, 3, false, 26),
      Pcm(9000, 1, false, 27),
  };
  for (const MultimediaMode mode : {MultimediaMode::kAuto, MultimediaMode::kForce, MultimediaMode::kForbid}) {
    SCOPED_TRACE(int(mode));
    std::vector<std::size_t> sizes;
    SolidRoundTrip(entries, {mode}, 1, &sizes);
    if (mode != MultimediaMode::kForce) {
      EXPECT_LT(sizes[2], 800u) << "the repeated text should be one match chain";
    }
  }
}

TEST(Pack20RoundTrip, CipherPaddingIsNeverReadAsATableBlock) {
  // Many short entries end at every bit offset with every kind of table in force; the decoder
  // checks the padding after each one and would take a table block from it, which would break
  // the entries that follow.
  std::vector<Bytes> entries;
  Random r(31);
  for (int i = 0; i < 60; ++i) {
    const std::size_t n = 1 + r.Below(i % 4 == 0 ? 3000 : 40);
    entries.push_back(i % 3 == 0 ? Pcm(n, 1 + i % 4, false, i) : i % 3 == 1 ? Text(n, i) : RandomBytes(n, i));
  }
  for (const MultimediaMode mode : {MultimediaMode::kAuto, MultimediaMode::kForce}) {
    SolidRoundTrip(entries, {mode}, 16);
  }
  for (std::size_t i = 0; i < entries.size(); i += 3) RoundTrip(entries[i], {}, 16);
}

TEST(Pack20RoundTrip, NonSolidEntriesStartFresh) {
  // One encoder, entries without continueSolid: each decodes alone with a new decoder, and the
  // same data gives the same bytes whatever came before.
  Pack20Encoder encoder;
  const Bytes text = Text(50000, 41);
  const Bytes first = encoder.PackEntry(text, false);
  encoder.PackEntry(Pcm(30000, 2, false, 42), false);
  const Bytes again = encoder.PackEntry(text, false);
  EXPECT_TRUE(first == again);
  EXPECT_TRUE(Decoder().Entry(again, text.size(), false) == text);
}

}  // namespace
