#include "store/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "store/dataset_paths.h"
#include "store/io_error.h"

namespace jb {

void File::ReadExactly(void* buffer, std::size_t size) {
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        std::size_t n = Read(out + done, size - done);
        if (n == 0) throw IoError(Path(), "Read beyond end of file");
        done += n;
    }
}

namespace {

std::string SystemError(const char* what) { return std::string(what) + " (" + std::strerror(errno) + ")"; }

class PosixFile final : public File {
public:
    PosixFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~PosixFile() override { ::close(fd_); }

    std::size_t Read(void* buffer, std::size_t size) override {
        for (;;) {
            ssize_t n = ::read(fd_, buffer, size);
            if (n >= 0) return static_cast<std::size_t>(n);
            if (errno != EINTR) throw IoError(path_, SystemError("Read failed"));
        }
    }

    void Write(const void* buffer, std::size_t size) override {
        const auto* in = static_cast<const char*>(buffer);
        while (size > 0) {
            ssize_t n = ::write(fd_, in, size);
            if (n < 0) {
                if (errno == EINTR) continue;
                throw IoError(path_, SystemError("Write failed"));
            }
            in += n;
            size -= static_cast<std::size_t>(n);
        }
    }

    void Seek(std::int64_t offset) override {
        if (offset < 0 || ::lseek(fd_, offset, SEEK_SET) < 0) throw IoError(path_, SystemError("Seek failed"));
    }

    void SeekToEnd() override {
        if (::lseek(fd_, 0, SEEK_END) < 0) throw IoError(path_, SystemError("Seek failed"));
    }

    std::int64_t Size() override {
        struct stat st {};
        if (::fstat(fd_, &st) != 0) throw IoError(path_, SystemError("Size failed"));
        return st.st_size;
    }

    void Sync() override {
        // The data and what is needed to read it back (its size), without the other metadata.
        int result;
        do {
            result = ::fdatasync(fd_);
        } while (result != 0 && errno == EINTR);
        if (result != 0) throw IoError(path_, SystemError("Sync failed"));
    }

    const std::string& Path() const override { return path_; }

private:
    int fd_;
    std::string path_;
};

class PosixFileSystem final : public FileSystem {
public:
    std::unique_ptr<File> Open(const std::string& path, OpenMode mode) override {
        int flags = O_CLOEXEC;
        switch (mode) {
            case OpenMode::kRead: flags |= O_RDONLY; break;
            case OpenMode::kReadWrite: flags |= O_RDWR; break;
            case OpenMode::kCreate: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
        }
        int fd;
        do {
            fd = ::open(path.c_str(), flags, 0666);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0) return nullptr;
        struct stat st {};
        if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
            ::close(fd);
            return nullptr;
        }
        return std::make_unique<PosixFile>(fd, path);
    }

    bool Exists(const std::string& path) override {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0;
    }

    std::int64_t FileSize(const std::string& path) override {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) return -1;
        return st.st_size;
    }

    void Rename(const std::string& from, const std::string& to) override {
        if (::rename(from.c_str(), to.c_str()) != 0) throw IoError(from, SystemError(("Rename to " + to + " failed").c_str()));
    }

    void Link(const std::string& from, const std::string& to) override {
        if (::link(from.c_str(), to.c_str()) != 0) throw IoError(from, SystemError(("Link to " + to + " failed").c_str()));
    }

    bool Remove(const std::string& path) override { return ::unlink(path.c_str()) == 0 || errno == ENOENT; }

    void SyncFolder(const std::string& path) override {
        std::string folder = FolderOf(path);
        if (folder.empty()) folder = ".";
        int fd;
        do {
            fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0) throw IoError(folder, SystemError("Folder could not be opened to sync"));
        int result = ::fsync(fd);
        // Some file systems cannot sync a folder (EINVAL): their renames are as durable as they get.
        const bool failed = result != 0 && errno != EINVAL;
        const std::string error = failed ? SystemError("Folder sync failed") : std::string();
        ::close(fd);
        if (failed) throw IoError(folder, error);
    }
};

}  // namespace

FileSystem& FileSystem::Default() {
    static PosixFileSystem instance;
    return instance;
}

}  // namespace jb
