#include "archive/audio_predictor.h"

#include <cstdlib>

namespace {

int PredictFrom(const AudioChannelState& v, int d1, int d2, int d3, int d4, int channelDelta) {
  const int p = 8 * v.lastValue + v.w1 * d1 + v.w2 * d2 + v.w3 * d3 + v.w4 * d4 + v.w5 * channelDelta;
  return (p >> 3) & 0xFF;
}

void AdjustWeights(AudioChannelState& v) {
  std::uint32_t minSum = v.e[0];
  int m = 0;
  for (int i = 1; i < 11; ++i) {
    if (v.e[i] < minSum) {
      minSum = v.e[i];
      m = i;
    }
  }
  for (auto& e : v.e) e = 0;
  int* const weights[5] = {&v.w1, &v.w2, &v.w3, &v.w4, &v.w5};
  if (m == 0) return;
  int& w = *weights[(m - 1) / 2];
  if (m & 1) {
    if (w >= -16) --w;
  } else {
    if (w < 16) ++w;
  }
}

}  // namespace

std::uint8_t AudioPredictor::Prediction(int channel) const {
  const AudioChannelState& v = channels[channel];
  return std::uint8_t(PredictFrom(v, v.lastDelta, v.lastDelta - v.d1, v.d2, v.d3, channelDelta));
}

std::uint8_t AudioPredictor::PredictAudioByte(int channel, unsigned delta) {
  AudioChannelState& v = channels[channel];
  ++v.byteCount;
  v.d4 = v.d3;
  v.d3 = v.d2;
  v.d2 = v.lastDelta - v.d1;
  v.d1 = v.lastDelta;

  const int p = PredictFrom(v, v.d1, v.d2, v.d3, v.d4, channelDelta);
  const int value = p - int(delta & 0xFF);
  const int e = 8 * int(static_cast<std::int8_t>(delta & 0xFF));

  v.e[0] += std::abs(e);
  v.e[1] += std::abs(e - v.d1);
  v.e[2] += std::abs(e + v.d1);
  v.e[3] += std::abs(e - v.d2);
  v.e[4] += std::abs(e + v.d2);
  v.e[5] += std::abs(e - v.d3);
  v.e[6] += std::abs(e + v.d3);
  v.e[7] += std::abs(e - v.d4);
  v.e[8] += std::abs(e + v.d4);
  v.e[9] += std::abs(e - channelDelta);
  v.e[10] += std::abs(e + channelDelta);

  v.lastDelta = channelDelta = static_cast<std::int8_t>(std::uint8_t(value - v.lastValue));
  v.lastValue = value;

  if ((v.byteCount & 0x1F) == 0) AdjustWeights(v);
  return std::uint8_t(value);
}
