// Enumerations and event types of the display component's properties.
#pragma once

#include <functional>

#include "platform/forms.h"

enum TBrinDebugOptionItem { broHaltOnError, broDebugMessage, broDetailedLog };
using TBrinDebugOption = TSet<TBrinDebugOptionItem>;

// Where off-screen surfaces are placed.
enum TBrinSurfaceMemoryType { smtDefault, smtCompatible, smtSystemMemory, smtVideoMemory, smtNonLocalVideoMemory };
// Where the windowed back buffer is placed.
enum TBrinBackBufferMemoryType { bmtDefault, bmtCompatible, bmtSystemMemory, bmtVideoMemory };

enum TD3DOption { DontUseTnLHAL, DontUseHAL, DontUseMMX, DontUseRGBEmulation, MakeZBuffer, MakeStencilBuffer };
using TD3DOptions = TSet<TD3DOption>;

// OnInit: fNeedChange is true when the application must set a display mode
// itself (the display is still the provisional 128 x 128 window).
using TBrinInitEvent = std::function<void(TObject* Sender, bool fNeedChange)>;

// The display component's exception: nothing but its message.
class ExBrin : public platform::Exception {
 public:
  using platform::Exception::Exception;
};
