// The generator writes the same bytes on every run, so builds are reproducible.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(Generator, RewritesTheShippedFilesIdentically) {
    const fs::path out =
        fs::temp_directory_path() / ("cropstack-assetgen-" + std::to_string(::getpid()));
    fs::create_directories(out);
    const std::string cmd = "./cropstack-assetgen " + out.string();
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    int compared = 0;
    for (const auto& entry : fs::directory_iterator(out)) {
        const fs::path shipped = entry.path().filename();
        ASSERT_TRUE(fs::exists(shipped)) << shipped;
        EXPECT_EQ(slurp(entry.path()), slurp(shipped)) << shipped << " differs";
        ++compared;
    }
    EXPECT_EQ(compared, 22);
    fs::remove_all(out);
}

TEST(Generator, RefusesAnUnwritableDirectory) {
    EXPECT_NE(std::system("./cropstack-assetgen /nonexistent/cropstack 2>/dev/null"), 0);
}

} // namespace
