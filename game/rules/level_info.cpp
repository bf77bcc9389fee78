// level_info.cpp: the level library's names and fewest moves, in the file the
// level tool writes beside the level files and the game reads.
#include "game/rules/board.h"

#include <cctype>

namespace {

RtString section_of(double level) {
    return RtString("level") + RtString(static_cast<int>(level));
}

// Digits only, and few enough to be a count of moves: "12", not "-3",
// "1e9", "7 moves" or a value too long to mean anything.
bool whole_count(const std::string& text) {
    if (text.empty() || text.size() > 6) return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

} // namespace

RtString level_info_file_name(const RtString& dir) {
    return dir + "/levels.ini";
}

std::string level_info_text(const std::vector<LevelInfoEntry>& levels) {
    std::string text =
        "; The level library's names and fewest moves, one section per level file\r\n"
        "; (QLEV<n>.CMD is [level<n>]). Written by cropstack-leveltool.\r\n";
    for (std::size_t i = 0; i < levels.size(); ++i) {
        text += "[level" + std::to_string(i + 1) + "]\r\n";
        if (!levels[i].name.empty()) text += "name=" + levels[i].name + "\r\n";
        if (levels[i].fewest >= 0) text += "moves=" + std::to_string(levels[i].fewest) + "\r\n";
    }
    return text;
}

void LevelInfo::load(const RtString& dir) {
    store_.clear();
    store_.load(level_info_file_name(dir));
}

RtString LevelInfo::name(double level) const {
    RtString name = store_.get(section_of(level), "name");
    return name == "NO_DATA" ? RtString() : name;
}

double LevelInfo::fewest(double level) const {
    const std::string moves = store_.get(section_of(level), "moves").str();
    return whole_count(moves) ? std::stod(moves) : -1;
}
