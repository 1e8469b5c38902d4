#pragma once
// The scratch folder of a fuzz target's files: made once per process, removed when the process
// ends normally (a crashing input leaves it, with the files it wrote, for a look). In /dev/shm
// when the system has it: the store syncs every file it writes, and on a disk those syncs would
// take most of each input's time.

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace jb::fuzz {

inline const std::string& FuzzFolder() {
    static const std::string folder = [] {
        namespace fs = std::filesystem;
        std::error_code ec;
        const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string pattern = (base / "jbfuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a scratch folder in " + base.string());
        static std::string made = pattern;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(made, ignored);
        });
        return pattern + "/";
    }();
    return folder;
}

}  // namespace jb::fuzz
