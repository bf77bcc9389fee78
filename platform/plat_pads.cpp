// plat_pads.cpp: game pads on SDL's game controller interface.
//
// Readings come from SDL's controller state, which the event pump keeps
// current; a button pressed and released between two reads is still read as
// down once, as keys and joystick buttons are.
#include "platform/plat_pads.h"

#include <SDL.h>

#include <algorithm>

namespace {

constexpr SDL_GameControllerButton kButtons[kPlatPadButtons] = {
    SDL_CONTROLLER_BUTTON_A,
    SDL_CONTROLLER_BUTTON_B,
    SDL_CONTROLLER_BUTTON_X,
    SDL_CONTROLLER_BUTTON_Y,
    SDL_CONTROLLER_BUTTON_BACK,
    SDL_CONTROLLER_BUTTON_GUIDE,
    SDL_CONTROLLER_BUTTON_START,
    SDL_CONTROLLER_BUTTON_LEFTSTICK,
    SDL_CONTROLLER_BUTTON_RIGHTSTICK,
    SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
    SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
    SDL_CONTROLLER_BUTTON_DPAD_UP,
    SDL_CONTROLLER_BUTTON_DPAD_DOWN,
    SDL_CONTROLLER_BUTTON_DPAD_LEFT,
    SDL_CONTROLLER_BUTTON_DPAD_RIGHT,
};

constexpr SDL_GameControllerAxis kAxes[6] = {
    SDL_CONTROLLER_AXIS_LEFTX,  SDL_CONTROLLER_AXIS_LEFTY,       SDL_CONTROLLER_AXIS_RIGHTX,
    SDL_CONTROLLER_AXIS_RIGHTY, SDL_CONTROLLER_AXIS_TRIGGERLEFT, SDL_CONTROLLER_AXIS_TRIGGERRIGHT,
};

struct PadSlot {
    SDL_GameController* handle = nullptr;
    SDL_JoystickID id = -1;
    std::string name;
    bool pressed[kPlatPadButtons] = {}; // since the last read
};

PadSlot* pad_slots() {
    static PadSlot slots[kPlatMaxPads];
    return slots;
}

bool g_read_since_pump = false;

void pad_open(int device_index) {
    if (!SDL_IsGameController(device_index)) return;
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(device_index);
    PadSlot* slots = pad_slots();
    PadSlot* free_slot = nullptr;
    for (int i = 0; i < kPlatMaxPads; ++i) {
        if (slots[i].handle && slots[i].id == id) return;
        if (!slots[i].handle && !free_slot) free_slot = &slots[i];
    }
    if (!free_slot) return;
    SDL_GameController* handle = SDL_GameControllerOpen(device_index);
    if (!handle) return;
    const char* name = SDL_GameControllerName(handle);
    free_slot->handle = handle;
    free_slot->id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(handle));
    free_slot->name = name ? name : "";
}

// A pad pulled out empties its slot: nothing of it reads as held any more.
void pad_close(SDL_JoystickID id) {
    PadSlot* slots = pad_slots();
    for (int i = 0; i < kPlatMaxPads; ++i) {
        if (slots[i].handle && slots[i].id == id) {
            SDL_GameControllerClose(slots[i].handle);
            slots[i] = PadSlot{};
        }
    }
}

void pad_pressed(const SDL_ControllerButtonEvent& button) {
    PadSlot* slots = pad_slots();
    for (int i = 0; i < kPlatMaxPads; ++i) {
        if (!slots[i].handle || slots[i].id != button.which) continue;
        for (int b = 0; b < kPlatPadButtons; ++b)
            if (kButtons[b] == button.button) slots[i].pressed[b] = true;
    }
}

} // namespace

void plat_pad_open_all() {
    if (SDL_WasInit(SDL_INIT_GAMECONTROLLER) == 0) return;
    const int n = SDL_NumJoysticks();
    for (int i = 0; i < n; ++i)
        pad_open(i);
}

void plat_pad_close_all() {
    PadSlot* slots = pad_slots();
    for (int i = 0; i < kPlatMaxPads; ++i) {
        if (slots[i].handle) SDL_GameControllerClose(slots[i].handle);
        slots[i] = PadSlot{};
    }
}

int plat_pad_count() {
    int count = 0;
    for (int i = 0; i < kPlatMaxPads; ++i)
        if (pad_slots()[i].handle) count = i + 1;
    return count;
}

bool plat_pad_attached(int index) {
    return index >= 0 && index < kPlatMaxPads && pad_slots()[index].handle != nullptr;
}

std::string plat_pad_name(int index) {
    return plat_pad_attached(index) ? pad_slots()[index].name : std::string();
}

bool plat_pad_read(int index, PlatPadState& state) {
    if (!plat_pad_attached(index)) return false;
    g_read_since_pump = true;
    const PadSlot& slot = pad_slots()[index];
    state = PlatPadState{};
    for (int a = 0; a < 6; ++a)
        state.axes[a] = SDL_GameControllerGetAxis(slot.handle, kAxes[a]);
    // SDL gives triggers as 0..32767; a trigger mapped from a centred axis
    // may still dip below 0 at rest.
    for (int a = 4; a < 6; ++a)
        state.axes[a] = std::max(state.axes[a], 0);
    for (int b = 0; b < kPlatPadButtons; ++b)
        state.buttons[b] =
            SDL_GameControllerGetButton(slot.handle, kButtons[b]) || slot.pressed[b] ? 0x80 : 0;
    return true;
}

void plat_pads_pump_starts() {
    if (!g_read_since_pump) return;
    g_read_since_pump = false;
    PadSlot* slots = pad_slots();
    for (int i = 0; i < kPlatMaxPads; ++i)
        std::fill(std::begin(slots[i].pressed), std::end(slots[i].pressed), false);
}

void plat_pads_handle_event(const SDL_Event& event) {
    switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED:
        pad_open(event.cdevice.which);
        break;
    case SDL_CONTROLLERDEVICEREMOVED:
        pad_close(event.cdevice.which);
        break;
    case SDL_CONTROLLERBUTTONDOWN:
        pad_pressed(event.cbutton);
        break;
    default:
        break;
    }
}
