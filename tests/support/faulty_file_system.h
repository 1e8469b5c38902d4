#pragma once
// A FileSystem over the real one that fails a chosen call, and can lose power.
//
// Failures. Every call (open, read, write, seek, size, sync, rename, link, remove, folder sync)
// is numbered from 1 in the order it is made. The call with the chosen number fails: an open
// returns nullptr, a remove returns false, anything else throws IoError. With `crash` set, every
// call after the chosen one fails too, as if the program had stopped there.
//
// Power. The file system remembers what a power cut would leave: for each file, its bytes as of
// its last Sync (a file seen for the first time counts as synced as it then is), and for each
// name, the file it named when its folder was last synced. LosePower() puts the real files back
// to that state: every write not synced since, and every create, rename, link and remove not
// followed by a folder sync, is undone. This is the worst a disk may do; it may keep more.

#include <map>
#include <set>
#include <memory>
#include <string>

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
    void SyncFolder(const std::string& path) override;

    // From now on Link always fails, as on a file system without hard links (FAT, exFAT).
    void WithoutHardLinks() { hardLinks_ = false; }

    // Counts the call and says whether it must fail.
    bool NextCallFails();
    long Calls() const { return calls_; }
    bool Failed() const { return failed_; }

    // Puts every file this file system has touched back to what survives a power cut, and starts
    // again from there (as a restarted machine would).
    void LosePower();
    // Records that the file now named `path` has its current bytes on disk (File::Sync).
    void NoteSynced(const std::string& path);

private:
    // A file's identity, independent of its names.
    using Node = int;
    // Starts tracking `path` when it is new to this file system: its present state is durable.
    void Track(const std::string& path);
    Node NodeNamed(const std::string& path) const;

    long failAt_;
    bool crash_;
    long calls_ = 0;
    bool failed_ = false;
    bool hardLinks_ = true;

    Node nextNode_ = 0;
    std::map<Node, std::string> synced_;       // each file's bytes as of its last sync
    std::map<std::string, Node> names_;        // what each tracked name refers to now
    std::map<std::string, Node> durableNames_; // what each name referred to at its folder's last sync
    std::set<std::string> tracked_;            // every name seen, whether or not it exists
};

}  // namespace jb::test
