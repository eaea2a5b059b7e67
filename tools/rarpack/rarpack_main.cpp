// rarpack: makes, lists and reads RAR 2.x archives.
//
//   rarpack a [-m0] [-s] [-pPASSWORD] [-mm|-mm-] ARCHIVE FILE...   add (or replace) entries
//   rarpack l ARCHIVE                                               list entries
//   rarpack x ARCHIVE ENTRY [PASSWORD]                              entry to standard output
//
// Adding rewrites the whole archive: existing entries are read back (with the given password) and
// kept in their places, an entry whose name the reader cannot tell apart from a new file's (letter
// case, '\' '/' '_') is replaced there, new ones follow. The result goes to a temporary file in the
// archive's folder that is renamed over the archive only once it is complete. A solid archive
// stays solid, and a comment in its main header is kept. Entry times are a fixed date so that the
// same files always give the same archive bytes. New files are refused, and the archive left as it
// was, when two of them would get names the reader cannot tell apart (one would hide the other) or
// when a name holds a control byte (below 0x20, or 0x7F).
//
// Listing shows such bytes in names from other archives as "\xHH" (lower-case hex), so that every
// entry stays on one row and nothing reaches a terminal as an escape sequence; '\' is the names'
// separator and is shown as it is.
//
// Sections: [usage] [entry names] [files in] [existing archive] [archive out] [commands] [main]

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "archive/rar20_format.h"
#include "tools/common/read_whole_file.h"
#include "tools/rarpack/rar_listing.h"
#include "tools/rarpack/rar_writer.h"

namespace fs = std::filesystem;

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
// Reader limits on the strings it is given (bytes).
constexpr std::size_t kMaxArchivePathLength = 255;
// Progress lines are shown for jobs at least this big (bytes of input).
constexpr std::uint64_t kProgressThreshold = 4u << 20;

// A failure that ends the command with one line on stderr.
struct Failure {
  std::string message;
};

// [usage] ---------------------------------------------------------------------------------------

int Usage(const char* problem = nullptr) {
  if (problem) std::fprintf(stderr, "rarpack: %s\n", problem);
  std::fputs(
      "usage: rarpack a [-m0] [-s] [-pPASSWORD] [-mm|-mm-] ARCHIVE FILE...\n"
      "         add files (folders recursively); an entry of the same name is replaced,\n"
      "         the rest of an existing archive is kept (a solid one stays solid)\n"
      "         -m0 store only, -s solid, -p encipher with PASSWORD,\n"
      "         -mm force multimedia compression, -mm- never use it\n"
      "       rarpack l ARCHIVE\n"
      "         list the entries (control bytes in names shown as \\xHH)\n"
      "       rarpack x ARCHIVE ENTRY [PASSWORD]\n"
      "         write one entry to standard output\n",
      stderr);
  return kExitUsage;
}

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

// [entry names] ---------------------------------------------------------------------------------

// The stored name of a path given on the command line: '\' separators, no leading "/" or "./",
// no empty or "." components. Empty for "." or "/" themselves.
std::string EntryNameOf(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(start, end - start);
    if (part == "..") throw Failure{"refusing a path that climbs with '..': " + path};
    if (!part.empty() && part != ".") parts.push_back(std::move(part));
    start = end + 1;
  }
  std::string name;
  for (const std::string& part : parts) name += (name.empty() ? "" : "\\") + part;
  return name;
}

std::string JoinName(const std::string& folder, const std::string& leaf) {
  return folder.empty() ? leaf : folder + "\\" + leaf;
}

// [files in] ------------------------------------------------------------------------------------

// What the command line names, in order; file data is read only when the archive is written.
struct NewEntry {
  std::string name;  // stored form
  fs::path source;   // empty for a directory entry
  bool directory = false;
  std::string given;  // the path as the command line gave it or the folder walk found it
};

// Regular files only: a FIFO or a device named on the command line (or replaced for a file found in
// a folder) is refused rather than waited on or read without end.
std::vector<std::uint8_t> ReadWholeFile(const fs::path& path) {
  constexpr std::size_t kMaxEntryBytes = 0xFFFFFFFFu;  // sizes are 32 bits in the archive format
  std::vector<std::uint8_t> bytes;
  std::string why;
  if (tools::ReadWholeFile(path.string(), bytes, why, kMaxEntryBytes)) return bytes;
  if (why.rfind("larger than", 0) == 0) {
    throw Failure{path.string() + " is 4 GiB or larger; the archive format cannot hold it"};
  }
  throw Failure{"cannot read " + path.string() + ": " + why};
}

// Adds a folder's contents below `name`: sorted by file name, each subfolder as a directory entry
// followed by its contents. Symbolic links to folders are not followed (they could loop).
void CollectFolder(const fs::path& folder, const std::string& name, std::vector<NewEntry>& out) {
  std::error_code ec;
  std::vector<fs::directory_entry> children;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    children.push_back(*it);
  }
  if (ec) throw Failure{"cannot read folder " + folder.string() + ": " + ec.message()};
  std::sort(children.begin(), children.end(), [](const auto& a, const auto& b) {
    return a.path().filename().string() < b.path().filename().string();
  });
  for (const fs::directory_entry& child : children) {
    const std::string childName = JoinName(name, child.path().filename().string());
    const bool link = child.is_symlink(ec);
    if (child.is_directory(ec)) {
      if (link) {
        std::fprintf(stderr, "rarpack: skipping symbolic link to a folder: %s\n",
                     child.path().c_str());
        continue;
      }
      out.push_back({childName, {}, true, child.path().string()});
      CollectFolder(child.path(), childName, out);
    } else if (child.is_regular_file(ec)) {
      out.push_back({childName, child.path(), false, child.path().string()});
    } else {
      std::fprintf(stderr, "rarpack: skipping what is not a file or folder: %s\n",
                   child.path().c_str());
    }
  }
}

// Names the archive cannot hold faithfully. Two inputs whose names the reader cannot tell apart
// would leave only one entry; the same file reached twice under the same name (a folder and a file
// inside it, both given) is no loss and stays allowed, the later one taking the earlier's place.
void RefuseUnstorableNames(const std::vector<NewEntry>& entries) {
  std::map<std::string, const NewEntry*> byFolded;
  for (const NewEntry& entry : entries) {
    if (HasControlBytes(entry.name)) {
      throw Failure{"refusing " + ShownEntryName(entry.given) +
                    ": entry names cannot hold control characters"};
    }
    auto [it, fresh] = byFolded.emplace(FoldedEntryName(entry.name), &entry);
    const NewEntry& earlier = *it->second;
    std::error_code ec;
    if (fresh || (earlier.name == entry.name && fs::equivalent(earlier.given, entry.given, ec))) {
      continue;
    }
    throw Failure{earlier.given + " and " + entry.given +
                  " would get entry names the reader cannot tell apart"};
  }
}

// The archive being written is never added to itself.
std::vector<NewEntry> CollectInputs(const std::vector<std::string>& paths,
                                    const std::string& archivePath) {
  std::vector<NewEntry> collected;
  for (const std::string& path : paths) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec || !fs::exists(status)) throw Failure{"cannot find " + path};
    const std::string name = EntryNameOf(path);
    if (fs::is_directory(status)) {
      if (!name.empty()) collected.push_back({name, {}, true, path});
      CollectFolder(path, name, collected);
    } else if (fs::is_regular_file(status)) {
      if (name.empty()) throw Failure{"no entry name can be made from " + path};
      collected.push_back({name, path, false, path});
    } else {
      throw Failure{path + " is not a file or folder"};
    }
  }
  std::vector<NewEntry> entries;
  for (NewEntry& entry : collected) {
    std::error_code ec;
    if (!entry.directory && fs::equivalent(entry.source, archivePath, ec)) continue;
    entries.push_back(std::move(entry));
  }
  RefuseUnstorableNames(entries);
  return entries;
}

// [existing archive] ----------------------------------------------------------------------------

std::optional<std::vector<std::uint8_t>> ReadArchiveIfPresent(const std::string& path) {
  std::error_code ec;
  if (!fs::exists(path, ec)) return std::nullopt;
  return ReadWholeFile(path);
}

ArchiveListing ListOrFail(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  ArchiveListing listing;
  std::string error;
  if (!ListRarArchive(bytes, listing, error)) throw Failure{path + ": " + error};
  return listing;
}

// Reads every entry of an existing archive back through the archive reader. Refuses archives the
// reader could not give back faithfully: damaged blocks, or two entries whose names it cannot
// tell apart (it would return the first for both).
std::vector<ArchiveEntryInput> ReadBackEntries(const std::string& path,
                                               const ArchiveListing& listing,
                                               const std::string& password) {
  if (!listing.warning.empty()) throw Failure{path + " is damaged (" + listing.warning + ")"};
  if (path.size() > kMaxArchivePathLength) {
    throw Failure{"archive path is longer than 255 bytes: " + path};
  }
  std::map<std::string, std::string> seen;
  std::vector<ArchiveEntryInput> kept;
  for (const ListedEntry& listed : listing.entries) {
    const std::string shown = ShownEntryName(listed.name);
    if (!listed.headerCrcOk) throw Failure{path + ": header of entry " + shown + " is damaged"};
    auto [it, fresh] = seen.emplace(FoldedEntryName(listed.name), listed.name);
    if (!fresh) {
      throw Failure{path + ": entries " + ShownEntryName(it->second) + " and " + shown +
                    " have names the reader cannot tell apart"};
    }
    ArchiveEntryInput entry;
    entry.name = listed.name;
    entry.directory = listed.Directory();
    entry.dosTime = listed.dosTime;
    if (!entry.directory) {
      unsigned char* data = nullptr;
      unsigned int size = 0;
      if (!ArchiveExtract(&data, &size, listed.name.c_str(), path.c_str(), password.c_str())) {
        throw Failure{path + ": cannot read back entry " + shown +
                      (listed.Enciphered() ? " (wrong password?)" : " (damaged data)")};
      }
      entry.data.assign(data, data + size);
      std::free(data);
    }
    kept.push_back(std::move(entry));
  }
  return kept;
}

// [archive out] ---------------------------------------------------------------------------------

// Writes `bytes` to a temporary file beside `path` and renames it over `path`. The archive's
// previous permissions are kept; a new archive gets the usual 0666 less the umask.
void ReplaceFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  const fs::path target(path);
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::string temp = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  const int fd = mkstemp(temp.data());
  if (fd < 0) throw Failure{SystemError("cannot create a temporary file in " + folder.string())};

  struct stat old {};
  mode_t mode;
  if (stat(path.c_str(), &old) == 0) {
    mode = old.st_mode & 07777;
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  bool ok = fchmod(fd, mode) == 0;
  std::size_t done = 0;
  while (ok && done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = EIO;
    ok = n > 0;
    if (ok) done += static_cast<std::size_t>(n);
  }
  ok = ok && fsync(fd) == 0;
  int error = ok ? 0 : errno;
  if (close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && std::rename(temp.c_str(), path.c_str()) == 0) return;
  if (ok) error = errno;
  std::remove(temp.c_str());
  throw Failure{"cannot write " + path + ": " + std::strerror(error)};
}

// [commands] ------------------------------------------------------------------------------------

// Output that could not all be written (a full disk, a closed pipe end) is a failure, not exit 0.
// The error flag also catches writes that failed before this flush emptied the buffer.
void FinishOutput() {
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) throw Failure{SystemError("cannot write output")};
}

int CommandAdd(const std::vector<std::string>& args) {
  ArchiveWriterOptions options;
  std::size_t i = 0;
  for (; i < args.size() && args[i].size() > 1 && args[i][0] == '-'; ++i) {
    const std::string& opt = args[i];
    if (opt == "-m0") {
      options.store = true;
    } else if (opt == "-s") {
      options.solid = true;
    } else if (opt == "-mm") {
      options.multimedia = MultimediaMode::kForce;
    } else if (opt == "-mm-") {
      options.multimedia = MultimediaMode::kForbid;
    } else if (opt.rfind("-p", 0) == 0 && opt.size() > 2) {
      options.password = opt.substr(2);
    } else if (opt == "--") {
      ++i;
      break;
    } else {
      return Usage(("unknown switch " + opt).c_str());
    }
  }
  if (args.size() - i < 2) return Usage("a needs an archive and at least one file");
  const std::string archivePath = args[i];
  const std::vector<std::string> paths(args.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                       args.end());
  if (options.password.size() > kMaxPasswordLength) {
    throw Failure{"password is longer than 254 bytes"};
  }

  const std::vector<NewEntry> inputs = CollectInputs(paths, archivePath);
  std::vector<ArchiveEntryInput> entries;
  if (auto existing = ReadArchiveIfPresent(archivePath)) {
    const ArchiveListing listing = ListOrFail(archivePath, *existing);
    entries = ReadBackEntries(archivePath, listing, options.password);
    options.mainHeaderExtra = listing.mainHeaderExtra;
    options.solid = options.solid || listing.Solid();
  }

  std::map<std::string, std::size_t> slot;  // folded name -> index in `entries`
  for (std::size_t k = 0; k < entries.size(); ++k) slot[FoldedEntryName(entries[k].name)] = k;
  std::uint64_t inputBytes = 0;
  for (const NewEntry& input : inputs) {
    ArchiveEntryInput entry;
    entry.name = input.name;
    entry.directory = input.directory;
    if (!input.directory) entry.data = ReadWholeFile(input.source);
    inputBytes += entry.data.size();
    auto [it, fresh] = slot.emplace(FoldedEntryName(entry.name), entries.size());
    if (fresh) {
      entries.push_back(std::move(entry));
    } else {
      entries[it->second] = std::move(entry);
    }
  }

  if (inputBytes >= kProgressThreshold) {
    options.progress = [&entries](std::size_t index, const ArchiveEntryInput& entry) {
      std::fprintf(stderr, "rarpack: [%zu/%zu] %s (%zu bytes)\n", index + 1, entries.size(),
                   ShownEntryName(entry.name).c_str(), entry.data.size());
    };
  }
  std::vector<std::uint8_t> archive;
  std::string error;
  if (!WriteRarArchive(entries, options, archive, error)) throw Failure{error};
  ReplaceFileAtomically(archivePath, archive);
  if (inputBytes >= kProgressThreshold) {
    std::fprintf(stderr, "rarpack: wrote %s: %zu %s, %zu bytes\n", archivePath.c_str(),
                 entries.size(), entries.size() == 1 ? "entry" : "entries", archive.size());
  }
  return 0;
}

const char* MethodName(std::uint8_t method) {
  static const char* const kNames[] = {"stored", "fastest", "fast", "normal", "good", "best"};
  return method >= rar20::kMethodStored && method <= rar20::kMethodBest
             ? kNames[method - rar20::kMethodStored]
             : "unknown";
}

std::string Ratio(std::uint64_t packed, std::uint64_t size) {
  if (size == 0) return "-";
  return std::to_string(packed * 100 / size) + "%";
}

int CommandList(const std::vector<std::string>& args) {
  if (args.size() != 1) return Usage("l needs exactly one archive");
  const std::string& path = args[0];
  auto bytes = ReadArchiveIfPresent(path);
  if (!bytes) throw Failure{"cannot find " + path};
  const ArchiveListing listing = ListOrFail(path, *bytes);

  std::printf("Archive %s:%s%s", path.c_str(), listing.Solid() ? " solid" : "",
              listing.mainHeaderCrcOk ? "" : " main-header-CRC-error");
  if (!listing.mainHeaderExtra.empty()) {
    std::printf(" main header carries %zu extra bytes", listing.mainHeaderExtra.size());
  }
  std::printf("\n%10s %10s %5s %-7s %-8s %-5s %-19s %s\n", "Size", "Packed", "Ratio", "Method",
              "CRC32", "Flags", "Time", "Name");
  std::uint64_t totalSize = 0, totalPacked = 0;
  std::size_t broken = 0;
  for (const ListedEntry& e : listing.entries) {
    std::string flags;
    if (e.Directory()) flags += 'd';
    if (e.ContinuesSolid()) flags += 's';
    if (e.Enciphered()) flags += 'e';
    if (!e.headerCrcOk) flags += '!';
    if (flags.empty()) flags = "-";
    std::printf("%10u %10u %5s %-7s %08x %-5s %-19s %s\n", e.unpackedSize, e.packedSize,
                Ratio(e.packedSize, e.unpackedSize).c_str(), MethodName(e.method), e.dataCrc,
                flags.c_str(), FormatDosTime(e.dosTime).c_str(), ShownEntryName(e.name).c_str());
    totalSize += e.unpackedSize;
    totalPacked += e.packedSize;
    broken += !e.headerCrcOk;
  }
  std::printf("%10llu %10llu %5s %zu %s\n", static_cast<unsigned long long>(totalSize),
              static_cast<unsigned long long>(totalPacked), Ratio(totalPacked, totalSize).c_str(),
              listing.entries.size(), listing.entries.size() == 1 ? "entry" : "entries");
  FinishOutput();
  if (!listing.warning.empty()) throw Failure{path + " is damaged: " + listing.warning};
  if (broken) throw Failure{path + ": " + std::to_string(broken) + " entry header(s) damaged"};
  return 0;
}

int CommandExtract(const std::vector<std::string>& args) {
  if (args.size() < 2 || args.size() > 3) return Usage("x needs an archive, an entry and maybe a password");
  const std::string& path = args[0];
  const std::string& name = args[1];
  const std::string password = args.size() == 3 ? args[2] : "";
  if (path.size() > kMaxArchivePathLength) throw Failure{"archive path is longer than 255 bytes"};
  if (name.size() > kMaxEntryNameLength) throw Failure{"entry name is longer than 259 bytes"};
  if (password.size() > kMaxPasswordLength) throw Failure{"password is longer than 254 bytes"};
  auto bytes = ReadArchiveIfPresent(path);
  if (!bytes) throw Failure{"cannot find " + path};

  // The walk only improves the message; the reader below decides.
  ArchiveListing listing;
  std::string error;
  if (!ListRarArchive(*bytes, listing, error)) throw Failure{path + ": " + error};
  const std::string wanted = FoldedEntryName(name);
  auto match = std::find_if(listing.entries.begin(), listing.entries.end(),
                            [&](const ListedEntry& e) { return FoldedEntryName(e.name) == wanted; });
  if (match == listing.entries.end()) throw Failure{"no entry " + name + " in " + path};
  if (match->Directory()) throw Failure{name + " is a directory"};

  unsigned char* data = nullptr;
  unsigned int size = 0;
  if (!ArchiveExtract(&data, &size, name.c_str(), path.c_str(), password.c_str())) {
    throw Failure{"cannot extract " + name + ": " +
                  (match->Enciphered() && password.empty() ? "it is enciphered (give a password)"
                   : match->Enciphered()                   ? "CRC error (wrong password?)"
                                                           : "CRC error (damaged archive)")};
  }
  const std::size_t written = size ? std::fwrite(data, 1, size, stdout) : 0;
  std::free(data);
  if (written != size) throw Failure{SystemError("cannot write output")};
  FinishOutput();
  return 0;
}

}  // namespace

// [main] ----------------------------------------------------------------------------------------

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  const std::vector<std::string> args(argv + 2, argv + argc);
  try {
    if (command == "a") return CommandAdd(args);
    if (command == "l") return CommandList(args);
    if (command == "x") return CommandExtract(args);
    return Usage(("unknown command " + command).c_str());
  } catch (const Failure& failure) {
    std::fprintf(stderr, "rarpack: %s\n", failure.message.c_str());
    return kExitFailure;
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "rarpack: out of memory\n");
    return kExitFailure;
  }
}
