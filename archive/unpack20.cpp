// RAR 2.0 decompression.
//
// [SECTIONS]
//   Bit input          the 16-bit peek, refills of the 8 KiB input buffer
//   Decode tables      canonical Huffman tables with a 10-bit quick lookup
//   Table blocks       code lengths, delta-coded against the persistent work area
//   Decoding loop      LZ symbols, matches, audio bytes, window flushes
//
// Input that ends early, or was deciphered with the wrong key, ends the decoding as soon as the
// bits taken pass the end of the valid input; the caller's CRC check then fails the entry.
#include "archive/unpack20.h"

#include <algorithm>
#include <cstring>

#include "archive/debug_log.h"

using namespace rar20;

// ---------------------------------------------------------------------------------------------
// Bit input
// ---------------------------------------------------------------------------------------------

// The next 16 bits, most significant first.
inline unsigned Unpack20::Peek() const {
  const unsigned bits = (unsigned(in_[inPos_]) << 16) | (unsigned(in_[inPos_ + 1]) << 8) | in_[inPos_ + 2];
  return (bits >> (8 - inBit_)) & 0xFFFF;
}

inline void Unpack20::TakeBits(unsigned n) {
  inBit_ += n;
  inPos_ += inBit_ >> 3;
  inBit_ &= 7;
}

inline unsigned Unpack20::ReadBits(unsigned n) {
  if (n == 0) return 0;
  const unsigned v = Peek() >> (16 - n);
  TakeBits(n);
  return v;
}

// Returns false once the input holds no further bytes.
bool Unpack20::RefillInput(bool first) {
  if (first) {
    unsigned n = input_->ReadPackedData(in_, kInputSize);
    if (n == PackedInput::kReadError) n = 0;
    readTop_ = n;
    inPos_ = 0;
    return n > 0;
  }
  // Keep the last 32 bytes: the callers refill before the position passes them.
  const unsigned kept = 32;
  inPos_ &= kept - 1;
  std::memmove(in_, in_ + kInputSize - kept, kept);
  const unsigned valid = readTop_ > kInputSize - kept ? readTop_ - (kInputSize - kept) : 0;
  if (valid < kept) {  // the last read was short: the input has ended
    readTop_ = valid;
    return false;
  }
  unsigned n = input_->ReadPackedData(in_ + kept, kInputSize - kept);
  if (n == PackedInput::kReadError) n = 0;
  readTop_ = kept + n;
  return n > 0;
}

// ---------------------------------------------------------------------------------------------
// Decode tables
// ---------------------------------------------------------------------------------------------

void BuildDecodeTable(const std::uint8_t* lengths, DecodeTable& table, int count) {
  unsigned lengthCount[16] = {};
  for (int i = 0; i < count; ++i) ++lengthCount[lengths[i] & 0xF];
  lengthCount[0] = 0;

  table.limit[0] = 0;
  table.first[0] = 0;
  std::uint64_t n = 0;
  for (int k = 1; k < 16; ++k) {
    n = 2 * (n + lengthCount[k]);
    table.limit[k] = std::uint32_t(std::min<std::uint64_t>(n << (15 - k), 0xFFFF));
    table.first[k] = table.first[k - 1] + lengthCount[k - 1];
  }

  unsigned next[16];
  std::copy(std::begin(table.first), std::end(table.first), next);
  for (int symbol = 0; symbol < count; ++symbol) {
    const int length = lengths[symbol] & 0xF;
    if (length) table.symbols[next[length]++] = std::uint16_t(symbol);
  }
  table.symbolCount = count;

  // Quick lookup: a code of at most kQuickBits bits is decided by the top kQuickBits of the peek,
  // because every limit[k] with k <= kQuickBits is a multiple of 2^(16 - k) or the 0xFFFF cap.
  // The limits grow with k, so the peeks b = q << kShift that start a code of length k are one
  // run of q, limit[k - 1] <= b < limit[k], filled in turn; the q past them start longer codes.
  constexpr int kShift = 16 - DecodeTable::kQuickBits;
  unsigned q = 0;
  for (int k = 1; k <= DecodeTable::kQuickBits; ++k) {
    const unsigned end = (table.limit[k] + (1u << kShift) - 1) >> kShift;
    for (; q < end; ++q) {
      const unsigned j = table.first[k] + (((q << kShift) - table.limit[k - 1]) >> (16 - k));
      table.quickLength[q] = std::uint8_t(k);
      table.quickSymbol[q] = table.symbols[j < unsigned(count) ? j : 0];
    }
  }
  std::fill(table.quickLength + q, std::end(table.quickLength), std::uint8_t{0});
}

int Unpack20::DecodeSymbol(const DecodeTable& table) {
  const unsigned b = Peek() & 0xFFFE;
  const unsigned q = b >> (16 - DecodeTable::kQuickBits);
  if (const unsigned k = table.quickLength[q]) {
    TakeBits(k);
    return table.quickSymbol[q];
  }
  // The smallest length whose limit lies above the code; the limits never decrease.
  unsigned k = DecodeTable::kQuickBits + 1;
  while (k < 15 && b >= table.limit[k]) ++k;
  TakeBits(k);
  const unsigned j = table.first[k] + ((b - table.limit[k - 1]) >> (16 - k));
  return table.symbols[j < unsigned(table.symbolCount) ? j : 0];
}

// ---------------------------------------------------------------------------------------------
// Table blocks
// ---------------------------------------------------------------------------------------------

// Returns false for a table block that cannot be decoded (a repeat code before any length).
bool Unpack20::ReadCodeTables() {
  if (inPos_ > kInputSize - 25) RefillInput(false);
  const unsigned b = Peek();
  audio_ = (b & 0x8000) != 0;
  // Lengths are coded as differences to the work area of the previous blocks, or to zeros. The
  // work area persists across blocks of different sizes: entries a smaller block did not write
  // keep their earlier lengths.
  if (!(b & 0x4000)) previousLengths_.fill(0);
  TakeBits(2);

  int tableSize;
  if (audio_) {
    channels_ = int((b >> 12) & 3) + 1;
    if (currentChannel_ >= channels_) currentChannel_ = 0;
    TakeBits(2);
    tableSize = kAudioCount * channels_;
  } else {
    tableSize = kLzTableSize;
  }

  std::uint8_t bitLengths[kBitLengthCount];
  for (auto& length : bitLengths) length = std::uint8_t(ReadBits(4));
  BuildDecodeTable(bitLengths, bitLengthTable_, kBitLengthCount);

  std::uint8_t* lengths = previousLengths_.data();
  for (int i = 0; i < tableSize;) {
    if (inPos_ > kInputSize - 5) RefillInput(false);
    const int s = DecodeSymbol(bitLengthTable_);
    if (s < 16) {
      lengths[i] = std::uint8_t((s + lengths[i]) & 0xF);
      ++i;
    } else if (s == 16) {
      if (i == 0) return false;
      for (unsigned n = ReadBits(2) + 3; n > 0 && i < tableSize; --n, ++i) lengths[i] = lengths[i - 1];
    } else {
      const unsigned n = s == 17 ? ReadBits(3) + 3 : ReadBits(7) + 11;
      for (unsigned k = 0; k < n && i < tableSize; ++k) lengths[i++] = 0;
    }
  }

  if (audio_) {
    for (int c = 0; c < channels_; ++c) BuildDecodeTable(lengths + kAudioCount * c, audioTables_[c], kAudioCount);
  } else {
    BuildDecodeTable(lengths, literalTable_, kLiteralCount);
    BuildDecodeTable(lengths + kLiteralCount, distanceTable_, kDistanceCount);
    BuildDecodeTable(lengths + kLiteralCount + kDistanceCount, repeatTable_, kRepeatCount);
  }
  return true;
}

// A table block right after an entry's last symbol serves the next entry of a solid stream.
void Unpack20::ReadTrailingTables() {
  if (readTop_ < inPos_ + 5) return;
  if (audio_) {
    if (DecodeSymbol(audioTables_[currentChannel_]) == kAudioNewTables) ReadCodeTables();
  } else {
    if (DecodeSymbol(literalTable_) == kSymNewTables) ReadCodeTables();
  }
}

// ---------------------------------------------------------------------------------------------
// Decoding loop
// ---------------------------------------------------------------------------------------------

void Unpack20::ResetUnpackState(bool continuesSolid) {
  inBit_ = 0;
  inPos_ = 0;
  if (continuesSolid) return;
  currentChannel_ = 0;
  predictor_ = AudioPredictor{};
  std::fill(std::begin(oldDistances_), std::end(oldDistances_), 0u);
  previousLengths_.fill(0);
  ringIndex_ = 0;
  lastDistance_ = 0;
  lastLength_ = 0;
  writePos_ = 0;
  flushPos_ = 0;
  if (windowDirty_) std::memset(window_, 0, kWindowSize);
  windowDirty_ = false;
}

// Copies the bytes written since the last flush to the output of the requested entry.
void Unpack20::FlushWindow() {
  if (output_->buffer) {
    const std::uint32_t n = (writePos_ - flushPos_) & kWindowMask;
    if (std::uint64_t(output_->delivered) + n > output_->unpackedSize) {
      ARCHIVE_LOG("Fatal! Buffer overrun during decompression!");
      remaining_ = -1;
    } else {
      std::uint8_t* out = output_->buffer + output_->delivered;
      const std::uint32_t firstPiece = std::min(n, kWindowSize - flushPos_);
      std::memcpy(out, window_ + flushPos_, firstPiece);
      std::memcpy(out + firstPiece, window_, n - firstPiece);
      output_->delivered += n;
    }
  }
  flushPos_ = writePos_ & kWindowMask;
}

void Unpack20::CopyMatch(std::uint32_t length, std::uint32_t distance) {
  oldDistances_[ringIndex_++ & 3] = distance;
  lastDistance_ = distance;
  lastLength_ = length;
  remaining_ -= length;

  std::uint32_t src = (writePos_ - distance) & kWindowMask;
  std::uint32_t dst = writePos_ & kWindowMask;
  if (src + length <= kWindowSize && dst + length <= kWindowSize) {
    // Byte by byte even here: a distance below the length repeats the bytes just written.
    std::uint8_t* d = window_ + dst;
    const std::uint8_t* s = window_ + src;
    for (std::uint32_t i = 0; i < length; ++i) d[i] = s[i];
    writePos_ = (dst + length) & kWindowMask;
    return;
  }
  for (std::uint32_t i = 0; i < length; ++i) {
    window_[dst] = window_[src];
    src = (src + 1) & kWindowMask;
    dst = (dst + 1) & kWindowMask;
  }
  writePos_ = dst;
}

void Unpack20::UnpackEntry(PackedInput& input, UnpackOutput& output, bool continuesSolid) {
  input_ = &input;
  output_ = &output;
  ResetUnpackState(continuesSolid);
  RefillInput(true);
  windowDirty_ = true;
  if (!continuesSolid && !ReadCodeTables()) return;  // nothing delivered: the CRC check fails

  broken_ = false;
  remaining_ = std::int64_t(output.unpackedSize) - 1;
  DecodeLoop();
  if (!broken_) ReadTrailingTables();
  FlushWindow();
}

// Bits taken past the valid input: the packed data ended before the entry did. Checked before
// a decoded symbol takes effect, so nothing made of stale buffer bytes reaches the output.
bool Unpack20::PastInputEnd() const { return inPos_ > readTop_ || (inPos_ == readTop_ && inBit_ > 0); }

void Unpack20::StopBroken() {
  broken_ = true;
  remaining_ = -1;
}

void Unpack20::DecodeLoop() {
  while (remaining_ >= 0) {
    writePos_ &= kWindowMask;
    if (inPos_ > kInputSize - 30) RefillInput(false);
    if (PastInputEnd()) return StopBroken();
    if (((flushPos_ - writePos_) & kWindowMask) < 270 && flushPos_ != writePos_) FlushWindow();

    if (audio_) {
      const int s = DecodeSymbol(audioTables_[currentChannel_]);
      if (PastInputEnd()) return StopBroken();
      if (s == kAudioNewTables) {
        if (!ReadCodeTables()) return StopBroken();
        continue;
      }
      window_[writePos_++] = predictor_.PredictAudioByte(currentChannel_, unsigned(s));
      if (++currentChannel_ == channels_) currentChannel_ = 0;
      --remaining_;
      continue;
    }

    const int s = DecodeSymbol(literalTable_);
    if (PastInputEnd()) return StopBroken();
    if (s < 256) {
      window_[writePos_++] = std::uint8_t(s);
      --remaining_;
    } else if (s >= kSymMatch) {
      const int i = s - kSymMatch;
      std::uint32_t length = kLengthBase[i] + 3 + ReadBits(kLengthBits[i]);
      const int j = DecodeSymbol(distanceTable_);
      const std::uint32_t distance = kDistanceBase[j] + 1 + ReadBits(kDistanceBits[j]);
      if (distance >= 0x2000) ++length;
      if (distance >= 0x40000) ++length;
      if (PastInputEnd()) return StopBroken();
      CopyMatch(length, distance);
    } else if (s == kSymNewTables) {
      if (!ReadCodeTables()) return StopBroken();
    } else if (s == kSymRepeatLast) {
      CopyMatch(lastLength_, lastDistance_);
    } else if (s < kSymShortDistance) {
      const std::uint32_t distance = oldDistances_[(ringIndex_ - unsigned(s - 256)) & 3];
      const int i = DecodeSymbol(repeatTable_);
      std::uint32_t length = kLengthBase[i] + 2 + ReadBits(kLengthBits[i]);
      if (distance >= 0x101) ++length;
      if (distance >= 0x2000) ++length;
      if (distance >= 0x40000) ++length;
      if (PastInputEnd()) return StopBroken();
      CopyMatch(length, distance);
    } else {
      const int i = s - kSymShortDistance;
      const std::uint32_t distance = kShortDistanceBase[i] + 1 + ReadBits(kShortDistanceBits[i]);
      if (PastInputEnd()) return StopBroken();
      CopyMatch(2, distance);
    }
  }
}
