#include "store/dataset_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

#include "store/dataset_paths.h"
#include "store/io_error.h"

namespace jb {
namespace {

// The locks this process holds: a lock file's descriptor and how many holders share it.
struct Held {
    int fd = -1;
    int depth = 0;
};

std::mutex& HeldMutex() {
    static std::mutex mutex;
    return mutex;
}

std::map<std::string, Held>& HeldLocks() {
    static std::map<std::string, Held> held;
    return held;
}

std::string MainOf(const std::string& dataSet) {
    return IsDeletedPagesDataSet(dataSet) ? CounterpartOf(dataSet) : dataSet;
}

}  // namespace

std::string LockFilePath(const std::string& dataSet) { return CompanionPath(dataSet, ".lck"); }

DataSetLock::DataSetLock(const std::string& dataSet, std::chrono::milliseconds wait) : path_(LockFilePath(dataSet)) {
    std::lock_guard<std::mutex> guard(HeldMutex());
    Held& held = HeldLocks()[path_];
    if (held.depth > 0) {
        ++held.depth;
        return;
    }
    int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    const int openError = errno;
    if (fd < 0) fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const std::string why = std::strerror(openError);
        HeldLocks().erase(path_);
        throw IoError(path_, "This data set cannot be locked against other programs (" + why +
                                 "); nothing was written. Its lock file must be readable by this user");
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            HeldLocks().erase(path_);
            throw IoError(dataSet, "Another program is writing this data set; nothing was written. Try again when it "
                                   "has finished");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    held.fd = fd;
    held.depth = 1;
}

DataSetPairLock::DataSetPairLock(const std::string& dataSet)
    : main_(MainOf(dataSet)), deleted_(DeletedPagesDataSet(MainOf(dataSet))) {}

DataSetLock::~DataSetLock() {
    std::lock_guard<std::mutex> guard(HeldMutex());
    auto it = HeldLocks().find(path_);
    if (it == HeldLocks().end() || --it->second.depth > 0) return;
    if (it->second.fd >= 0) ::close(it->second.fd);  // closing releases the flock
    HeldLocks().erase(it);
}

}  // namespace jb
