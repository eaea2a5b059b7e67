// The Win32 subset the system calls, with the real names and types.
//
// Only what the system and its tools use exists here; every call behaves as the system's code
// relies on. Times are milliseconds as 32-bit counts that wrap at 2^32.
#pragma once

#include <cstdint>

using DWORD = std::uint32_t;
using BOOL = int;

// Milliseconds on the platform clock, wrapping at 2^32 like the real tick count.
DWORD GetTickCount();
