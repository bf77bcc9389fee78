// hud.cpp: what play writes over the frame overlay: each board's level,
// name and moves along its top, and each player's keys along its bottom,
// taken from the bindings in force.
#include "game/screens/screens.h"

#include "graphics/graphics.h"
#include "input/input.h"
#include "input/scancodes.h"

#include <algorithm>
#include <cmath>

namespace {

// The overlay's border is 8 pixels of its 640; the text keeps 4 more clear.
constexpr double kOverlayBorder = 8, kOverlayWidth = 640, kTextGap = 4;

// The legend's items: which binding, and what it does.
struct LegendItem {
    int binding;
    const char* does;
};
constexpr LegendItem kLegendItems[] = {
    {4, "next"}, {5, "undo"}, {6, "restart"}, {7, "hint"}, {8, "redo"},
};

RtString number_text(double n) {
    return RtString(static_cast<int>(n));
}

RtString cut(const RtString& text, int columns) {
    const int n = std::max(columns, 0);
    return static_cast<int>(text.length()) > n ? rt_mid(text, 0, n) : text;
}

bool unbound(const RtString& label) {
    return label == "*NONE*";
}

// Whether the legend names the player's pad: the pad its pad bindings name
// is plugged in.
bool pad_connected(const PlayerControls& c) {
    for (const RtString& code : c.pads)
        if (!code.empty() && code.char_at(0) == 'P')
            return PadAttached(rt_val(rt_mid(code, 1, 1))) != 0;
    return false;
}

// The label of binding b: the pad's while it is plugged in, else the key's.
RtString label(const PlayerControls& c, int b, bool pad) {
    if (pad) {
        const RtString l = BindingLabel(c.pads[b]);
        if (!unbound(l)) return l;
    }
    return BindingLabel(c.bindings[b]);
}

// The D-pad or a stick as one word when it walks in all four directions:
// "D-pad", "Pad2 L stick".
RtString pad_group(const RtString& up, const RtString& down, const RtString& left,
                   const RtString& right) {
    for (const char* group : {"D-pad", "L stick", "R stick"}) {
        const RtString g(group);
        const int n = static_cast<int>(up.length()) - static_cast<int>(g.length()) - 3;
        if (n < 0 || rt_mid(up, n, g.length() + 3) != g + " up") continue;
        const RtString pad = rt_mid(up, 0, n);
        if (down == pad + g + " down" && left == pad + g + " left" && right == pad + g + " right")
            return pad + g;
    }
    return RtString();
}

// The four walking keys as one word: "Arrows", "WASD" for single letters
// (up, left, down, right), "D-pad", else the labels with "/" between them.
RtString walk_keys(const PlayerControls& c, bool pad) {
    const RtString up = label(c, 0, pad), down = label(c, 1, pad);
    const RtString left = label(c, 2, pad), right = label(c, 3, pad);
    if (up == "UP" && down == "DOWN" && left == "LEFT" && right == "RIGHT") return "Arrows";
    if (up.length() == 1 && down.length() == 1 && left.length() == 1 && right.length() == 1)
        return up + left + down + right;
    const RtString group = pad_group(up, down, left, right);
    if (!group.empty()) return group;
    return up + "/" + left + "/" + down + "/" + right;
}

// Start of the player's pad: it asks for the menu as Escape does.
RtString pad_menu_label(const PlayerControls& c) {
    for (const RtString& code : c.pads)
        if (!code.empty() && code.char_at(0) == 'P')
            return BindingLabel(rt_mid(code, 0, 2) + "-" + RtString(kPadStart));
    return "ESC";
}

// The items as "KEY: what" texts, unbound ones left out, Escape last; with
// the player's pad plugged in, the pad's controls are named.
RtArray<RtString> legend_items(const PlayerControls& controls, const RtString& prefix) {
    RtArray<RtString> items;
    auto add = [&items](const RtString& text) {
        const int n = static_cast<int>(rt_bounds(items, 0));
        rt_redim(items, n + 1);
        rt_index(items, n) = text;
    };
    const bool pad = pad_connected(controls);
    const RtString walk = walk_keys(controls, pad) + ": walk";
    add(prefix.empty() ? walk : prefix + " " + walk);
    for (const LegendItem& item : kLegendItems) {
        const RtString l = label(controls, item.binding, pad);
        if (!unbound(l)) add(l + ": " + item.does);
    }
    add((pad ? pad_menu_label(controls) : RtString("ESC")) + ": menu");
    return items;
}

double scale() {
    const double w = game_values().screen_width;
    return w > 0 ? w / kOverlayWidth : 1;
}

} // namespace

RtString board_level_text(const BoardState& board, const LevelInfo& info, int columns) {
    RtString text = number_text(board.level_number);
    const RtString name = info.name(board.level_number);
    if (!name.empty()) text = text + " " + name;
    return cut(text, columns);
}

RtString board_moves_text(const BoardState& board, const LevelInfo& info) {
    RtString text = RtString("Moves ") + number_text(board.moves);
    const double fewest = info.fewest(board.level_number);
    if (fewest >= 0) text = text + "  Fewest " + number_text(fewest);
    return text;
}

RtArray<RtString> legend_lines(const PlayerControls& controls, const RtString& prefix,
                               int columns) {
    const RtArray<RtString> items = legend_items(controls, prefix);
    RtArray<RtString> lines;
    RtString line;
    auto flush = [&] {
        const int n = static_cast<int>(rt_bounds(lines, 0));
        rt_redim(lines, n + 1);
        rt_index(lines, n) = cut(line, columns);
        line = RtString();
    };
    for (int i = 0; i < static_cast<int>(rt_bounds(items, 0)); ++i) {
        const RtString& item = rt_index(items, i);
        if (!line.empty() && static_cast<int>(line.length() + 2 + item.length()) > columns) flush();
        line = line.empty() ? item : line + "  " + item;
    }
    if (!line.empty()) flush();
    return lines;
}

RtString legend_prefix(int index, int count, double player_count) {
    if (count < 2) return RtString();
    return (player_count >= 3 ? RtString("Team ") : RtString("P")) + RtString(index + 1);
}

bool LegendTimer::shown(double moves, double now_ms) {
    if (moves != moves_) moves_ = moves, changed_ms_ = now_ms;
    return moves == 0 || now_ms - changed_ms_ >= kLegendIdleMs;
}

InfoArea info_area(int index, int count) {
    const GameValues& g = game_values();
    const double h = count < 2 ? g.screen_height : g.screen_height * 0.5;
    const double inset = kOverlayBorder * scale() + kTextGap;
    InfoArea a;
    a.left = inset;
    a.right = g.screen_width - inset;
    a.top = index * h + inset;
    a.bottom = (index + 1) * h - inset;
    return a;
}

void draw_board_info(const BoardState& board, const LevelInfo& info, const InfoArea& area) {
    double cw = 0, ch = 0;
    GetFontSize(&cw, &ch);
    if (cw <= 0) return;
    const int columns = static_cast<int>((area.right - area.left) / cw);
    const RtString moves = board_moves_text(board, info);
    const int free = columns - static_cast<int>(moves.length()) - 2;
    Print(board_level_text(board, info, free), area.left, area.top);
    Print(moves, area.right - moves.length() * cw, area.top);
}

void draw_legend(const PlayerControls& controls, const RtString& prefix, const InfoArea& area) {
    double cw = 0, ch = 0;
    GetFontSize(&cw, &ch);
    if (cw <= 0) return;
    const int columns = static_cast<int>((area.right - area.left) / cw);
    const RtArray<RtString> lines = legend_lines(controls, prefix, columns);
    const int n = static_cast<int>(rt_bounds(lines, 0));
    for (int i = 0; i < n; ++i)
        Print(rt_index(lines, i), area.left, area.bottom - (n - i) * ch);
}
