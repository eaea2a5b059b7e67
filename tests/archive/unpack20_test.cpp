// The RAR 2.0 decoder on hand-made streams with flat codes (see support/flat_stream_writer.h), so
// each test states exactly which symbols the decoder meets.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "archive/unpack20.h"
#include "support/flat_stream_writer.h"
#include "support/stream_decoder.h"

namespace {

using testsupport::FlatStreamWriter;
using Bytes = std::vector<std::uint8_t>;

using Decoder = testsupport::StreamDecoder;

Bytes Str(const std::string& s) { return Bytes(s.begin(), s.end()); }

void Literals(FlatStreamWriter& w, const std::string& s) {
  for (unsigned char c : s) w.Literal(c);
}

TEST(Unpack20, MatchesRepeatHistoryByteByByte) {
  FlatStreamWriter w;
  w.LzTables();
  Literals(w, "ab");
  w.Match(2, 0, 0, 0);  // length 5 at distance 1: "bbbbb"
  Literals(w, "xy");
  w.Match(4, 0, 1, 0);  // length 7 at distance 2: "xyxyxyx"
  EXPECT_EQ(Decoder().Entry(w.Finish(), 16), Str("abbbbbbxyxyxyxyx"));
}

TEST(Unpack20, ShortAndRepeatedDistancesFollowTheHistoryRing) {
  FlatStreamWriter w;
  w.LzTables();
  Literals(w, "abcd");
  w.Literal(rar20::kSymShortDistance);  // length 2, distance 0 + 1 + extra 3 = 4
  w.Bits(3, 2);
  w.Literal(rar20::kSymRepeatLast);     // again length 2 at distance 4
  w.Literal(rar20::kSymOldDistance);    // the last distance (4) with a coded length...
  w.Bits(1, 5);                         // ...slot 1: 1 + 2 = 3 bytes
  Literals(w, "Z");
  w.Literal(rar20::kSymShortDistance + 1);  // distance 4 + 1 + extra 0 = 5: "da"
  w.Bits(0, 2);
  w.Literal(rar20::kSymOldDistance + 1);    // two matches back: distance 4, length 2: "cZ"
  w.Bits(0, 5);
  EXPECT_EQ(Decoder().Entry(w.Finish(), 16), Str("abcdabcdabcZdacZ"));
}

TEST(Unpack20, LongDistancesLengthenTheMatch) {
  FlatStreamWriter w;
  w.LzTables();
  std::string text;
  for (int i = 0; text.size() < 0x40010; ++i) text += char('A' + i % 23) + std::to_string(i);
  text.resize(0x40010);
  Literals(w, text);
  // Slot 36: distance 262144 + 1 + extra; slot 0 with two bonus bytes (>= 0x2000, >= 0x40000).
  w.Match(0, 0, 36, 0);
  // Slot 28: distance 16384 + 1; one bonus byte. Then 258: repeat with +3 (>= 0x101, 0x2000).
  w.Match(0, 0, 28, 0);
  w.Literal(rar20::kSymOldDistance + 1);
  w.Bits(0, 5);
  std::string expected = text;
  auto copy = [&](std::size_t distance, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) expected.push_back(expected[expected.size() - distance]);
  };
  copy(0x40001, 5);
  copy(16385, 4);
  copy(0x40001, 5);
  EXPECT_EQ(Decoder().Entry(w.Finish(), std::uint32_t(expected.size())), Str(expected));
}

TEST(Unpack20, OutputOverOneWindowIsFlushedWhole) {
  FlatStreamWriter w;
  w.LzTables();
  Literals(w, "0123456789");
  std::string expected = "0123456789";
  // 1.5 MiB of distance-10 matches of 258 bytes (slot 27, extra 31), wrapping the window.
  while (expected.size() + 258 <= 0x180000) {
    w.Match(27, 31, 6, 1);  // distance 8 + 1 + 1 = 10
    for (int i = 0; i < 258; ++i) expected.push_back(expected[expected.size() - 10]);
  }
  const Bytes out = Decoder().Entry(w.Finish(), std::uint32_t(expected.size()));
  ASSERT_EQ(out.size(), expected.size());
  EXPECT_TRUE(std::equal(out.begin(), out.end(), expected.begin()));
}

TEST(Unpack20, AudioChannelsInterleaveAndResetWhenFewer) {
  // Reference: the same predictor driven through the channel order the format prescribes.
  AudioPredictor model;
  Bytes expected;
  FlatStreamWriter w;
  w.AudioTables(3);
  const int deltas[] = {17, 200, 33, 5, 90};
  const int channelOrder[] = {0, 1, 2, 0, 1};  // then a 2-channel table while channel 2 is due
  for (int i = 0; i < 5; ++i) {
    w.Audio(deltas[i]);
    expected.push_back(model.PredictAudioByte(channelOrder[i], unsigned(deltas[i])));
  }
  w.Audio(rar20::kAudioNewTables);
  w.AudioTables(2);
  for (int i = 0; i < 3; ++i) {
    w.Audio(60 + i);
    expected.push_back(model.PredictAudioByte(i % 2, unsigned(60 + i)));  // 0, 1, 0
  }
  EXPECT_EQ(Decoder().Entry(w.Finish(), 8), expected);
}

TEST(Unpack20, LengthWorkAreaPersistsAcrossSmallerBlocks) {
  // LZ tables, then 4-channel audio tables coded as differences, then LZ again, then audio again
  // as differences: the audio lengths beyond the LZ table's 374 entries must still be there.
  FlatStreamWriter w;
  AudioPredictor model;
  Bytes expected;
  w.LzTables();
  Literals(w, "lz");
  expected = Str("lz");
  w.Literal(rar20::kSymNewTables);
  w.AudioTables(4, true);
  w.Audio(9);
  expected.push_back(model.PredictAudioByte(0, 9));
  w.Audio(rar20::kAudioNewTables);
  w.LzTables(true);
  Literals(w, "!");
  expected.push_back('!');
  w.Literal(rar20::kSymNewTables);
  w.AudioTables(4, true);  // codes the last channel's lengths as 0 differences to the old ones
  for (int i = 0; i < 4; ++i) {  // channels 1, 2, 3, 0
    w.Audio(40 + i);
    expected.push_back(model.PredictAudioByte((i + 1) % 4, unsigned(40 + i)));
  }
  EXPECT_EQ(Decoder().Entry(w.Finish(), std::uint32_t(expected.size())), expected);
}

TEST(Unpack20, SolidEntriesShareWindowHistoryAndTrailingTables) {
  Decoder d;
  FlatStreamWriter w;
  w.LzTables();
  Literals(w, "solid stream");
  w.Literal(rar20::kSymNewTables);  // after the last byte: tables for the next entry
  w.AudioTables(1);
  EXPECT_EQ(d.Entry(w.Finish(), 12), Str("solid stream"));

  AudioPredictor model;
  w.Audio(3);
  EXPECT_EQ(d.Entry(w.Finish(), 1, true), Bytes{model.PredictAudioByte(0, 3)});

  w.Audio(rar20::kAudioNewTables);
  w.LzTables();
  w.Match(2, 0, 7, 0);  // length 5 at distance 12 + 1: back into the first entry
  EXPECT_EQ(d.Entry(w.Finish(), 5, true), Str("solid"));
}

TEST(Unpack20, EarlierSolidEntriesDecodeWithoutOutput) {
  Decoder d;
  FlatStreamWriter w;
  w.LzTables();
  Literals(w, "hidden");
  d.Skip(w.Finish(), 6);
  w.Match(3, 0, 4, 1);  // length 6 at distance 4 + 1 + 1 = 6
  EXPECT_EQ(d.Entry(w.Finish(), 6, true), Str("hidden"));
}

TEST(Unpack20, OverrunIsRefusedWithoutWritingPastTheEntry) {
  FlatStreamWriter w;
  w.LzTables();
  Literals(w, "abc");
  w.Match(7, 0, 0, 0);  // 10 bytes: more than the entry holds
  const Bytes out = Decoder().Entry(w.Finish(), 8);
  EXPECT_LT(out.size(), 8u);
}

TEST(Unpack20, InputThatEndsEarlyEndsTheDecoding) {
  FlatStreamWriter w;
  w.LzTables();
  Literals(w, "only this");
  const Bytes out = Decoder().Entry(w.Finish(), 5000);
  EXPECT_LE(out.size(), 9u);

  EXPECT_TRUE(Decoder().Entry({}, 100).empty());
}

TEST(Unpack20, RepeatCodeBeforeAnyLengthBreaksTheTable) {
  FlatStreamWriter w;
  w.Bits(0, 2);
  for (int i = 0; i < rar20::kBitLengthCount; ++i) w.Bits(5, 4);
  w.Bits(16, 5);  // repeat the previous length: there is none
  w.Bits(0, 2);
  for (int i = 0; i < 400; ++i) w.Bits(9, 5);
  EXPECT_TRUE(Decoder().Entry(w.Finish(), 4).empty());
}

TEST(Unpack20, DecodeTablesFollowCanonicalOrder) {
  // Lengths 2, 1, 3, 3 for symbols 0..3: codes 10, 0, 110, 111.
  const std::uint8_t lengths[4] = {2, 1, 3, 3};
  DecodeTable t;
  BuildDecodeTable(lengths, t, 4);
  EXPECT_EQ(t.symbols[0], 1);
  EXPECT_EQ(t.symbols[1], 0);
  EXPECT_EQ(t.symbols[2], 2);
  EXPECT_EQ(t.symbols[3], 3);
  EXPECT_EQ(t.limit[1], 0x8000u);
  EXPECT_EQ(t.limit[2], 0xC000u);
  EXPECT_EQ(t.limit[3], 0xFFFFu);  // 0x10000 capped
  // The quick lookup agrees with the limits for every 10-bit prefix.
  for (unsigned q = 0; q < 1024; ++q) {
    const unsigned b = q << 6;
    const unsigned expected = b < 0x8000 ? 1 : b < 0xC000 ? 0 : b < 0xE000 ? 2 : 3;
    EXPECT_EQ(t.quickSymbol[q], expected) << q;
  }
}

}  // namespace
