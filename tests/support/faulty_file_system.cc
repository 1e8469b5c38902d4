#include "support/faulty_file_system.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "store/dataset_paths.h"
#include "store/io_error.h"

namespace jb::test {

namespace {

std::string RealBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

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
        owner_.NoteSynced(Path());
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

void FaultyFileSystem::Track(const std::string& path) {
    if (!tracked_.insert(path).second) return;
    if (!FileSystem::Default().Exists(path)) return;
    const Node node = nextNode_++;
    synced_[node] = RealBytes(path);
    names_[path] = node;
    durableNames_[path] = node;
}

FaultyFileSystem::Node FaultyFileSystem::NodeNamed(const std::string& path) const {
    auto it = names_.find(path);
    return it == names_.end() ? -1 : it->second;
}

std::unique_ptr<File> FaultyFileSystem::Open(const std::string& path, OpenMode mode) {
    Track(path);
    if (NextCallFails()) return nullptr;
    auto real = FileSystem::Default().Open(path, mode);
    if (!real) return nullptr;
    if (NodeNamed(path) < 0) {
        // A new file: nothing of it is durable, not even its name.
        const Node node = nextNode_++;
        synced_[node] = "";
        names_[path] = node;
    }
    return std::make_unique<FaultyFile>(std::move(real), *this);
}

void FaultyFileSystem::NoteSynced(const std::string& path) {
    const Node node = NodeNamed(path);
    if (node >= 0) synced_[node] = RealBytes(path);
}

void FaultyFileSystem::Rename(const std::string& from, const std::string& to) {
    Track(from);
    Track(to);
    if (NextCallFails()) throw IoError(from, "Injected failure of Rename");
    FileSystem::Default().Rename(from, to);
    names_[to] = names_.at(from);
    names_.erase(from);
}

void FaultyFileSystem::Link(const std::string& from, const std::string& to) {
    Track(from);
    Track(to);
    if (NextCallFails() || !hardLinks_) throw IoError(from, "Injected failure of Link");
    FileSystem::Default().Link(from, to);
    names_[to] = names_.at(from);
}

bool FaultyFileSystem::Remove(const std::string& path) {
    Track(path);
    if (NextCallFails()) return false;
    if (!FileSystem::Default().Remove(path)) return false;
    names_.erase(path);
    return true;
}

void FaultyFileSystem::SyncFolder(const std::string& path) {
    if (NextCallFails()) throw IoError(path, "Injected failure of SyncFolder");
    FileSystem::Default().SyncFolder(path);
    const std::string folder = FolderOf(path);
    for (const std::string& name : tracked_) {
        if (FolderOf(name) != folder) continue;
        if (auto it = names_.find(name); it != names_.end())
            durableNames_[name] = it->second;
        else
            durableNames_.erase(name);
    }
}

void FaultyFileSystem::LosePower() {
    for (const std::string& name : tracked_) {
        auto it = durableNames_.find(name);
        if (it == durableNames_.end()) {
            std::filesystem::remove(name);
            continue;
        }
        std::ofstream out(name, std::ios::binary | std::ios::trunc);
        const std::string& bytes = synced_.at(it->second);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) throw IoError(name, "The power cut could not be staged");
    }
    names_ = durableNames_;
    // Unsynced bytes are gone: what each file holds now is what it had synced.
    failAt_ = 0;
    crash_ = false;
}

}  // namespace jb::test
