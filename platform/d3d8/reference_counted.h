// COM-shaped reference counting for the objects behind the interfaces: an object starts with one
// reference (its creator's) and deletes itself when the last one is released. Called from one
// thread, as the system calls Direct3D.
#pragma once

#include "platform/d3d8/d3d8.h"

namespace d3d8 {

template <typename Interface>
class ReferenceCounted : public Interface {
 public:
  ULONG AddRef() override { return ++references_; }

  ULONG Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  ReferenceCounted() = default;
  ~ReferenceCounted() override = default;

 private:
  ULONG references_ = 1;
};

}  // namespace d3d8
