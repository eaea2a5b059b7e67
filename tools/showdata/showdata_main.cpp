// showdata OUTDIR [--contact-sheet FILE.png]
// Makes the show's data: "lab.ac" (every entry the show reads, compressed, not solid), "lab.mp3" and
// a "part.txt" that plays all ten parts, in OUTDIR. Same bytes on every run. Each file is written
// to a temporary name first and renamed, so an interrupted run leaves no half-written file.
#include <chrono>
#include <exception>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "tools/rarpack/rar_writer.h"
#include "tools/showdata/contact_sheet.h"
#include "tools/showdata/show_data.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

int Fail(const std::string& message) {
  std::fprintf(stderr, "showdata: %s\n", message.c_str());
  return 1;
}

bool WriteFile(const fs::path& path, const void* bytes, std::size_t size, std::string* error) {
  const fs::path temporary = path.string() + ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(bytes), std::streamsize(size));
    if (!out) {
      *error = "cannot write " + temporary.string();
      return false;
    }
  }
  std::error_code code;
  fs::rename(temporary, path, code);
  if (code) {
    *error = "cannot rename " + temporary.string() + " to " + path.string() + ": " + code.message();
    return false;
  }
  return true;
}

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

double Megabytes(std::size_t bytes) { return double(bytes) / (1024.0 * 1024.0); }

}  // namespace

int main(int argc, char** argv) {
  std::string outDir, sheetPath;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--contact-sheet" && i + 1 < argc) {
      sheetPath = argv[++i];
    } else if (!arg.empty() && arg[0] != '-' && outDir.empty()) {
      outDir = arg;
    } else {
      std::fprintf(stderr, "usage: showdata OUTDIR [--contact-sheet FILE.png]\n");
      return 2;
    }
  }
  if (outDir.empty()) {
    std::fprintf(stderr, "usage: showdata OUTDIR [--contact-sheet FILE.png]\n");
    return 2;
  }
  std::error_code code;
  fs::create_directories(outDir, code);
  if (code) return Fail("cannot create " + outDir + ": " + code.message());

  const Clock::time_point start = Clock::now();
  showdata::ShowData data;
  std::string error;
  bool made = false;
  try {  // a module that cannot go on (a missing font) throws with one line
    made = showdata::MakeShowData(
        data,
        [&](const char* step) {
          std::fprintf(stderr, "showdata: making %s\n", step);
        },
        &error);
  } catch (const std::exception& e) {
    error = e.what();
  }
  if (!made) return Fail(error);
  const double makeSeconds = Seconds(start);

  std::fprintf(stderr, "showdata: packing %zu entries\n", data.archiveEntries.size());
  const Clock::time_point packStart = Clock::now();
  std::vector<ArchiveEntryInput> inputs;
  std::size_t unpacked = 0;
  for (const showdata::DataEntry& e : data.archiveEntries) {
    inputs.push_back({e.name, e.bytes});
    unpacked += e.bytes.size();
  }
  ArchiveWriterOptions options;  // compressed, not solid: the show re-scans the archive per entry
  std::vector<std::uint8_t> archive;
  if (!WriteRarArchive(inputs, options, archive, error)) return Fail(error);
  const double packSeconds = Seconds(packStart);

  const std::string parts = showdata::AllPartsFile();
  const fs::path dir(outDir);
  if (!WriteFile(dir / "lab.ac", archive.data(), archive.size(), &error) ||
      !WriteFile(dir / "lab.mp3", data.soundtrack.data(), data.soundtrack.size(), &error) ||
      !WriteFile(dir / "part.txt", parts.data(), parts.size(), &error)) {
    return Fail(error);
  }
  std::printf("showdata: %zu entries, %.1f MiB -> lab.ac %.1f MiB; lab.mp3 %.1f MiB; made in %.1f s, packed in %.1f s\n",
              inputs.size(), Megabytes(unpacked), Megabytes(archive.size()), Megabytes(data.soundtrack.size()),
              makeSeconds, packSeconds);

  if (!sheetPath.empty()) {
    std::vector<showdata::DataEntry> pictures = data.textures;
    for (const showdata::DataEntry& e : data.archiveEntries)
      if (e.name.size() > 4 && e.name.compare(e.name.size() - 4, 4, ".jpg") == 0) pictures.push_back(e);
    std::vector<showdata::DataEntry> meshes = data.meshes;
    meshes.insert(meshes.end(), data.roomMeshes.begin(), data.roomMeshes.end());
    if (!showdata::WriteContactSheet(pictures, meshes, sheetPath, &error)) return Fail(error);
    std::printf("showdata: contact sheet %s\n", sheetPath.c_str());
  }
  return 0;
}
