// fuzz_support.h: what the fuzz programs share: a private scratch directory
// for readers that only take a file name, and keeping the error log small.
#pragma once

#include "runtime/runtime.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fuzz {

// A directory of this process's own below the temporary directory, made once
// and removed at exit (the name is kept alive for that on purpose).
inline const std::string& scratch_dir() {
    static const std::string* dir = [] {
        std::string pattern = rt_temp_dir().str() + "cropstack-fuzz-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        auto* name = new std::string(pattern + "/");
        std::atexit([] { std::filesystem::remove_all(scratch_dir()); });
        return name;
    }();
    return *dir;
}

// Writes the input to a file in the scratch directory and returns its name.
inline std::string write_input(const std::string& name, const std::uint8_t* data,
                               std::size_t size) {
    const std::string path = scratch_dir() + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
    return path;
}

// Every refused input writes to the error log; without this a long run
// would fill the disk with it.
inline void trim_log() {
    static unsigned runs = 0;
    if (++runs % 256 == 0) rt_delete_log();
}

} // namespace fuzz
