// The adaptive linear predictor of the RAR 2.0 multimedia (audio) mode.
//
// Up to four interleaved channels; each byte is coded as the difference ("delta", 0..255) between
// a prediction from the channel's recent values and the actual byte. Every 32 bytes of a channel
// the weight whose error sum was smallest moves one step. The decoder and the archive writer run
// the same model, so both see the same predictions.
#pragma once

#include <cstdint>

struct AudioChannelState {
  int w1 = 0, w2 = 0, w3 = 0, w4 = 0, w5 = 0;  // weights
  int d1 = 0, d2 = 0, d3 = 0, d4 = 0;          // recent deltas
  int lastDelta = 0;
  std::uint32_t e[11] = {};  // error sums of the eleven candidate adjustments
  std::uint32_t byteCount = 0;
  int lastValue = 0;  // not reduced to a byte
};

struct AudioPredictor {
  AudioChannelState channels[4];
  int channelDelta = 0;  // shared by all channels

  // The byte the model expects next on `channel`; does not change the state.
  std::uint8_t Prediction(int channel) const;

  // Applies a decoded delta on `channel` and returns the byte it stands for.
  std::uint8_t PredictAudioByte(int channel, unsigned delta);
};
