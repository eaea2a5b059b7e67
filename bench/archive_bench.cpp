// The archive benchmark: one run generates a corpus, packs it with our writer, and reports
// extraction speed against unar, packed size against gzip -9 and xz -6, the asset loader's
// pattern on 500 small entries (non-solid and solid), the show's own catalogue loaded from its
// lab.ac repacked plain and solid, and our compression speed, each figure with its goal.
// In-process timings run under Google Benchmark (its --benchmark_* flags apply);
// the peer programs are timed by wall clock. Nothing is asserted: the figures are for people.
//
// Units: MB = 10^6 bytes, MiB = 2^20 bytes; times are wall-clock.
//
// Sections: options and temporary folder; recording Google Benchmark's results; the summary;
// main (the order of the measurements).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "bench/archive_layout.h"
#include "bench/corpus.h"
#include "bench/measurements.h"
#include "bench/show_catalogue.h"
#include "tools/rarpack/rar_writer.h"

namespace fs = std::filesystem;

namespace {

// ---------------------------------------------------------------------------------------------
// Options and temporary folder

constexpr int kCorpusRepetitions = 3;  // of the in-process extraction; the fastest counts

struct Options {
  std::size_t corpusBytes = 64u << 20;
  int assetCount = 500;
  int unarRuns = 3;  // the best run counts, as for the in-process measurement
  bool keep = false;
  std::string lab = VORNHOLD_DEFAULT_LAB;  // the show's archive, read only
};

void PrintUsage(const char* program) {
  std::printf(
      "usage: %s [--corpus-mib N] [--assets N] [--unar-runs N] [--lab FILE] [--keep] [--benchmark_...]\n"
      "  --corpus-mib N  size of the generated corpus (default 64)\n"
      "  --assets N      entries of the small-asset archive (default 500)\n"
      "  --unar-runs N   unar runs; the fastest counts (default 3)\n"
      "  --lab FILE      the show's archive, repacked plain and solid for the catalogue figure\n"
      "                  (default %s, made by ./run.sh; read, never written)\n"
      "  --keep          keep the temporary folder and say where it is\n"
      "Google Benchmark's --benchmark_* options (filter, min_time, repetitions, ...) apply to the\n"
      "in-process measurements. Progress goes to stderr, results to stdout.\n",
      program, VORNHOLD_DEFAULT_LAB);
}

bool ParseCount(const char* text, long lo, long hi, long& value) {
  char* end = nullptr;
  value = std::strtol(text, &end, 10);
  return end != text && *end == '\0' && value >= lo && value <= hi;
}

// Parses what Google Benchmark left; returns false after printing a one-line error.
bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    long value = 0;
    const bool hasValue = i + 1 < argc;
    if (arg == "--keep") {
      options.keep = true;
    } else if (arg == "--corpus-mib" && hasValue && ParseCount(argv[i + 1], 1, 1024, value)) {
      options.corpusBytes = static_cast<std::size_t>(value) << 20;
      ++i;
    } else if (arg == "--assets" && hasValue && ParseCount(argv[i + 1], 3, 100000, value)) {
      options.assetCount = static_cast<int>(value);
      ++i;
    } else if (arg == "--lab" && hasValue) {
      options.lab = argv[++i];
    } else if (arg == "--unar-runs" && hasValue && ParseCount(argv[i + 1], 1, 100, value)) {
      options.unarRuns = static_cast<int>(value);
      ++i;
    } else {
      std::fprintf(stderr, "archive_bench: bad option or value: %s (see --help)\n", arg.c_str());
      return false;
    }
  }
  return true;
}

class TempFolder {
 public:
  explicit TempFolder(bool keep) : keep_(keep) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/vornhold-bench-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder() {
    if (path_.empty()) return;
    if (keep_) {
      std::fprintf(stderr, "kept the generated files in %s\n", path_.c_str());
    } else {
      std::error_code ignored;
      fs::remove_all(path_, ignored);
    }
  }
  const std::string& Path() const { return path_; }

 private:
  bool keep_;
  std::string path_;
};

// ---------------------------------------------------------------------------------------------
// Recording Google Benchmark's results

// Keeps the fastest repetition of every in-process benchmark while the console shows them all.
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  struct Result {
    std::optional<double> bestSeconds;  // per iteration
    std::string error;
  };

  RecordingReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Color : OO_None) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration) continue;
      Result& result = results_[run.run_name.function_name];
      if (run.error_occurred) {
        result.error = run.error_message;
      } else if (run.iterations > 0) {
        const double s = run.real_accumulated_time / static_cast<double>(run.iterations);
        result.bestSeconds = std::min(result.bestSeconds.value_or(s), s);
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  Result Get(const std::string& name) const {
    const auto it = results_.find(name);
    return it == results_.end() ? Result{std::nullopt, "not run"} : it->second;
  }

 private:
  std::map<std::string, Result> results_;
};

// ---------------------------------------------------------------------------------------------
// The summary

enum class Verdict { kMet, kMissed, kInformation, kNotMeasured };

void PrintFigure(const char* label, const std::string& value, const char* goal, Verdict verdict) {
  static constexpr const char* kWords[] = {"MET", "NOT MET", "information", "not measured"};
  std::printf("%-34s %s\n%-34s goal: %s -> %s\n", label, value.c_str(), "", goal,
              kWords[static_cast<int>(verdict)]);
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  char buffer[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof(buffer), format, args);
  va_end(args);
  return buffer;
}

void PrintPackedByKind(const PackedArchive& ours, const std::vector<CorpusFile>& files, const PeerSizes& peers) {
  if (ours.entries.size() != files.size()) return;
  std::map<CorpusKind, std::uint64_t> unpacked, packed;
  for (std::size_t i = 0; i < files.size(); ++i) {
    unpacked[files[i].kind] += files[i].data.size();
    packed[files[i].kind] += ours.entries[i].packedSize;
  }
  std::printf("\nPacked size by kind (MB; per-file gzip -9 and xz -6 beside our default archive):\n");
  std::printf("  %-11s %9s %9s %9s %9s %10s\n", "kind", "original", "ours", "gzip -9", "xz -6", "ours/gzip");
  for (const auto& [kind, bytes] : unpacked) {
    const auto gz = peers.gzipByKind.find(kind), xz = peers.xzByKind.find(kind);
    const bool haveGz = gz != peers.gzipByKind.end() && peers.gzip, haveXz = xz != peers.xzByKind.end() && peers.xz;
    std::printf("  %-11s %9.2f %9.2f %9s %9s %10s\n", CorpusKindName(kind), Mb(bytes), Mb(packed[kind]),
                haveGz ? Format("%.2f", Mb(gz->second)).c_str() : "-",
                haveXz ? Format("%.2f", Mb(xz->second)).c_str() : "-",
                haveGz ? Format("%.3f", static_cast<double>(packed[kind]) / gz->second).c_str() : "-");
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// main

int main(int argc, char** argv) {
  // Google Benchmark answers --help with its own usage and exits, so ours comes first.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      PrintUsage(argv[0]);
      return 0;
    }
  }
  benchmark::Initialize(&argc, argv);
  Options options;
  if (!ParseOptions(argc, argv, options)) return 2;
  TempFolder temp(options.keep);
  if (temp.Path().empty()) {
    std::fprintf(stderr, "archive_bench: cannot create a temporary folder: %s\n", std::strerror(errno));
    return 1;
  }
  const fs::path work = temp.Path();
  const fs::path corpusDir = work / "corpus";
  std::string error;
  // The reader writes its debug log when ./temp exists; working in a fresh folder keeps it off,
  // so the figures do not depend on where the benchmark was started.
  std::error_code ec;
  const fs::path lab = fs::absolute(options.lab, ec);
  fs::current_path(work, ec);

  // Corpus.
  Progress("Generating the corpus (%zu MiB)...\n", options.corpusBytes >> 20);
  auto start = std::chrono::steady_clock::now();
  const std::vector<CorpusFile> corpus = GenerateCorpus({options.corpusBytes});
  const std::uint64_t corpusBytes = TotalBytes(corpus);
  for (const CorpusFile& f : corpus) {
    if (!WriteFile(corpusDir / f.name, f.data, error)) {
      std::fprintf(stderr, "archive_bench: %s\n", error.c_str());
      return 1;
    }
  }
  std::map<CorpusKind, std::pair<int, std::uint64_t>> byKind;
  for (const CorpusFile& f : corpus) {
    byKind[f.kind].first++;
    byKind[f.kind].second += f.data.size();
  }
  std::printf("Corpus: %zu files, %.2f MiB in %s (generated in %.1f s)\n", corpus.size(),
              corpusBytes / 1048576.0, corpusDir.c_str(), Seconds(start));
  for (const auto& [kind, count] : byKind)
    std::printf("  %-11s %3d files %8.2f MiB\n", CorpusKindName(kind), count.first, count.second / 1048576.0);

  // Our writer: default options (timed), solid, no multimedia.
  Progress("Packing the corpus with our writer (default, then -s, then -mm-)...\n");
  ArchiveWriterOptions solidOptions, noAudioOptions;
  solidOptions.solid = true;
  noAudioOptions.multimedia = MultimediaMode::kForbid;
  const PackedArchive packed = PackToFile(corpus, {}, work / "corpus.rar");
  const PackedArchive packedSolid = PackToFile(corpus, solidOptions, work / "corpus-solid.rar");
  const PackedArchive packedNoAudio = PackToFile(corpus, noAudioOptions, work / "corpus-mm.rar");
  for (const PackedArchive* a : {&packed, &packedSolid, &packedNoAudio})
    if (!a->error.empty()) std::fprintf(stderr, "archive_bench: %s\n", a->error.c_str());

  // Peers' packed sizes.
  Progress("Compressing every file with gzip -9 and xz -6, and the folder with tar | xz -6...\n");
  const PeerSizes peers = MeasurePeerSizes(corpus, corpusDir);

  // Small assets.
  Progress("Packing %d small assets (non-solid and solid)...\n", options.assetCount);
  const std::vector<CorpusFile> assets = GenerateSmallAssets(options.assetCount, 0x41535345ull);
  const std::uint64_t assetBytes = TotalBytes(assets);
  const PackedArchive assetArchive = PackToFile(assets, {}, work / "assets.rar");
  const PackedArchive assetSolid = PackToFile(assets, solidOptions, work / "assets-solid.rar");
  for (const PackedArchive* a : {&assetArchive, &assetSolid})
    if (!a->error.empty()) std::fprintf(stderr, "archive_bench: %s\n", a->error.c_str());

  // The show's archive, repacked in its own order, plain and solid; the catalogue's entries taken
  // from it are what the loads below must deliver.
  Progress("Repacking %s plain and solid...\n", lab.c_str());
  std::vector<CorpusFile> labEntries, catalogue;
  PackedArchive labPlain, labSolid;
  std::string labNote;
  if (!fs::is_regular_file(lab)) {
    labNote = "no " + lab.string() + " (./run.sh makes it; or give --lab FILE)";
  } else if (!ReadShowArchive(lab.string(), labEntries, labNote)) {
    labNote = "reading the show's archive: " + labNote;
  } else {
    labPlain = PackToFile(labEntries, {}, work / "lab-plain.ac");
    labSolid = PackToFile(labEntries, solidOptions, work / "lab-solid.ac");
    std::map<std::string, const CorpusFile*> byName;
    for (const CorpusFile& e : labEntries) byName.emplace(e.name, &e);
    for (const std::string& name : CatalogueEntryNames()) {
      const auto found = byName.find(name);
      if (found == byName.end()) {
        labNote = "the show's archive lacks " + name;
        break;
      }
      catalogue.push_back(*found->second);
    }
    labNote += labPlain.error + labSolid.error;
    if (labNote.empty() && !(ExtractEveryEntry(labPlain.path, catalogue, true, labNote) &&
                             ExtractEveryEntry(labSolid.path, catalogue, true, labNote)))
      labNote = "repacked show archive: " + labNote;
  }
  if (!labNote.empty()) std::fprintf(stderr, "archive_bench: catalogue figure skipped: %s\n", labNote.c_str());

  // Our reader, verified once before it is timed.
  Progress("Checking our reader's output against the originals...\n");
  std::string readerError;
  const bool readerOk = packed.error.empty() && ExtractEveryEntry(packed.path, corpus, true, readerError) &&
                        assetArchive.error.empty() && ExtractEveryEntry(assetArchive.path, assets, true, readerError) &&
                        assetSolid.error.empty() && ExtractEveryEntry(assetSolid.path, assets, true, readerError);
  if (!readerOk && !readerError.empty()) std::fprintf(stderr, "archive_bench: %s\n", readerError.c_str());

  RecordingReporter reporter;
  if (readerOk) {
    const auto registerExtraction = [&](const char* name, const PackedArchive& archive,
                                        const std::vector<CorpusFile>& files, std::uint64_t bytes) {
      return benchmark::RegisterBenchmark(name, [&archive, &files, bytes](benchmark::State& state) {
        std::string failure;
        for (auto _ : state) {
          ArchiveDropCache();  // each pass loads as a fresh program would
          if (!ExtractEveryEntry(archive.path, files, false, failure)) {
            state.SkipWithError(failure.c_str());
            break;
          }
        }
        state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
      })->Unit(benchmark::kMillisecond)->UseRealTime();
    };
    registerExtraction("extract_corpus", packed, corpus, corpusBytes)->Repetitions(kCorpusRepetitions);
    registerExtraction("extract_assets", assetArchive, assets, assetBytes)->Repetitions(3);
    registerExtraction("extract_assets_solid", assetSolid, assets, assetBytes)->Repetitions(3);
    if (labNote.empty()) {
      const std::uint64_t catalogueBytes = TotalBytes(catalogue);
      registerExtraction("load_catalogue_plain", labPlain, catalogue, catalogueBytes)->Repetitions(3);
      registerExtraction("load_catalogue_solid", labSolid, catalogue, catalogueBytes)->Repetitions(3);
    }
    Progress("Timing our reader in process (Google Benchmark)...\n");
    std::fflush(stdout);
    benchmark::RunSpecifiedBenchmarks(&reporter);
  }

  Progress("Timing unar on the same archive...\n");
  const UnarTiming unar = packed.error.empty() ? TimeUnar(packed.path, corpus, work, options.unarRuns)
                                               : UnarTiming{std::nullopt, "no archive to extract"};

  // Summary.
  std::printf("\n== Summary (MB = 10^6 bytes; corpus %.2f MB in %zu files)\n", Mb(corpusBytes), corpus.size());
  const RecordingReporter::Result ours = reporter.Get("extract_corpus");
  const std::string readerNote = readerOk ? ours.error : "reader failed: " + readerError;
  if (ours.bestSeconds && unar.bestSeconds) {
    const double oursRate = Mb(corpusBytes) / *ours.bestSeconds, unarRate = Mb(corpusBytes) / *unar.bestSeconds;
    PrintFigure("Extraction, ours / unar", Format("%.2f  (ours %.1f MB/s in process, %.3f s; unar %.1f MB/s, "
                "%.3f s wall time of 'unar -q -o DIR -f ARCHIVE', process start-up included, nothing "
                "subtracted; fastest of %d repetitions and of %d unar runs)", oursRate / unarRate, oursRate,
                *ours.bestSeconds, unarRate, *unar.bestSeconds, kCorpusRepetitions, options.unarRuns), ">= 1.00",
                oursRate >= unarRate ? Verdict::kMet : Verdict::kMissed);
  } else if (ours.bestSeconds) {
    PrintFigure("Extraction, ours", Format("%.1f MB/s in process (%.3f s); unar line skipped: %s",
                Mb(corpusBytes) / *ours.bestSeconds, *ours.bestSeconds, unar.note.c_str()),
                "at least as fast as unar", Verdict::kNotMeasured);
  } else {
    PrintFigure("Extraction, ours / unar", "not measured: " + readerNote, ">= 1.00", Verdict::kNotMeasured);
  }

  if (packed.error.empty() && peers.gzip) {
    const double ratio = static_cast<double>(packed.bytes) / *peers.gzip;
    PrintFigure("Packed size, ours / gzip -9", Format("%.3f  (ours %.2f MB, default options, non-solid; "
                "gzip -9 per file, summed: %.2f MB)", ratio, Mb(packed.bytes), Mb(*peers.gzip)),
                "<= 1.00", ratio <= 1.0 ? Verdict::kMet : Verdict::kMissed);
  } else {
    PrintFigure("Packed size, ours / gzip -9", "not measured: " + packed.error + peers.note, "<= 1.00",
                Verdict::kNotMeasured);
  }
  if (packed.error.empty() && peers.xz) {
    PrintFigure("Packed size, ours / xz -6", Format("%.3f  (ours %.2f MB; xz -6 per file, summed: %.2f MB)",
                static_cast<double>(packed.bytes) / *peers.xz, Mb(packed.bytes), Mb(*peers.xz)),
                "none", Verdict::kInformation);
  }
  if (packedSolid.error.empty() && peers.tarXz) {
    PrintFigure("Packed size, solid, ours / tar|xz", Format("%.3f  (ours -s %.2f MB; tar | xz -6: %.2f MB)",
                static_cast<double>(packedSolid.bytes) / *peers.tarXz, Mb(packedSolid.bytes), Mb(*peers.tarXz)),
                "none", Verdict::kInformation);
  }
  if (packedNoAudio.error.empty() && peers.gzip) {
    PrintFigure("Packed size, -mm-, ours / gzip -9", Format("%.3f  (ours -mm- %.2f MB, multimedia mode off)",
                static_cast<double>(packedNoAudio.bytes) / *peers.gzip, Mb(packedNoAudio.bytes)),
                "none", Verdict::kInformation);
  }

  const auto assetFigure = [&](const char* label, const char* name, const char* remark) {
    const RecordingReporter::Result r = reporter.Get(name);
    if (r.bestSeconds) {
      PrintFigure(label, Format("%.1f ms for %d ArchiveExtract calls (%.3f ms per entry, %.2f MB in all)%s",
                  *r.bestSeconds * 1e3, options.assetCount, *r.bestSeconds * 1e3 / options.assetCount,
                  Mb(assetBytes), remark), "none", Verdict::kInformation);
    } else {
      PrintFigure(label, "not measured: " + (readerOk ? r.error : readerNote), "none", Verdict::kNotMeasured);
    }
  };
  assetFigure("Small assets, non-solid", "extract_assets", "");
  assetFigure("Small assets, solid", "extract_assets_solid",
              "; the reader goes on from the entry before, so each entry is decoded once");

  const RecordingReporter::Result plainLoad = reporter.Get("load_catalogue_plain");
  const RecordingReporter::Result solidLoad = reporter.Get("load_catalogue_solid");
  if (plainLoad.bestSeconds && solidLoad.bestSeconds) {
    PrintFigure("Catalogue load, plain / solid", Format("%.3f s / %.3f s  (%zu catalogue entries, %.2f MB, in "
                "catalogue order, each by one ArchiveExtract call, from the show's lab.ac repacked in its own "
                "order: %.2f MB plain, %.2f MB solid; fastest of 3)", *plainLoad.bestSeconds,
                *solidLoad.bestSeconds, catalogue.size(), Mb(TotalBytes(catalogue)), Mb(labPlain.bytes),
                Mb(labSolid.bytes)), "solid about as fast as plain", Verdict::kInformation);
  } else {
    const std::string why = !labNote.empty() ? labNote : !readerOk ? readerNote : plainLoad.error + solidLoad.error;
    PrintFigure("Catalogue load, plain / solid", "not measured: " + why, "solid about as fast as plain",
                Verdict::kNotMeasured);
  }

  if (packed.error.empty() && packedSolid.error.empty() && packedNoAudio.error.empty()) {
    PrintFigure("Compression, ours", Format("%.1f MB/s (default options, %.2f s; -s %.1f MB/s; -mm- %.1f MB/s)",
                Mb(corpusBytes) / packed.seconds, packed.seconds, Mb(corpusBytes) / packedSolid.seconds,
                Mb(corpusBytes) / packedNoAudio.seconds), "none", Verdict::kInformation);
  } else {
    PrintFigure("Compression, ours", "not measured: " + packed.error + packedSolid.error + packedNoAudio.error,
                "none", Verdict::kNotMeasured);
  }
  if (!peers.note.empty()) std::printf("Note: %s\n", peers.note.c_str());
  PrintPackedByKind(packed, corpus, peers);

  benchmark::Shutdown();
  // Missed goals are results; a failed measurement is an error.
  const bool failed = !readerOk || unar.failed || !packedSolid.error.empty() || !packedNoAudio.error.empty();
  if (failed) std::fprintf(stderr, "archive_bench: some figures could not be measured (see above)\n");
  return failed ? 1 : 0;
}
