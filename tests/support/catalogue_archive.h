// A small "lab.ac" holding every entry of the asset catalogue (demo/asset_catalogue.h) with tiny,
// valid content, for tests that load the show's assets and play its scenes.
//
// Content, all deterministic:
// - textures: 2 x 2 pictures of one colour, CataloguePictureColour(i) (0x00RRGGBB) for catalogue
//   position i; ".bmp" entries are 24-bit BMP files, ".tga" entries 32-bit TGA files with alpha 255;
// - meshes and room meshes: the same text `.x` cube (kCatalogueCube), edges 2 units long around the
//   origin, with outward face normals and one white material without specular light, so that lit
//   meshes show the lights' colours;
// - video frames: CatalogueVideoFrame(set, n), 2800 bytes plus a few trailing ones (the show copies
//   only the first 2800);
// - maps: txt2 65536 bytes with byte i = i % 251, teksti 14000 bytes with byte i = i % 7 (zeros are
//   the bitmap's transparent pixels);
// - the two secret-page JPEGs: 8 x 8 grey pictures (dark and light).
// Entries are stored, so extracting them is fast.
//
// Use: WriteCatalogueArchive(folder / "lab.ac") writes the whole catalogue; the options leave an
// entry out or replace its bytes (damaged picture or mesh, short frame). Entry names are the
// catalogue's, with '\' separators.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "demo/asset_catalogue.h"
#include "tools/rarpack/rar_writer.h"

namespace testsupport {

using Bytes = std::vector<std::uint8_t>;

struct CatalogueArchiveOptions {
  std::set<std::string> leaveOut;        // entries not written
  std::map<std::string, Bytes> replace;  // entries written with these bytes instead
};

inline std::uint32_t CataloguePictureColour(int textureIndex) {
  const std::uint32_t i = std::uint32_t(textureIndex);
  return ((40 + 3 * i) << 16) | ((200 - 2 * i) << 8) | (10 + i);
}

// Frame n (from 1) of video set 1, 2 or 3.
inline Bytes CatalogueVideoFrame(int set, int n) {
  Bytes frame(std::size_t(g_videoFrameBytes) + 16);
  for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = std::uint8_t(i * 7 + std::size_t(n));
  frame[0] = std::uint8_t(set);
  frame[1] = std::uint8_t(n);
  return frame;
}

inline constexpr char kCatalogueCube[] = R"(xof 0303txt 0032
Mesh {
  8;
  -1.0; -1.0; -1.0;, -1.0; 1.0; -1.0;, 1.0; 1.0; -1.0;, 1.0; -1.0; -1.0;,
  -1.0; -1.0; 1.0;, -1.0; 1.0; 1.0;, 1.0; 1.0; 1.0;, 1.0; -1.0; 1.0;;
  12;
  3; 0, 1, 2;, 3; 0, 2, 3;, 3; 4, 6, 5;, 3; 4, 7, 6;,
  3; 0, 4, 5;, 3; 0, 5, 1;, 3; 3, 2, 6;, 3; 3, 6, 7;,
  3; 1, 5, 6;, 3; 1, 6, 2;, 3; 0, 3, 7;, 3; 0, 7, 4;;
  MeshNormals {
    6;
    0.0; 0.0; -1.0;, 0.0; 0.0; 1.0;, -1.0; 0.0; 0.0;, 1.0; 0.0; 0.0;, 0.0; 1.0; 0.0;, 0.0; -1.0; 0.0;;
    12;
    3; 0, 0, 0;, 3; 0, 0, 0;, 3; 1, 1, 1;, 3; 1, 1, 1;,
    3; 2, 2, 2;, 3; 2, 2, 2;, 3; 3, 3, 3;, 3; 3, 3, 3;,
    3; 4, 4, 4;, 3; 4, 4, 4;, 3; 5, 5, 5;, 3; 5, 5, 5;;
  }
  MeshMaterialList {
    1; 12; 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0;;
    Material { 1.0; 1.0; 1.0; 1.0;; 10.0; 0.0; 0.0; 0.0;; 0.0; 0.0; 0.0;; }
  }
}
)";

// An 8 x 8 grey baseline JPEG picture of value 64. Its one DC difference sits at kGreyJpegDcByte;
// 0x40 there gives value 192.
inline const std::uint8_t kGreyJpeg[] = {
    0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 0x4A, 0x46, 0x49, 0x46, 0x00, 0x01, 0x01, 0x00, 0x00, 0x01,
    0x00, 0x01, 0x00, 0x00, 0xFF, 0xDB, 0x00, 0x43, 0x00, 0x10, 0x0B, 0x0C, 0x0E, 0x0C, 0x0A, 0x10,
    0x0E, 0x0D, 0x0E, 0x12, 0x11, 0x10, 0x13, 0x18, 0x28, 0x1A, 0x18, 0x16, 0x16, 0x18, 0x31, 0x23,
    0x25, 0x1D, 0x28, 0x3A, 0x33, 0x3D, 0x3C, 0x39, 0x33, 0x38, 0x37, 0x40, 0x48, 0x5C, 0x4E, 0x40,
    0x44, 0x57, 0x45, 0x37, 0x38, 0x50, 0x6D, 0x51, 0x57, 0x5F, 0x62, 0x67, 0x68, 0x67, 0x3E, 0x4D,
    0x71, 0x79, 0x70, 0x64, 0x78, 0x5C, 0x65, 0x67, 0x63, 0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x00, 0x08,
    0x00, 0x08, 0x01, 0x01, 0x11, 0x00, 0xFF, 0xC4, 0x00, 0x14, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x06, 0xFF, 0xC4, 0x00, 0x14,
    0x10, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00, 0x3E, 0xFF, 0xD9,
};
inline constexpr std::size_t kGreyJpegDcByte = sizeof(kGreyJpeg) - 3;

inline std::vector<std::uint8_t> GreyJpeg(bool light) {
  std::vector<std::uint8_t> jpeg(std::begin(kGreyJpeg), std::end(kGreyJpeg));
  if (light) jpeg[kGreyJpegDcByte] = 0x40;
  return jpeg;
}

namespace catalogue_detail {

inline void Put16(Bytes& b, std::uint32_t v) {
  b.push_back(std::uint8_t(v));
  b.push_back(std::uint8_t(v >> 8));
}
inline void Put32(Bytes& b, std::uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

// 2 x 2, 24 bits, bottom-up rows padded to 4 bytes.
inline Bytes SolidBmp(std::uint32_t rgb) {
  Bytes b = {'B', 'M'};
  Put32(b, 14 + 40 + 16);
  Put32(b, 0);
  Put32(b, 14 + 40);
  Put32(b, 40);
  Put32(b, 2);
  Put32(b, 2);
  Put16(b, 1);
  Put16(b, 24);
  for (int i = 0; i < 6; ++i) Put32(b, 0);
  for (int row = 0; row < 2; ++row) {
    for (int x = 0; x < 2; ++x) {
      b.push_back(std::uint8_t(rgb));
      b.push_back(std::uint8_t(rgb >> 8));
      b.push_back(std::uint8_t(rgb >> 16));
    }
    b.push_back(0);
    b.push_back(0);
  }
  return b;
}

// 2 x 2, uncompressed true colour, 32 bits with 8 alpha bits.
inline Bytes SolidTga(std::uint32_t rgb) {
  Bytes b = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  Put16(b, 2);
  Put16(b, 2);
  b.push_back(32);
  b.push_back(8);
  for (int i = 0; i < 4; ++i) {
    b.push_back(std::uint8_t(rgb));
    b.push_back(std::uint8_t(rgb >> 8));
    b.push_back(std::uint8_t(rgb >> 16));
    b.push_back(255);
  }
  return b;
}

inline bool EndsWith(const std::string& s, const char* tail) {
  const std::string t(tail);
  return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

}  // namespace catalogue_detail

// Every entry of the catalogue in catalogue order, with its default content.
inline std::vector<ArchiveEntryInput> CatalogueEntries() {
  using namespace catalogue_detail;
  std::vector<ArchiveEntryInput> entries;
  const auto add = [&](const std::string& name, Bytes data) {
    ArchiveEntryInput e;
    e.name = name;
    e.data = std::move(data);
    entries.push_back(std::move(e));
  };
  for (int i = 0; i < g_textureCount; ++i) {
    const std::string name = g_textureEntries[i];
    add(name, EndsWith(name, ".bmp") ? SolidBmp(CataloguePictureColour(i)) : SolidTga(CataloguePictureColour(i)));
  }
  const auto addFrames = [&](int set, const char* pattern, int count) {
    for (int n = 1; n <= count; ++n) {
      char name[64];
      std::snprintf(name, sizeof name, pattern, n);
      add(name, CatalogueVideoFrame(set, n));
    }
  };
  addFrames(1, g_video01Pattern, g_video01FrameCount);
  addFrames(2, g_video02Pattern, g_video02FrameCount);
  addFrames(3, g_video03Pattern, g_video03FrameCount);
  Bytes txt2(static_cast<std::size_t>(g_txt2Bytes));
  Bytes teksti(static_cast<std::size_t>(g_tekstiWidth * g_tekstiHeight));
  for (std::size_t i = 0; i < txt2.size(); ++i) txt2[i] = std::uint8_t(i % 251);
  for (std::size_t i = 0; i < teksti.size(); ++i) teksti[i] = std::uint8_t(i % 7);
  add(g_txt2Entry, txt2);
  add(g_tekstiEntry, teksti);
  const Bytes cube(kCatalogueCube, kCatalogueCube + sizeof kCatalogueCube - 1);
  for (int i = 0; i < g_meshCount; ++i) add(g_meshEntries[i], cube);
  for (int i = 0; i < g_roomMeshCount; ++i) add(g_roomMeshEntries[i], cube);
  add(g_secretPictureEntries[0], GreyJpeg(false));
  add(g_secretPictureEntries[1], GreyJpeg(true));
  return entries;
}

// Writes the archive; false with a one-line reason in `error` when it cannot be written.
inline bool WriteCatalogueArchive(const std::filesystem::path& file, const CatalogueArchiveOptions& options,
                                  std::string& error) {
  std::vector<ArchiveEntryInput> entries;
  for (ArchiveEntryInput& e : CatalogueEntries()) {
    if (options.leaveOut.count(e.name)) continue;
    const auto replaced = options.replace.find(e.name);
    if (replaced != options.replace.end()) e.data = replaced->second;
    entries.push_back(std::move(e));
  }
  ArchiveWriterOptions writer;
  writer.store = true;
  Bytes archive;
  if (!WriteRarArchive(entries, writer, archive, error)) return false;
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(archive.data()), std::streamsize(archive.size()));
  if (!out) {
    error = "cannot write " + file.string();
    return false;
  }
  return true;
}

inline bool WriteCatalogueArchive(const std::filesystem::path& file, std::string& error) {
  return WriteCatalogueArchive(file, CatalogueArchiveOptions{}, error);
}

}  // namespace testsupport
