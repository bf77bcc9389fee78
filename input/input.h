// input.h: the keyboard, the mouse and up to ten joysticks.
//
// Keys are identified by their DirectInput scan code (0..255: Escape 1,
// Return 28, Up 200, ...). The frame step calls PollInput once per frame;
// game code asks the built-ins below, whose numbers are doubles.
#pragma once

#include "runtime/runtime.h"

#include <cstdint>

// DirectInput's standard joystick state, filled on every joystick read.
struct DIJOYSTATE {
    std::int32_t lX = 0, lY = 0, lZ = 0;
    std::int32_t lRx = 0, lRy = 0, lRz = 0;
    std::int32_t rglSlider[2] = {0, 0};
    std::uint32_t rgdwPOV[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
    std::uint8_t rgbButtons[32] = {};
};

struct MouseSample {
    std::int16_t button1 = 0, button2 = 0, button3 = 0;
    std::int16_t dx = 0, dy = 0, wheel = 0;
};

struct InputDevices; // defined in the input layer
// The one process-wide device record.
InputDevices& input_devices();

// Engine operations (start-up, frame step, end).
void InputReset(InputDevices& devices);
std::int32_t InputSetup(InputDevices& devices, void* window, void* instance, int exclusive_input);
void InputShutdown(InputDevices& devices);
void PollKeyboard(InputDevices& devices);
void PollInput(InputDevices& devices);
int KeyDown(InputDevices& devices, int code);
int ReadMouse(InputDevices& devices, MouseSample& sample);
int AnyMouseButton(InputDevices& devices);
void ReadJoystick(InputDevices& devices, int index, DIJOYSTATE& state);
int JoystickCount(InputDevices& devices);
RtString JoystickName(InputDevices& devices, int index);
int InkeyChar(InputDevices& devices);
int InkeyAvailable(InputDevices& devices);
void RumbleJoystick(InputDevices& devices, int index, int iterations, int duration, int x, int y);
void WaitForInput();
void WaitKey();
void WaitMouseClick();

// Built-ins for game code.
double KeyDown(double code);
RtString Inkey();
double JoyCount();
RtString JoyName(double joystick);
double JoyX(double joystick);
double JoyY(double joystick);
double JoyZ(double joystick);
double JoyRX(double joystick);
double JoyRY(double joystick);
double JoyRZ(double joystick);
double JoyHatX(double joystick);
double JoyHatY(double joystick);
double JoyButton(double joystick, double button);
void JoyDigital(double* x, double* y, double* button0, double* button1);
void JoyRumble(double joystick, double duration_ms, double x_force, double y_force);
void MouseState(double* x, double* y, double* button1, double* button2);
double MouseAxis(double n);
void SetSystemPointer(double flag);
void SetMousePos(double x, double y);

// Game pads in the standard layout (pads 0..9, controls as in scancodes.h:
// kPadA ... kPadRT). A control reads 0..1: a button 1 while down, a stick
// direction its deflection that way, a trigger how far it is pulled. An
// empty slot reads 0 everywhere.
double PadCount(); // one past the highest slot in use
double PadAttached(double pad);
RtString PadName(double pad);
double PadControl(double pad, double control);

// Scripted input for tests and the whole-program harness: the same state the
// real devices fill, set directly. A scripted joystick counts as attached.
void InputScriptKey(int scan_code, bool down);
void InputScriptJoystick(int index, const DIJOYSTATE& state);
void InputScriptClear(); // all keys and mouse buttons up, scripted joysticks removed
// The pointer moved to (x, y) in client pixels; a button (0 left, 1 right,
// 2 middle) pressed or released; wheel clicks, positive away from the user.
void InputScriptMouseMove(int x, int y);
void InputScriptMouseButton(int button, bool down);
void InputScriptMouseWheel(int clicks);

// The system pointer shows while it moves and hides after this long without
// moving (the frame's PollInput sees to it). A captured pointer stays hidden.
inline constexpr double kPointerHideMs = 2000;
// 1 while the pointer is shown, else 0.
int PointerShown(InputDevices& devices);

// Graphics owns the "Escape ends the program" switch; the waits ask it
// through this query (null: Escape never ends the program).
using InputEscapeQuery = int (*)();
void InputSetEscapeQuery(InputEscapeQuery query);
