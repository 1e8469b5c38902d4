// memory_probe: the peak resident memory of one operation, measured in a process of its own.
//   memory_probe generate N          make (or find) the cached data set of N pages; print its path
//   memory_probe load-index N        LoadIndex of that data set

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "generator/data_set_generator.h"
#include "store/dataset_paths.h"
#include "store/memory_tuning.h"
#include "store/word_index.h"

namespace {

// VmHWM (peak resident set) of this process, in MiB.
double PeakResidentMiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    jb::KeepLargeAllocationsInProcess();
    if (argc < 3) {
        std::cerr << "usage: memory_probe generate|load-index PAGES\n";
        return 2;
    }
    const std::string mode = argv[1];
    const std::string dataSet = jb::bench::CachedDataSet(std::atoi(argv[2]));
    if (mode == "generate") {
        std::cout << dataSet << "\n";
        return 0;
    }
    if (mode == "load-index") {
        const double before = PeakResidentMiB();
        jb::IndexList list;
        jb::LoadIndex(list, dataSet);
        const double fileMiB = static_cast<double>(std::filesystem::file_size(jb::CompanionPath(dataSet, ".idx"))) / 1048576.0;
        std::printf("LoadIndex at %s pages: peak resident %.0f MiB (%.0f MiB before loading), index file %.0f MiB, %zu entries, list %.0f MiB\n",
                    argv[2], PeakResidentMiB(), before, fileMiB, list.Entries().Size(),
                    static_cast<double>(list.Entries().MemoryBytes()) / 1048576.0);
        return 0;
    }
    std::cerr << "memory_probe: unknown mode " << mode << "\n";
    return 2;
}
