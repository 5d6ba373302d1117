// The 3D side of the sound component: the parameters of one sound (a
// channel's, or a 3D wave's own) and the listener's. They take effect only
// where a platform 3D interface exists; otherwise they just hold values.
#pragma once

#include "platform/dsound.h"

class TBrinSound;
class TBrinSoundChannel;

class TBrinSoundParams3D {
 public:
  // CHANNEL is the channel the set belongs to, or null for a wave's set.
  // Nothing is sent to the platform.
  explicit TBrinSoundParams3D(TBrinSoundChannel* AChannel);

  // A copy of Params, refreshed first from the channel's 3D buffer when it
  // has one (a failed refresh keeps the values held).
  DS3DBUFFER GetParams();
  // Takes SOURCE's parameters and, when the channel has a 3D buffer, sends
  // them to it at once (reported through the module's CheckResult).
  void Assign(TBrinSoundParams3D* Source);

  TBrinSoundChannel* Channel;
  DS3DBUFFER Params;
};

class TBrinSoundListener {
 public:
  // Sets the default listener and sends it to the component's Listener3D
  // when there is one (reported through the module's CheckResult).
  explicit TBrinSoundListener(TBrinSound* ASound);

  TBrinSound* Sound;
  DS3DLISTENER Params;
};
