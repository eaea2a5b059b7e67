// SIGINT and SIGTERM during a run. The first ends the show as Escape does, at the next presented
// frame, so a capture ends normally with a complete file; a second ends the process at once,
// after killing the encoder and removing its unfinished file (the video only gets its name when
// complete, so nothing is left under that name). A repeat within half a second of the first is
// the same request: timeout(1) sends its signal to the process and again to its process group.
//
// Installed before any library opens: SDL then leaves the signals to us, which matters where
// nobody reads SDL's events (a headless run with sound open).
#pragma once

#include <sys/types.h>

#include <string>

namespace host {

void InstallStopSignals();
// Whether a first signal has come.
bool StopAsked();

// What a second signal cleans up: a child process to kill and a file and its log to remove;
// -1 and "" when there is nothing (any more).
void SetAbruptEndCleanup(pid_t child, const std::string& file, const std::string& log);

}  // namespace host
