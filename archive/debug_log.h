// The archive reader's optional debug log.
//
// Opt-in by folder: the log is written only when its folder already exists (on Windows the
// system used "C:\temp\debug_unrar.txt"; here it is "temp/debug_unrar.txt" below the current
// directory). Lines carry the milliseconds since the log was opened and the source line that
// logged. The file is opened and closed for every line, so it survives a crash.
//
// The folder may come with a show someone else made, so the log follows no symbolic link, neither
// the folder's nor the file's, and writes only into a regular file of one link: a link, a FIFO,
// a device or a folder at the log's path (or a link in the folder's place) leaves logging off,
// with nothing written and nothing waited on. The folder is held open from the first line on, so
// the log stays where it began.
#pragma once

inline constexpr const char* kDebugLogPath = "temp/debug_unrar.txt";

// Creates or truncates the log and writes its banner; when that fails, or the path holds anything
// but a regular file of one link, logging stays off for the rest of the run.
void DebugLogOpen(const char* path);

// Appends one message, if logging is on and the path still holds a regular file of one link.
void DebugLogLine(const char* message, const char* sourceFile, unsigned sourceLine);

// Formats with printf-style arguments into one message, then DebugLogLine.
void DebugLogFormat(const char* sourceFile, unsigned sourceLine, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

#define ARCHIVE_LOG(message) DebugLogLine((message), __FILE__, __LINE__)
#define ARCHIVE_LOGF(...) DebugLogFormat(__FILE__, __LINE__, __VA_ARGS__)
