#include "tools/rarpack/pack20_audio.h"

#include <cmath>

#include "archive/rar20_format.h"

void CodeAudioBytes(std::span<const std::uint8_t> bytes, int channels, AudioPredictor& predictor,
                    int& channel, std::vector<Pack20Token>& tokens, BlockStats& stats) {
  if (channel >= channels) channel = 0;
  for (const std::uint8_t byte : bytes) {
    const unsigned delta = (predictor.Prediction(channel) - byte) & 0xFF;
    predictor.PredictAudioByte(channel, delta);
    ++stats.frequencies[std::size_t(rar20::kAudioCount * channel) + delta];
    tokens.push_back({std::uint16_t(delta), 0, std::uint16_t(channel), 0});
    if (++channel == channels) channel = 0;
  }
}

void EstimateAudioBits(const std::uint8_t* bytes, std::size_t count, double (&bits)[4]) {
  std::uint32_t histogram[4][256] = {};
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t b = bytes[i];
    for (int s = 0; s < 4; ++s) ++histogram[s][std::uint8_t(b - bytes[std::ptrdiff_t(i) - 1 - s])];
  }
  for (int s = 0; s < 4; ++s) {
    double sum = 0;
    for (const std::uint32_t f : histogram[s]) {
      if (f) sum -= f * std::log2(double(f) / double(count));
    }
    bits[s] = sum;
  }
}
