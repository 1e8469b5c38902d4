#include "support/faulty_file_system.h"

#include "store/io_error.h"

namespace jb::test {

namespace {

class FaultyFile final : public File {
public:
    FaultyFile(std::unique_ptr<File> real, FaultyFileSystem& owner) : real_(std::move(real)), owner_(owner) {}

    std::size_t Read(void* buffer, std::size_t size) override {
        Check("Read");
        return real_->Read(buffer, size);
    }
    void Write(const void* buffer, std::size_t size) override {
        Check("Write");
        real_->Write(buffer, size);
    }
    void Seek(std::int64_t offset) override {
        Check("Seek");
        real_->Seek(offset);
    }
    void SeekToEnd() override {
        Check("Seek");
        real_->SeekToEnd();
    }
    std::int64_t Size() override {
        Check("Size");
        return real_->Size();
    }
    void Sync() override {
        Check("Sync");
        real_->Sync();
    }
    const std::string& Path() const override { return real_->Path(); }

private:
    void Check(const char* what) {
        if (owner_.NextCallFails()) throw IoError(Path(), std::string("Injected failure of ") + what);
    }

    std::unique_ptr<File> real_;
    FaultyFileSystem& owner_;
};

}  // namespace

bool FaultyFileSystem::NextCallFails() {
    ++calls_;
    bool fail = calls_ == failAt_ || (crash_ && failAt_ > 0 && calls_ > failAt_);
    failed_ = failed_ || fail;
    return fail;
}

std::unique_ptr<File> FaultyFileSystem::Open(const std::string& path, OpenMode mode) {
    if (NextCallFails()) return nullptr;
    auto real = FileSystem::Default().Open(path, mode);
    if (!real) return nullptr;
    return std::make_unique<FaultyFile>(std::move(real), *this);
}

void FaultyFileSystem::Rename(const std::string& from, const std::string& to) {
    if (NextCallFails()) throw IoError(from, "Injected failure of Rename");
    FileSystem::Default().Rename(from, to);
}

void FaultyFileSystem::Link(const std::string& from, const std::string& to) {
    if (NextCallFails() || !hardLinks_) throw IoError(from, "Injected failure of Link");
    FileSystem::Default().Link(from, to);
}

bool FaultyFileSystem::Remove(const std::string& path) {
    if (NextCallFails()) return false;
    return FileSystem::Default().Remove(path);
}

}  // namespace jb::test
