// DirectInput 5's structures, identifiers, flags and result codes under
// their documented names and values. Include "platform/dinput.h", which
// includes this file.
//
// Structures keep the documented member order. Two of them hold pointers
// (DIDATAFORMAT, DIOBJECTDATAFORMAT) and so are larger here than their
// 32-bit sizes; callers set dwSize and dwObjSize with sizeof, and every call
// checks them exactly. The state records keep their sizes: DIJOYSTATE is 80
// bytes, DIMOUSESTATE 16.
#pragma once

#include <cstdint>

#include "platform/types.h"
#include "platform/unknown.h"

struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
using CHAR = char;

#ifndef MAX_PATH
#define MAX_PATH 260
#endif
#ifndef INFINITE
#define INFINITE 0xFFFFFFFFu
#endif

// The version this platform implements; DIRECTINPUT_VERSION 0x0300 objects
// are also made, and report the shorter DirectX 3 structures.
#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0500
#endif

// --- identifiers ---------------------------------------------------------------
extern const IID IID_IDirectInputA;
extern const IID IID_IDirectInput2A;  // not offered: QueryInterface answers E_NOINTERFACE
extern const IID IID_IDirectInputDeviceA;
extern const IID IID_IDirectInputDevice2A;

extern const GUID GUID_SysMouse;
extern const GUID GUID_SysKeyboard;
extern const GUID GUID_Joystick;

extern const GUID GUID_XAxis;
extern const GUID GUID_YAxis;
extern const GUID GUID_ZAxis;
extern const GUID GUID_RxAxis;
extern const GUID GUID_RyAxis;
extern const GUID GUID_RzAxis;
extern const GUID GUID_Slider;
extern const GUID GUID_Button;
extern const GUID GUID_Key;
extern const GUID GUID_POV;
extern const GUID GUID_Unknown;

// Property identifiers. The documented header makes them from small integers
// cast to GUID addresses; here each is a GUID object of its own, so code that
// passes DIPROP_RANGE and friends compiles unchanged and nothing dereferences
// an address that is not one.
extern const GUID DIPROP_BUFFERSIZE;
extern const GUID DIPROP_AXISMODE;
extern const GUID DIPROP_GRANULARITY;
extern const GUID DIPROP_RANGE;
extern const GUID DIPROP_DEADZONE;
extern const GUID DIPROP_SATURATION;
extern const GUID DIPROP_FFGAIN;
extern const GUID DIPROP_FFLOAD;
extern const GUID DIPROP_AUTOCENTER;
extern const GUID DIPROP_CALIBRATIONMODE;

// --- result codes ------------------------------------------------------------------
#ifndef BRIN_COM_ACCESS_CODES_DEFINED
#define BRIN_COM_ACCESS_CODES_DEFINED
constexpr HRESULT E_ACCESSDENIED = static_cast<HRESULT>(0x80070005u);
constexpr HRESULT E_HANDLE = static_cast<HRESULT>(0x80070006u);
constexpr HRESULT E_PENDING = static_cast<HRESULT>(0x8000000Au);
#endif

constexpr HRESULT DI_OK = S_OK;
constexpr HRESULT DI_NOTATTACHED = S_FALSE;
constexpr HRESULT DI_BUFFEROVERFLOW = S_FALSE;
constexpr HRESULT DI_PROPNOEFFECT = S_FALSE;
constexpr HRESULT DI_NOEFFECT = S_FALSE;
constexpr HRESULT DI_POLLEDDEVICE = 2;
constexpr HRESULT DI_DOWNLOADSKIPPED = 3;
constexpr HRESULT DI_EFFECTRESTARTED = 4;
constexpr HRESULT DI_TRUNCATED = 8;
constexpr HRESULT DI_TRUNCATEDANDRESTARTED = 12;

constexpr HRESULT DIERR_OLDDIRECTINPUTVERSION = static_cast<HRESULT>(0x8007047Eu);
constexpr HRESULT DIERR_BETADIRECTINPUTVERSION = static_cast<HRESULT>(0x80070481u);
constexpr HRESULT DIERR_BADDRIVERVER = static_cast<HRESULT>(0x80070077u);
constexpr HRESULT DIERR_DEVICENOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT DIERR_NOTFOUND = static_cast<HRESULT>(0x80070002u);
constexpr HRESULT DIERR_OBJECTNOTFOUND = DIERR_NOTFOUND;
constexpr HRESULT DIERR_INVALIDPARAM = E_INVALIDARG;
constexpr HRESULT DIERR_NOINTERFACE = E_NOINTERFACE;
constexpr HRESULT DIERR_GENERIC = E_FAIL;
constexpr HRESULT DIERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HRESULT DIERR_UNSUPPORTED = E_NOTIMPL;
constexpr HRESULT DIERR_NOTINITIALIZED = static_cast<HRESULT>(0x80070015u);
constexpr HRESULT DIERR_ALREADYINITIALIZED = static_cast<HRESULT>(0x800704DFu);
constexpr HRESULT DIERR_NOAGGREGATION = CLASS_E_NOAGGREGATION;
constexpr HRESULT DIERR_OTHERAPPHASPRIO = E_ACCESSDENIED;
constexpr HRESULT DIERR_INPUTLOST = static_cast<HRESULT>(0x8007001Eu);
constexpr HRESULT DIERR_ACQUIRED = static_cast<HRESULT>(0x800700AAu);
constexpr HRESULT DIERR_NOTACQUIRED = static_cast<HRESULT>(0x8007000Cu);
constexpr HRESULT DIERR_READONLY = E_ACCESSDENIED;
constexpr HRESULT DIERR_HANDLEEXISTS = E_ACCESSDENIED;
constexpr HRESULT DIERR_INSUFFICIENTPRIVS = static_cast<HRESULT>(0x80040200u);
constexpr HRESULT DIERR_DEVICEFULL = static_cast<HRESULT>(0x80040201u);
constexpr HRESULT DIERR_MOREDATA = static_cast<HRESULT>(0x80040202u);
constexpr HRESULT DIERR_NOTDOWNLOADED = static_cast<HRESULT>(0x80040203u);
constexpr HRESULT DIERR_HASEFFECTS = static_cast<HRESULT>(0x80040204u);
constexpr HRESULT DIERR_NOTEXCLUSIVEACQUIRED = static_cast<HRESULT>(0x80040205u);
constexpr HRESULT DIERR_INCOMPLETEEFFECT = static_cast<HRESULT>(0x80040206u);
constexpr HRESULT DIERR_NOTBUFFERED = static_cast<HRESULT>(0x80040207u);
constexpr HRESULT DIERR_EFFECTPLAYING = static_cast<HRESULT>(0x80040208u);
// From later versions: a joystick that was unplugged cannot be acquired.
constexpr HRESULT DIERR_UNPLUGGED = static_cast<HRESULT>(0x80040209u);
constexpr HRESULT DIERR_REPORTFULL = static_cast<HRESULT>(0x8004020Au);

// --- cooperative levels, enumeration, device types ---------------------------------
constexpr DWORD DISCL_EXCLUSIVE = 0x00000001;
constexpr DWORD DISCL_NONEXCLUSIVE = 0x00000002;
constexpr DWORD DISCL_FOREGROUND = 0x00000004;
constexpr DWORD DISCL_BACKGROUND = 0x00000008;

constexpr BOOL DIENUM_STOP = 0;
constexpr BOOL DIENUM_CONTINUE = 1;

constexpr DWORD DIEDFL_ALLDEVICES = 0x00000000;
constexpr DWORD DIEDFL_ATTACHEDONLY = 0x00000001;
constexpr DWORD DIEDFL_FORCEFEEDBACK = 0x00000100;

constexpr DWORD DIDEVTYPE_DEVICE = 1;
constexpr DWORD DIDEVTYPE_MOUSE = 2;
constexpr DWORD DIDEVTYPE_KEYBOARD = 3;
constexpr DWORD DIDEVTYPE_JOYSTICK = 4;
constexpr DWORD DIDEVTYPE_HID = 0x00010000;

constexpr DWORD DIDEVTYPEMOUSE_UNKNOWN = 1;
constexpr DWORD DIDEVTYPEMOUSE_TRADITIONAL = 2;
constexpr DWORD DIDEVTYPEMOUSE_FINGERSTICK = 3;
constexpr DWORD DIDEVTYPEMOUSE_TOUCHPAD = 4;
constexpr DWORD DIDEVTYPEMOUSE_TRACKBALL = 5;
constexpr DWORD DIDEVTYPEKEYBOARD_UNKNOWN = 0;
constexpr DWORD DIDEVTYPEKEYBOARD_PCENH = 4;
constexpr DWORD DIDEVTYPEKEYBOARD_JAPAN106 = 10;
constexpr DWORD DIDEVTYPEJOYSTICK_UNKNOWN = 1;
constexpr DWORD DIDEVTYPEJOYSTICK_TRADITIONAL = 2;
constexpr DWORD DIDEVTYPEJOYSTICK_FLIGHTSTICK = 3;
constexpr DWORD DIDEVTYPEJOYSTICK_GAMEPAD = 4;
constexpr DWORD DIDEVTYPEJOYSTICK_RUDDER = 5;
constexpr DWORD DIDEVTYPEJOYSTICK_WHEEL = 6;
constexpr DWORD DIDEVTYPEJOYSTICK_HEADTRACKER = 7;

constexpr BYTE GET_DIDEVICE_TYPE(DWORD devType) { return static_cast<BYTE>(devType & 0xFF); }
constexpr BYTE GET_DIDEVICE_SUBTYPE(DWORD devType) { return static_cast<BYTE>((devType >> 8) & 0xFF); }

// --- capabilities ----------------------------------------------------------------------
constexpr DWORD DIDC_ATTACHED = 0x00000001;
constexpr DWORD DIDC_POLLEDDEVICE = 0x00000002;
constexpr DWORD DIDC_EMULATED = 0x00000004;
constexpr DWORD DIDC_POLLEDDATAFORMAT = 0x00000008;
constexpr DWORD DIDC_FORCEFEEDBACK = 0x00000100;
constexpr DWORD DIDC_FFATTACK = 0x00000200;
constexpr DWORD DIDC_FFFADE = 0x00000400;
constexpr DWORD DIDC_SATURATION = 0x00000800;
constexpr DWORD DIDC_POSNEGCOEFFICIENTS = 0x00001000;
constexpr DWORD DIDC_POSNEGSATURATION = 0x00002000;
constexpr DWORD DIDC_DEADBAND = 0x00004000;

struct DIDEVCAPS_DX3 {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwDevType;
  DWORD dwAxes;
  DWORD dwButtons;
  DWORD dwPOVs;
};
using LPDIDEVCAPS_DX3 = DIDEVCAPS_DX3*;

struct DIDEVCAPS {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwDevType;
  DWORD dwAxes;
  DWORD dwButtons;
  DWORD dwPOVs;
  DWORD dwFFSamplePeriod;
  DWORD dwFFMinTimeResolution;
  DWORD dwFirmwareRevision;
  DWORD dwHardwareRevision;
  DWORD dwFFDriverVersion;
};
using LPDIDEVCAPS = DIDEVCAPS*;
static_assert(sizeof(DIDEVCAPS) == 44);

// --- data formats ----------------------------------------------------------------------
constexpr DWORD DIDFT_ALL = 0x00000000;
constexpr DWORD DIDFT_RELAXIS = 0x00000001;
constexpr DWORD DIDFT_ABSAXIS = 0x00000002;
constexpr DWORD DIDFT_AXIS = 0x00000003;
constexpr DWORD DIDFT_PSHBUTTON = 0x00000004;
constexpr DWORD DIDFT_TGLBUTTON = 0x00000008;
constexpr DWORD DIDFT_BUTTON = 0x0000000C;
constexpr DWORD DIDFT_POV = 0x00000010;
constexpr DWORD DIDFT_COLLECTION = 0x00000040;
constexpr DWORD DIDFT_NODATA = 0x00000080;
constexpr DWORD DIDFT_ANYINSTANCE = 0x00FFFF00;
constexpr DWORD DIDFT_INSTANCEMASK = DIDFT_ANYINSTANCE;
constexpr DWORD DIDFT_FFACTUATOR = 0x01000000;
constexpr DWORD DIDFT_FFEFFECTTRIGGER = 0x02000000;
constexpr DWORD DIDFT_NOCOLLECTION = 0x00FFFF00;
constexpr DWORD DIDFT_OPTIONAL = 0x80000000;
constexpr DWORD DIDFT_MAKEINSTANCE(DWORD n) { return static_cast<DWORD>(static_cast<WORD>(n)) << 8; }
constexpr BYTE DIDFT_GETTYPE(DWORD n) { return static_cast<BYTE>(n & 0xFF); }
constexpr WORD DIDFT_GETINSTANCE(DWORD n) { return static_cast<WORD>((n >> 8) & 0xFFFF); }

constexpr DWORD DIDF_ABSAXIS = 0x00000001;
constexpr DWORD DIDF_RELAXIS = 0x00000002;

constexpr DWORD DIDOI_FFACTUATOR = 0x00000001;
constexpr DWORD DIDOI_FFEFFECTTRIGGER = 0x00000002;
constexpr DWORD DIDOI_POLLED = 0x00008000;
constexpr DWORD DIDOI_ASPECTPOSITION = 0x00000100;
constexpr DWORD DIDOI_ASPECTVELOCITY = 0x00000200;
constexpr DWORD DIDOI_ASPECTACCEL = 0x00000300;
constexpr DWORD DIDOI_ASPECTFORCE = 0x00000400;
constexpr DWORD DIDOI_ASPECTMASK = 0x00000F00;

struct DIOBJECTDATAFORMAT {
  const GUID* pguid;  // null: any object of the type
  DWORD dwOfs;
  DWORD dwType;
  DWORD dwFlags;
};
using LPDIOBJECTDATAFORMAT = DIOBJECTDATAFORMAT*;
using LPCDIOBJECTDATAFORMAT = const DIOBJECTDATAFORMAT*;

struct DIDATAFORMAT {
  DWORD dwSize;
  DWORD dwObjSize;
  DWORD dwFlags;
  DWORD dwDataSize;
  DWORD dwNumObjs;
  LPDIOBJECTDATAFORMAT rgodf;
};
using LPDIDATAFORMAT = DIDATAFORMAT*;
using LPCDIDATAFORMAT = const DIDATAFORMAT*;

// The predefined formats: 256 key bytes, DIMOUSESTATE, DIJOYSTATE.
extern const DIDATAFORMAT c_dfDIKeyboard;
extern const DIDATAFORMAT c_dfDIMouse;
extern const DIDATAFORMAT c_dfDIJoystick;

struct DIMOUSESTATE {
  LONG lX;
  LONG lY;
  LONG lZ;
  BYTE rgbButtons[4];
};
using LPDIMOUSESTATE = DIMOUSESTATE*;
static_assert(sizeof(DIMOUSESTATE) == 16);

constexpr DWORD DIMOFS_X = 0;
constexpr DWORD DIMOFS_Y = 4;
constexpr DWORD DIMOFS_Z = 8;
constexpr DWORD DIMOFS_BUTTON0 = 12;
constexpr DWORD DIMOFS_BUTTON1 = 13;
constexpr DWORD DIMOFS_BUTTON2 = 14;
constexpr DWORD DIMOFS_BUTTON3 = 15;

struct DIJOYSTATE {
  LONG lX;
  LONG lY;
  LONG lZ;
  LONG lRx;
  LONG lRy;
  LONG lRz;
  LONG rglSlider[2];
  DWORD rgdwPOV[4];
  BYTE rgbButtons[32];
};
using LPDIJOYSTATE = DIJOYSTATE*;
static_assert(sizeof(DIJOYSTATE) == 80);

constexpr DWORD DIJOFS_X = 0;
constexpr DWORD DIJOFS_Y = 4;
constexpr DWORD DIJOFS_Z = 8;
constexpr DWORD DIJOFS_RX = 12;
constexpr DWORD DIJOFS_RY = 16;
constexpr DWORD DIJOFS_RZ = 20;
constexpr DWORD DIJOFS_SLIDER(DWORD n) { return 24 + n * 4; }
constexpr DWORD DIJOFS_POV(DWORD n) { return 32 + n * 4; }
constexpr DWORD DIJOFS_BUTTON(DWORD n) { return 48 + n; }

// --- buffered data -----------------------------------------------------------------------
struct DIDEVICEOBJECTDATA {
  DWORD dwOfs;        // the object's offset in the data format
  DWORD dwData;       // axis value or motion, 0x80 / 0 for a button, POV angle
  DWORD dwTimeStamp;  // milliseconds, on the clock of GetTickCount
  DWORD dwSequence;   // one number per input event, rising
};
using LPDIDEVICEOBJECTDATA = DIDEVICEOBJECTDATA*;
using LPCDIDEVICEOBJECTDATA = const DIDEVICEOBJECTDATA*;
static_assert(sizeof(DIDEVICEOBJECTDATA) == 16);

constexpr DWORD DIGDD_PEEK = 0x00000001;

// --- properties ----------------------------------------------------------------------------
constexpr DWORD DIPH_DEVICE = 0;
constexpr DWORD DIPH_BYOFFSET = 1;
constexpr DWORD DIPH_BYID = 2;

struct DIPROPHEADER {
  DWORD dwSize;
  DWORD dwHeaderSize;
  DWORD dwObj;
  DWORD dwHow;
};
using LPDIPROPHEADER = DIPROPHEADER*;
using LPCDIPROPHEADER = const DIPROPHEADER*;

struct DIPROPDWORD {
  DIPROPHEADER diph;
  DWORD dwData;
};
using LPDIPROPDWORD = DIPROPDWORD*;

struct DIPROPRANGE {
  DIPROPHEADER diph;
  LONG lMin;
  LONG lMax;
};
using LPDIPROPRANGE = DIPROPRANGE*;

constexpr LONG DIPROPRANGE_NOMIN = static_cast<LONG>(0x80000000u);
constexpr LONG DIPROPRANGE_NOMAX = 0x7FFFFFFF;
constexpr DWORD DIPROPAXISMODE_ABS = 0;
constexpr DWORD DIPROPAXISMODE_REL = 1;
constexpr DWORD DIPROPAUTOCENTER_OFF = 0;
constexpr DWORD DIPROPAUTOCENTER_ON = 1;
constexpr DWORD DIPROPCALIBRATIONMODE_COOKED = 0;
constexpr DWORD DIPROPCALIBRATIONMODE_RAW = 1;

// --- device and object descriptions ---------------------------------------------------------
struct DIDEVICEINSTANCE_DX3A {
  DWORD dwSize;
  GUID guidInstance;
  GUID guidProduct;
  DWORD dwDevType;
  CHAR tszInstanceName[MAX_PATH];
  CHAR tszProductName[MAX_PATH];
};

struct DIDEVICEINSTANCEA {
  DWORD dwSize;
  GUID guidInstance;
  GUID guidProduct;
  DWORD dwDevType;
  CHAR tszInstanceName[MAX_PATH];
  CHAR tszProductName[MAX_PATH];
  GUID guidFFDriver;
  WORD wUsagePage;
  WORD wUsage;
};
using LPDIDEVICEINSTANCEA = DIDEVICEINSTANCEA*;
using LPCDIDEVICEINSTANCEA = const DIDEVICEINSTANCEA*;

struct DIDEVICEOBJECTINSTANCE_DX3A {
  DWORD dwSize;
  GUID guidType;
  DWORD dwOfs;
  DWORD dwType;
  DWORD dwFlags;
  CHAR tszName[MAX_PATH];
};

struct DIDEVICEOBJECTINSTANCEA {
  DWORD dwSize;
  GUID guidType;
  DWORD dwOfs;
  DWORD dwType;
  DWORD dwFlags;
  CHAR tszName[MAX_PATH];
  DWORD dwFFMaxForce;
  DWORD dwFFForceResolution;
  WORD wCollectionNumber;
  WORD wDesignatorIndex;
  WORD wUsagePage;
  WORD wUsage;
  DWORD dwDimension;
  WORD wExponent;
  WORD wReserved;
};
using LPDIDEVICEOBJECTINSTANCEA = DIDEVICEOBJECTINSTANCEA*;
using LPCDIDEVICEOBJECTINSTANCEA = const DIDEVICEOBJECTINSTANCEA*;

// --- force feedback ------------------------------------------------------------------------
// No back end plays effects, so these are only passed through to refusals;
// DIEFFECTINFOA is complete because GetEffectInfo checks its size.
struct DIEFFECT;
struct DIEFFESCAPE;
struct IDirectInputEffect;
using LPCDIEFFECT = const DIEFFECT*;
using LPDIEFFESCAPE = DIEFFESCAPE*;
using LPDIRECTINPUTEFFECT = IDirectInputEffect*;

struct DIEFFECTINFOA {
  DWORD dwSize;
  GUID guid;
  DWORD dwEffType;
  DWORD dwStaticParams;
  DWORD dwDynamicParams;
  CHAR tszName[MAX_PATH];
};
using LPDIEFFECTINFOA = DIEFFECTINFOA*;
using LPCDIEFFECTINFOA = const DIEFFECTINFOA*;

constexpr DWORD DIEFT_ALL = 0x00000000;
constexpr DWORD DISFFC_RESET = 0x00000001;
constexpr DWORD DISFFC_STOPALL = 0x00000002;
constexpr DWORD DISFFC_PAUSE = 0x00000004;
constexpr DWORD DISFFC_CONTINUE = 0x00000008;
constexpr DWORD DISFFC_SETACTUATORSON = 0x00000010;
constexpr DWORD DISFFC_SETACTUATORSOFF = 0x00000020;

// --- callbacks ------------------------------------------------------------------------------
using LPDIENUMDEVICESCALLBACKA = BOOL(CALLBACK*)(LPCDIDEVICEINSTANCEA lpddi, LPVOID pvRef);
using LPDIENUMDEVICEOBJECTSCALLBACKA = BOOL(CALLBACK*)(LPCDIDEVICEOBJECTINSTANCEA lpddoi, LPVOID pvRef);
using LPDIENUMEFFECTSCALLBACKA = BOOL(CALLBACK*)(LPCDIEFFECTINFOA pdei, LPVOID pvRef);
using LPDIENUMCREATEDEFFECTOBJECTSCALLBACK = BOOL(CALLBACK*)(LPDIRECTINPUTEFFECT peff, LPVOID pvRef);
