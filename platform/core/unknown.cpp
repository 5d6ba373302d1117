#include "platform/unknown.h"

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

namespace platform {
namespace {
long liveObjects = 0;
}

long LiveObjectCount() { return liveObjects; }

namespace detail {
void CountObject(int delta) { liveObjects += delta; }
}  // namespace detail

}  // namespace platform
