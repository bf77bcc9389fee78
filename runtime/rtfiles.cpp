// rtfiles.cpp: file tests and copies, the current directory, directory
// listings with wildcards, and the lookup of data files by name.
//
// Names may use "\" or "/"; names handed back use "/".
#include "platform/plat_files.h"
#include "runtime/runtime.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

bool is_letter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool same_char(char pattern, char name) {
    if (pattern == '?') return name != '.';
    if (is_letter(pattern) && is_letter(name)) return (pattern | 0x20) == (name | 0x20);
    return pattern == name;
}

std::string with_forward_slashes(std::string text) {
    for (char& c : text)
        if (c == '\\') c = '/';
    return text;
}

} // namespace

namespace {

// A refusal other than a missing file is worth a line in the log: the player
// put something there that is not a file the game can read.
bool checked(PlatFileCheck check, const RtString& name, const char* who) {
    if (check == PlatFileCheck::kOk) return true;
    if (check != PlatFileCheck::kMissing && who != nullptr)
        rt_log(RtString(who) + ": cannot read " + name + ": " + plat_file_check_text(check));
    return false;
}

} // namespace

bool rt_check_data_file(const RtString& name, const char* who, RtString* resolved,
                        std::uint64_t limit) {
    if (!checked(plat_check_file(name.str(), limit), name, who)) return false;
    if (resolved != nullptr) *resolved = RtString::from_std(plat_native_name(name.str()));
    return true;
}

bool rt_read_data_file(const RtString& name, const char* who, std::string* bytes,
                       std::uint64_t limit, const char** why) {
    const PlatFileCheck check = plat_read_file_checked(name.str(), bytes, limit);
    if (why != nullptr) *why = plat_file_check_text(check);
    return checked(check, name, who);
}

bool rt_media_lookup(const RtString& name, RtString* resolved) {
    // Plain files only: the game ships no media packs. The name is handed on
    // with "/" separators, as libraries that open it themselves need.
    return rt_check_data_file(name, nullptr, resolved, UINT64_MAX);
}

double rt_file_exists(const RtString& name) {
    return plat_check_file(name.str(), UINT64_MAX) == PlatFileCheck::kOk ? 1 : 0;
}

void rt_copy_file(const RtString& source, const RtString& destination) {
    // Copying a file onto itself would truncate the source before reading it.
    if (plat_same_file(source.str(), destination.str())) return;
    if (!rt_check_data_file(source, "file", nullptr, UINT64_MAX)) return;
    if (!plat_copy_file(source.str(), destination.str()))
        rt_log(RtString("file: cannot copy ") + source + " to " + destination);
}

double rt_delete_file(const RtString& name) {
    return plat_delete_file(name.str()) ? 1 : 0;
}

RtString rt_get_current_dir() {
    std::string dir = with_forward_slashes(plat_current_dir());
    if (dir.empty() || dir.back() != '/') dir += '/';
    return RtString::from_std(dir);
}

double rt_set_current_dir(const RtString& dir) {
    return plat_set_current_dir(dir.str()) ? 1 : 0;
}

double rt_wildcard_match(const RtString& pattern, const RtString& name) {
    const std::string_view p = pattern.view();
    const std::string_view n = name.view();
    std::size_t pi = 0;
    std::size_t ni = 0;
    // Where to resume after the most recent "*": just past it in the pattern,
    // one character further in the name each time.
    std::size_t star = std::string_view::npos;
    std::size_t star_name = 0;
    while (ni < n.size()) {
        if (pi < p.size() && p[pi] == '*') {
            star = ++pi;
            star_name = ni;
        } else if (pi < p.size() && same_char(p[pi], n[ni])) {
            ++pi;
            ++ni;
        } else if (star != std::string_view::npos) {
            pi = star;
            ni = ++star_name;
        } else {
            return 0;
        }
    }
    while (pi < p.size() && p[pi] == '*')
        ++pi;
    return pi == p.size() ? 1 : 0;
}

double rt_file_list(const RtString& pattern, RtArray<RtString>& names) {
    std::vector<std::string> dirs;
    std::vector<std::string> files;
    for (const PlatDirEntry& entry : plat_list_dir(".")) {
        if (entry.is_directory)
            dirs.push_back(entry.name);
        else if (rt_wildcard_match(pattern, RtString::from_std(entry.name)) != 0)
            files.push_back(entry.name);
    }
    const int total = static_cast<int>(dirs.size() + files.size());
    rt_dim(names, total);
    int i = 0;
    for (const std::string& dir : dirs)
        rt_index(names, i++) = RtString::from_std(dir);
    for (const std::string& file : files)
        rt_index(names, i++) = RtString::from_std(file);
    return static_cast<double>(files.size()) + 65536.0 * static_cast<double>(dirs.size());
}

void rt_slashes(RtString& name) {
    for (std::uint32_t i = 0; i < name.length(); ++i)
        if (name.char_at(i) == '\\') name.set_char(i, '/');
}

RtString rt_program_dir() {
    return RtString::from_std(plat_program_dir());
}

RtString rt_temp_dir() {
    return RtString::from_std(plat_temp_dir());
}

// ---------------------------------------------------------------- platform services

namespace {

std::string g_command_line;

// Quotes a text for the shell as one word.
std::string shell_word(std::string_view text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    out += "'";
    return out;
}

// "description|pattern|description|pattern": patterns are separated by ";"
// in the filter and by blanks for the dialog helpers.
std::vector<std::pair<std::string, std::string>> parse_filter(std::string_view filter) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= filter.size()) {
        std::size_t bar = filter.find('|', start);
        if (bar == std::string_view::npos) bar = filter.size();
        parts.emplace_back(filter.substr(start, bar - start));
        start = bar + 1;
    }
    std::vector<std::pair<std::string, std::string>> pairs;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::string patterns = parts[i + 1];
        for (char& c : patterns)
            if (c == ';') c = ' ';
        if (!patterns.empty()) pairs.emplace_back(parts[i], patterns);
    }
    return pairs;
}

std::string dialog_command(bool save, std::string_view filter) {
    const auto filters = parse_filter(filter);
    std::string command;
    if (!plat_which("zenity").empty()) {
        command = "zenity --file-selection";
        if (save) command += " --save --confirm-overwrite";
        for (const auto& [description, patterns] : filters)
            command += " --file-filter=" + shell_word(description + " | " + patterns);
    } else if (!plat_which("kdialog").empty()) {
        command = save ? "kdialog --getsavefilename ." : "kdialog --getopenfilename .";
        std::string kfilter;
        for (const auto& [description, patterns] : filters)
            kfilter += (kfilter.empty() ? "" : "\n") + patterns + "|" + description;
        if (!kfilter.empty()) command += " " + shell_word(kfilter);
    }
    if (!command.empty()) command += " 2>/dev/null";
    return command;
}

std::string hex_id(std::uint32_t value) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    // Lowest byte first, each byte high digit first.
    for (int byte = 0; byte < 4; ++byte) {
        const unsigned b = (value >> (8 * byte)) & 0xffu;
        out += kDigits[b >> 4];
        out += kDigits[b & 0xfu];
    }
    return out;
}

// The machine's identifier folded to 32 bits (FNV-1a) and mixed with our own
// constant, so the raw machine id never leaves the process.
std::uint32_t machine_number() {
    constexpr std::uint32_t kMix = 0x5c3a91e7u;
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : plat_machine_id()) {
        hash ^= c;
        hash *= 16777619u;
    }
    return hash ^ kMix;
}

std::string local_time_text() {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    if (local == nullptr) return "NO_DATA";
    const std::tm parts = *local;
    return std::to_string(parts.tm_year + 1900) + "-" + std::to_string(parts.tm_mon + 1) + "-" +
           std::to_string(parts.tm_mday) + " " + std::to_string(parts.tm_hour) + ":" +
           std::to_string(parts.tm_min) + ":" + std::to_string(parts.tm_sec);
}

} // namespace

RtString rt_file_dialog(double mode, const RtString& filter) {
    const std::string command = dialog_command(mode == 0, filter.view());
    if (command.empty()) return RtString("NO_FILE");
    // The dialog runs in its own process, but the directory is restored all
    // the same so a helper that changes it cannot leak into the game.
    const std::string saved_dir = plat_current_dir();
    std::string output;
    int exit_code = -1;
    const bool ran = plat_run_capture(command, &output, &exit_code);
    plat_set_current_dir(saved_dir);
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r'))
        output.pop_back();
    if (!ran || exit_code != 0 || output.empty()) return RtString("NO_FILE");
    return RtString::from_std(with_forward_slashes(output));
}

double rt_run_program(const RtString& command_line, double wait, double show, double* exit_code) {
    (void)show; // programs started here have no window of ours to show or hide
    int code = 0;
    if (!plat_run(command_line.str(), wait != 0, &code)) return 0;
    if (wait != 0 && exit_code != nullptr) *exit_code = code;
    return 1;
}

RtString rt_platform_info(const RtString& keyword) {
    std::string key(keyword.view());
    for (char& c : key)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (key.empty()) return RtString("LINUX");
    if (key == "ID") return RtString::from_std(hex_id(machine_number()));
    if (key == "DEVICE") return RtString("DESKTOP");
    if (key == "TIME") return RtString::from_std(local_time_text());
    return RtString("NO_DATA");
}

void rt_debug_out(const RtString& text) {
    if (!plat_debugger_attached()) return;
    std::string line = "TX";
    line += text.view();
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

RtString rt_command_line() {
    return RtString::from_std(g_command_line);
}

void rt_set_command_line(int argc, char** argv) {
    // The arguments after the program name, as one line; an argument with
    // blanks is quoted so the line still splits back into the same words.
    g_command_line.clear();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i] != nullptr ? argv[i] : "";
        if (!g_command_line.empty()) g_command_line += ' ';
        const bool quote = arg.empty() || arg.find_first_of(" \t") != std::string::npos;
        g_command_line += quote ? "\"" + arg + "\"" : arg;
    }
}
