#include "platform/dsound/dsound_3d.h"

#include <algorithm>
#include <cmath>

#include "platform/dsound/dsound_buffer.h"
#include "platform/dsound/dsound_mixer.h"
#include "platform/dsound/dsound_object.h"
#include "platform/faults.h"

namespace platform::dsound {

namespace {

bool Finite(const D3DVECTOR& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
double Dot(const D3DVECTOR& a, const D3DVECTOR& b) {
  return static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y + static_cast<double>(a.z) * b.z;
}
D3DVECTOR Cross(const D3DVECTOR& a, const D3DVECTOR& b) {
  return D3DVECTOR{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
D3DVECTOR Minus(const D3DVECTOR& a, const D3DVECTOR& b) { return D3DVECTOR{a.x - b.x, a.y - b.y, a.z - b.z}; }
double Length(const D3DVECTOR& v) { return std::sqrt(Dot(v, v)); }

bool ValidApply(DWORD apply) { return apply == DS3D_IMMEDIATE || apply == DS3D_DEFERRED; }

// Applies CHANGE to the settings in force or, when deferring, to the newest
// ones. An immediate change also reaches settings still deferred, so that
// the commit does not take it back; deferred changes of other fields stay.
template <typename Record, typename Change, typename Owner>
HRESULT Edit(Owner& owner, DWORD apply, Change change, bool (*valid)(const Record&)) {
  if (!ValidApply(apply)) return DSERR_INVALIDPARAM;
  Record latest = owner.Latest();
  change(latest);
  if (apply == DS3D_DEFERRED) {
    if (!valid(latest)) return DSERR_INVALIDPARAM;
    owner.Defer(latest);
    return DS_OK;
  }
  Record now = owner.Current();
  change(now);
  if (!valid(now)) return DSERR_INVALIDPARAM;
  if (owner.Deferring() && valid(latest)) owner.Defer(latest);
  owner.Apply(now);
  return DS_OK;
}

struct BufferSide {
  SoundBuffer* buffer;
  const DS3DBUFFER& Latest() const { return buffer->Latest3D(); }
  const DS3DBUFFER& Current() const { return buffer->Params3D(); }
  bool Deferring() const { return buffer->Deferring3D(); }
  void Defer(const DS3DBUFFER& p) { buffer->Defer3D(p); }
  void Apply(const DS3DBUFFER& p) { buffer->Apply3D(p); }
};

struct ListenerSide {
  DirectSound* sound;
  const DS3DLISTENER& Latest() const { return sound->LatestListener(); }
  const DS3DLISTENER& Current() const { return sound->ListenerParams(); }
  bool Deferring() const { return sound->DeferringListener(); }
  void Defer(const DS3DLISTENER& p) { sound->DeferListener(p); }
  void Apply(const DS3DLISTENER& p) { sound->ApplyListener(p); }
};

}  // namespace

DS3DBUFFER DefaultBuffer3D() {
  DS3DBUFFER p{};
  p.dwSize = sizeof p;
  p.dwInsideConeAngle = DS3D_DEFAULTCONEANGLE;
  p.dwOutsideConeAngle = DS3D_DEFAULTCONEANGLE;
  p.vConeOrientation = D3DVECTOR{0.0f, 0.0f, 1.0f};
  p.lConeOutsideVolume = DS3D_DEFAULTCONEOUTSIDEVOLUME;
  p.flMinDistance = DS3D_DEFAULTMINDISTANCE;
  p.flMaxDistance = DS3D_DEFAULTMAXDISTANCE;
  p.dwMode = DS3DMODE_NORMAL;
  return p;
}

DS3DLISTENER DefaultListener() {
  DS3DLISTENER p{};
  p.dwSize = sizeof p;
  p.vOrientFront = D3DVECTOR{0.0f, 0.0f, 1.0f};
  p.vOrientTop = D3DVECTOR{0.0f, 1.0f, 0.0f};
  p.flDistanceFactor = DS3D_DEFAULTDISTANCEFACTOR;
  p.flRolloffFactor = DS3D_DEFAULTROLLOFFFACTOR;
  p.flDopplerFactor = DS3D_DEFAULTDOPPLERFACTOR;
  return p;
}

bool ValidBuffer3D(const DS3DBUFFER& p) {
  return p.dwSize == sizeof(DS3DBUFFER) && Finite(p.vPosition) && Finite(p.vVelocity) &&
         Finite(p.vConeOrientation) && p.dwInsideConeAngle <= DS3D_MAXCONEANGLE &&
         p.dwOutsideConeAngle <= DS3D_MAXCONEANGLE && p.lConeOutsideVolume >= DSBVOLUME_MIN &&
         p.lConeOutsideVolume <= DSBVOLUME_MAX && std::isfinite(p.flMinDistance) && p.flMinDistance > 0.0f &&
         std::isfinite(p.flMaxDistance) && p.flMaxDistance > 0.0f && p.dwMode <= DS3DMODE_DISABLE;
}

bool ValidListener(const DS3DLISTENER& p) {
  // The orientation needs a direction ahead and one up that are not the same
  // line, or there is no right-hand side to pan towards.
  return p.dwSize == sizeof(DS3DLISTENER) && Finite(p.vPosition) && Finite(p.vVelocity) && Finite(p.vOrientFront) &&
         Finite(p.vOrientTop) && Length(Cross(p.vOrientTop, p.vOrientFront)) > 0.0 &&
         std::isfinite(p.flDistanceFactor) && p.flDistanceFactor >= DS3D_MINDISTANCEFACTOR &&
         p.flRolloffFactor >= DS3D_MINROLLOFFFACTOR && p.flRolloffFactor <= DS3D_MAXROLLOFFFACTOR &&
         p.flDopplerFactor >= DS3D_MINDOPPLERFACTOR && p.flDopplerFactor <= DS3D_MAXDOPPLERFACTOR;
}

Spatial Spatialise(const DS3DBUFFER& source, const DS3DLISTENER& listener, bool muteAtMaxDistance) {
  Spatial out;
  // Where the source lies in the listener's frame (x right, y up, z ahead).
  D3DVECTOR offset = source.vPosition;
  if (source.dwMode != DS3DMODE_HEADRELATIVE) {
    const D3DVECTOR world = Minus(source.vPosition, listener.vPosition);
    const D3DVECTOR right = Cross(listener.vOrientTop, listener.vOrientFront);
    const D3DVECTOR up = Cross(listener.vOrientFront, right);
    const double rightLength = Length(right), upLength = Length(up), frontLength = Length(listener.vOrientFront);
    offset = D3DVECTOR{static_cast<float>(Dot(world, right) / rightLength),
                       static_cast<float>(Dot(world, up) / upLength),
                       static_cast<float>(Dot(world, listener.vOrientFront) / frontLength)};
  }
  const double distance = Length(offset);

  const double minimum = source.flMinDistance;
  const double maximum = std::max<double>(source.flMaxDistance, minimum);
  if (muteAtMaxDistance && distance > maximum) {
    out.amplitude = 0.0;
    return out;
  }
  const double heard = std::clamp(distance, minimum, maximum);
  out.amplitude = minimum / (minimum + listener.flRolloffFactor * (heard - minimum));
  if (distance > 0.0) out.pan = std::clamp(offset.x / distance, -1.0, 1.0);

  // The cone: full volume within half the inside angle of the cone's axis,
  // the outside volume beyond half the outside angle, and in between a
  // level that moves evenly in decibels.
  const double axisLength = Length(source.vConeOrientation);
  if (distance > 0.0 && axisLength > 0.0 && source.dwInsideConeAngle < DS3D_MAXCONEANGLE) {
    // The direction from the source towards the listener, in world terms.
    const D3DVECTOR toListener = Minus(listener.vPosition, source.vPosition);
    const double towards = source.dwMode == DS3DMODE_HEADRELATIVE
                               ? -Dot(source.vPosition, source.vConeOrientation) / (distance * axisLength)
                               : Dot(toListener, source.vConeOrientation) / (Length(toListener) * axisLength);
    constexpr double kDegrees = 57.295779513082320877;
    const double angle = std::acos(std::clamp(towards, -1.0, 1.0)) * kDegrees * 2.0;  // as a full cone angle
    const double inside = source.dwInsideConeAngle;
    const double outside = std::max<double>(source.dwOutsideConeAngle, inside);
    double level = 0.0;
    if (angle >= outside) {
      level = source.lConeOutsideVolume;
    } else if (angle > inside) {
      level = source.lConeOutsideVolume * (angle - inside) / (outside - inside);
    }
    out.amplitude *= LevelToAmplitude(static_cast<LONG>(std::lround(level)));
  }
  return out;
}

// --- IDirectSound3DBuffer ------------------------------------------------------------

Buffer3D::Buffer3D(SoundBuffer* buffer) : buffer_(buffer) { buffer_->AddRef(); }

Buffer3D::~Buffer3D() {
  buffer_->Forget3D();
  buffer_->Release();
}

HRESULT Buffer3D::QueryInterface(REFIID riid, void** object) {
  if (object) *object = nullptr;
  if (const HRESULT fault = TakeFault("IDirectSound3DBuffer::QueryInterface")) return fault;
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDirectSound3DBuffer) {
    AddRef();
    *object = static_cast<IDirectSound3DBuffer*>(this);
    return DS_OK;
  }
  return buffer_->QueryInterface(riid, object);
}

HRESULT Buffer3D::GetAllParameters(LPDS3DBUFFER pDs3dBuffer) {
  if (const HRESULT fault = TakeFault("IDirectSound3DBuffer::GetAllParameters")) return fault;
  if (!pDs3dBuffer || pDs3dBuffer->dwSize != sizeof(DS3DBUFFER)) return DSERR_INVALIDPARAM;
  *pDs3dBuffer = buffer_->Params3D();
  return DS_OK;
}

HRESULT Buffer3D::GetConeAngles(LPDWORD pdwInsideConeAngle, LPDWORD pdwOutsideConeAngle) {
  if (pdwInsideConeAngle) *pdwInsideConeAngle = 0;
  if (pdwOutsideConeAngle) *pdwOutsideConeAngle = 0;
  if (const HRESULT fault = TakeFault("IDirectSound3DBuffer::GetConeAngles")) return fault;
  if (!pdwInsideConeAngle && !pdwOutsideConeAngle) return DSERR_INVALIDPARAM;
  if (pdwInsideConeAngle) *pdwInsideConeAngle = buffer_->Params3D().dwInsideConeAngle;
  if (pdwOutsideConeAngle) *pdwOutsideConeAngle = buffer_->Params3D().dwOutsideConeAngle;
  return DS_OK;
}

HRESULT Buffer3D::GetConeOrientation(D3DVECTOR* pvOrientation) {
  if (pvOrientation) *pvOrientation = D3DVECTOR{};
  if (const HRESULT fault = TakeFault("IDirectSound3DBuffer::GetConeOrientation")) return fault;
  if (!pvOrientation) return DSERR_INVALIDPARAM;
  *pvOrientation = buffer_->Params3D().vConeOrientation;
  return DS_OK;
}

HRESULT Buffer3D::GetConeOutsideVolume(LPLONG plConeOutsideVolume) {
  if (plConeOutsideVolume) *plConeOutsideVolume = 0;
  if (const HRESULT fault = TakeFault("IDirectSound3DBuffer::GetConeOutsideVolume")) return fault;
  if (!plConeOutsideVolume) return DSERR_INVALIDPARAM;
  *plConeOutsideVolume = buffer_->Params3D().lConeOutsideVolume;
  return DS_OK;
}

HRESULT Buffer3D::GetMaxDistance(D3DVALUE* pflMaxDistance) {
  if (pflMaxDistance) *pflMaxDistance = 0.0f;
  if (const HRESULT fault = TakeFault("IDirectSound3DBuffer::GetMaxDistance")) return fault;
  if (!pflMaxDistance) return DSERR_INVALIDPARAM;
  *pflMaxDistance = buffer_->Params3D().flMaxDistance;
  return DS_OK;
}

HRESULT Buffer3D::GetMinDistance(D3DVALUE* pflMinDistance) {
  if (pflMinDistance) *pflMinDistance = 0.0f;
  if (const HRESULT fault = TakeFault("IDirectSound3DBuffer::GetMinDistance")) return fault;
  if (!pflMinDistance) return DSERR_INVALIDPARAM;
  *pflMinDistance = buffer_->Params3D().flMinDistance;
  return DS_OK;
}

HRESULT Buffer3D::GetMode(LPDWORD pdwMode) {
  if (pdwMode) *pdwMode = 0;
  if (const HRESULT fault = TakeFault("IDirectSound3DBuffer::GetMode")) return fault;
  if (!pdwMode) return DSERR_INVALIDPARAM;
  *pdwMode = buffer_->Params3D().dwMode;
  return DS_OK;
}

HRESULT Buffer3D::GetPosition(D3DVECTOR* pvPosition) {
  if (pvPosition) *pvPosition = D3DVECTOR{};
  if (const HRESULT fault = TakeFault("IDirectSound3DBuffer::GetPosition")) return fault;
  if (!pvPosition) return DSERR_INVALIDPARAM;
  *pvPosition = buffer_->Params3D().vPosition;
  return DS_OK;
}

HRESULT Buffer3D::GetVelocity(D3DVECTOR* pvVelocity) {
  if (pvVelocity) *pvVelocity = D3DVECTOR{};
  if (const HRESULT fault = TakeFault("IDirectSound3DBuffer::GetVelocity")) return fault;
  if (!pvVelocity) return DSERR_INVALIDPARAM;
  *pvVelocity = buffer_->Params3D().vVelocity;
  return DS_OK;
}

HRESULT Buffer3D::SetAllParameters(LPCDS3DBUFFER pcDs3dBuffer, DWORD dwApply) {
  if (const HRESULT fault = TakeFault("IDirectSound3DBuffer::SetAllParameters")) return fault;
  if (!pcDs3dBuffer) return DSERR_INVALIDPARAM;
  BufferSide side{buffer_};
  return Edit(side, dwApply, [&](DS3DBUFFER& p) { p = *pcDs3dBuffer; }, &ValidBuffer3D);
}

// Each single setter changes one field of the settings in force, or of the
// deferred ones when deferring.
#define BRIN_SET_3D_BUFFER(name, change)                                              \
  if (const HRESULT fault = TakeFault("IDirectSound3DBuffer::" name)) return fault;   \
  BufferSide side{buffer_};                                                            \
  return Edit(side, dwApply, [&](DS3DBUFFER& p) { change; }, &ValidBuffer3D)

HRESULT Buffer3D::SetConeAngles(DWORD dwInsideConeAngle, DWORD dwOutsideConeAngle, DWORD dwApply) {
  BRIN_SET_3D_BUFFER("SetConeAngles",
                     (p.dwInsideConeAngle = dwInsideConeAngle, p.dwOutsideConeAngle = dwOutsideConeAngle));
}
HRESULT Buffer3D::SetConeOrientation(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD dwApply) {
  BRIN_SET_3D_BUFFER("SetConeOrientation", (p.vConeOrientation = D3DVECTOR{x, y, z}));
}
HRESULT Buffer3D::SetConeOutsideVolume(LONG lConeOutsideVolume, DWORD dwApply) {
  BRIN_SET_3D_BUFFER("SetConeOutsideVolume", (p.lConeOutsideVolume = lConeOutsideVolume));
}
HRESULT Buffer3D::SetMaxDistance(D3DVALUE flMaxDistance, DWORD dwApply) {
  BRIN_SET_3D_BUFFER("SetMaxDistance", (p.flMaxDistance = flMaxDistance));
}
HRESULT Buffer3D::SetMinDistance(D3DVALUE flMinDistance, DWORD dwApply) {
  BRIN_SET_3D_BUFFER("SetMinDistance", (p.flMinDistance = flMinDistance));
}
HRESULT Buffer3D::SetMode(DWORD dwMode, DWORD dwApply) { BRIN_SET_3D_BUFFER("SetMode", (p.dwMode = dwMode)); }
HRESULT Buffer3D::SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD dwApply) {
  BRIN_SET_3D_BUFFER("SetPosition", (p.vPosition = D3DVECTOR{x, y, z}));
}
HRESULT Buffer3D::SetVelocity(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD dwApply) {
  BRIN_SET_3D_BUFFER("SetVelocity", (p.vVelocity = D3DVECTOR{x, y, z}));
}
#undef BRIN_SET_3D_BUFFER

// --- IDirectSound3DListener ----------------------------------------------------------

Listener::Listener(SoundBuffer* primary) : primary_(primary) { primary_->AddRef(); }

Listener::~Listener() {
  primary_->ForgetListener();
  primary_->Release();
}

DirectSound* Listener::Owner() const { return primary_->Owner(); }

HRESULT Listener::QueryInterface(REFIID riid, void** object) {
  if (object) *object = nullptr;
  if (const HRESULT fault = TakeFault("IDirectSound3DListener::QueryInterface")) return fault;
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDirectSound3DListener) {
    AddRef();
    *object = static_cast<IDirectSound3DListener*>(this);
    return DS_OK;
  }
  return primary_->QueryInterface(riid, object);
}

HRESULT Listener::GetAllParameters(LPDS3DLISTENER pListener) {
  if (const HRESULT fault = TakeFault("IDirectSound3DListener::GetAllParameters")) return fault;
  if (!pListener || pListener->dwSize != sizeof(DS3DLISTENER)) return DSERR_INVALIDPARAM;
  *pListener = Owner()->ListenerParams();
  return DS_OK;
}

HRESULT Listener::GetDistanceFactor(D3DVALUE* pflDistanceFactor) {
  if (pflDistanceFactor) *pflDistanceFactor = 0.0f;
  if (const HRESULT fault = TakeFault("IDirectSound3DListener::GetDistanceFactor")) return fault;
  if (!pflDistanceFactor) return DSERR_INVALIDPARAM;
  *pflDistanceFactor = Owner()->ListenerParams().flDistanceFactor;
  return DS_OK;
}

HRESULT Listener::GetDopplerFactor(D3DVALUE* pflDopplerFactor) {
  if (pflDopplerFactor) *pflDopplerFactor = 0.0f;
  if (const HRESULT fault = TakeFault("IDirectSound3DListener::GetDopplerFactor")) return fault;
  if (!pflDopplerFactor) return DSERR_INVALIDPARAM;
  *pflDopplerFactor = Owner()->ListenerParams().flDopplerFactor;
  return DS_OK;
}

HRESULT Listener::GetOrientation(D3DVECTOR* pvOrientFront, D3DVECTOR* pvOrientTop) {
  if (pvOrientFront) *pvOrientFront = D3DVECTOR{};
  if (pvOrientTop) *pvOrientTop = D3DVECTOR{};
  if (const HRESULT fault = TakeFault("IDirectSound3DListener::GetOrientation")) return fault;
  if (!pvOrientFront || !pvOrientTop) return DSERR_INVALIDPARAM;
  *pvOrientFront = Owner()->ListenerParams().vOrientFront;
  *pvOrientTop = Owner()->ListenerParams().vOrientTop;
  return DS_OK;
}

HRESULT Listener::GetPosition(D3DVECTOR* pvPosition) {
  if (pvPosition) *pvPosition = D3DVECTOR{};
  if (const HRESULT fault = TakeFault("IDirectSound3DListener::GetPosition")) return fault;
  if (!pvPosition) return DSERR_INVALIDPARAM;
  *pvPosition = Owner()->ListenerParams().vPosition;
  return DS_OK;
}

HRESULT Listener::GetRolloffFactor(D3DVALUE* pflRolloffFactor) {
  if (pflRolloffFactor) *pflRolloffFactor = 0.0f;
  if (const HRESULT fault = TakeFault("IDirectSound3DListener::GetRolloffFactor")) return fault;
  if (!pflRolloffFactor) return DSERR_INVALIDPARAM;
  *pflRolloffFactor = Owner()->ListenerParams().flRolloffFactor;
  return DS_OK;
}

HRESULT Listener::GetVelocity(D3DVECTOR* pvVelocity) {
  if (pvVelocity) *pvVelocity = D3DVECTOR{};
  if (const HRESULT fault = TakeFault("IDirectSound3DListener::GetVelocity")) return fault;
  if (!pvVelocity) return DSERR_INVALIDPARAM;
  *pvVelocity = Owner()->ListenerParams().vVelocity;
  return DS_OK;
}

HRESULT Listener::SetAllParameters(LPCDS3DLISTENER pcListener, DWORD dwApply) {
  if (const HRESULT fault = TakeFault("IDirectSound3DListener::SetAllParameters")) return fault;
  if (!pcListener) return DSERR_INVALIDPARAM;
  ListenerSide side{Owner()};
  return Edit(side, dwApply, [&](DS3DLISTENER& p) { p = *pcListener; }, &ValidListener);
}

#define BRIN_SET_LISTENER(name, change)                                               \
  if (const HRESULT fault = TakeFault("IDirectSound3DListener::" name)) return fault; \
  ListenerSide side{Owner()};                                                          \
  return Edit(side, dwApply, [&](DS3DLISTENER& p) { change; }, &ValidListener)

HRESULT Listener::SetDistanceFactor(D3DVALUE flDistanceFactor, DWORD dwApply) {
  BRIN_SET_LISTENER("SetDistanceFactor", (p.flDistanceFactor = flDistanceFactor));
}
HRESULT Listener::SetDopplerFactor(D3DVALUE flDopplerFactor, DWORD dwApply) {
  BRIN_SET_LISTENER("SetDopplerFactor", (p.flDopplerFactor = flDopplerFactor));
}
HRESULT Listener::SetOrientation(D3DVALUE xFront, D3DVALUE yFront, D3DVALUE zFront, D3DVALUE xTop, D3DVALUE yTop,
                                 D3DVALUE zTop, DWORD dwApply) {
  BRIN_SET_LISTENER("SetOrientation",
                    (p.vOrientFront = D3DVECTOR{xFront, yFront, zFront}, p.vOrientTop = D3DVECTOR{xTop, yTop, zTop}));
}
HRESULT Listener::SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD dwApply) {
  BRIN_SET_LISTENER("SetPosition", (p.vPosition = D3DVECTOR{x, y, z}));
}
HRESULT Listener::SetRolloffFactor(D3DVALUE flRolloffFactor, DWORD dwApply) {
  BRIN_SET_LISTENER("SetRolloffFactor", (p.flRolloffFactor = flRolloffFactor));
}
HRESULT Listener::SetVelocity(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD dwApply) {
  BRIN_SET_LISTENER("SetVelocity", (p.vVelocity = D3DVECTOR{x, y, z}));
}
#undef BRIN_SET_LISTENER

HRESULT Listener::CommitDeferredSettings() {
  if (const HRESULT fault = TakeFault("IDirectSound3DListener::CommitDeferredSettings")) return fault;
  Owner()->CommitDeferred();
  return DS_OK;
}

}  // namespace platform::dsound
