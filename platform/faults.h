// Fault injection: make any platform call fail with a chosen result code.
//
//   platform::InjectFault("IDirectDraw7::CreateSurface", DDERR_OUTOFVIDEOMEMORY);
//
// fails the next CreateSurface (FaultMode::Once) or every one until cleared
// (FaultMode::Always). A call's name is "Interface::Method" for interface
// methods and the bare function name otherwise ("DirectDrawCreateEx",
// "CreateICA"). Calls that return a handle or a Boolean instead of a result
// code treat any injected code as "fail" and return what they return on
// failure. Installing a back end (platform::Install) clears every fault.
#pragma once

#include <string_view>

#include "platform/types.h"

namespace platform {

enum class FaultMode { Once, Always };

void InjectFault(std::string_view call, HRESULT code, FaultMode mode = FaultMode::Once);
void ClearFault(std::string_view call);
void ClearFaults();

// Asked by each call on entry: the code to fail with, or S_OK to proceed.
// Costs one comparison when no fault is armed.
HRESULT TakeFault(std::string_view call);

// How many times CALL has failed through an injected fault since it was armed.
int FaultHits(std::string_view call);

}  // namespace platform
