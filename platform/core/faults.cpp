#include "platform/faults.h"

#include <algorithm>
#include <array>
#include <string>

#include "platform/system.h"

namespace platform {
namespace {

struct Fault {
  std::string call;
  HRESULT code = S_OK;
  FaultMode mode = FaultMode::Once;
  bool armed = false;
  int hits = 0;
};

// A handful of faults at once is all a test needs; a fixed table keeps
// TakeFault free of allocation on the per-frame paths.
constexpr size_t kMaxFaults = 32;

struct FaultTable {
  std::array<Fault, kMaxFaults> faults;
  int armed = 0;

  Fault* Find(std::string_view call) {
    for (auto& f : faults)
      if (!f.call.empty() && f.call == call) return &f;
    return nullptr;
  }
};

FaultTable& Table() {
  static FaultTable table;
  return table;
}

void CountArmed() {
  auto& t = Table();
  t.armed = static_cast<int>(std::count_if(t.faults.begin(), t.faults.end(), [](const Fault& f) { return f.armed; }));
}

const bool registered = (RegisterReset(ClearFaults), true);

}  // namespace

void InjectFault(std::string_view call, HRESULT code, FaultMode mode) {
  auto& t = Table();
  Fault* slot = t.Find(call);
  if (!slot) {
    for (auto& f : t.faults)
      if (f.call.empty()) {
        slot = &f;
        break;
      }
  }
  if (!slot) throw Exception("fault table full");
  slot->call = std::string(call);
  slot->code = code;
  slot->mode = mode;
  slot->armed = true;
  slot->hits = 0;
  CountArmed();
}

void ClearFault(std::string_view call) {
  if (Fault* f = Table().Find(call)) *f = Fault{};
  CountArmed();
}

void ClearFaults() {
  for (auto& f : Table().faults) f = Fault{};
  Table().armed = 0;
}

HRESULT TakeFault(std::string_view call) {
  auto& t = Table();
  if (t.armed == 0) return S_OK;
  Fault* f = t.Find(call);
  if (!f || !f->armed) return S_OK;
  ++f->hits;
  const HRESULT code = f->code;
  if (f->mode == FaultMode::Once) {
    f->armed = false;
    CountArmed();
  }
  return code;
}

int FaultHits(std::string_view call) {
  const Fault* f = Table().Find(call);
  return f ? f->hits : 0;
}

}  // namespace platform
