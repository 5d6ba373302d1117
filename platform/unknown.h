// The reference-counting root of every object the platform hands out.
//
// Every object starts with a count of 1 (the creator's reference). AddRef and
// Release return the new count, and the object is freed when Release brings
// it to 0. Callers rely on the returned count: the display component treats a
// non-zero count after its final Release as a leak and reports it.
#pragma once

#include "platform/types.h"

struct IUnknown {
  virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  virtual ~IUnknown() = default;
};
using LPUNKNOWN = IUnknown*;

extern const IID IID_IUnknown;

namespace platform {

// Number of platform objects alive in this process; tests use it to prove
// that a teardown released everything it made.
long LiveObjectCount();

namespace detail {
void CountObject(int delta);
}

// Implements the counting for one interface. Derived classes answer
// QueryInterface themselves; shared state is kept alive by holding a
// reference to the object that owns it.
template <typename Interface>
class RefCounted : public Interface {
 public:
  RefCounted() { detail::CountObject(+1); }
  RefCounted(const RefCounted&) = delete;
  RefCounted& operator=(const RefCounted&) = delete;

  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    // A release of an already-freed object is the caller's bug; the count
    // never wraps because the object is gone at 0.
    const ULONG remaining = --refs_;
    if (remaining == 0) delete this;
    return remaining;
  }
  ULONG RefCount() const { return refs_; }

 protected:
  ~RefCounted() override { detail::CountObject(-1); }

 private:
  ULONG refs_ = 1;
};

}  // namespace platform
