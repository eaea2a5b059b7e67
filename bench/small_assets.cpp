// Small assets like a real-time demo's archive: DirectX .x text meshes of 2..12 KiB (a deformed
// sphere or torus with normals and texture coordinates), 32..64-pixel BMP/TGA textures and raw
// 8-bit video frames of a fixed 70 x 40 pixels (2800 bytes) that change a little from frame to
// frame. Catalogue order: meshes, then textures, then the video frames in playing order.
#include <cstdio>
#include <string>

#include "bench/bench_math.h"
#include "bench/bench_random.h"
#include "bench/corpus.h"

namespace {

constexpr int kFrameWidth = 70;
constexpr int kFrameHeight = 40;
static_assert(kFrameWidth * kFrameHeight == kVideoFrameBytes);

struct Vertex {
  double x, y, z, nx, ny, nz, u, v;
};

void Append(std::string& out, const char* format, double a, double b, double c, const char* end) {
  char buffer[96];
  std::snprintf(buffer, sizeof(buffer), format, a, b, c, end);
  out += buffer;
}

std::vector<std::uint8_t> MakeMesh(const std::string& name, BenchRandom& rng) {
  const bool torus = rng.Chance(0.5);
  const int rings = rng.Range(4, 9), segments = rng.Range(5, 10);
  const double wobble = 0.15 * rng.Unit();
  std::vector<Vertex> vertices;
  for (int i = 0; i <= rings; ++i) {
    for (int j = 0; j <= segments; ++j) {
      const double u = static_cast<double>(j) / segments, v = static_cast<double>(i) / rings;
      const double cu = BenchSine(u + 0.25), su = BenchSine(u);
      const double theta = torus ? v : v / 2;  // turns around the tube / from pole to pole
      const double cv = BenchSine(theta + 0.25), sv = BenchSine(theta);
      const double r = 1.0 + wobble * (rng.Unit() - 0.5);
      Vertex p;
      if (torus) {
        p = {(2 + r * cv) * cu, r * sv, (2 + r * cv) * su, cv * cu, sv, cv * su, u, v};
      } else {
        p = {r * sv * cu, r * cv, r * sv * su, sv * cu, cv, sv * su, u, v};
      }
      vertices.push_back(p);
    }
  }
  const int columns = segments + 1;
  std::string out = "xof 0302txt 0032\r\nHeader {\r\n 1;\r\n 0;\r\n 1;\r\n}\r\n\r\nMesh " + name + " {\r\n";
  out += " " + std::to_string(vertices.size()) + ";\r\n";
  for (std::size_t k = 0; k < vertices.size(); ++k)
    Append(out, " %f;%f;%f;%s\r\n", vertices[k].x, vertices[k].y, vertices[k].z, k + 1 < vertices.size() ? "," : ";");
  // Normals are per vertex, so the normal faces repeat the vertex faces.
  const int faces = 2 * rings * segments;
  std::string faceList = std::to_string(faces) + ";\r\n";
  for (int i = 0; i < rings; ++i) {
    for (int j = 0; j < segments; ++j) {
      const int a = i * columns + j, b = a + 1, c = a + columns, d = c + 1;
      const bool last = i == rings - 1 && j == segments - 1;
      faceList += "  3;" + std::to_string(a) + "," + std::to_string(c) + "," + std::to_string(b) + ";,\r\n";
      faceList += "  3;" + std::to_string(b) + "," + std::to_string(c) + "," + std::to_string(d) +
                  (last ? ";;\r\n" : ";,\r\n");
    }
  }
  out += " " + faceList;
  out += "\r\n MeshNormals {\r\n  " + std::to_string(vertices.size()) + ";\r\n";
  for (std::size_t k = 0; k < vertices.size(); ++k)
    Append(out, "  %f;%f;%f;%s\r\n", vertices[k].nx, vertices[k].ny, vertices[k].nz, k + 1 < vertices.size() ? "," : ";");
  out += "  " + faceList;
  out += " }\r\n\r\n MeshTextureCoords {\r\n  " + std::to_string(vertices.size()) + ";\r\n";
  for (std::size_t k = 0; k < vertices.size(); ++k) {
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "  %f;%f;%s\r\n", vertices[k].u, vertices[k].v,
                  k + 1 < vertices.size() ? "," : ";");
    out += buffer;
  }
  out += " }\r\n}\r\n";
  return {out.begin(), out.end()};
}

// Frame `index` of a drifting plasma with a bright blob crossing it.
std::vector<std::uint8_t> MakeFrame(int index) {
  std::vector<std::uint8_t> frame(kVideoFrameBytes);
  const double t = index / 50.0;
  const double blobX = kFrameWidth * (0.5 + 0.4 * BenchSine(t * 0.7));
  const double blobY = kFrameHeight * (0.5 + 0.4 * BenchSine(t * 1.1 + 0.25));
  for (int y = 0; y < kFrameHeight; ++y) {
    for (int x = 0; x < kFrameWidth; ++x) {
      double v = 96 + 40 * BenchSine(x / 37.0 + t) + 30 * BenchSine(y / 23.0 - t * 0.6) +
                 20 * BenchSine((x + y) / 51.0 + t * 0.3);
      const double dx = x - blobX, dy = y - blobY;
      const double d2 = dx * dx + dy * dy;
      if (d2 < 64) v += 90 * (1 - d2 / 64);
      frame[static_cast<std::size_t>(y) * kFrameWidth + x] =
          static_cast<std::uint8_t>(std::fmin(255.0, std::fmax(0.0, std::floor(v))));
    }
  }
  return frame;
}

std::string AssetName(const char* folder, const char* stem, int index, const char* extension) {
  char buffer[96];
  std::snprintf(buffer, sizeof(buffer), "data/%s/%s%03d.%s", folder, stem, index, extension);
  return buffer;
}

}  // namespace

std::vector<CorpusFile> GenerateSmallAssets(int count, std::uint64_t seed) {
  BenchRandom rng(seed);
  const int meshes = count * 3 / 10, textures = count * 3 / 10, frames = count - meshes - textures;
  std::vector<CorpusFile> assets;
  for (int i = 0; i < meshes; ++i) {
    CorpusFile f;
    f.kind = CorpusKind::kText;
    f.name = AssetName("meshes", "object", i, "x");
    f.data = MakeMesh("object" + std::to_string(i), rng);
    assets.push_back(std::move(f));
  }
  for (int i = 0; i < textures; ++i) {
    static constexpr int kSides[] = {32, 32, 48, 64};
    const int w = kSides[rng.Below(4)], h = kSides[rng.Below(4)];
    CorpusFile f;
    f.kind = CorpusKind::kPicture;
    const bool bmp = i % 2 == 0;
    f.name = AssetName("textures", "texture", i, bmp ? "bmp" : "tga");
    f.data = bmp ? GenerateBmpOfSize(w, h, rng.Next()) : GenerateTgaOfSize(w, h, rng.Next());
    assets.push_back(std::move(f));
  }
  for (int i = 0; i < frames; ++i) {
    CorpusFile f;
    f.kind = CorpusKind::kPicture;
    f.name = AssetName("video", "frame", i, "raw");
    f.data = MakeFrame(i);
    assets.push_back(std::move(f));
  }
  return assets;
}
