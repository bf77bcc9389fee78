// plat_input.cpp: keyboard, mouse and joystick state on SDL2.
//
// SDL scancodes are translated to DirectInput scan codes here, once, so every
// caller above speaks one numbering. Key, pointer and wheel state come from
// events (a test pushes events and pumps); joysticks are read from SDL's
// joystick state, which the same pump refreshes, so every read within a
// frame agrees and costs no device access.
#include "platform/plat_input.h"

#include "platform/plat_pads.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

namespace {

// ---------------------------------------------------------------- scan codes

struct ScanPair {
    SDL_Scancode sdl;
    std::uint8_t code;
};

// Every key a PC keyboard can produce, by its DirectInput scan code. Several
// SDL scancodes may share a code (two mute keys, two print-screen keys).
constexpr ScanPair kScanPairs[] = {
    {SDL_SCANCODE_ESCAPE, 1},
    {SDL_SCANCODE_1, 2},
    {SDL_SCANCODE_2, 3},
    {SDL_SCANCODE_3, 4},
    {SDL_SCANCODE_4, 5},
    {SDL_SCANCODE_5, 6},
    {SDL_SCANCODE_6, 7},
    {SDL_SCANCODE_7, 8},
    {SDL_SCANCODE_8, 9},
    {SDL_SCANCODE_9, 10},
    {SDL_SCANCODE_0, 11},
    {SDL_SCANCODE_MINUS, 12},
    {SDL_SCANCODE_EQUALS, 13},
    {SDL_SCANCODE_BACKSPACE, 14},
    {SDL_SCANCODE_TAB, 15},
    {SDL_SCANCODE_Q, 16},
    {SDL_SCANCODE_W, 17},
    {SDL_SCANCODE_E, 18},
    {SDL_SCANCODE_R, 19},
    {SDL_SCANCODE_T, 20},
    {SDL_SCANCODE_Y, 21},
    {SDL_SCANCODE_U, 22},
    {SDL_SCANCODE_I, 23},
    {SDL_SCANCODE_O, 24},
    {SDL_SCANCODE_P, 25},
    {SDL_SCANCODE_LEFTBRACKET, 26},
    {SDL_SCANCODE_RIGHTBRACKET, 27},
    {SDL_SCANCODE_RETURN, 28},
    {SDL_SCANCODE_LCTRL, 29},
    {SDL_SCANCODE_A, 30},
    {SDL_SCANCODE_S, 31},
    {SDL_SCANCODE_D, 32},
    {SDL_SCANCODE_F, 33},
    {SDL_SCANCODE_G, 34},
    {SDL_SCANCODE_H, 35},
    {SDL_SCANCODE_J, 36},
    {SDL_SCANCODE_K, 37},
    {SDL_SCANCODE_L, 38},
    {SDL_SCANCODE_SEMICOLON, 39},
    {SDL_SCANCODE_APOSTROPHE, 40},
    {SDL_SCANCODE_GRAVE, 41},
    {SDL_SCANCODE_LSHIFT, 42},
    {SDL_SCANCODE_BACKSLASH, 43},
    {SDL_SCANCODE_NONUSHASH, 43},
    {SDL_SCANCODE_Z, 44},
    {SDL_SCANCODE_X, 45},
    {SDL_SCANCODE_C, 46},
    {SDL_SCANCODE_V, 47},
    {SDL_SCANCODE_B, 48},
    {SDL_SCANCODE_N, 49},
    {SDL_SCANCODE_M, 50},
    {SDL_SCANCODE_COMMA, 51},
    {SDL_SCANCODE_PERIOD, 52},
    {SDL_SCANCODE_SLASH, 53},
    {SDL_SCANCODE_RSHIFT, 54},
    {SDL_SCANCODE_KP_MULTIPLY, 55},
    {SDL_SCANCODE_LALT, 56},
    {SDL_SCANCODE_SPACE, 57},
    {SDL_SCANCODE_CAPSLOCK, 58},
    {SDL_SCANCODE_F1, 59},
    {SDL_SCANCODE_F2, 60},
    {SDL_SCANCODE_F3, 61},
    {SDL_SCANCODE_F4, 62},
    {SDL_SCANCODE_F5, 63},
    {SDL_SCANCODE_F6, 64},
    {SDL_SCANCODE_F7, 65},
    {SDL_SCANCODE_F8, 66},
    {SDL_SCANCODE_F9, 67},
    {SDL_SCANCODE_F10, 68},
    {SDL_SCANCODE_NUMLOCKCLEAR, 69},
    {SDL_SCANCODE_SCROLLLOCK, 70},
    {SDL_SCANCODE_KP_7, 71},
    {SDL_SCANCODE_KP_8, 72},
    {SDL_SCANCODE_KP_9, 73},
    {SDL_SCANCODE_KP_MINUS, 74},
    {SDL_SCANCODE_KP_4, 75},
    {SDL_SCANCODE_KP_5, 76},
    {SDL_SCANCODE_KP_6, 77},
    {SDL_SCANCODE_KP_PLUS, 78},
    {SDL_SCANCODE_KP_1, 79},
    {SDL_SCANCODE_KP_2, 80},
    {SDL_SCANCODE_KP_3, 81},
    {SDL_SCANCODE_KP_0, 82},
    {SDL_SCANCODE_KP_PERIOD, 83},
    {SDL_SCANCODE_NONUSBACKSLASH, 86},
    {SDL_SCANCODE_F11, 87},
    {SDL_SCANCODE_F12, 88},
    {SDL_SCANCODE_F13, 100},
    {SDL_SCANCODE_F14, 101},
    {SDL_SCANCODE_F15, 102},
    // Japanese and Brazilian keys: HID's "international" usages.
    {SDL_SCANCODE_INTERNATIONAL2, 112},
    {SDL_SCANCODE_INTERNATIONAL1, 115},
    {SDL_SCANCODE_INTERNATIONAL4, 121},
    {SDL_SCANCODE_INTERNATIONAL5, 123},
    {SDL_SCANCODE_INTERNATIONAL3, 125},
    {SDL_SCANCODE_KP_COMMA, 126},
    {SDL_SCANCODE_KP_EQUALS, 141},
    {SDL_SCANCODE_AUDIOPREV, 144},
    {SDL_SCANCODE_KP_AT, 145},
    {SDL_SCANCODE_KP_COLON, 146},
    // NEC PC-98, AX and J-3100 keys have no HID usage of their own; they take
    // the remaining international usages.
    {SDL_SCANCODE_INTERNATIONAL7, 147},
    {SDL_SCANCODE_LANG2, 148},
    {SDL_SCANCODE_STOP, 149},
    {SDL_SCANCODE_INTERNATIONAL8, 150},
    {SDL_SCANCODE_INTERNATIONAL9, 151},
    {SDL_SCANCODE_AUDIONEXT, 153},
    {SDL_SCANCODE_KP_ENTER, 156},
    {SDL_SCANCODE_RCTRL, 157},
    {SDL_SCANCODE_AUDIOMUTE, 160},
    {SDL_SCANCODE_MUTE, 160},
    {SDL_SCANCODE_CALCULATOR, 161},
    {SDL_SCANCODE_AUDIOPLAY, 162},
    {SDL_SCANCODE_AUDIOSTOP, 164},
    {SDL_SCANCODE_VOLUMEDOWN, 174},
    {SDL_SCANCODE_VOLUMEUP, 176},
    {SDL_SCANCODE_AC_HOME, 178},
    {SDL_SCANCODE_INTERNATIONAL6, 179},
    {SDL_SCANCODE_KP_DIVIDE, 181},
    {SDL_SCANCODE_PRINTSCREEN, 183},
    {SDL_SCANCODE_SYSREQ, 183},
    {SDL_SCANCODE_RALT, 184},
    {SDL_SCANCODE_PAUSE, 197},
    {SDL_SCANCODE_HOME, 199},
    {SDL_SCANCODE_UP, 200},
    {SDL_SCANCODE_PAGEUP, 201},
    {SDL_SCANCODE_LEFT, 203},
    {SDL_SCANCODE_RIGHT, 205},
    {SDL_SCANCODE_END, 207},
    {SDL_SCANCODE_DOWN, 208},
    {SDL_SCANCODE_PAGEDOWN, 209},
    {SDL_SCANCODE_INSERT, 210},
    {SDL_SCANCODE_DELETE, 211},
    {SDL_SCANCODE_LGUI, 219},
    {SDL_SCANCODE_RGUI, 220},
    {SDL_SCANCODE_APPLICATION, 221},
    {SDL_SCANCODE_POWER, 222},
    {SDL_SCANCODE_SLEEP, 223},
    {SDL_SCANCODE_AC_SEARCH, 229},
    {SDL_SCANCODE_AC_BOOKMARKS, 230},
    {SDL_SCANCODE_AC_REFRESH, 231},
    {SDL_SCANCODE_AC_STOP, 232},
    {SDL_SCANCODE_AC_FORWARD, 233},
    {SDL_SCANCODE_AC_BACK, 234},
    {SDL_SCANCODE_COMPUTER, 235},
    {SDL_SCANCODE_MAIL, 236},
    {SDL_SCANCODE_MEDIASELECT, 237},
};

// A press seen since the last read is held in the readings until a pump
// after that read, so a key, mouse button or joystick button pressed and
// released between two frames' reads is still seen once.
bool g_read_since_pump = false;

struct KeyboardState {
    std::uint8_t down[256] = {};
    // What reads see: down, or pressed since the last read.
    std::uint8_t seen[256] = {};
    bool pressed[256] = {};
    // Text the layout typed with each key's latest press (0: none seen).
    std::uint8_t typed[256] = {};
    int last_pressed = 0;
};

KeyboardState& keyboard() {
    static KeyboardState state;
    return state;
}

void handle_key(const SDL_KeyboardEvent& key) {
    int code = plat_key_from_sdl(key.keysym.scancode);
    if (code == 0) return;
    KeyboardState& kb = keyboard();
    if (key.type == SDL_KEYDOWN) {
        if (!key.repeat) kb.typed[code] = 0;
        kb.down[code] = 0x80;
        kb.seen[code] = 0x80;
        kb.pressed[code] = true;
        kb.last_pressed = code;
    } else {
        kb.down[code] = 0;
        if (!kb.pressed[code]) kb.seen[code] = 0;
    }
}

// SDL reports typed text after the key event that produced it; a single
// plain character is remembered for that key so shifted and dead-key layouts
// give what the user sees.
void handle_text(const SDL_TextInputEvent& text) {
    KeyboardState& kb = keyboard();
    auto c = static_cast<unsigned char>(text.text[0]);
    if (kb.last_pressed == 0 || c < 32 || c >= 128 || text.text[1] != 0) return;
    kb.typed[kb.last_pressed] = c;
}

// Keypad keys have keycodes outside the character range; they type their
// symbols (digits only with Num Lock on).
int keypad_char(SDL_Keycode key) {
    switch (key) {
    case SDLK_KP_DIVIDE:
        return '/';
    case SDLK_KP_MULTIPLY:
        return '*';
    case SDLK_KP_MINUS:
        return '-';
    case SDLK_KP_PLUS:
        return '+';
    default:
        break;
    }
    if ((SDL_GetModState() & KMOD_NUM) == 0) return 0;
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return '1' + static_cast<int>(key - SDLK_KP_1);
    if (key == SDLK_KP_0) return '0';
    if (key == SDLK_KP_PERIOD) return '.';
    return 0;
}

// ---------------------------------------------------------------- mouse

struct MouseState {
    bool moved = false; // a motion event has been seen
    int x = 0, y = 0;
    int rel_dx = 0, rel_dy = 0, wheel = 0;
    bool buttons[3] = {false, false, false};
    bool pressed[3] = {false, false, false}; // since the last read
};

MouseState& mouse() {
    static MouseState state;
    return state;
}

void handle_button(const SDL_MouseButtonEvent& button) {
    int index = button.button == SDL_BUTTON_LEFT     ? 0
                : button.button == SDL_BUTTON_RIGHT  ? 1
                : button.button == SDL_BUTTON_MIDDLE ? 2
                                                     : -1;
    if (index < 0) return;
    const bool down = button.state == SDL_PRESSED;
    mouse().buttons[index] = down;
    if (down) mouse().pressed[index] = true;
}

// ---------------------------------------------------------------- joysticks

struct JoySlot {
    SDL_Joystick* handle = nullptr;
    SDL_JoystickID id = -1;
    std::string name;
    bool pressed[32] = {}; // buttons pressed since the last read
};

JoySlot* joy_slots() {
    static JoySlot slots[kPlatMaxJoysticks];
    return slots;
}

void joy_open(int device_index) {
    SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(device_index);
    JoySlot* slots = joy_slots();
    JoySlot* free_slot = nullptr;
    for (int i = 0; i < kPlatMaxJoysticks; ++i) {
        if (slots[i].handle && slots[i].id == id) return;
        if (!slots[i].handle && !free_slot) free_slot = &slots[i];
    }
    if (!free_slot) return;
    SDL_Joystick* handle = SDL_JoystickOpen(device_index);
    if (!handle) return;
    const char* name = SDL_JoystickName(handle);
    free_slot->handle = handle;
    free_slot->id = SDL_JoystickInstanceID(handle);
    // Names keep the "instance, product" form; SDL knows one name for both.
    free_slot->name = std::string(name ? name : "") + ", " + (name ? name : "");
}

void joy_close(SDL_JoystickID id) {
    JoySlot* slots = joy_slots();
    for (int i = 0; i < kPlatMaxJoysticks; ++i) {
        if (slots[i].handle && slots[i].id == id) {
            SDL_JoystickClose(slots[i].handle);
            slots[i] = JoySlot{};
        }
    }
}

void joy_button_pressed(const SDL_JoyButtonEvent& button) {
    JoySlot* slots = joy_slots();
    for (int i = 0; i < kPlatMaxJoysticks; ++i) {
        if (slots[i].handle && slots[i].id == button.which && button.button < 32)
            slots[i].pressed[button.button] = true;
    }
}

// Analogue triggers rest at an end of their range (SDL's plain joystick
// interface reports them as -32768 untouched) and would read as fully
// deflected forever. An axis whose first reported state is at an end is
// read from there instead: 0 at rest, 32767 fully pressed. Centred sticks
// read as they are.
std::int32_t axis_from_rest(SDL_Joystick* joy, int axis) {
    const std::int32_t raw = SDL_JoystickGetAxis(joy, axis);
    Sint16 rest = 0;
    if (!SDL_JoystickGetAxisInitialState(joy, axis, &rest)) return raw;
    if (rest <= -32767) return std::clamp((raw - rest) / 2, 0, 32767);
    if (rest == 32767) return std::clamp((rest - raw) / 2, 0, 32767);
    return raw;
}

// The pump after a read lets the readings follow the devices again.
void forget_presses() {
    KeyboardState& kb = keyboard();
    std::copy(std::begin(kb.down), std::end(kb.down), std::begin(kb.seen));
    std::fill(std::begin(kb.pressed), std::end(kb.pressed), false);
    std::fill(std::begin(mouse().pressed), std::end(mouse().pressed), false);
    JoySlot* slots = joy_slots();
    for (int i = 0; i < kPlatMaxJoysticks; ++i)
        std::fill(std::begin(slots[i].pressed), std::end(slots[i].pressed), false);
}

std::uint32_t hat_hundredths(Uint8 hat) {
    switch (hat) {
    case SDL_HAT_UP:
        return 0;
    case SDL_HAT_RIGHTUP:
        return 4500;
    case SDL_HAT_RIGHT:
        return 9000;
    case SDL_HAT_RIGHTDOWN:
        return 13500;
    case SDL_HAT_DOWN:
        return 18000;
    case SDL_HAT_LEFTDOWN:
        return 22500;
    case SDL_HAT_LEFT:
        return 27000;
    case SDL_HAT_LEFTUP:
        return 31500;
    default:
        return 0xFFFFFFFFu;
    }
}

} // namespace

// ---------------------------------------------------------------- keyboard

const std::uint8_t* plat_key_state() {
    g_read_since_pump = true;
    return keyboard().seen;
}

void plat_key_set(int code, bool down) {
    if (code < 0 || code > 255) return;
    KeyboardState& kb = keyboard();
    kb.down[code] = kb.seen[code] = down ? 0x80 : 0;
    kb.pressed[code] = false;
    if (down) kb.typed[code] = 0;
}

void plat_key_clear_all() {
    KeyboardState& kb = keyboard();
    std::fill(std::begin(kb.down), std::end(kb.down), std::uint8_t{0});
    std::fill(std::begin(kb.seen), std::end(kb.seen), std::uint8_t{0});
    std::fill(std::begin(kb.pressed), std::end(kb.pressed), false);
    std::fill(std::begin(kb.typed), std::end(kb.typed), std::uint8_t{0});
    kb.last_pressed = 0;
}

int plat_key_from_sdl(int sdl_scancode) {
    for (const ScanPair& pair : kScanPairs) {
        if (pair.sdl == sdl_scancode) return pair.code;
    }
    return 0;
}

int plat_key_to_sdl(int code) {
    for (const ScanPair& pair : kScanPairs) {
        if (pair.code == code) return pair.sdl;
    }
    return SDL_SCANCODE_UNKNOWN;
}

int plat_key_char(int code) {
    if (code < 0 || code > 255) return 0;
    if (keyboard().typed[code] != 0) return keyboard().typed[code];
    auto scancode = static_cast<SDL_Scancode>(plat_key_to_sdl(code));
    if (scancode == SDL_SCANCODE_UNKNOWN) return 0;
    SDL_Keycode key = SDL_GetKeyFromScancode(scancode);
    if (key > 0 && key < 128) return key == SDLK_DELETE ? 0 : static_cast<int>(key);
    return keypad_char(key);
}

// ---------------------------------------------------------------- mouse

void plat_mouse_position(int* x, int* y) {
    MouseState& m = mouse();
    // Before the first motion event the pointer is where SDL last saw it.
    if (!m.moved && SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_GetMouseState(&m.x, &m.y);
    *x = m.x;
    *y = m.y;
}

void plat_mouse_buttons(bool buttons[3]) {
    g_read_since_pump = true;
    for (int i = 0; i < 3; ++i)
        buttons[i] = mouse().buttons[i] || mouse().pressed[i];
}

void plat_mouse_take_motion(int* dx, int* dy, int* wheel) {
    MouseState& m = mouse();
    *dx = m.rel_dx;
    *dy = m.rel_dy;
    *wheel = m.wheel;
    m.rel_dx = m.rel_dy = m.wheel = 0;
}

void plat_mouse_set_position(int x, int y) {
    mouse().moved = true;
    mouse().x = x;
    mouse().y = y;
}

void plat_mouse_set_button(int button, bool down) {
    if (button < 0 || button > 2) return;
    mouse().buttons[button] = down;
    if (down) mouse().pressed[button] = true;
}

void plat_mouse_add_wheel(int clicks) {
    mouse().wheel += clicks;
}

bool plat_mouse_capture(bool captured) {
    return SDL_SetRelativeMouseMode(captured ? SDL_TRUE : SDL_FALSE) == 0;
}

void plat_mouse_warp(void* window, int x, int y) {
    if (window) SDL_WarpMouseInWindow(static_cast<SDL_Window*>(window), x, y);
    plat_mouse_set_position(x, y);
}

void plat_window_client_size(void* window, int* width, int* height) {
    *width = 640;
    *height = 480;
    if (window) SDL_GetWindowSize(static_cast<SDL_Window*>(window), width, height);
}

// ---------------------------------------------------------------- joysticks

void plat_joy_open_all() {
    if (SDL_WasInit(SDL_INIT_JOYSTICK) == 0) return;
    int n = SDL_NumJoysticks();
    for (int i = 0; i < n; ++i)
        joy_open(i);
    plat_pad_open_all();
}

void plat_joy_close_all() {
    JoySlot* slots = joy_slots();
    for (int i = 0; i < kPlatMaxJoysticks; ++i) {
        if (slots[i].handle) SDL_JoystickClose(slots[i].handle);
        slots[i] = JoySlot{};
    }
    plat_pad_close_all();
}

int plat_joy_count() {
    int count = 0;
    for (int i = 0; i < kPlatMaxJoysticks; ++i) {
        if (joy_slots()[i].handle) count = i + 1;
    }
    return count;
}

bool plat_joy_attached(int index) {
    return index >= 0 && index < kPlatMaxJoysticks && joy_slots()[index].handle != nullptr;
}

std::string plat_joy_name(int index) {
    return plat_joy_attached(index) ? joy_slots()[index].name : std::string();
}

bool plat_joy_read(int index, PlatJoyState& state) {
    if (!plat_joy_attached(index)) return false;
    g_read_since_pump = true;
    const JoySlot& slot = joy_slots()[index];
    SDL_Joystick* joy = slot.handle;
    state = PlatJoyState{};
    int axes = std::min(SDL_JoystickNumAxes(joy), 6);
    for (int a = 0; a < axes; ++a)
        state.axes[a] = axis_from_rest(joy, a);
    if (SDL_JoystickNumHats(joy) > 0) state.hat = hat_hundredths(SDL_JoystickGetHat(joy, 0));
    int buttons = std::min(SDL_JoystickNumButtons(joy), 32);
    for (int b = 0; b < buttons; ++b)
        state.buttons[b] = SDL_JoystickGetButton(joy, b) || slot.pressed[b] ? 0x80 : 0;
    return true;
}

bool plat_joy_rumble(int index, double low, double high, std::uint32_t ms) {
    if (!plat_joy_attached(index)) return false;
    auto strength = [](double v) {
        if (!(v > 0)) return Uint16{0}; // NaN too
        return static_cast<Uint16>(std::lround(std::min(v, 1.0) * 0xFFFF));
    };
    return SDL_JoystickRumble(joy_slots()[index].handle, strength(low), strength(high), ms) == 0;
}

// ---------------------------------------------------------------- pump and time

void plat_input_pump_starts() {
    plat_pads_pump_starts();
    if (!g_read_since_pump) return;
    g_read_since_pump = false;
    forget_presses();
}

void plat_input_handle_event(const SDL_Event& event) {
    MouseState& m = mouse();
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        handle_key(event.key);
        break;
    case SDL_TEXTINPUT:
        handle_text(event.text);
        break;
    case SDL_MOUSEMOTION:
        m.moved = true;
        m.x = event.motion.x;
        m.y = event.motion.y;
        m.rel_dx += event.motion.xrel;
        m.rel_dy += event.motion.yrel;
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        handle_button(event.button);
        break;
    case SDL_MOUSEWHEEL:
        m.wheel += event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
        break;
    case SDL_JOYBUTTONDOWN:
        joy_button_pressed(event.jbutton);
        break;
    case SDL_JOYDEVICEADDED:
        joy_open(event.jdevice.which);
        break;
    case SDL_JOYDEVICEREMOVED:
        joy_close(event.jdevice.which);
        break;
    default:
        plat_pads_handle_event(event);
        break;
    }
}

void plat_input_sleep_ms(std::uint32_t ms) {
    SDL_Delay(ms);
}
