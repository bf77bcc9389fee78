// The generated files sit beside the test program; run from the program's
// directory wherever the test was started, as the game itself does.
#include <filesystem>

namespace {

const bool kInProgramDir = [] {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) std::filesystem::current_path(exe.parent_path(), error);
    return !error;
}();

} // namespace
