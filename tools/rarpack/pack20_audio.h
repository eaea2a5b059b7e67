// Multimedia (audio) coding of the RAR 2.0 encoder: bytes of interleaved channels coded as the
// difference between the shared predictor's guess and the byte.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "archive/audio_predictor.h"
#include "tools/rarpack/pack20_parse.h"
#include "tools/rarpack/pack20_tables.h"

// Codes `bytes` as audio deltas on `channels` channels, starting at `channel` (moved to 0 when it
// is not below the channel count, as a table block does). Advances `predictor` and `channel`
// exactly as the decoder will, and appends one token (delta, channel) per byte.
void CodeAudioBytes(std::span<const std::uint8_t> bytes, int channels, AudioPredictor& predictor,
                    int& channel, std::vector<Pack20Token>& tokens, BlockStats& stats);

// A cheap guess of the audio cost per channel count: bits of the order-0 entropy of the
// differences between bytes 1..4 apart. `bytes` must be preceded by 4 readable bytes (history or
// zeros). Index 0 is one channel.
void EstimateAudioBits(const std::uint8_t* bytes, std::size_t count, double (&bits)[4]);
