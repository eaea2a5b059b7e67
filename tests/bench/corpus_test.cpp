// The benchmark corpus: reproducible, shaped as planned, and every file well-formed for its type,
// since a broken header or a degenerate signal would make the compression figures meaningless.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <set>
#include <string>

#include "bench/corpus.h"

namespace {

std::uint32_t Le(const std::vector<std::uint8_t>& d, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | d.at(at + i);
  return v;
}

std::string Tag(const std::vector<std::uint8_t>& d, std::size_t at) {
  return std::string(d.begin() + static_cast<long>(at), d.begin() + static_cast<long>(at) + 4);
}

TEST(BenchCorpus, SameSeedSameBytesOtherSeedOtherBytes) {
  const CorpusOptions options{2u << 20, 7};
  const std::vector<CorpusFile> a = GenerateCorpus(options), b = GenerateCorpus(options);
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].name, b[i].name);
    EXPECT_TRUE(a[i].data == b[i].data) << a[i].name;
  }
  const std::vector<CorpusFile> c = GenerateCorpus({2u << 20, 8});
  ASSERT_EQ(a.size(), c.size());
  int differing = 0;
  for (std::size_t i = 0; i < a.size(); ++i) differing += a[i].data != c[i].data;
  EXPECT_EQ(differing, static_cast<int>(a.size()));

  const std::vector<CorpusFile> assetsA = GenerateSmallAssets(40, 3), assetsB = GenerateSmallAssets(40, 3);
  ASSERT_EQ(assetsA.size(), assetsB.size());
  for (std::size_t i = 0; i < assetsA.size(); ++i) EXPECT_TRUE(assetsA[i].data == assetsB[i].data) << assetsA[i].name;
}

TEST(BenchCorpus, SizeSplitsEvenlyOverKindsWithWideRangeOfFileSizes) {
  const std::size_t target = 8u << 20;
  const std::vector<CorpusFile> files = GenerateCorpus({target});
  std::map<CorpusKind, std::size_t> byKind;
  std::set<std::string> names;
  std::size_t total = 0, smallest = SIZE_MAX, largest = 0;
  for (const CorpusFile& f : files) {
    EXPECT_TRUE(names.insert(f.name).second) << "duplicate " << f.name;
    EXPECT_EQ(f.name.find('\\'), std::string::npos);
    byKind[f.kind] += f.data.size();
    total += f.data.size();
    smallest = std::min(smallest, f.data.size());
    largest = std::max(largest, f.data.size());
  }
  EXPECT_TRUE(std::is_sorted(files.begin(), files.end(),
                             [](const CorpusFile& a, const CorpusFile& b) { return a.name < b.name; }));
  EXPECT_NEAR(static_cast<double>(total), static_cast<double>(target), target * 0.1);
  ASSERT_EQ(byKind.size(), 4u);
  for (const auto& [kind, bytes] : byKind)
    EXPECT_NEAR(static_cast<double>(bytes), total / 4.0, total * 0.06) << CorpusKindName(kind);
  EXPECT_GE(largest / smallest, 100u);
}

TEST(BenchCorpus, TextIsWrappedPrintableAsciiWithZipfWordFrequencies) {
  const std::vector<std::uint8_t> prose = GenerateText(200000, 11, TextStyle::kProse);
  ASSERT_EQ(prose.size(), 200000u);
  std::size_t column = 0, longest = 0;
  std::map<std::string, int> counts;
  std::string word;
  for (std::uint8_t c : prose) {
    ASSERT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << int(c);
    column = c == '\n' ? 0 : column + 1;
    longest = std::max(longest, column);
    if (std::isalpha(c)) {
      word += static_cast<char>(std::tolower(c));
    } else if (!word.empty()) {
      ++counts[word];
      word.clear();
    }
  }
  EXPECT_LE(longest, 72u);
  std::vector<int> frequencies;
  for (const auto& [w, n] : counts) frequencies.push_back(n);
  std::sort(frequencies.rbegin(), frequencies.rend());
  ASSERT_GT(frequencies.size(), 1000u);
  // Weight 1/rank: the top word is about 50 times as common as the 50th (pairs add some noise).
  const double ratio = static_cast<double>(frequencies[0]) / frequencies[49];
  EXPECT_GT(ratio, 15.0);
  EXPECT_LT(ratio, 150.0);

  const std::vector<std::uint8_t> manual = GenerateText(50000, 11, TextStyle::kManual);
  const std::string text(manual.begin(), manual.end());
  EXPECT_NE(text.find("\r\n  - "), std::string::npos);
  EXPECT_NE(text.find("-----\r\n"), std::string::npos);
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
    ASSERT_EQ(text[at - 1], '\r') << "bare LF at " << at;
}

TEST(BenchCorpus, ExecutableHasPeLayoutAndCodeLikeBytes) {
  const std::vector<std::uint8_t> exe = GenerateExecutable(300000, 5);
  ASSERT_EQ(exe.size(), 300000u);
  EXPECT_EQ(exe[0], 'M');
  EXPECT_EQ(exe[1], 'Z');
  const std::uint32_t pe = Le(exe, 0x3C, 4);
  EXPECT_EQ(Tag(exe, pe), std::string("PE\0\0", 4));
  const int sections = static_cast<int>(Le(exe, pe + 6, 2));
  ASSERT_EQ(sections, 3);
  const std::size_t table = pe + 24 + Le(exe, pe + 20, 2);
  const std::uint32_t textOffset = Le(exe, table + 20, 4), textSize = Le(exe, table + 16, 4);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&exe[table]), 5), ".text");
  ASSERT_LT(textOffset + textSize, exe.size());
  int prologues = 0;
  for (std::size_t i = textOffset; i + 3 < textOffset + textSize; ++i)
    prologues += exe[i] == 0x55 && exe[i + 1] == 0x8B && exe[i + 2] == 0xEC;
  EXPECT_GT(prologues, static_cast<int>(textSize / 1000));  // functions of a few hundred bytes
  EXPECT_NE(std::search(exe.begin(), exe.end(), std::begin("GetProcAddress"), std::end("GetProcAddress") - 1),
            exe.end());
}

TEST(BenchCorpus, WaveHeadersMatchTheSamplesInEveryFormat) {
  for (const WaveFormat format : {WaveFormat{1, 8, 11025}, WaveFormat{2, 8, 22050}, WaveFormat{1, 16, 22050},
                                  WaveFormat{2, 16, 44100}}) {
    SCOPED_TRACE(std::to_string(format.channels) + " channels, " + std::to_string(format.bitsPerSample) + " bits");
    const std::vector<std::uint8_t> wav = GenerateWave(100001, 9, format);
    const std::uint32_t blockAlign = format.channels * format.bitsPerSample / 8;
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(Tag(wav, 0), "RIFF");
    EXPECT_EQ(Le(wav, 4, 4), wav.size() - 8);
    EXPECT_EQ(Tag(wav, 8), "WAVE");
    EXPECT_EQ(Tag(wav, 12), "fmt ");
    EXPECT_EQ(Le(wav, 20, 2), 1u);
    EXPECT_EQ(Le(wav, 22, 2), static_cast<std::uint32_t>(format.channels));
    EXPECT_EQ(Le(wav, 24, 4), static_cast<std::uint32_t>(format.sampleRate));
    EXPECT_EQ(Le(wav, 28, 4), format.sampleRate * blockAlign);
    EXPECT_EQ(Le(wav, 32, 2), blockAlign);
    EXPECT_EQ(Le(wav, 34, 2), static_cast<std::uint32_t>(format.bitsPerSample));
    EXPECT_EQ(Tag(wav, 36), "data");
    EXPECT_EQ(Le(wav, 40, 4), wav.size() - 44);
    EXPECT_EQ((wav.size() - 44) % blockAlign, 0u);
    EXPECT_GT(wav.size(), 100001u - blockAlign - 1);

    // A signal that uses a good part of the range, is not clipped flat, and (in stereo) has
    // channels that are related but not equal.
    const std::size_t frames = (wav.size() - 44) / blockAlign;
    int lo = 1 << 16, hi = -(1 << 16), extremes = 0, channelsDiffer = 0;
    const int full = format.bitsPerSample == 8 ? 127 : 32767;
    for (std::size_t f = 0; f < frames; ++f) {
      int value[2] = {};
      for (int c = 0; c < format.channels; ++c) {
        const std::size_t at = 44 + f * blockAlign + c * format.bitsPerSample / 8;
        value[c] = format.bitsPerSample == 8 ? wav[at] - 128 : static_cast<std::int16_t>(Le(wav, at, 2));
        lo = std::min(lo, value[c]);
        hi = std::max(hi, value[c]);
        extremes += value[c] >= full || value[c] <= -full;
      }
      channelsDiffer += format.channels == 2 && value[0] != value[1];
    }
    EXPECT_GT(hi - lo, full / 2);
    EXPECT_LT(extremes, static_cast<int>(frames / 100));
    if (format.channels == 2) {
      EXPECT_GT(channelsDiffer, static_cast<int>(frames / 2));
    }
  }
}

TEST(BenchCorpus, PicturesHaveConsistentHeadersAndPaddedRows) {
  const std::vector<std::uint8_t> bmp = GenerateBmpOfSize(33, 7, 1);
  const std::uint32_t stride = 100;  // 33 * 3 = 99, padded to 4
  ASSERT_EQ(bmp.size(), 54 + stride * 7);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  EXPECT_EQ(Le(bmp, 2, 4), bmp.size());
  EXPECT_EQ(Le(bmp, 10, 4), 54u);
  EXPECT_EQ(Le(bmp, 14, 4), 40u);
  EXPECT_EQ(Le(bmp, 18, 4), 33u);
  EXPECT_EQ(Le(bmp, 22, 4), 7u);
  EXPECT_EQ(Le(bmp, 28, 2), 24u);
  EXPECT_EQ(Le(bmp, 34, 4), stride * 7);
  for (int row = 0; row < 7; ++row) EXPECT_EQ(bmp[54 + row * stride + 99], 0) << "padding of row " << row;

  const std::vector<std::uint8_t> tga = GenerateTgaOfSize(50, 20, 1);
  ASSERT_EQ(tga.size(), 18u + 50 * 20 * 3);
  EXPECT_EQ(tga[2], 2);
  EXPECT_EQ(Le(tga, 12, 2), 50u);
  EXPECT_EQ(Le(tga, 14, 2), 20u);
  EXPECT_EQ(tga[16], 24);

  // Sized pictures: close to the request, about 4:3, and with more than a handful of colours.
  for (const std::vector<std::uint8_t>& p : {GenerateBmp(300000, 4), GenerateTga(300000, 4)}) {
    EXPECT_NEAR(static_cast<double>(p.size()), 300000.0, 3000.0);
    const bool isBmp = p[0] == 'B';
    const double w = isBmp ? Le(p, 18, 4) : Le(p, 12, 2), h = isBmp ? Le(p, 22, 4) : Le(p, 14, 2);
    EXPECT_NEAR(w / h, 4.0 / 3.0, 0.05);
    std::set<std::uint32_t> colours;
    for (std::size_t i = isBmp ? 54 : 18; i + 2 < p.size(); i += 3) colours.insert(Le(p, i, 3));
    EXPECT_GT(colours.size(), 100u);
  }
}

TEST(BenchCorpus, SmallAssetsAreDemoShaped) {
  const std::vector<CorpusFile> assets = GenerateSmallAssets(500, 2);
  ASSERT_EQ(assets.size(), 500u);
  std::map<std::string, int> perFolder;
  std::set<std::string> names;
  const CorpusFile* previousFrame = nullptr;
  for (const CorpusFile& a : assets) {
    EXPECT_TRUE(names.insert(a.name).second) << a.name;
    const std::string folder = a.name.substr(0, a.name.rfind('/'));
    ++perFolder[folder];
    EXPECT_GE(a.data.size(), 1000u) << a.name;
    EXPECT_LE(a.data.size(), 16384u) << a.name;
    if (folder == "data/meshes") {
      EXPECT_EQ(std::string(a.data.begin(), a.data.begin() + 16), "xof 0302txt 0032");
    } else if (folder == "data/video") {
      ASSERT_EQ(a.data.size(), kVideoFrameBytes);
      if (previousFrame) {
        // Consecutive frames move a little: most pixels change, by small amounts.
        int changed = 0, total = 0;
        for (std::size_t i = 0; i < kVideoFrameBytes; ++i) {
          const int d = std::abs(a.data[i] - previousFrame->data[i]);
          changed += d != 0;
          total += d;
        }
        EXPECT_GT(changed, 0);
        EXPECT_LT(total / static_cast<double>(kVideoFrameBytes), 8.0);
      }
      previousFrame = &a;
    }
  }
  EXPECT_EQ(perFolder["data/meshes"], 150);
  EXPECT_EQ(perFolder["data/textures"], 150);
  EXPECT_EQ(perFolder["data/video"], 200);
}

}  // namespace
