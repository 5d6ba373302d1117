// The 3D interfaces of buffers made with DSBCAPS_CTRL3D, their parameter
// checks and what the mixer makes of the parameters.
#pragma once

#include "platform/dsound.h"
#include "platform/unknown.h"

namespace platform::dsound {

class SoundBuffer;
class DirectSound;

// IDirectSound3DBuffer of a secondary buffer. Holds its buffer; the
// parameters live in the buffer, so they outlive this interface.
class Buffer3D final : public RefCounted<IDirectSound3DBuffer> {
 public:
  explicit Buffer3D(SoundBuffer* buffer);
  ~Buffer3D() override;

  HRESULT QueryInterface(REFIID riid, void** object) override;
  HRESULT GetAllParameters(LPDS3DBUFFER pDs3dBuffer) override;
  HRESULT GetConeAngles(LPDWORD pdwInsideConeAngle, LPDWORD pdwOutsideConeAngle) override;
  HRESULT GetConeOrientation(D3DVECTOR* pvOrientation) override;
  HRESULT GetConeOutsideVolume(LPLONG plConeOutsideVolume) override;
  HRESULT GetMaxDistance(D3DVALUE* pflMaxDistance) override;
  HRESULT GetMinDistance(D3DVALUE* pflMinDistance) override;
  HRESULT GetMode(LPDWORD pdwMode) override;
  HRESULT GetPosition(D3DVECTOR* pvPosition) override;
  HRESULT GetVelocity(D3DVECTOR* pvVelocity) override;
  HRESULT SetAllParameters(LPCDS3DBUFFER pcDs3dBuffer, DWORD dwApply) override;
  HRESULT SetConeAngles(DWORD dwInsideConeAngle, DWORD dwOutsideConeAngle, DWORD dwApply) override;
  HRESULT SetConeOrientation(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD dwApply) override;
  HRESULT SetConeOutsideVolume(LONG lConeOutsideVolume, DWORD dwApply) override;
  HRESULT SetMaxDistance(D3DVALUE flMaxDistance, DWORD dwApply) override;
  HRESULT SetMinDistance(D3DVALUE flMinDistance, DWORD dwApply) override;
  HRESULT SetMode(DWORD dwMode, DWORD dwApply) override;
  HRESULT SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD dwApply) override;
  HRESULT SetVelocity(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD dwApply) override;

 private:
  SoundBuffer* buffer_;
};

// IDirectSound3DListener of a primary buffer. Holds its primary buffer; the
// parameters live in the DirectSound object.
class Listener final : public RefCounted<IDirectSound3DListener> {
 public:
  explicit Listener(SoundBuffer* primary);
  ~Listener() override;

  HRESULT QueryInterface(REFIID riid, void** object) override;
  HRESULT GetAllParameters(LPDS3DLISTENER pListener) override;
  HRESULT GetDistanceFactor(D3DVALUE* pflDistanceFactor) override;
  HRESULT GetDopplerFactor(D3DVALUE* pflDopplerFactor) override;
  HRESULT GetOrientation(D3DVECTOR* pvOrientFront, D3DVECTOR* pvOrientTop) override;
  HRESULT GetPosition(D3DVECTOR* pvPosition) override;
  HRESULT GetRolloffFactor(D3DVALUE* pflRolloffFactor) override;
  HRESULT GetVelocity(D3DVECTOR* pvVelocity) override;
  HRESULT SetAllParameters(LPCDS3DLISTENER pcListener, DWORD dwApply) override;
  HRESULT SetDistanceFactor(D3DVALUE flDistanceFactor, DWORD dwApply) override;
  HRESULT SetDopplerFactor(D3DVALUE flDopplerFactor, DWORD dwApply) override;
  HRESULT SetOrientation(D3DVALUE xFront, D3DVALUE yFront, D3DVALUE zFront, D3DVALUE xTop, D3DVALUE yTop,
                         D3DVALUE zTop, DWORD dwApply) override;
  HRESULT SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD dwApply) override;
  HRESULT SetRolloffFactor(D3DVALUE flRolloffFactor, DWORD dwApply) override;
  HRESULT SetVelocity(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD dwApply) override;
  HRESULT CommitDeferredSettings() override;

 private:
  DirectSound* Owner() const;

  SoundBuffer* primary_;
};

DS3DBUFFER DefaultBuffer3D();
DS3DLISTENER DefaultListener();
bool ValidBuffer3D(const DS3DBUFFER& params);
bool ValidListener(const DS3DLISTENER& params);

// What the mixer makes of a 3D source heard by a listener: an amplitude
// (0..1) and where it lies from full left (-1) to full right (+1).
struct Spatial {
  double amplitude = 1.0;
  double pan = 0.0;
};
Spatial Spatialise(const DS3DBUFFER& source, const DS3DLISTENER& listener, bool muteAtMaxDistance);

}  // namespace platform::dsound
