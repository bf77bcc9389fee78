// run_dir.cpp: run directories, the child's start and file helpers for the
// whole-program tests.
#include "tests/whole/run_dir.h"

#include "runtime/rtini.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace whole {
namespace {

fs::path own_program() {
    return fs::read_symlink("/proc/self/exe");
}

// Hard links cost nothing inside the build tree; a copy does elsewhere.
void link_or_copy(const fs::path& from, const fs::path& to) {
    std::error_code error;
    fs::create_hard_link(from, to, error);
    if (error) fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

bool is_asset(const fs::path& file) {
    const std::string ext = file.extension().string();
    return ext == ".ddd" || ext == ".png" || ext == ".bmp" || ext == ".wav";
}

std::string lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

} // namespace

fs::path shipped_settings() {
    return fs::path(CROPSTACK_SOURCE_DIR) / "data" / "cropstack.ini";
}

fs::path source_levels() {
    return fs::path(CROPSTACK_SOURCE_DIR) / "data" / "levlib";
}

fs::path screenshot_dir() {
    const char* dir = std::getenv("CROPSTACK_WHOLE_SHOTS");
    return dir != nullptr && dir[0] != '\0' ? fs::path(dir) : fs::path(WHOLE_SCREENSHOT_DIR);
}

RunDir make_run_dir(const std::string& name) {
    RunDir run;
    const fs::path root = fs::path(WHOLE_RUN_ROOT) / name;
    fs::remove_all(root);
    run.dir = root / "game";
    run.log = root / "tmp";
    fs::create_directories(run.dir / "levlib");
    fs::create_directories(run.log);
    const fs::path bin = own_program().parent_path();
    for (const fs::directory_entry& e : fs::directory_iterator(bin))
        if (e.is_regular_file() && is_asset(e.path()))
            link_or_copy(e.path(), run.dir / e.path().filename());
    link_or_copy(own_program(), run.dir / own_program().filename());
    // Settings and levels come from the source tree: the build's copies may
    // carry a developer's own bindings.
    fs::copy_file(shipped_settings(), run.dir / "cropstack.ini");
    for (const fs::directory_entry& e : fs::directory_iterator(source_levels()))
        if (e.path().extension() == ".CMD" || e.path().filename() == "levels.ini")
            fs::copy_file(e.path(), run.dir / "levlib" / e.path().filename());
    return run;
}

void exec_scenario(const RunDir& run, const std::string& scenario) {
    setenv("CROPSTACK_WHOLE_SCENARIO", scenario.c_str(), 1);
    setenv("CROPSTACK_WHOLE_SHOTS", screenshot_dir().c_str(), 1);
    setenv("TMPDIR", run.log.c_str(), 1);
    const std::string exe = (run.dir / own_program().filename()).string();
    const char* argv[] = {exe.c_str(), nullptr};
    execv(exe.c_str(), const_cast<char* const*>(argv));
    std::perror("whole: cannot start the run's program");
    std::_Exit(127);
}

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void write_file(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

Settings read_settings(const fs::path& file) {
    IniStore store;
    Settings out;
    if (!store.load(RtString(file.c_str()))) return out;
    for (std::size_t s = 0; s < store.section_count(); ++s) {
        const IniSection& section = store.section(s);
        for (std::size_t e = 0; e < section.entries.size(); ++e)
            out[{lower(section.name.str()), lower(section.entries[e].key.str())}] =
                section.entries[e].value.str();
    }
    return out;
}

} // namespace whole
