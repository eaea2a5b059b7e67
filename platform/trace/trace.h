// The trace: one line per engine-level operation, so that a scene can be checked against its
// description call by call. The host opens it (--trace FILE); the engine, the meshes and the
// device write to it through the names here and never know whether it is on.
//
// A line is a name and its fields, separated by single spaces: floats as C's %g, integers in
// decimal, text as it is. An operation names itself once, by the function it is:
//
//   void DxEngine::SetFov(float fov) {
//     const trace::Operation operation(__func__, fov);   // "SetFov 1.827"
//     ... device calls, which this one line stands for ...
//   }
//
// Device calls a scene makes itself are written under their own names (DeviceCall); made while an
// Operation is alive, they are part of its line and not written. The show runs its scenes on one
// thread, and so does the trace.
#pragma once

#include <cstdio>
#include <string>
#include <type_traits>

namespace trace {

bool Enabled();
// Takes ownership of the file; null closes the trace.
void Open(std::FILE* file);
// While muted, no line is written; objects are still named as they are made, so the names
// written after it match those of a trace that was never muted.
void Mute(bool muted);

// Several floats, one field each: a matrix row by row is Floats{&m.m[0][0], 16}.
struct Floats {
  const float* values;
  int count;
};

namespace detail {
void Append(std::string& line, double value);
void Append(std::string& line, long long value);
void Append(std::string& line, unsigned long long value);
void Append(std::string& line, const char* text);
void Append(std::string& line, const std::string& text);
void Append(std::string& line, Floats floats);
void WriteLine(const std::string& line);
bool InsideOperation();
void EnterOperation();
void LeaveOperation();

template <class T>
void AppendField(std::string& line, const T& field) {
  if constexpr (std::is_floating_point_v<T>) {
    Append(line, double(field));
  } else if constexpr (std::is_integral_v<T> && std::is_signed_v<T>) {
    Append(line, static_cast<long long>(field));
  } else if constexpr (std::is_integral_v<T>) {  // bool included: 0 or 1
    Append(line, static_cast<unsigned long long>(field));
  } else if constexpr (std::is_convertible_v<const T&, const char*>) {
    Append(line, static_cast<const char*>(field));
  } else {
    Append(line, field);
  }
}
}  // namespace detail

// Writes one line whatever else is going on (the host's Present lines, say).
template <class... Fields>
void Write(const char* name, const Fields&... fields) {
  if (!Enabled()) return;
  std::string line = name;
  (detail::AppendField(line, fields), ...);
  detail::WriteLine(line);
}

// An engine or mesh operation: its line is written when it begins, and the device calls it makes
// while it lives are not.
class Operation {
 public:
  template <class... Fields>
  explicit Operation(const char* name, const Fields&... fields) {
    Write(name, fields...);
    detail::EnterOperation();
  }
  ~Operation() { detail::LeaveOperation(); }
  Operation(const Operation&) = delete;
  Operation& operator=(const Operation&) = delete;
};

// A device call: written unless an operation made it.
template <class... Fields>
void DeviceCall(const char* name, const Fields&... fields) {
  if (!detail::InsideOperation()) Write(name, fields...);
}

// The names lines give objects ("tex3", "mesh5", "room0"); an unnamed object gives "".
void SetName(const void* object, std::string name);
const char* NameOf(const void* object);

}  // namespace trace
