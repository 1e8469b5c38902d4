#pragma once
// One writer at a time on a data set. Every operation that writes a data set (a page write, a
// purge, a pack, an index save, a rename) holds this lock for its whole duration: an advisory
// lock (flock) on the lock file beside the data file, "<name>.lck", which is never removed.
// Another process waits for it up to a few seconds and then gives up without writing. Within one
// process the lock nests: an operation that calls another keeps the lock it already holds.

#include <chrono>
#include <string>

namespace jb {

class DataSetLock {
public:
    // Waits at most `wait` for the data set; throws IoError saying that another program is
    // writing it when it is still held then. Where no lock file can be made (a read-only
    // folder) nothing can be written either, and the lock is not taken.
    explicit DataSetLock(const std::string& dataSet,
                         std::chrono::milliseconds wait = std::chrono::milliseconds(5000));
    ~DataSetLock();
    DataSetLock(const DataSetLock&) = delete;
    DataSetLock& operator=(const DataSetLock&) = delete;

private:
    std::string path_;
};

// The lock file of a data set.
std::string LockFilePath(const std::string& dataSet);

}  // namespace jb
