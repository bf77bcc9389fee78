// progress.cpp: the furthest level each board has reached, kept in a small
// settings-format file beside the settings, and the level a board starts at.
#include "game/screens/screens.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>

namespace {

constexpr const char* kSection = "progress";
// No library holds more levels than this; a larger number is damage.
constexpr double kMaxLevel = 99999;

RtString board_key(int board) {
    return RtString("board") + RtString(board + 1);
}

// The directory part of a file name with its "/", or nothing for a bare name.
std::string directory_of(const std::string& file) {
    const std::size_t slash = file.find_last_of('/');
    return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

// A level number written by us: digits only ("12", never "12.5", "-3",
// "1e3" or "7 levels"), within the largest library.
double level_number_of(const RtString& text) {
    const std::string digits = text.str();
    if (digits.empty() || digits.size() > 5) return 0;
    for (char c : digits)
        if (!std::isdigit(static_cast<unsigned char>(c))) return 0;
    const double level = std::stod(digits);
    return level <= kMaxLevel ? level : 0;
}

} // namespace

double first_level(int board) {
    return board == 0 ? 1 : 5;
}

RtString progress_file() {
    return RtString::from_std(directory_of(game_settings_file().str())) + "cropstack-progress.ini";
}

bool playable_level(const RtString& level_dir, double level) {
    if (level < 1 || level != std::trunc(level)) return false;
    const RtString file = level_file_name(level_dir, level);
    // Asked first, so that the end of the library leaves no log entry.
    if (rt_file_exists(file) == 0) return false;
    // Each board keeps its own camera follow point, so a scratch board can
    // load the level without moving any view on screen.
    BoardState scratch;
    return load_level_file(scratch, file) != 0;
}

ProgressRecord read_progress(const RtString& file, const RtString& level_dir) {
    IniStore store;
    store.load(file);
    ProgressRecord record;
    for (int board = 0; board < 2; ++board) {
        const double level = level_number_of(store.get(kSection, board_key(board)));
        const bool sound = level >= first_level(board) && playable_level(level_dir, level);
        record.furthest[board] = sound ? level : first_level(board);
    }
    return record;
}

ProgressRecord record_completion(const RtString& file, const RtString& level_dir, int board,
                                 double level) {
    ProgressRecord record = read_progress(file, level_dir);
    const double reached = playable_level(level_dir, level + 1) ? level + 1 : level;
    if (board < 0 || board > 1 || reached <= record.furthest[board]) return record;
    record.furthest[board] = reached;
    IniStore store;
    store.open(file);
    // A damaged file is written afresh rather than patched.
    store.clear();
    for (int b = 0; b < 2; ++b)
        store.put(kSection, board_key(b), RtString(static_cast<int>(record.furthest[b])));
    store.flush();
    return record;
}

bool level_reached(const ProgressRecord& record, int board, double level) {
    board = std::clamp(board, 0, 1);
    if (level != std::trunc(level)) return false;
    return level == 1 || (level >= first_level(board) && level <= record.furthest[board]);
}

double starting_level(const ProgressRecord& record, int board, double choice) {
    if (level_reached(record, board, choice)) return choice;
    return record.furthest[std::clamp(board, 0, 1)];
}
