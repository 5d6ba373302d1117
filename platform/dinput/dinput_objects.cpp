// Device objects and the predefined data formats.
#include "platform/dinput/dinput_objects.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace platform::dinput {
namespace {

struct KeyName {
  std::uint16_t code;
  const char* name;
};

// Every scan code with a DIK_ name, in code order, with the name a
// US-English keyboard gives the key.
constexpr KeyName kKeys[] = {
    {DIK_ESCAPE, "Esc"}, {DIK_1, "1"}, {DIK_2, "2"}, {DIK_3, "3"}, {DIK_4, "4"}, {DIK_5, "5"}, {DIK_6, "6"},
    {DIK_7, "7"}, {DIK_8, "8"}, {DIK_9, "9"}, {DIK_0, "0"}, {DIK_MINUS, "-"}, {DIK_EQUALS, "="},
    {DIK_BACK, "Backspace"}, {DIK_TAB, "Tab"}, {DIK_Q, "Q"}, {DIK_W, "W"}, {DIK_E, "E"}, {DIK_R, "R"},
    {DIK_T, "T"}, {DIK_Y, "Y"}, {DIK_U, "U"}, {DIK_I, "I"}, {DIK_O, "O"}, {DIK_P, "P"}, {DIK_LBRACKET, "["},
    {DIK_RBRACKET, "]"}, {DIK_RETURN, "Enter"}, {DIK_LCONTROL, "Ctrl"}, {DIK_A, "A"}, {DIK_S, "S"},
    {DIK_D, "D"}, {DIK_F, "F"}, {DIK_G, "G"}, {DIK_H, "H"}, {DIK_J, "J"}, {DIK_K, "K"}, {DIK_L, "L"},
    {DIK_SEMICOLON, ";"}, {DIK_APOSTROPHE, "'"}, {DIK_GRAVE, "`"}, {DIK_LSHIFT, "Shift"},
    {DIK_BACKSLASH, "\\"}, {DIK_Z, "Z"}, {DIK_X, "X"}, {DIK_C, "C"}, {DIK_V, "V"}, {DIK_B, "B"},
    {DIK_N, "N"}, {DIK_M, "M"}, {DIK_COMMA, ","}, {DIK_PERIOD, "."}, {DIK_SLASH, "/"},
    {DIK_RSHIFT, "Right Shift"}, {DIK_MULTIPLY, "Num *"}, {DIK_LMENU, "Alt"}, {DIK_SPACE, "Space"},
    {DIK_CAPITAL, "Caps Lock"}, {DIK_F1, "F1"}, {DIK_F2, "F2"}, {DIK_F3, "F3"}, {DIK_F4, "F4"},
    {DIK_F5, "F5"}, {DIK_F6, "F6"}, {DIK_F7, "F7"}, {DIK_F8, "F8"}, {DIK_F9, "F9"}, {DIK_F10, "F10"},
    {DIK_NUMLOCK, "Num Lock"}, {DIK_SCROLL, "Scroll Lock"}, {DIK_NUMPAD7, "Num 7"}, {DIK_NUMPAD8, "Num 8"},
    {DIK_NUMPAD9, "Num 9"}, {DIK_SUBTRACT, "Num -"}, {DIK_NUMPAD4, "Num 4"}, {DIK_NUMPAD5, "Num 5"},
    {DIK_NUMPAD6, "Num 6"}, {DIK_ADD, "Num +"}, {DIK_NUMPAD1, "Num 1"}, {DIK_NUMPAD2, "Num 2"},
    {DIK_NUMPAD3, "Num 3"}, {DIK_NUMPAD0, "Num 0"}, {DIK_DECIMAL, "Num Del"}, {DIK_OEM_102, "<>"},
    {DIK_F11, "F11"}, {DIK_F12, "F12"}, {DIK_F13, "F13"}, {DIK_F14, "F14"}, {DIK_F15, "F15"},
    {DIK_KANA, "Kana"}, {DIK_ABNT_C1, "/?"}, {DIK_CONVERT, "Convert"}, {DIK_NOCONVERT, "No Convert"},
    {DIK_YEN, "Yen"}, {DIK_ABNT_C2, "Num ."}, {DIK_NUMPADEQUALS, "Num ="}, {DIK_CIRCUMFLEX, "^"},
    {DIK_AT, "@"}, {DIK_COLON, ":"}, {DIK_UNDERLINE, "_"}, {DIK_KANJI, "Kanji"}, {DIK_STOP, "Stop"},
    {DIK_AX, "AX"}, {DIK_UNLABELED, "Unlabeled"}, {DIK_NUMPADENTER, "Num Enter"},
    {DIK_RCONTROL, "Right Ctrl"}, {DIK_NUMPADCOMMA, "Num ,"}, {DIK_DIVIDE, "Num /"}, {DIK_SYSRQ, "Prnt Scrn"},
    {DIK_RMENU, "Right Alt"}, {DIK_PAUSE, "Pause"}, {DIK_HOME, "Home"}, {DIK_UP, "Up"},
    {DIK_PRIOR, "Page Up"}, {DIK_LEFT, "Left"}, {DIK_RIGHT, "Right"}, {DIK_END, "End"}, {DIK_DOWN, "Down"},
    {DIK_NEXT, "Page Down"}, {DIK_INSERT, "Insert"}, {DIK_DELETE, "Delete"}, {DIK_LWIN, "Left Windows"},
    {DIK_RWIN, "Right Windows"}, {DIK_APPS, "Application"}, {DIK_POWER, "Power"}, {DIK_SLEEP, "Sleep"},
};
constexpr int kKeyCount = static_cast<int>(sizeof(kKeys) / sizeof(kKeys[0]));

constexpr bool KeysAscend() {
  for (int i = 1; i < kKeyCount; ++i)
    if (kKeys[i - 1].code >= kKeys[i].code) return false;
  return true;
}
static_assert(KeysAscend(), "the key table is searched by code");

struct KeyboardTables {
  std::array<DeviceObject, kKeyCount> objects{};
  std::array<std::int16_t, 256> indexOf{};
};

const KeyboardTables& Keyboard() {
  static const KeyboardTables tables = [] {
    KeyboardTables t;
    t.indexOf.fill(-1);
    for (int i = 0; i < kKeyCount; ++i) {
      const std::uint16_t code = kKeys[i].code;
      t.objects[static_cast<size_t>(i)] =
          DeviceObject{&GUID_Key, DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(code), 0, Source::Key, code, code};
      t.indexOf[code] = static_cast<std::int16_t>(i);
    }
    return t;
  }();
  return tables;
}

const DeviceObject kMouse[] = {
    {&GUID_XAxis, DIDFT_RELAXIS | DIDFT_MAKEINSTANCE(0), 0, Source::MouseAxis, 0, DIMOFS_X},
    {&GUID_YAxis, DIDFT_RELAXIS | DIDFT_MAKEINSTANCE(1), 0, Source::MouseAxis, 1, DIMOFS_Y},
    {&GUID_ZAxis, DIDFT_RELAXIS | DIDFT_MAKEINSTANCE(2), 0, Source::MouseAxis, 2, DIMOFS_Z},
    {&GUID_Button, DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(0), 0, Source::MouseButton, 0, DIMOFS_BUTTON0},
    {&GUID_Button, DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(1), 0, Source::MouseButton, 1, DIMOFS_BUTTON1},
    {&GUID_Button, DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(2), 0, Source::MouseButton, 2, DIMOFS_BUTTON2},
    {&GUID_Button, DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(3), 0, Source::MouseButton, 3, DIMOFS_BUTTON3},
};

const GUID* const kJoystickAxisTypes[kMaxJoystickAxes] = {&GUID_XAxis,  &GUID_YAxis,  &GUID_ZAxis,  &GUID_RxAxis,
                                                           &GUID_RyAxis, &GUID_RzAxis, &GUID_Slider, &GUID_Slider};
const char* const kJoystickAxisNames[kMaxJoystickAxes] = {"X Axis",     "Y Axis",     "Z Axis", "X Rotation",
                                                          "Y Rotation", "Z Rotation", "Slider", "Slider"};
const char* const kMouseAxisNames[kMouseAxes] = {"X-axis", "Y-axis", "Wheel"};

// --- the predefined formats ----------------------------------------------------------
constexpr DWORD kAnyOptional = DIDFT_ANYINSTANCE | DIDFT_OPTIONAL;

constexpr std::array<DIOBJECTDATAFORMAT, 256> MakeKeyboardFormat() {
  std::array<DIOBJECTDATAFORMAT, 256> f{};
  for (DWORD i = 0; i < 256; ++i) f[i] = {&GUID_Key, i, DIDFT_BUTTON | DIDFT_MAKEINSTANCE(i) | DIDFT_OPTIONAL, 0};
  return f;
}

constexpr std::array<DIOBJECTDATAFORMAT, 44> MakeJoystickFormat() {
  std::array<DIOBJECTDATAFORMAT, 44> f{};
  const GUID* axes[8] = {&GUID_XAxis, &GUID_YAxis, &GUID_ZAxis, &GUID_RxAxis,
                         &GUID_RyAxis, &GUID_RzAxis, &GUID_Slider, &GUID_Slider};
  size_t n = 0;
  for (DWORD i = 0; i < 8; ++i) f[n++] = {axes[i], i * 4, DIDFT_AXIS | kAnyOptional, DIDOI_ASPECTPOSITION};
  for (DWORD i = 0; i < 4; ++i) f[n++] = {&GUID_POV, DIJOFS_POV(i), DIDFT_POV | kAnyOptional, 0};
  for (DWORD i = 0; i < 32; ++i) f[n++] = {nullptr, DIJOFS_BUTTON(i), DIDFT_BUTTON | kAnyOptional, 0};
  return f;
}

constinit std::array<DIOBJECTDATAFORMAT, 256> gKeyboardFormat = MakeKeyboardFormat();
constinit std::array<DIOBJECTDATAFORMAT, 44> gJoystickFormat = MakeJoystickFormat();
constinit std::array<DIOBJECTDATAFORMAT, 7> gMouseFormat = {{
    {&GUID_XAxis, DIMOFS_X, DIDFT_AXIS | DIDFT_ANYINSTANCE, 0},
    {&GUID_YAxis, DIMOFS_Y, DIDFT_AXIS | DIDFT_ANYINSTANCE, 0},
    {&GUID_ZAxis, DIMOFS_Z, DIDFT_AXIS | kAnyOptional, 0},
    {nullptr, DIMOFS_BUTTON0, DIDFT_BUTTON | DIDFT_ANYINSTANCE, 0},
    {nullptr, DIMOFS_BUTTON1, DIDFT_BUTTON | DIDFT_ANYINSTANCE, 0},
    {nullptr, DIMOFS_BUTTON2, DIDFT_BUTTON | kAnyOptional, 0},
    {nullptr, DIMOFS_BUTTON3, DIDFT_BUTTON | kAnyOptional, 0},
}};

}  // namespace

const DeviceObject* KeyboardObjects() { return Keyboard().objects.data(); }
int KeyboardObjectCount() { return kKeyCount; }
int KeyboardObjectIndex(std::uint16_t scanCode) { return scanCode < 256 ? Keyboard().indexOf[scanCode] : -1; }

const DeviceObject* MouseObjects() { return kMouse; }
int MouseObjectCount() { return static_cast<int>(sizeof(kMouse) / sizeof(kMouse[0])); }

std::vector<DeviceObject> JoystickObjects(int axes, int buttons, int povs) {
  axes = std::clamp(axes, 0, kMaxJoystickAxes);
  buttons = std::clamp(buttons, 0, kMaxJoystickButtons);
  povs = std::clamp(povs, 0, kMaxJoystickPovs);
  std::vector<DeviceObject> objects;
  objects.reserve(static_cast<size_t>(axes + buttons + povs));
  for (int i = 0; i < axes; ++i) {
    const auto n = static_cast<std::uint16_t>(i);
    objects.push_back({kJoystickAxisTypes[i], DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(n), DIDOI_ASPECTPOSITION,
                       Source::JoyAxis, n, static_cast<DWORD>(i) * 4});
  }
  for (int i = 0; i < povs; ++i) {
    const auto n = static_cast<std::uint16_t>(i);
    objects.push_back({&GUID_POV, DIDFT_POV | DIDFT_MAKEINSTANCE(n), 0, Source::JoyPov, n, DIJOFS_POV(n)});
  }
  for (int i = 0; i < buttons; ++i) {
    const auto n = static_cast<std::uint16_t>(i);
    objects.push_back(
        {&GUID_Button, DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(n), 0, Source::JoyButton, n, DIJOFS_BUTTON(n)});
  }
  return objects;
}

void ObjectName(const DeviceObject& object, char* out, std::size_t size) {
  if (size == 0) return;
  switch (object.source) {
    case Source::Key: {
      const int i = KeyboardObjectIndex(object.index);
      std::snprintf(out, size, "%s", i >= 0 ? kKeys[i].name : "Key");
      return;
    }
    case Source::MouseAxis:
      std::snprintf(out, size, "%s", kMouseAxisNames[object.index % kMouseAxes]);
      return;
    case Source::JoyAxis:
      std::snprintf(out, size, "%s", kJoystickAxisNames[object.index % kMaxJoystickAxes]);
      return;
    case Source::MouseButton:
    case Source::JoyButton:
      std::snprintf(out, size, "Button %u", static_cast<unsigned>(object.index));
      return;
    case Source::JoyPov:
      std::snprintf(out, size, "POV %u", static_cast<unsigned>(object.index));
      return;
  }
  out[0] = '\0';
}

}  // namespace platform::dinput

const DIDATAFORMAT c_dfDIKeyboard = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, 256, 256,
                                     platform::dinput::gKeyboardFormat.data()};
const DIDATAFORMAT c_dfDIMouse = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS,
                                  sizeof(DIMOUSESTATE), 7, platform::dinput::gMouseFormat.data()};
const DIDATAFORMAT c_dfDIJoystick = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_ABSAXIS,
                                     sizeof(DIJOYSTATE), 44, platform::dinput::gJoystickFormat.data()};
