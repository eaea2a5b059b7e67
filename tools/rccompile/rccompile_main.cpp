// rccompile [--bitmaps FOLDER] SCRIPT.rc OUTPUT.cpp: compiles a resource script to a C++ source
// file holding each resource's bytes (see rc_script.h for the script, rc_compile.h for the output).
//
// Bitmaps are found in FOLDER, or next to the script without --bitmaps. Any mistake ends in one
// line "rccompile: FILE:LINE: what is wrong" (or "rccompile: what is wrong" for the command line)
// and exit code 2, and OUTPUT does not exist afterwards: it is written under a temporary name and
// renamed only when complete.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "tools/rccompile/rc_compile.h"
#include "tools/rccompile/rc_script.h"

namespace {

constexpr int kFailed = 2;

int Fail(const std::string& output, const std::string& message) {
  std::fprintf(stderr, "rccompile: %s\n", message.c_str());
  if (!output.empty()) {
    std::error_code ignored;
    std::filesystem::remove(output, ignored);
  }
  return kFailed;
}

bool WriteFile(const std::string& path, const std::string& text, std::string& error) {
  const std::string temporary = path + ".partial";
  std::FILE* f = std::fopen(temporary.c_str(), "wb");
  if (!f) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  const bool closed = std::fclose(f) == 0;
  std::error_code ec;
  if (written && closed) std::filesystem::rename(temporary, path, ec);
  if (!written || !closed || ec) {
    error = "cannot write " + path + (ec ? ": " + ec.message() : "");
    std::filesystem::remove(temporary, ec);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string bitmaps, script, output;
  int positional = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--bitmaps" && i + 1 < argc) {
      bitmaps = argv[++i];
    } else if (!arg.empty() && arg[0] == '-') {
      return Fail("", "unknown option '" + arg + "'; usage: rccompile [--bitmaps FOLDER] SCRIPT.rc OUTPUT.cpp");
    } else if (positional++ == 0) {
      script = arg;
    } else {
      output = arg;
    }
  }
  if (positional != 2) return Fail("", "usage: rccompile [--bitmaps FOLDER] SCRIPT.rc OUTPUT.cpp");
  try {
    const auto resources = rccompile::CompileScript(script, bitmaps);
    std::string error;
    if (!WriteFile(output, rccompile::GenerateSource(resources, std::filesystem::path(script).filename().string()),
                   error)) {
      return Fail(output, error);
    }
  } catch (const rccompile::ScriptError& e) {
    return Fail(output, e.what());
  }
  return 0;
}
