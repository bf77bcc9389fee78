// Shared by the runtime's file tests: whole-file reads and writes, and a
// fixture that gives each test its own temporary directory. The directory is
// also $TMPDIR, so the error log of the test lands in it.
#pragma once

#include "runtime/runtime.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

inline std::string read_text(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline void write_text(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class TempDirTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/cropstack-test-XXXXXX";
        dir_ = mkdtemp(pattern);
        setenv("TMPDIR", dir_.c_str(), 1);
    }
    void TearDown() override { fs::remove_all(dir_); }
    RtString name(const std::string& file) const { return RtString((dir_ / file).c_str()); }
    fs::path dir_;
};
