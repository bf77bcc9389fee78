// menu.cpp: the settings menu. Its pages, lines, toggles and bindings all
// live in the settings file; choices are written straight back into it.
// Each frame reloads the current page, handles one input, slides pages in
// and out, and draws the translucent box with its frame of characters.
#include "game/screens/screens.h"

#include "graphics/graphics.h"
#include "input/input.h"
#include "input/scancodes.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>

namespace {

// Directions read from the keys; also kept in MenuState::held_direction.
constexpr int kNone = 0, kUp = 1, kBack = 2, kDown = 3, kRight = 4, kSelect = 5;

// A level line's bracket text stays short enough to leave its name readable.
constexpr int kLevelLabelColumns = 16;

constexpr double kSlideMs = 500;
constexpr double kMaxSlideStepMs = 20;

// The current page as read this frame.
struct MenuPage {
    int count = 0;
    RtArray<RtString> names;
    RtArray<RtString> types; // lower case
    RtArray<double> values;
};

RtString entry_key(double line, const char* what) {
    return RtString(static_cast<int>(line)) + what;
}

MenuPage load_page(const RtString& page) {
    MenuPage p;
    while (ini_get(page, entry_key(p.count + 1, "name")) != "NO_DATA")
        ++p.count;
    rt_dim(p.names, p.count);
    rt_dim(p.types, p.count);
    rt_dim(p.values, p.count);
    for (int i = 0; i < p.count; ++i) {
        rt_index(p.names, i) = ini_get(page, entry_key(i + 1, "name"));
        rt_index(p.types, i) = rt_lower(ini_get(page, entry_key(i + 1, "type")));
        rt_index(p.values, i) = rt_val(ini_get(page, entry_key(i + 1, "value")));
    }
    return p;
}

// First match: Up, Left, Down, Right, Return.
int read_direction() {
    if (KeyDown(kKeyUp) != 0) return kUp;
    if (KeyDown(kKeyLeft) != 0) return kBack;
    if (KeyDown(kKeyDown) != 0) return kDown;
    if (KeyDown(kKeyRight) != 0) return kRight;
    if (KeyDown(kKeyReturn) != 0) return kSelect;
    return kNone;
}

// The choices of a toggle type ("toggle:off,on" gives off, on); empty for
// a type without choices.
RtArray<RtString> toggle_parts(const RtString& type, double* choices) {
    RtArray<RtString> parts;
    *choices = rt_split(type, parts, " ,:") - 1;
    return parts;
}

// Whole-number remainder that stays in 0..n-1 even for a negative value
// read from a hand-edited file.
double wrap_index(double value, double n) {
    double r = std::fmod(std::trunc(value), n);
    return r < 0 ? r + n : r;
}

void step_toggle(MenuState& m, MenuPage& p) {
    int c = static_cast<int>(m.cursor);
    double n = 0;
    toggle_parts(rt_index(p.types, c), &n);
    if (n <= 0) return;
    double& v = rt_index(p.values, c);
    // A stored index outside the choices (a hand-edited file) starts again
    // at the first choice rather than wherever its remainder would land.
    v = v >= 0 && v < n && v == std::trunc(v) ? wrap_index(v + 1, n) : 0;
    ini_put(m.page, entry_key(c + 1, "value"), RtString(static_cast<int>(v)));
}

// A "level" line steps through the levels its player may start at.
void step_level_line(MenuState& m, MenuPage& p) {
    int c = static_cast<int>(m.cursor);
    double& v = rt_index(p.values, c);
    v = next_level_choice(rt_index(p.types, c), v);
    ini_put(m.page, entry_key(c + 1, "value"), RtString(static_cast<int>(v)));
}

void select_line(MenuState& m, MenuPage& p) {
    // A page without lines accepts only Left.
    if (p.count < 1) return;
    RtString t = rt_mid(rt_index(p.types, static_cast<int>(m.cursor)), 0, 3);
    if (t == "dir" || t == "but")
        m.slide = kSlideOut;
    else if (t == "tog")
        step_toggle(m, p);
    else if (t == "key")
        m.capture = 1;
    else if (t == "lev")
        step_level_line(m, p);
}

void handle_direction(MenuState& m, MenuPage& p, int direction) {
    switch (direction) {
    case kUp:
        m.cursor -= 1;
        break;
    case kDown:
        m.cursor += 1;
        break;
    case kBack:
        if (m.page != "root") {
            m.back_flag = 1;
            m.slide = kSlideOut;
        }
        break;
    case kRight:
    case kSelect:
        select_line(m, p);
        break;
    default:
        break;
    }
}

// A new binding already held by another key line of this player or the
// other player's board gives that line the binding it replaces, so no
// control ever does two things; says so in m.notice.
void swap_taken_binding(MenuState& m, const RtString& field, const RtString& code) {
    const int own = static_cast<int>(m.cursor) + 1;
    const RtString old = ini_get(m.page, RtString(own) + field);
    RtArray<RtString> pages;
    bool players = m.page == "keyconfig1" || m.page == "keyconfig2";
    rt_dim(pages, players ? 2 : 1);
    rt_index(pages, 0) = m.page;
    if (players) rt_index(pages, 1) = m.page == "keyconfig1" ? "keyconfig2" : "keyconfig1";
    for (int k = 0; k < static_cast<int>(rt_bounds(pages, 0)); ++k) {
        const RtString& page = rt_index(pages, k);
        MenuPage p = load_page(page);
        for (int i = 0; i < p.count; ++i) {
            if (page == m.page && i + 1 == own) continue;
            if (rt_index(p.types, i) != "key") continue;
            if (ini_get(page, RtString(i + 1) + field) != code) continue;
            ini_put(page, RtString(i + 1) + field, old == "NO_DATA" ? RtString() : old);
            m.notice = "Was on " + rt_index(p.names, i) +
                       (page == m.page ? "" : " (other player)") + ": swapped";
        }
    }
}

void capture_step(MenuState& m) {
    if (KeyDown(kKeyEscape) != 0) {
        m.capture = 0;
        m.escape_taken = 1;
        return;
    }
    // The key that chose the line is still down: it is not the new binding.
    if (m.held_direction != kNone) return;
    InputSnapshot now;
    TakeInputSnapshot(now);
    RtString code = NewlyPressedBinding(now, reference_snapshot());
    if (!code.empty()) {
        // A pad binding goes beside the key, a key or joystick in its place.
        swap_taken_binding(m, binding_field(code), code);
        ini_put(m.page, RtString(static_cast<int>(m.cursor + 1)) + binding_field(code), code);
        m.capture = -1;
    } else if (m.capture == -1) {
        m.capture = 0;
    }
}

// The line (from 0) of `page` that is a "dir" line leading to `target`, or
// 0 when none does.
double line_leading_to(const RtString& page, const RtString& target) {
    MenuPage p = load_page(page);
    for (int i = 0; i < p.count; ++i) {
        if (rt_index(p.types, i) != "dir") continue;
        RtString to = ini_get(page, entry_key(i + 1, "value"));
        if ((to == "NO_DATA" ? RtString("root") : to) == target) return i;
    }
    return 0;
}

// Advances the slide; true when a "button" line finished sliding out, with
// its value in *chosen.
bool slide_step(MenuState& m, const MenuPage& p, double* chosen) {
    double d = std::fmin(FrameTime(), kMaxSlideStepMs);
    if (m.slide > 0) {
        m.slide += d / kSlideMs;
        if (m.slide > 1) m.slide = 0;
        return false;
    }
    if (m.slide >= 0) return false;
    m.slide -= d / kSlideMs;
    if (m.slide > -1) return false;
    m.slide = 0;
    if (m.back_flag != 0) {
        m.back_flag = 0;
        m.cursor = line_leading_to("root", m.page);
        m.page = "root";
        m.slide = kSlideIn;
        return false;
    }
    if (p.count < 1) return false;
    int c = static_cast<int>(m.cursor);
    const RtString& type = rt_index(p.types, c);
    if (type == "dir") {
        RtString next = ini_get(m.page, entry_key(c + 1, "value"));
        next = next == "NO_DATA" ? RtString("root") : next;
        // Back to the start page marks the way here again; a page further
        // in opens at its first line.
        m.cursor = next == "root" ? line_leading_to(next, m.page) : 0;
        m.page = next;
        m.slide = kSlideIn;
    } else if (type == "button") {
        *chosen = rt_index(p.values, c);
        return true;
    }
    return false;
}

// A toggle's choice as the player reads it: "full640x480" is "Full screen
// 640 x 480", "800x600" is "Window 800 x 600", a word starts with a capital.
RtString choice_words(const RtString& choice) {
    std::string c = choice.str();
    std::string prefix = "Window ";
    if (c.rfind("full", 0) == 0 && c.size() > 4 && std::isdigit(static_cast<unsigned char>(c[4]))) {
        prefix = "Full screen ";
        c = c.substr(4);
    }
    const size_t x = c.find('x');
    const bool size =
        x != std::string::npos && x > 0 && x + 1 < c.size() &&
        std::all_of(
            c.begin(), c.end(),
            [&](char ch) { return ch == 'x' || std::isdigit(static_cast<unsigned char>(ch)); }) &&
        c.find('x', x + 1) == std::string::npos;
    if (size) return RtString((prefix + c.substr(0, x) + " x " + c.substr(x + 1)).c_str());
    std::string word = choice.str();
    if (!word.empty())
        word[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
    return RtString(word.c_str());
}

RtString display_text(const MenuState& m, const MenuPage& p, int i) {
    const RtString& type = rt_index(p.types, i);
    if (rt_mid(type, 0, 6) == "toggle") {
        double n = 0;
        RtArray<RtString> parts = toggle_parts(type, &n);
        double v = std::trunc(rt_index(p.values, i));
        if (n >= 1 && v >= 0 && v < n)
            return choice_words(rt_index(parts, static_cast<int>(v) + 1));
        return n >= 1 ? RtString("*INVALID*") : RtString();
    }
    if (type == "key") return key_line_text(m.page, i + 1);
    if (rt_mid(type, 0, 5) == "level")
        return level_choice_label(type, rt_index(p.values, i), kLevelLabelColumns);
    return RtString();
}

} // namespace

MenuState& menu_state() {
    static MenuState state;
    return state;
}

double MenuOpen(const RtString& settings_file) {
    ini_open(settings_file);
    MenuState& m = menu_state();
    m.page = "root";
    m.slide = kSlideIn;
    m.back_flag = 0;
    m.capture = 0;
    m.cursor = 0;
    m.held_direction = 0;
    m.escape_taken = 0;
    m.notice = RtString();
    TakeInputSnapshot(reference_snapshot());
    menu_pointer_open();
    refresh_level_choices();
    return 0;
}

double MenuFrame() {
    MenuState& m = menu_state();
    if (m.escape_taken != 0 && KeyDown(kKeyEscape) == 0) m.escape_taken = 0;
    MenuPage p = load_page(m.page);
    const int pointed = menu_pointer_direction(m, p.count);
    int direction = read_direction();
    if (direction == kNone) direction = static_cast<int>(menu_pad_direction(&m.held_direction));
    if (direction == kNone) direction = pointed;
    if (m.held_direction != kNone && direction != m.held_direction) m.held_direction = kNone;
    // A key already down while a page slides (or while the title waited
    // before the first page appeared) counts only once pressed again.
    if (m.slide != 0 && direction != kNone) m.held_direction = direction;
    if (m.slide == 0) {
        if (m.capture != 0) {
            capture_step(m);
        } else if (direction != kNone && direction != m.held_direction) {
            m.notice = RtString();
            handle_direction(m, p, direction);
            m.held_direction = direction;
        }
    }
    m.cursor = p.count >= 1 ? std::fmod(p.count + m.cursor, p.count) : 0;
    double chosen = 0;
    if (slide_step(m, p, &chosen)) return chosen;
    rt_dim(m.display, p.count);
    for (int i = 0; i < p.count; ++i)
        rt_index(m.display, i) = display_text(m, p, i);
    rt_array_assign(m.names, p.names);
    MenuDraw(m.slide, m.cursor, m.names, m.display);
    return 0;
}

namespace {

// The frame: "|" down both sides on every text row, "#" corners and "-"
// along the top and bottom rows.
void draw_menu_frame(double left, double top, double bw, double bh, double cw, double ch,
                     int count) {
    for (int r = -1; r <= count; ++r) {
        double y = top + (r + 2) * ch;
        Print("|", left, y);
        Print("|", left + bw - cw, y);
    }
    int columns = cw > 0 ? static_cast<int>(bw / cw) : 0;
    for (int k = 0; k < columns; ++k) {
        const char* c = (k == 0 || k == columns - 1) ? "#" : "-";
        Print(c, left + k * cw, top);
        Print(c, left + k * cw, top + bh - ch);
    }
}

} // namespace

void MenuDraw(double slide, double cursor, const RtArray<RtString>& names,
              const RtArray<RtString>& display) {
    int count = static_cast<int>(rt_bounds(names, 0));
    if (count == 0) return;
    double w = 0, h = 0, cw = 0, ch = 0;
    GetScreenSize(&w, &h);
    GetFontSize(&cw, &ch);
    double bw = std::trunc(0.75 * w);
    double bh = (count + 4) * ch;
    double offset = slide > 0 ? w * (1 - slide) : w * slide;
    double left = (w - bw) / 2 + offset;
    double top = (h - bh) / 2;
    SetAlphaMode(-0.5);
    FillRect(left, top, left + bw, top + bh, kBlack);
    SetAlphaMode(0);
    const MenuState& m = menu_state();
    if (m.capture != 0) {
        Print(RtString("REDEFINE: ") + rt_index(names, static_cast<int>(cursor)), left, top + ch);
        Print("Press the new key or pad control", left + cw, top + 3 * ch);
        Print("Escape cancels", left + cw, top + 4 * ch);
        return;
    }
    for (int i = 0; i < count; ++i) {
        double y = top + (i + 2) * ch;
        if (i == static_cast<int>(cursor)) {
            SetAlphaMode(-0.7);
            FillRect(left, y, left + bw, y + ch, kWhite);
            SetAlphaMode(0);
        }
        Print(rt_index(names, i), left + cw, y);
        const RtString& d = rt_index(display, i);
        if (!d.empty()) Print("[" + d + "]", left + bw - (d.length() + 3) * cw, y);
    }
    if (!m.notice.empty()) Print(m.notice, left + cw, top + (count + 2) * ch);
    draw_menu_frame(left, top, bw, bh, cw, ch, count);
}
