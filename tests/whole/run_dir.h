// run_dir.h: the parent's side of a whole-program run. Each run gets its own
// copy of the game directory (generated assets, the shipped settings file,
// the level library) together with a copy of this test program, because the
// program finds its data beside its own file; the copy is then started in
// the death-test child and plays the named script.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <utility>

namespace whole {

namespace fs = std::filesystem;

struct RunDir {
    fs::path dir; // the game directory of the run
    fs::path log; // the run's temporary directory, where ErrorLog.txt goes
};

// A fresh run directory named after the test, under the build tree.
RunDir make_run_dir(const std::string& name);

// Replaces the current process with the run's copy of this program playing
// `scenario`. Meant as the statement of EXPECT_EXIT.
[[noreturn]] void exec_scenario(const RunDir& run, const std::string& scenario);

// Screenshots of the runs land here (CROPSTACK_WHOLE_SHOTS, or the build tree).
fs::path screenshot_dir();

std::string read_file(const fs::path& path);
void write_file(const fs::path& path, const std::string& bytes);

// Every (section, key) = value of a settings file, read by the game's store;
// sections and keys compare without case, so they are kept in lower case.
using Settings = std::map<std::pair<std::string, std::string>, std::string>;
Settings read_settings(const fs::path& file);
// The settings file the game ships.
fs::path shipped_settings();
fs::path source_levels();

} // namespace whole
