// memory_probe: the peak resident memory of one operation, measured in a process of its own.
//   memory_probe generate N          make (or find) the cached data set of N pages; print its path
//   memory_probe load-index N        LoadIndex of that data set
//   memory_probe desktop N PROGRAM   the desktop program started on a copy of that data set, up
//                                    to the moment it goes idle after start-up

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "generator/data_set_generator.h"
#include "store/dataset_paths.h"
#include "store/memory_tuning.h"
#include "store/word_index.h"

namespace {

// VmHWM (peak resident set) of a process, in MiB.
double PeakResidentMiB(const std::string& process = "self") {
    std::ifstream status("/proc/" + process + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
    return 0;
}

// CPU time (user and system, in clock ticks) a process has used so far; -1 once it is gone.
long CpuTicks(const std::string& process) {
    std::ifstream file("/proc/" + process + "/stat");
    std::string stat;
    if (!std::getline(file, stat)) return -1;
    // Fields after the command name (which may hold spaces) start after its closing ")".
    std::istringstream rest(stat.substr(stat.rfind(')') + 2));
    std::string field;
    long utime = 0, stime = 0;
    for (int n = 3; n <= 15 && rest >> field; ++n) {
        if (n == 3 && field == "Z") return -1;
        if (n == 14) utime = std::atol(field.c_str());
        if (n == 15) stime = std::atol(field.c_str());
    }
    return utime + stime;
}

// Starts the program in a folder holding a copy of the data set (as its default data set) and
// waits until it has stayed idle for a second: start-up is over, whether the window shows
// a page or waits on a question. Then reads its peak resident set and kills it.
int DesktopPeak(const std::string& dataSet, const std::string& program, const char* pages) {
    jb::bench::ScratchCopy copy(dataSet);
    const std::filesystem::path folder = std::filesystem::path(copy.DataSet()).parent_path();
    const std::filesystem::path binary = folder / "jotterbase";
    std::filesystem::copy_file(program, binary);
    const auto started = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid < 0) return 1;
    if (pid == 0) {
        // The program's own messages (Qt's warnings) would mix with the figures.
        freopen("/dev/null", "w", stdout);
        freopen("/dev/null", "w", stderr);
        execl(binary.c_str(), binary.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    const std::string process = std::to_string(pid);
    // Idle: under 5% of one core over the last second (a scrolling ticker still takes a little).
    std::vector<long> ticks;
    long last = 0;
    while (std::chrono::steady_clock::now() - started < std::chrono::minutes(5)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        last = CpuTicks(process);
        if (last < 0) break;
        ticks.push_back(last);
        if (ticks.size() > 10 && last - ticks[ticks.size() - 11] <= sysconf(_SC_CLK_TCK) / 20) break;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count() - 1.0;
    const double peak = last < 0 ? 0 : PeakResidentMiB(process);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    if (last < 0) {
        std::cerr << "memory_probe: the desktop program ended during start-up\n";
        return 1;
    }
    std::printf("Desktop start-up at %s pages: peak resident %.0f MiB, idle after %.1f s\n", pages, peak, seconds);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    jb::KeepLargeAllocationsInProcess();
    if (argc < 3) {
        std::cerr << "usage: memory_probe generate|load-index PAGES | desktop PAGES PROGRAM\n";
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
    if (mode == "desktop" && argc >= 4) return DesktopPeak(dataSet, argv[3], argv[2]);
    std::cerr << "memory_probe: unknown mode " << mode << "\n";
    return 2;
}
