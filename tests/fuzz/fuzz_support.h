// Helpers shared by the fuzz targets: a per-process scratch folder for the parsers that read files
// by name, and the check that turns a broken promise of the code under test into a crash.
//
// The targets run in two hosts: libFuzzer (fuzz_main.cpp, one target per program) and the corpus
// replay test, which calls every target on every committed corpus file. Both need the same
// behaviour, so nothing here depends on libFuzzer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vornhold::fuzz {

// A folder of this process's own below the system's temporary folder, created on first use and
// reused for every input (the inputs are run one at a time).
const std::string& ScratchFolder();

// Writes `size` bytes to `name` inside the scratch folder, replacing what was there; returns the
// file's path, or "" when it cannot be written.
std::string WriteScratchFile(const char* name, const std::uint8_t* data, std::size_t size);

// Reports `what` on stderr and aborts when `holds` is false: the code under test broke a promise
// its callers rely on. The abort is what both hosts detect.
void Require(bool holds, const char* what);

// Counts the inputs the code under test accepted (a file extracted, an image or mesh read, ...),
// so that the corpus replay test can tell that a target's corpus still reaches past the first
// checks. One count for the process; the replay test reads it around each target.
void NoteAccepted();
std::size_t AcceptedCount();

}  // namespace vornhold::fuzz
