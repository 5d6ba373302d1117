#include "sound/brin_sound_3d.h"

#include "sound/brin_sound.h"

TBrinSoundParams3D::TBrinSoundParams3D(TBrinSoundChannel* AChannel) : Channel(AChannel), Params{} {
  Params.dwSize = sizeof Params;
  Params.dwInsideConeAngle = 360;
  Params.dwOutsideConeAngle = 360;
  Params.vConeOrientation = D3DVECTOR{0.0f, 0.0f, 1.0f};
  Params.lConeOutsideVolume = 0;
  Params.flMinDistance = 5.0f;
  Params.flMaxDistance = 100.0f;
  Params.dwMode = DS3DMODE_NORMAL;
}

DS3DBUFFER TBrinSoundParams3D::GetParams() {
  if (Channel && Channel->Buffer3D) Channel->Buffer3D->GetAllParameters(&Params);
  return Params;
}

void TBrinSoundParams3D::Assign(TBrinSoundParams3D* Source) {
  Params = Source->GetParams();
  if (Channel && Channel->Buffer3D) {
    brin::sound::CheckResult(Channel->Buffer3D->SetAllParameters(&Params, DS3D_IMMEDIATE),
                             "Params3Dに指定されたパラメータが不適切です");
  }
}

TBrinSoundListener::TBrinSoundListener(TBrinSound* ASound) : Sound(ASound), Params{} {
  Params.dwSize = sizeof Params;
  Params.vOrientFront = D3DVECTOR{0.0f, 0.0f, 1.0f};
  Params.vOrientTop = D3DVECTOR{0.0f, 1.0f, 0.0f};
  Params.flDistanceFactor = 1.0f;
  Params.flRolloffFactor = 1.0f;
  Params.flDopplerFactor = 1.0f;
  if (Sound->Listener3D) {
    brin::sound::CheckResult(Sound->Listener3D->SetAllParameters(&Params, DS3D_IMMEDIATE),
                             "Listenerに指定されたパラメータが不適切です");
  }
}
