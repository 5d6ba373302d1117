// DirectInput 5 in software: the system keyboard, the system mouse and the
// back end's joysticks.
//
// Code written against DirectInput 5 compiles against this header: the
// interfaces, functions, structures, flags and result codes keep their
// documented names and values (platform/dinput/dinput_types.h, and the scan
// codes in platform/vk.h and platform/dinput/dinput_keys.h).
//
// Behaviour callers may rely on:
//
// * Arguments first. Out-parameters are cleared before anything else
//   (structures with a dwSize once that size is known to be right, and the
//   whole cbData bytes of GetDeviceState), then an injected fault named
//   "Interface::Method" (platform/faults.h; "IDirectInputA::CreateDevice",
//   "IDirectInputDeviceA::GetDeviceState", "IDirectInputDevice2A::Poll") is
//   returned, then the arguments are checked. Every method but AddRef and
//   Release can be made to fail.
// * Reference counts. Every object starts at 1. A device holds a reference
//   on the IDirectInputA that made it, so that object's final Release
//   returns 0 only once its devices are gone. QueryInterface hands out the
//   same device for IDirectInputDeviceA and IDirectInputDevice2A.
// * Where the state comes from. The keyboard reads the window layer's key
//   table (platform/keyboard.h), by scan code; it has the keys the DIK_ names
//   number. The mouse and the joysticks follow the back end's events, which
//   DirectInput watches from the first DirectInputCreateA on; events reach it
//   only while the message loop runs. The mouse has three relative axes (the
//   wheel is Z, in the back end's units of 120 a notch) and four buttons; its
//   state reports the motion since the last read. Joysticks have what the back
//   end says, at most 8 axes (X, Y, Z, Rx, Ry, Rz, then two sliders), 32
//   buttons and 4 points of view; the first 32 joysticks are seen.
// * Joystick axes. The back end's -32768..32767 becomes the axis's range
//   (DIPROP_RANGE, 0..65535 until set), after the dead zone and saturation
//   (DIPROP_DEADZONE, DIPROP_SATURATION, 0..10000 of the travel from the
//   centre). A point of view is in hundredths of a degree clockwise from up,
//   0xFFFFFFFF when centred.
// * Acquisition. A device needs a data format to be acquired (else
//   DIERR_INVALIDPARAM). The cooperative level defaults to non-exclusive
//   background. A foreground device cannot be acquired while the application
//   is inactive (DIERR_OTHERAPPHASPRIO, platform::AppActive()), and loses its
//   acquisition when the application loses the focus
//   (platform::FocusLossCount()): the next read reports DIERR_INPUTLOST once,
//   later ones DIERR_NOTACQUIRED until Acquire. Only one instance of a device
//   can be acquired exclusively at a time (DIERR_OTHERAPPHASPRIO). Exclusive
//   background access to the keyboard or the mouse is refused, as is a new
//   cooperative level while acquired (DIERR_INVALIDPARAM, which DirectInput
//   documents also for "not in a state that permits the call"). An unplugged
//   joystick is lost the same way and then refuses Acquire
//   (DIERR_INVALIDPARAM).
// * Result codes are those each call documents; a refusal its list has no
//   code for uses the nearest one listed (aggregation is refused with
//   DIERR_INVALIDPARAM, output sent to a device is more than it takes:
//   DIERR_REPORTFULL).
// * Buffered data (GetDeviceData) is kept once DIPROP_BUFFERSIZE is set: one
//   item per changed object of each event while the device is acquired; a
//   full buffer drops the newest items and the next read says
//   DI_BUFFEROVERFLOW. Acquire empties the buffer.
// * Nothing here needs polling: Poll answers DI_NOEFFECT on an acquired
//   device. No back end plays force-feedback effects: EnumEffects lists
//   nothing, so CreateEffect and GetEffectInfo find no effect
//   (DIERR_DEVICENOTREG); GetForceFeedbackState, SendForceFeedbackCommand and
//   Escape answer DIERR_UNSUPPORTED. There is no control panel
//   (RunControlPanel: DIERR_UNSUPPORTED) and no event object a device could
//   signal (SetEventNotification accepts only null).
// * GetDeviceState, GetDeviceData and Poll never allocate.
// * Objects made before platform::Install installed another back end answer
//   DIERR_NOTINITIALIZED (Unacquire: DI_NOEFFECT, its only other answer).
#pragma once

#include "platform/dinput/dinput_keys.h"
#include "platform/dinput/dinput_types.h"

struct IDirectInputDeviceA : IUnknown {
  virtual HRESULT GetCapabilities(LPDIDEVCAPS lpDIDevCaps) = 0;
  virtual HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA lpCallback, LPVOID pvRef, DWORD dwFlags) = 0;
  virtual HRESULT GetProperty(REFGUID rguidProp, LPDIPROPHEADER pdiph) = 0;
  virtual HRESULT SetProperty(REFGUID rguidProp, LPCDIPROPHEADER pdiph) = 0;
  virtual HRESULT Acquire() = 0;
  virtual HRESULT Unacquire() = 0;
  virtual HRESULT GetDeviceState(DWORD cbData, LPVOID lpvData) = 0;
  virtual HRESULT GetDeviceData(DWORD cbObjectData, LPDIDEVICEOBJECTDATA rgdod, LPDWORD pdwInOut, DWORD dwFlags) = 0;
  virtual HRESULT SetDataFormat(LPCDIDATAFORMAT lpdf) = 0;
  virtual HRESULT SetEventNotification(HANDLE hEvent) = 0;
  virtual HRESULT SetCooperativeLevel(HWND hwnd, DWORD dwFlags) = 0;
  virtual HRESULT GetObjectInfo(LPDIDEVICEOBJECTINSTANCEA pdidoi, DWORD dwObj, DWORD dwHow) = 0;
  virtual HRESULT GetDeviceInfo(LPDIDEVICEINSTANCEA pdidi) = 0;
  virtual HRESULT RunControlPanel(HWND hwndOwner, DWORD dwFlags) = 0;
  virtual HRESULT Initialize(HINSTANCE hinst, DWORD dwVersion, REFGUID rguid) = 0;
};
using LPDIRECTINPUTDEVICEA = IDirectInputDeviceA*;
using LPDIRECTINPUTDEVICE = LPDIRECTINPUTDEVICEA;
using IDirectInputDevice = IDirectInputDeviceA;

struct IDirectInputDevice2A : IDirectInputDeviceA {
  virtual HRESULT CreateEffect(REFGUID rguid, LPCDIEFFECT lpeff, LPDIRECTINPUTEFFECT* ppdeff, LPUNKNOWN punkOuter) = 0;
  virtual HRESULT EnumEffects(LPDIENUMEFFECTSCALLBACKA lpCallback, LPVOID pvRef, DWORD dwEffType) = 0;
  virtual HRESULT GetEffectInfo(LPDIEFFECTINFOA pdei, REFGUID rguid) = 0;
  virtual HRESULT GetForceFeedbackState(LPDWORD pdwOut) = 0;
  virtual HRESULT SendForceFeedbackCommand(DWORD dwFlags) = 0;
  virtual HRESULT EnumCreatedEffectObjects(LPDIENUMCREATEDEFFECTOBJECTSCALLBACK lpCallback, LPVOID pvRef,
                                           DWORD fl) = 0;
  virtual HRESULT Escape(LPDIEFFESCAPE pesc) = 0;
  virtual HRESULT Poll() = 0;
  virtual HRESULT SendDeviceData(DWORD cbObjectData, LPCDIDEVICEOBJECTDATA rgdod, LPDWORD pdwInOut, DWORD fl) = 0;
};
using LPDIRECTINPUTDEVICE2A = IDirectInputDevice2A*;
using LPDIRECTINPUTDEVICE2 = LPDIRECTINPUTDEVICE2A;
using IDirectInputDevice2 = IDirectInputDevice2A;

struct IDirectInputA : IUnknown {
  // GUID_SysKeyboard, GUID_SysMouse or a joystick's guidInstance from
  // EnumDevices; anything else is DIERR_DEVICENOTREG.
  virtual HRESULT CreateDevice(REFGUID rguid, LPDIRECTINPUTDEVICEA* lplpDirectInputDevice, LPUNKNOWN pUnkOuter) = 0;
  // The mouse, the keyboard, then the joysticks in the back end's order,
  // filtered by DIDEVTYPE_* (0: all) and the flags, until the callback
  // returns DIENUM_STOP. Joysticks are listed with DIEDFL_FORCEFEEDBACK only
  // when the back end says they have force feedback.
  virtual HRESULT EnumDevices(DWORD dwDevType, LPDIENUMDEVICESCALLBACKA lpCallback, LPVOID pvRef,
                              DWORD dwFlags) = 0;
  // DI_OK for an attached device, DI_NOTATTACHED for an unplugged joystick.
  virtual HRESULT GetDeviceStatus(REFGUID rguidInstance) = 0;
  virtual HRESULT RunControlPanel(HWND hwndOwner, DWORD dwFlags) = 0;
  virtual HRESULT Initialize(HINSTANCE hinst, DWORD dwVersion) = 0;
};
using LPDIRECTINPUTA = IDirectInputA*;
using LPDIRECTINPUT = LPDIRECTINPUTA;
using IDirectInput = IDirectInputA;

// Makes a DirectInput object. HINST must be the module's instance handle
// (GetModuleHandleA(nullptr)); VERSION 0x0300 or 0x0500 (0: not initialised;
// later versions: DIERR_OLDDIRECTINPUTVERSION; others:
// DIERR_BETADIRECTINPUTVERSION). Without a back end: DIERR_GENERIC.
HRESULT WINAPI DirectInputCreateA(HINSTANCE hinst, DWORD dwVersion, LPDIRECTINPUTA* lplpDirectInput,
                                  LPUNKNOWN punkOuter);
#define DirectInputCreate DirectInputCreateA

// The running program's instance handle for a null name; other modules do
// not exist here (null).
HMODULE GetModuleHandleA(LPCSTR lpModuleName);
