// The sound-library subset the system calls: MP3 file streams played in the background.
//
// Names, types and values are those of the library's classic API, so the system's music code reads
// as designed. What exists:
//   - BASS_Init: device -1 is the default output (SDL audio); device -2 is the silent device, on
//     which every call succeeds and nothing is heard. When no audio output can be opened, device -1
//     falls back to the silent device, returns TRUE and says so once on stderr, so a machine
//     without sound runs the show silently instead of losing its music calls.
//   - BASS_StreamCreateFile: a whole MP3 file from disk (mem FALSE, offset 0, length 0), decoded
//     as it plays, never up front. A missing, unreadable or non-MP3 file gives 0.
//   - BASS_Start / BASS_Stop: run and stop the output; BASS_Stop also stops every stream.
//   - BASS_StreamPlay: starts a stream; it then plays by itself until it ends or BASS_Stop.
//   - BASS_Free: closes the output and frees every stream; safe to call at any time, any number
//     of times.
// A failing call returns FALSE or 0, changes nothing and leaves its reason for BASS_ErrorGetCode.
// Output is signed 16-bit stereo at the rate given to BASS_Init; files at other rates or in mono
// are converted. The calls are serialised, so any thread may make them; playback runs on SDL's
// audio thread.
#pragma once

#include <cstdint>

#include "platform/win32/win32.h"  // BOOL, DWORD, TRUE, FALSE, HWND, as the library takes from windows.h

using QWORD = std::uint64_t;
using HSTREAM = DWORD;

// BASS_Init flags. The silent device is opened with this flag by the system; it has no effect
// here (there are no synchronisers).
#define BASS_DEVICE_NOSYNC 16

// BASS_StreamCreateFile flags: exact seeking, which our decoder always has.
#define BASS_MP3_SETPOS 0x20000

// BASS_ErrorGetCode values.
#define BASS_OK 0
#define BASS_ERROR_MEM 1        // out of memory
#define BASS_ERROR_FILEOPEN 2   // the file could not be opened
#define BASS_ERROR_HANDLE 5     // not a stream handle
#define BASS_ERROR_INIT 8       // BASS_Init has not succeeded
#define BASS_ERROR_ALREADY 14   // already initialised
#define BASS_ERROR_ILLPARAM 20  // a parameter out of range
#define BASS_ERROR_DEVICE 23    // no such device
#define BASS_ERROR_NOTAVAIL 37  // a feature this subset does not have
#define BASS_ERROR_FILEFORM 41  // the file is not an MP3 stream

// device: -1 default output, -2 silent. freq: output rate in Hz (8000..192000). win and clsid
// are accepted and not used (there is no DirectSound to attach to a window).
BOOL BASS_Init(int device, DWORD freq, DWORD flags, HWND win, const void* clsid);
// mem must be FALSE, offset and length 0; flags 0 or BASS_MP3_SETPOS.
HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length,
                              DWORD flags);
BOOL BASS_Start();
// flush TRUE restarts from the beginning; FALSE resumes where the stream stopped (a stream that
// has ended starts again). flags must be 0.
BOOL BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD flags);
BOOL BASS_Stop();
BOOL BASS_Free();
// The reason the latest call on this thread failed, or BASS_OK after a success.
int BASS_ErrorGetCode();
