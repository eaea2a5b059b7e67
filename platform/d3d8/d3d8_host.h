// What the host controls in the Direct3D 8 subset. Not part of the Direct3D API; the system's code
// never calls these.
//
// The adapter's modes, the desktop mode, window client sizes and the full-screen switch come from
// the Win32 subset's window backend (win32::GetWindowBackend(), GetClientRect).
#pragma once

#include <string>

namespace d3d8 {

// What CreateDevice does with D3DDEVTYPE_HAL.
enum class HardwareDevice {
  kNever,        // refuses it (D3DERR_NOTAVAILABLE), so the system falls back to the software device
  kAccelerated,  // the OpenGL device, on hardware-accelerated OpenGL 3.3 only: Mesa's software
                 // rasterizers count only while VORNHOLD_LLVMPIPE_IS_HARDWARE is set (for tests)
  kAnyOpenGl,    // the OpenGL device on any OpenGL 3.3, llvmpipe included; when it cannot start, one
                 // line on stderr says why before CreateDevice fails
};
// kNever until the host chooses.
void UseHardwareDevice(HardwareDevice choice);
HardwareDevice HardwareDeviceChoice();

// What the device created last draws with: "software", "null" or "OpenGL (<renderer>)".
std::string DeviceInUse();
void NoteDeviceInUse(const std::string& description);
// The back buffer of the device created last, in pixels; 0 x 0 before the first.
struct BackBufferSize {
  unsigned width = 0, height = 0;
};
BackBufferSize BackBufferInUse();
void NoteBackBufferInUse(BackBufferSize size);

// While on, CreateDevice returns the null device for every device type: the same calls and results
// as the software device, no pixels, and Present hands the host a null frame.
void UseNullDevice(bool on);
bool NullDeviceInUse();

// The software device shares the rows of large clears and draws with one helper thread (on by default).
// The frames are the same either way; off is for comparing that and for profiling.
void UseRasterizerHelper(bool on);
bool RasterizerHelperInUse();

}  // namespace d3d8
