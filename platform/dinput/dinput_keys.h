// The DirectInput scan codes that platform/vk.h does not already name, and
// the documented alternative names. Include "platform/dinput.h".
#pragma once

#include <cstdint>

#include "platform/vk.h"

constexpr std::uint16_t DIK_2 = 0x03;
constexpr std::uint16_t DIK_3 = 0x04;
constexpr std::uint16_t DIK_4 = 0x05;
constexpr std::uint16_t DIK_5 = 0x06;
constexpr std::uint16_t DIK_6 = 0x07;
constexpr std::uint16_t DIK_7 = 0x08;
constexpr std::uint16_t DIK_8 = 0x09;
constexpr std::uint16_t DIK_9 = 0x0A;
constexpr std::uint16_t DIK_F2 = 0x3C;
constexpr std::uint16_t DIK_F3 = 0x3D;
constexpr std::uint16_t DIK_F4 = 0x3E;
constexpr std::uint16_t DIK_F5 = 0x3F;
constexpr std::uint16_t DIK_F6 = 0x40;
constexpr std::uint16_t DIK_F7 = 0x41;
constexpr std::uint16_t DIK_F8 = 0x42;
constexpr std::uint16_t DIK_F9 = 0x43;
constexpr std::uint16_t DIK_OEM_102 = 0x56;
constexpr std::uint16_t DIK_F13 = 0x64;
constexpr std::uint16_t DIK_F14 = 0x65;
constexpr std::uint16_t DIK_F15 = 0x66;
constexpr std::uint16_t DIK_KANA = 0x70;
constexpr std::uint16_t DIK_ABNT_C1 = 0x73;
constexpr std::uint16_t DIK_CONVERT = 0x79;
constexpr std::uint16_t DIK_NOCONVERT = 0x7B;
constexpr std::uint16_t DIK_YEN = 0x7D;
constexpr std::uint16_t DIK_ABNT_C2 = 0x7E;
constexpr std::uint16_t DIK_NUMPADEQUALS = 0x8D;
constexpr std::uint16_t DIK_CIRCUMFLEX = 0x90;
constexpr std::uint16_t DIK_AT = 0x91;
constexpr std::uint16_t DIK_COLON = 0x92;
constexpr std::uint16_t DIK_UNDERLINE = 0x93;
constexpr std::uint16_t DIK_KANJI = 0x94;
constexpr std::uint16_t DIK_STOP = 0x95;
constexpr std::uint16_t DIK_AX = 0x96;
constexpr std::uint16_t DIK_UNLABELED = 0x97;
constexpr std::uint16_t DIK_NUMPADCOMMA = 0xB3;
constexpr std::uint16_t DIK_POWER = 0xDE;
constexpr std::uint16_t DIK_SLEEP = 0xDF;

constexpr std::uint16_t DIK_BACKSPACE = DIK_BACK;
constexpr std::uint16_t DIK_NUMPADSTAR = DIK_MULTIPLY;
constexpr std::uint16_t DIK_LALT = DIK_LMENU;
constexpr std::uint16_t DIK_CAPSLOCK = DIK_CAPITAL;
constexpr std::uint16_t DIK_NUMPADMINUS = DIK_SUBTRACT;
constexpr std::uint16_t DIK_NUMPADPLUS = DIK_ADD;
constexpr std::uint16_t DIK_NUMPADPERIOD = DIK_DECIMAL;
constexpr std::uint16_t DIK_NUMPADSLASH = DIK_DIVIDE;
constexpr std::uint16_t DIK_RALT = DIK_RMENU;
constexpr std::uint16_t DIK_UPARROW = DIK_UP;
constexpr std::uint16_t DIK_PGUP = DIK_PRIOR;
constexpr std::uint16_t DIK_LEFTARROW = DIK_LEFT;
constexpr std::uint16_t DIK_RIGHTARROW = DIK_RIGHT;
constexpr std::uint16_t DIK_DOWNARROW = DIK_DOWN;
constexpr std::uint16_t DIK_PGDN = DIK_NEXT;
