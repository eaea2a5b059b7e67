// What the host controls in the Direct3D 8 subset. Not part of the Direct3D API; the system's code
// never calls these.
//
// The adapter's modes, the desktop mode, window client sizes and the full-screen switch come from
// the Win32 subset's window backend (win32::GetWindowBackend(), GetClientRect).
#pragma once

namespace d3d8 {

// While on, CreateDevice returns the null device for every device type: the same calls and results
// as the software device, no pixels, and Present hands the host a null frame.
void UseNullDevice(bool on);
bool NullDeviceInUse();

// The software device shares the rows of large clears and draws with one helper thread (on by default).
// The frames are the same either way; off is for comparing that and for profiling.
void UseRasterizerHelper(bool on);
bool RasterizerHelperInUse();

}  // namespace d3d8
