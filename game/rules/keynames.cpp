// keynames.cpp: readable names of scan codes and joystick controls, and the
// bracketed labels the settings menu shows for binding codes.
#include "game/rules/board.h"

#include "input/scancodes.h"

#include <climits>

namespace {

struct KeyNameEntry {
    int code;
    const char* name;
};

// The named scan codes; every other code has no name.
constexpr KeyNameEntry kKeyNames[] = {
    {1, "ESC"},
    {2, "1"},
    {3, "2"},
    {4, "3"},
    {5, "4"},
    {6, "5"},
    {7, "6"},
    {8, "7"},
    {9, "8"},
    {10, "9"},
    {11, "0"},
    {12, "MINUS"},
    {13, "EQUALS"},
    {14, "BACK"},
    {15, "TAB"},
    {16, "Q"},
    {17, "W"},
    {18, "E"},
    {19, "R"},
    {20, "T"},
    {21, "Y"},
    {22, "U"},
    {23, "I"},
    {24, "O"},
    {25, "P"},
    {26, "LBRACKET"},
    {27, "RBRACKET"},
    {28, "RETURN"},
    {29, "LCONTROL"},
    {30, "A"},
    {31, "S"},
    {32, "D"},
    {33, "F"},
    {34, "G"},
    {35, "H"},
    {36, "J"},
    {37, "K"},
    {38, "L"},
    {39, "SEMICOLON"},
    {40, "APOSTROPHE"},
    {41, "GRAVE"},
    {42, "LSHIFT"},
    {43, "BACKSLASH"},
    {44, "Z"},
    {45, "X"},
    {46, "C"},
    {47, "V"},
    {48, "B"},
    {49, "N"},
    {50, "M"},
    {51, "COMMA"},
    {52, "PERIOD"},
    {53, "SLASH"},
    {54, "RSHIFT"},
    {55, "MULTIPLY"},
    {56, "LMENU"},
    {57, "SPACE"},
    {58, "CAPITAL"},
    {59, "F1"},
    {60, "F2"},
    {61, "F3"},
    {62, "F4"},
    {63, "F5"},
    {64, "F6"},
    {65, "F7"},
    {66, "F8"},
    {67, "F9"},
    {68, "F10"},
    {69, "NUMLOCK"},
    {70, "SCROLL"},
    {71, "NUMPAD7"},
    {72, "NUMPAD8"},
    {73, "NUMPAD9"},
    {74, "SUBTRACT"},
    {75, "NUMPAD4"},
    {76, "NUMPAD5"},
    {77, "NUMPAD6"},
    {78, "ADD"},
    {79, "NUMPAD1"},
    {80, "NUMPAD2"},
    {81, "NUMPAD3"},
    {82, "NUMPAD0"},
    {83, "DECIMAL"},
    {86, "OEM_102"},
    {87, "F11"},
    {88, "F12"},
    {100, "F13"},
    {101, "F14"},
    {102, "F15"},
    {112, "KANA"},
    {115, "ABNT_C1"},
    {121, "CONVERT"},
    {123, "NOCONVERT"},
    {125, "YEN"},
    {126, "ABNT_C2"},
    {141, "NUMPADEQUALS"},
    {144, "PREVTRACK"},
    {145, "AT"},
    {146, "COLON"},
    {147, "UNDERLINE"},
    {148, "KANJI"},
    {149, "STOP"},
    {150, "AX"},
    {151, "UNLABELED"},
    {153, "NEXTTRACK"},
    {156, "NUMPADENTER"},
    {157, "RCONTROL"},
    {160, "MUTE"},
    {161, "CALCULATOR"},
    {162, "PLAYPAUSE"},
    {164, "MEDIASTOP"},
    {174, "VOLUMEDOWN"},
    {176, "VOLUMEUP"},
    {178, "WEBHOME"},
    {179, "NUMPADCOMMA"},
    {181, "DIVIDE"},
    {183, "SYSRQ"},
    {184, "RMENU"},
    {197, "PAUSE"},
    {199, "HOME"},
    {200, "UP"},
    {201, "PRIOR"},
    {203, "LEFT"},
    {205, "RIGHT"},
    {207, "END"},
    {208, "DOWN"},
    {209, "NEXT"},
    {210, "INSERT"},
    {211, "DELETE"},
    {219, "LWIN"},
    {220, "RWIN"},
    {221, "APPS"},
    {222, "POWER"},
    {223, "SLEEP"},
    {227, "WAKE"},
    {229, "WEBSEARCH"},
    {230, "WEBFAVORITES"},
    {231, "WEBREFRESH"},
    {232, "WEBSTOP"},
    {233, "WEBFORWARD"},
    {234, "WEBBACK"},
    {235, "MYCOMPUTER"},
    {236, "MAIL"},
    {237, "MEDIASELECT"},
};

constexpr const char* kControlNames[16] = {
    "NEG_X",  "POS_X",  "NEG_Y",  "POS_Y",  "NEG_Z",    "POS_Z",    "NEG_RX",   "POS_RX",
    "NEG_RY", "POS_RY", "NEG_RZ", "POS_RZ", "NEG_POVX", "POS_POVX", "NEG_POVY", "POS_POVY",
};

// By pad control number (input/scancodes.h). The D-pad and the sticks say
// by their names that they are a pad's; the others read with "Pad".
constexpr const char* kPadControlNames[kPadControlCount] = {
    "A",
    "B",
    "X",
    "Y",
    "Back",
    "Guide",
    "Start",
    "LS",
    "RS",
    "LB",
    "RB",
    "D-pad up",
    "D-pad down",
    "D-pad left",
    "D-pad right",
    "L stick left",
    "L stick right",
    "L stick up",
    "L stick down",
    "R stick left",
    "R stick right",
    "R stick up",
    "R stick down",
    "LT",
    "RT",
};

bool self_described(int control) {
    return control >= kPadDpadUp && control <= kPadRightStickDown;
}

// "Pad A", "D-pad up" for the first pad; "Pad2 A", "Pad2 D-pad up" for the
// second, and so on.
RtString pad_label(const RtString& code) {
    RtArray<RtString> parts;
    if (rt_split(code, parts, "-") != 2) return "*NONE*";
    const double control = rt_val(rt_index(parts, 1));
    const RtString name = PadControlName(control);
    if (name.empty()) return "*NONE*";
    const int pad = static_cast<int>(rt_val(rt_mid(code, 1, 1)));
    if (pad > 0) return RtString("Pad") + RtString(pad + 1) + " " + name;
    return self_described(static_cast<int>(control)) ? name : RtString("Pad ") + name;
}

// The menu asks for labels every frame, so the table is built once.
const RtArray<RtString>& key_name_table() {
    static const RtArray<RtString> table = [] {
        RtArray<RtString> t;
        BuildKeyNameTable(t);
        return t;
    }();
    return table;
}

RtString key_name(double code) {
    if (!(code >= 0 && code < kKeyCodeCount)) return RtString();
    return rt_index(key_name_table(), static_cast<int>(code));
}

} // namespace

void BuildKeyNameTable(RtArray<RtString>& table) {
    rt_dim(table, kKeyCodeCount);
    for (const KeyNameEntry& entry : kKeyNames)
        rt_index(table, entry.code) = entry.name;
}

RtString KeyName(double code) {
    return key_name(code);
}

RtString ControlName(double control) {
    for (int c = 0; c < 16; ++c)
        if (control == c) return kControlNames[c];
    // A hand-edited binding may hold any number: truncated toward zero and
    // held at the int range (NaN gives 0), as the drawing commands convert.
    const double n = control - 15;
    const int number = !(n == n)      ? 0
                       : n >= INT_MAX ? INT_MAX
                       : n <= INT_MIN ? INT_MIN
                                      : static_cast<int>(n);
    return RtString("BUT_") + RtString(number);
}

RtString PadControlName(double control) {
    for (int c = 0; c < kPadControlCount; ++c)
        if (control == c) return kPadControlNames[c];
    return RtString();
}

RtString BindingLabel(const RtString& code) {
    if (code.empty()) return "*NONE*";
    if (code.char_at(0) == 'P') return pad_label(code);
    if (code.char_at(0) == 'K') {
        if (code.length() == 1) return "*NONE*";
        return key_name(rt_val(rt_mid(code, 1, 256)));
    }
    if (code.char_at(0) != 'J') return "*NONE*";
    RtArray<RtString> parts;
    if (rt_split(code, parts, "-") != 2) return "0";
    int joystick = static_cast<int>(rt_val(rt_mid(code, 1, 1))) + 1;
    return RtString("J") + RtString(joystick) + "," + ControlName(rt_val(rt_index(parts, 1)));
}
