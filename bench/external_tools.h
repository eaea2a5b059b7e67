// Running the peer programs the benchmark compares against (unar, gzip, xz, tar) and measuring
// them: wall time from before the first process starts until the last one has exited (process
// start-up included, nothing subtracted), and the number of bytes the pipeline writes to its
// standard output. Programs are started directly (no shell), so paths need no quoting.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using CommandLine = std::vector<std::string>;  // program, then its arguments

struct CommandResult {
  bool ok = false;              // every process started and exited with status 0
  double seconds = 0;           // wall time
  std::uint64_t outputBytes = 0;  // bytes the last command wrote to stdout (when counted)
  std::string error;            // one line, when !ok
};

// True when `program` is found on PATH as an executable file.
bool ProgramAvailable(const std::string& program);

// Runs the commands as a pipeline (each one's stdout feeds the next one's stdin; the first
// reads /dev/null). With countOutput the last command's stdout is read and counted, otherwise
// it goes to /dev/null. Standard error of every command goes to /dev/null; `error` says which
// command failed and how.
CommandResult RunPipeline(const std::vector<CommandLine>& commands, bool countOutput);
