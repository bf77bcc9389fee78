// rtsettings_path.cpp: where the settings file is kept.
//
// The settings live beside the program, and the game writes its changed
// options and keys back into them. An installed copy sits in a directory the
// player cannot write, where every change would be lost without a word; there
// the settings move to the player's configuration directory instead, seeded
// from the shipped file so the menu pages and default keys come along.
#include "platform/plat_files.h"
#include "runtime/rtini.h"
#include "runtime/runtime.h"

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace {

// The directory part of a name, with a trailing "/", or "./" for a bare name.
std::string directory_of(const std::string& name) {
    const std::size_t slash = name.find_last_of("/\\");
    return slash == std::string::npos ? std::string("./") : name.substr(0, slash + 1);
}

std::string file_part(const std::string& name) {
    const std::size_t slash = name.find_last_of("/\\");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

// Saving replaces the file through a temporary file in the same directory, so
// the question is whether that directory takes a new entry; asking by trying
// is the only answer that holds for read-only mounts and ACLs as well. The
// probe is a directory with a name nobody can guess: making one never
// follows a link planted in its place.
bool directory_writable(const std::string& dir) {
    std::random_device random;
    const std::string probe =
        dir + ".cropstack-probe-" + std::to_string(random()) + std::to_string(random());
    std::error_code error;
    if (!std::filesystem::create_directory(probe, error)) return false;
    std::filesystem::remove(probe, error);
    return true;
}

// $XDG_CONFIG_HOME when it is an absolute path, else $HOME/.config; empty
// when neither is known.
std::string config_home() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return std::string(home) + "/.config";
    return std::string();
}

// A newer game may ship pages and lines the player's copy lacks (new keys,
// say); they are added, and the player's own values stay. The copy is only
// rewritten when something was missing.
void merge_shipped(const std::string& shipped, const std::string& copy) {
    IniStore ours, theirs, merged;
    if (!ours.load(RtString::from_std(shipped)) || !theirs.load(RtString::from_std(copy))) return;
    ini_merge_shipped(ours, theirs, &merged);
    const std::string text = merged.text();
    if (text == theirs.text()) return;
    const char* why = nullptr;
    if (!plat_write_file_atomic(copy, text, &why)) {
        // The game still has the new lines: the store reads them in memory.
        rt_log(RtString("settings: cannot write ") + RtString::from_std(copy) + ": " + why);
        return;
    }
    rt_log(RtString("settings: added the new lines of ") + RtString::from_std(shipped) + " to " +
           RtString::from_std(copy));
}

// The player's copy of the named file, made from the shipped one the first
// time; empty when there is no usable copy.
std::string user_copy(const std::string& shipped) {
    const std::string base = config_home();
    if (base.empty()) return std::string();
    const std::filesystem::path dir = std::filesystem::path(base) / "cropstack";
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    const std::string copy = (dir / file_part(shipped)).string();
    // Whatever is there is the player's and is never seeded over: a copy that
    // cannot be read (too large, say) is left as it is, and the shipped lines
    // are read in memory instead.
    if (plat_check_file(copy) != PlatFileCheck::kMissing) {
        merge_shipped(shipped, copy);
        return copy;
    }
    if (!directory_writable(dir.string() + "/")) return std::string();
    // The shipped file holds the menu itself; a copy that could not be made
    // would open an empty menu, so the shipped file is kept in that case.
    if (plat_file_readable(shipped) && !plat_copy_file(shipped, copy)) return std::string();
    return copy;
}

// A save cut short between writing and renaming leaves its temporary file;
// the next start clears those of the settings and the progress record.
void remove_stale_temporaries(const std::string& file) {
    const int removed = plat_remove_stale_temporaries(directory_of(file), "cropstack");
    if (removed > 0)
        rt_log(RtString("settings: removed ") + RtString(removed) +
               " temporary files of an interrupted save in " +
               RtString::from_std(directory_of(file)));
}

RtString chosen_settings_file(const RtString& name) {
    std::string shipped = name.str();
    for (char& c : shipped)
        if (c == '\\') c = '/';
    if (directory_writable(directory_of(shipped))) return name;
    const std::string copy = user_copy(shipped);
    if (copy.empty()) {
        rt_log(RtString("settings: ") + name + " cannot be saved, changes will be lost");
        return name;
    }
    rt_log(RtString("settings: kept in ") + RtString::from_std(copy));
    ini_set_shipped(RtString::from_std(copy), RtString::from_std(shipped));
    return RtString::from_std(copy);
}

} // namespace

RtString rt_settings_file(const RtString& name) {
    const RtString chosen = chosen_settings_file(name);
    remove_stale_temporaries(plat_native_name(chosen.str()));
    return chosen;
}
