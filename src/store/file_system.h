#pragma once
// The file seam. Every file access of the store goes through a FileSystem so that tests can
// make any single call fail. Opening reports failure by returning nullptr (callers turn that
// into a storage status); every later failure throws IoError.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace jb {

class File {
public:
    virtual ~File() = default;
    // Reads up to `size` bytes at the current position; returns the count read (0 at the end).
    virtual std::size_t Read(void* buffer, std::size_t size) = 0;
    // Writes all `size` bytes at the current position or throws.
    virtual void Write(const void* buffer, std::size_t size) = 0;
    virtual void Seek(std::int64_t offset) = 0;
    virtual void SeekToEnd() = 0;
    virtual std::int64_t Size() = 0;
    // Makes the file's bytes durable: after it returns they survive a power cut. A new file's
    // name and a rename are durable only once their folder is synced too (SyncFolder).
    virtual void Sync() = 0;
    virtual const std::string& Path() const = 0;

    // Reads exactly `size` bytes or throws: reading past the end of a file is an I/O error.
    void ReadExactly(void* buffer, std::size_t size);
};

enum class OpenMode {
    kRead,       // existing file, reading only
    kReadWrite,  // existing file, reading and writing
    kCreate,     // create or truncate, reading and writing
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    virtual std::unique_ptr<File> Open(const std::string& path, OpenMode mode) = 0;
    virtual bool Exists(const std::string& path) = 0;
    // Size of a file in bytes, or -1 when it does not exist.
    virtual std::int64_t FileSize(const std::string& path) = 0;
    // Moves `from` over `to`, replacing `to` when it exists. Throws on failure.
    virtual void Rename(const std::string& from, const std::string& to) = 0;
    // Gives the file `from` a second name `to` (which must not exist). Throws on failure.
    virtual void Link(const std::string& from, const std::string& to) = 0;
    // Deletes a file; returns false when it could not be deleted (a missing file counts as done).
    virtual bool Remove(const std::string& path) = 0;
    // Makes the names in the folder of `path` durable (created, renamed, linked and removed
    // files). Throws on failure.
    virtual void SyncFolder(const std::string& path) = 0;

    // The plain system calls.
    static FileSystem& Default();
};

}  // namespace jb
