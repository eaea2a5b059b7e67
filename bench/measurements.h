// The benchmark's measurements, each self-checking: an archive is packed and listed, our reader's
// and unar's outputs are compared with the originals before any time of theirs is reported, and a
// peer program that fails is named. Times are wall-clock seconds; sizes are bytes.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "bench/archive_layout.h"
#include "bench/corpus.h"
#include "tools/rarpack/rar_writer.h"

struct PackedArchive {
  std::string path;
  std::uint64_t bytes = 0;
  double seconds = 0;  // WriteRarArchive alone, file writing not included
  std::vector<PackedEntryInfo> entries;  // in corpus order; empty if the layout was unexpected
  std::string error;  // non-empty: the archive could not be made
};

// Packs `files` in their order with our writer and writes the archive to `path`.
PackedArchive PackToFile(const std::vector<CorpusFile>& files, const ArchiveWriterOptions& writerOptions,
                         const std::filesystem::path& path);

// One ArchiveExtract per entry, as the asset loader reads (empty password); with `verify` every
// result is compared with the original. Returns false with a one-line reason.
bool ExtractEveryEntry(const std::string& archive, const std::vector<CorpusFile>& files, bool verify,
                       std::string& error);

struct PeerSizes {
  std::optional<std::uint64_t> gzip, xz;  // gzip -9 / xz -6 of every file, summed
  std::optional<std::uint64_t> tarXz;      // tar of the folder through xz -6
  std::map<CorpusKind, std::uint64_t> gzipByKind, xzByKind;
  std::string note;  // why a figure is missing
};

// `corpusDir` holds the files under their names.
PeerSizes MeasurePeerSizes(const std::vector<CorpusFile>& files, const std::filesystem::path& corpusDir);

struct UnarTiming {
  std::optional<double> bestSeconds;
  std::string note;     // why there is no time
  bool failed = false;  // unar ran and failed or gave wrong output (absent is not a failure)
};

// Runs `unar -q -o DIR -f ARCHIVE` `runs` times into a fresh folder under `workDir` and keeps the
// fastest wall time; the first run's output is compared with `files`.
UnarTiming TimeUnar(const std::string& archive, const std::vector<CorpusFile>& files,
                    const std::filesystem::path& workDir, int runs);

bool WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes, std::string& error);

double Seconds(std::chrono::steady_clock::time_point since);
inline double Mb(double bytes) { return bytes / 1e6; }
std::uint64_t TotalBytes(const std::vector<CorpusFile>& files);

// Progress lines go to stderr, so that stdout holds only results.
void Progress(const char* format, ...) __attribute__((format(printf, 1, 2)));
