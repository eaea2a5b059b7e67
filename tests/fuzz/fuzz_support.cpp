// The scratch folder and the promise check of the fuzz targets.
#include "fuzz_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace vornhold::fuzz {

const std::string& ScratchFolder() {
  // Never destroyed: the exit handler that removes the folder runs after static destructors.
  static const std::string* const folder = [] {
    const char* tmp = std::getenv("TMPDIR");
    auto* path = new std::string(std::string(tmp && *tmp ? tmp : "/tmp") + "/vornhold-fuzz-" +
                                 std::to_string(getpid()));
    ::mkdir(path->c_str(), 0700);
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(ScratchFolder(), ignored);
    });
    return path;
  }();
  return *folder;
}

std::string WriteScratchFile(const char* name, const std::uint8_t* data, std::size_t size) {
  std::string path = ScratchFolder() + "/" + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return "";
  const bool written = size == 0 || std::fwrite(data, 1, size, f) == size;
  if (std::fclose(f) != 0 || !written) return "";
  return path;
}

namespace {
std::size_t g_accepted = 0;
}  // namespace

void NoteAccepted() { ++g_accepted; }
std::size_t AcceptedCount() { return g_accepted; }

void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "fuzz target: broken promise: %s\n", what);
  std::abort();
}

}  // namespace vornhold::fuzz
