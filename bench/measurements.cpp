#include "bench/measurements.h"

#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "archive/archive.h"
#include "bench/external_tools.h"

namespace fs = std::filesystem;

namespace {

bool FileEquals(const fs::path& path, const std::vector<std::uint8_t>& expected) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::vector<std::uint8_t> actual(expected.size() + 1);
  in.read(reinterpret_cast<char*>(actual.data()), static_cast<std::streamsize>(actual.size()));
  return static_cast<std::size_t>(in.gcount()) == expected.size() &&
         std::equal(expected.begin(), expected.end(), actual.begin());
}

}  // namespace

bool WriteFile(const fs::path& path, const std::vector<std::uint8_t>& bytes, std::string& error) {
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) error = "cannot write " + path.string();
  return static_cast<bool>(out);
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

std::uint64_t TotalBytes(const std::vector<CorpusFile>& files) {
  std::uint64_t total = 0;
  for (const CorpusFile& f : files) total += f.data.size();
  return total;
}

void Progress(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fflush(stderr);
}

PackedArchive PackToFile(const std::vector<CorpusFile>& files, const ArchiveWriterOptions& writerOptions,
                         const fs::path& path) {
  PackedArchive result;
  std::vector<ArchiveEntryInput> inputs(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    inputs[i].name = files[i].name;
    inputs[i].data = files[i].data;
  }
  std::vector<std::uint8_t> archive;
  const auto start = std::chrono::steady_clock::now();
  const bool ok = WriteRarArchive(inputs, writerOptions, archive, result.error);
  result.seconds = Seconds(start);
  if (!ok) {
    result.error = "writer refused: " + result.error;
    return result;
  }
  result.error.clear();
  if (!WriteFile(path, archive, result.error)) return result;
  result.path = path.string();
  result.bytes = archive.size();
  if (!ListPackedEntries(archive, result.entries)) result.entries.clear();
  return result;
}

bool ExtractEveryEntry(const std::string& archive, const std::vector<CorpusFile>& files, bool verify,
                       std::string& error) {
  for (const CorpusFile& file : files) {
    unsigned char* data = nullptr;
    unsigned int size = 0;
    if (!ArchiveExtract(&data, &size, file.name.c_str(), archive.c_str(), "")) {
      error = "the reader could not extract " + file.name;
      return false;
    }
    const bool same = !verify || (size == file.data.size() &&
                                  (size == 0 || std::memcmp(data, file.data.data(), size) == 0));
    std::free(data);
    if (!same) {
      error = "the reader's output differs from the original for " + file.name;
      return false;
    }
  }
  return true;
}

PeerSizes MeasurePeerSizes(const std::vector<CorpusFile>& files, const fs::path& corpusDir) {
  PeerSizes sizes;
  const auto perFile = [&](const std::string& program, const CommandLine& flags,
                           std::map<CorpusKind, std::uint64_t>& byKind) -> std::optional<std::uint64_t> {
    if (!ProgramAvailable(program)) {
      sizes.note += program + " not found; ";
      return std::nullopt;
    }
    // A counter that rewrites its line on a terminal, one line in a log.
    const bool terminal = isatty(STDERR_FILENO);
    if (!terminal) Progress("  %s: %zu files\n", program.c_str(), files.size());
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
      if (terminal) Progress("\r  %s: file %zu of %zu", program.c_str(), i + 1, files.size());
      CommandLine command = flags;
      command.insert(command.begin(), program);
      command.push_back((corpusDir / files[i].name).string());
      const CommandResult r = RunPipeline({command}, true);
      if (!r.ok) {
        if (terminal) Progress("\n");
        sizes.note += r.error + "; ";
        return std::nullopt;
      }
      total += r.outputBytes;
      byKind[files[i].kind] += r.outputBytes;
    }
    if (terminal) Progress("\n");
    return total;
  };
  sizes.gzip = perFile("gzip", {"-9", "-c"}, sizes.gzipByKind);
  sizes.xz = perFile("xz", {"-6", "-T1", "-c"}, sizes.xzByKind);
  if (ProgramAvailable("tar") && ProgramAvailable("xz")) {
    Progress("  tar | xz -6\n");
    const CommandResult r = RunPipeline(
        {{"tar", "--sort=name", "-cf", "-", "-C", corpusDir.string(), "."}, {"xz", "-6", "-T1", "-c"}}, true);
    if (r.ok) sizes.tarXz = r.outputBytes;
    else sizes.note += r.error + "; ";
  }
  return sizes;
}

// unar puts the entries straight into DIR when the archive has one top-level item, otherwise
// into a folder named after the archive inside DIR.
UnarTiming TimeUnar(const std::string& archive, const std::vector<CorpusFile>& files, const fs::path& workDir,
                    int runs) {
  UnarTiming timing;
  if (!ProgramAvailable("unar")) {
    timing.note = "unar not found (install the Debian package unar)";
    return timing;
  }
  const fs::path out = workDir / "unar-out";
  std::error_code ec;
  for (int run = 0; run < runs && !timing.failed; ++run) {
    fs::remove_all(out, ec);
    fs::create_directories(out, ec);
    Progress("  unar run %d of %d\n", run + 1, runs);
    const CommandResult r = RunPipeline({{"unar", "-q", "-o", out.string(), "-f", archive}}, false);
    if (!r.ok) {
      timing.note = "unar failed: " + r.error;
      timing.failed = true;
      break;
    }
    if (run == 0 && !files.empty()) {
      const fs::path root = fs::exists(out / files[0].name) ? out : out / fs::path(archive).stem();
      for (const CorpusFile& f : files) {
        if (!FileEquals(root / f.name, f.data)) {
          timing.note = "unar's output differs from the original for " + f.name;
          timing.failed = true;
          break;
        }
      }
    }
    if (!timing.failed) timing.bestSeconds = std::min(timing.bestSeconds.value_or(r.seconds), r.seconds);
  }
  if (timing.failed) timing.bestSeconds.reset();
  fs::remove_all(out, ec);
  return timing;
}
