// scancodes.h: the keyboard's scan codes by name (DirectInput numbering, the
// numbers binding codes "K<code>" and KeyDown use). Constants only, so any
// layer may include it without linking the input layer.
#pragma once

inline constexpr int kKeyEscape = 1;
inline constexpr int kKey1 = 2, kKey2 = 3, kKey3 = 4, kKey4 = 5, kKey5 = 6;
inline constexpr int kKey6 = 7, kKey7 = 8, kKey8 = 9, kKey9 = 10, kKey0 = 11;
inline constexpr int kKeyBackspace = 14;
inline constexpr int kKeyTab = 15;
inline constexpr int kKeyQ = 16, kKeyW = 17, kKeyE = 18, kKeyR = 19, kKeyT = 20;
inline constexpr int kKeyY = 21, kKeyU = 22, kKeyI = 23, kKeyO = 24, kKeyP = 25;
inline constexpr int kKeyReturn = 28;
inline constexpr int kKeyLeftControl = 29;
inline constexpr int kKeyA = 30, kKeyS = 31, kKeyD = 32, kKeyF = 33, kKeyG = 34;
inline constexpr int kKeyH = 35, kKeyJ = 36, kKeyK = 37, kKeyL = 38;
inline constexpr int kKeyLeftShift = 42;
inline constexpr int kKeyZ = 44, kKeyX = 45, kKeyC = 46, kKeyV = 47, kKeyB = 48;
inline constexpr int kKeyN = 49, kKeyM = 50;
inline constexpr int kKeyRightShift = 54;
inline constexpr int kKeyLeftAlt = 56;
inline constexpr int kKeySpace = 57;
inline constexpr int kKeyF1 = 59;
inline constexpr int kKeyF4 = 62;
inline constexpr int kKeyUp = 200;
inline constexpr int kKeyLeft = 203;
inline constexpr int kKeyRight = 205;
inline constexpr int kKeyDown = 208;
// Codes run from 1 to 255; 0 is no key.
inline constexpr int kKeyCodeCount = 256;

// The controls of a game pad in the standard layout, the numbers of binding
// codes "P<pad>-<control>": the same number means the same button on every
// pad, whatever its maker numbers it. Buttons first, by the face and
// shoulder positions (A is the south face button, B the east one), then the
// sticks by direction and the two triggers.
inline constexpr int kPadA = 0, kPadB = 1, kPadX = 2, kPadY = 3;
inline constexpr int kPadBack = 4, kPadGuide = 5, kPadStart = 6;
inline constexpr int kPadLeftStickPress = 7, kPadRightStickPress = 8;
inline constexpr int kPadLB = 9, kPadRB = 10;
inline constexpr int kPadDpadUp = 11, kPadDpadDown = 12, kPadDpadLeft = 13, kPadDpadRight = 14;
inline constexpr int kPadButtonCount = 15;
inline constexpr int kPadLeftStickLeft = 15, kPadLeftStickRight = 16;
inline constexpr int kPadLeftStickUp = 17, kPadLeftStickDown = 18;
inline constexpr int kPadRightStickLeft = 19, kPadRightStickRight = 20;
inline constexpr int kPadRightStickUp = 21, kPadRightStickDown = 22;
inline constexpr int kPadLT = 23, kPadRT = 24;
inline constexpr int kPadControlCount = 25;
// Pads are numbered 0 to 9, like joysticks.
inline constexpr int kMaxPads = 10;
