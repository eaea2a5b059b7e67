// The archive reader's optional debug log.
//
// Opt-in by folder: the log is written only when its folder already exists (on Windows the
// system used "C:\temp\debug_unrar.txt"; here it is "temp/debug_unrar.txt" below the current
// directory). Lines carry the milliseconds since the log was opened and the source line that
// logged. The file is opened and closed for every line, so it survives a crash.
#pragma once

inline constexpr const char* kDebugLogPath = "temp/debug_unrar.txt";

// Creates or truncates the log and writes its banner; when that fails, logging stays off for the
// rest of the run.
void DebugLogOpen(const char* path);

// Appends one message, if logging is on.
void DebugLogLine(const char* message, const char* sourceFile, unsigned sourceLine);

// Formats with printf-style arguments into one message, then DebugLogLine.
void DebugLogFormat(const char* sourceFile, unsigned sourceLine, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

#define ARCHIVE_LOG(message) DebugLogLine((message), __FILE__, __LINE__)
#define ARCHIVE_LOGF(...) DebugLogFormat(__FILE__, __LINE__, __VA_ARGS__)
