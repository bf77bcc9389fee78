// leveltool_guard_test.cpp: the level tool meets a pipe, a device or a folder
// in place of one of the library's files, refuses it at once and says which.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

struct GuardCase {
    const char* label;
    const char* file; // relative to the run's directory
    void (*plant)(const fs::path&);
};

const GuardCase kCases[] = {
    {"PipeAsLevel", "levlib/QLEV3.CMD",
     [](const fs::path& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); }},
    {"ZeroDeviceAsInformation", "levlib/levels.ini",
     [](const fs::path& p) { fs::create_symlink("/dev/zero", p); }},
    {"FolderAsLevel", "levlib/QLEV7.CMD", [](const fs::path& p) { fs::create_directory(p); }},
    {"PipeAsSource", "library.txt",
     [](const fs::path& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); }},
};

class LeveltoolGuard : public testing::TestWithParam<GuardCase> {};

TEST_P(LeveltoolGuard, RefusesAtOnceAndNamesTheFile) {
    const GuardCase& c = GetParam();
    const fs::path bin = fs::read_symlink("/proc/self/exe").parent_path();
    const fs::path run = fs::temp_directory_path() / (std::string("leveltool-") + c.label);
    fs::remove_all(run);
    fs::create_directories(run);
    fs::copy(bin / "levlib", run / "levlib");
    fs::copy_file(fs::path(CROPSTACK_SOURCE_DIR) / "data/levels-src/library.txt",
                  run / "library.txt");
    fs::copy_file(fs::path(CROPSTACK_SOURCE_DIR) / "docs/levels.md", run / "levels.md");
    fs::remove(run / c.file);
    c.plant(run / c.file);
    // The time limit only ends a tool that hangs, which is the fault itself.
    const std::string command = "timeout 60 " + (bin / "cropstack-leveltool").string() +
                                " --check " + (run / "library.txt").string() + " " +
                                (run / "levlib").string() + " " + (run / "levels.md").string() +
                                " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        out += buffer;
    const int status = pclose(pipe);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status << "\n" << out;
    EXPECT_NE(out.find((run / c.file).string() + ": "), std::string::npos) << out;
    EXPECT_NE(out.find("not a plain file"), std::string::npos) << out;
    fs::remove_all(run);
}

INSTANTIATE_TEST_SUITE_P(Files, LeveltoolGuard, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.label); });

} // namespace
