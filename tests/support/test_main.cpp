// The entry of every test program: headless video and sound drivers, and a
// temporary directory of the process's own (also $TMPDIR), so test programs
// running side by side never share the error log or other scratch files.
// A test that ends the program outside a death test fails.
#include "exit_guard.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    char pattern[] = "/tmp/cropstack-tests-XXXXXX";
    const bool own_dir = mkdtemp(pattern) != nullptr;
    if (own_dir) setenv("TMPDIR", pattern, 1);
    ::testing::InitGoogleTest(&argc, argv);
    install_exit_guard();
    const int result = RUN_ALL_TESTS();
    if (own_dir) {
        std::error_code ignored;
        std::filesystem::remove_all(pattern, ignored);
    }
    return result;
}
