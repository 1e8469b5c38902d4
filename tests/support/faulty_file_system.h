#pragma once
// A FileSystem over the real one that fails a chosen call. Every call (open, read, write, seek,
// size, sync, rename, link, remove) is numbered from 1 in the order it is made. The call with
// the chosen number fails: an open returns nullptr, a remove returns false, anything else
// throws IoError. With `crash` set, every call after the chosen one fails too, as if the
// program had stopped there.

#include "store/file_system.h"

namespace jb::test {

class FaultyFileSystem final : public FileSystem {
public:
    explicit FaultyFileSystem(long failAt = 0, bool crash = false) : failAt_(failAt), crash_(crash) {}

    std::unique_ptr<File> Open(const std::string& path, OpenMode mode) override;
    bool Exists(const std::string& path) override { return FileSystem::Default().Exists(path); }
    std::int64_t FileSize(const std::string& path) override { return FileSystem::Default().FileSize(path); }
    void Rename(const std::string& from, const std::string& to) override;
    void Link(const std::string& from, const std::string& to) override;
    bool Remove(const std::string& path) override;

    // From now on Link always fails, as on a file system without hard links (FAT, exFAT).
    void WithoutHardLinks() { hardLinks_ = false; }

    // Counts the call and says whether it must fail.
    bool NextCallFails();
    long Calls() const { return calls_; }
    bool Failed() const { return failed_; }

private:
    long failAt_;
    bool crash_;
    long calls_ = 0;
    bool failed_ = false;
    bool hardLinks_ = true;
};

}  // namespace jb::test
