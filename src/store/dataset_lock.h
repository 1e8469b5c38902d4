#pragma once
// One writer at a time on a data set. Every operation that writes a data set (a page write, a
// purge, a pack, an index save, a rename) holds this lock for its whole duration: an advisory
// lock (flock) on the lock file beside the data file, "<name>.lck", which is never removed.
// Another process waits for it up to a few seconds and then gives up without writing. Within one
// process the lock nests: an operation that calls another keeps the lock it already holds.
// Nothing is ever written without it: a lock file this user may only read (left by another user,
// as by a run under sudo) is locked through a read-only descriptor, which flock allows.

#include <chrono>
#include <string>

namespace jb {

class DataSetLock {
public:
    // Waits at most `wait` for the data set; throws IoError saying that another program is
    // writing it when it is still held then. Throws IoError saying so, too, when the lock file
    // can be neither opened nor made (a read-only folder, a lock file closed to this user).
    explicit DataSetLock(const std::string& dataSet,
                         std::chrono::milliseconds wait = std::chrono::milliseconds(5000));
    ~DataSetLock();
    DataSetLock(const DataSetLock&) = delete;
    DataSetLock& operator=(const DataSetLock&) = delete;

private:
    std::string path_;
};

// A data set and its counterpart held together, for a move of a page between the two. The main
// data set is always taken first, whichever of the two is named, so that a zap and a
// restore at the same moment never each hold one and wait for the other.
class DataSetPairLock {
public:
    explicit DataSetPairLock(const std::string& dataSet);

private:
    DataSetLock main_;
    DataSetLock deleted_;
};

// The lock file of a data set.
std::string LockFilePath(const std::string& dataSet);

}  // namespace jb
