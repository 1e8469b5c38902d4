#include "store/header_cache.h"

#include <sys/stat.h>
#include <time.h>

#include <cstdint>
#include <optional>

#include "store/dataset_paths.h"

namespace jb {

const PageIdTable& HeaderSnapshot::IdTable() const {
    std::call_once(tableMade_, [this] { table_ = std::make_unique<PageIdTable>(records_); });
    return *table_;
}

namespace {

// What tells one state of a file from another.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

std::int64_t Nanoseconds(const struct timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + static_cast<std::int64_t>(t.tv_nsec);
}

// The stamp of a regular file; nothing for anything else or when it cannot be looked at.
std::optional<FileStamp> StampOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return FileStamp{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                     static_cast<std::int64_t>(st.st_size), Nanoseconds(st.st_mtim), Nanoseconds(st.st_ctim)};
}

// The wall clock, which the file system's time stamps follow.
std::int64_t NowNs() {
    struct timespec t {};
    ::clock_gettime(CLOCK_REALTIME, &t);
    return Nanoseconds(t);
}

std::shared_ptr<const HeaderSnapshot> ReadSnapshot(PageStore& store, const std::string& path, const std::string& dataSet) {
    const bool exists = store.Files().Exists(path);
    return std::make_shared<const HeaderSnapshot>(store.ReadAllHeaders(dataSet), exists);
}

struct Kept {
    std::mutex mutex;
    std::string path;
    FileStamp stamp;
    std::shared_ptr<const HeaderSnapshot> snapshot;
};

Kept& TheKept() {
    static Kept kept;
    return kept;
}

}  // namespace

std::shared_ptr<const HeaderSnapshot> CurrentHeaders(PageStore& store, const std::string& dataSet,
                                                     std::chrono::nanoseconds settle) {
    const std::string path = CompanionPath(dataSet, ".hd");
    if (&store.Files() != &FileSystem::Default()) return ReadSnapshot(store, path, dataSet);
    // Stamped before the read: a write during the read moves the stamp, and so the records
    // (whichever state they show) are not kept.
    const std::optional<FileStamp> before = StampOf(path);
    if (!before) return ReadSnapshot(store, path, dataSet);
    Kept& kept = TheKept();
    {
        std::lock_guard lock(kept.mutex);
        if (kept.snapshot && kept.path == path && kept.stamp == *before) return kept.snapshot;
    }
    std::shared_ptr<const HeaderSnapshot> snapshot = ReadSnapshot(store, path, dataSet);
    const std::optional<FileStamp> after = StampOf(path);
    const std::int64_t lastChange = std::max(before->modifiedNs, before->changedNs);
    const bool settled = NowNs() - lastChange >= settle.count();
    const bool whole = snapshot->Records().size() == static_cast<std::size_t>(before->size) / kHeaderRecordSize;
    std::lock_guard lock(kept.mutex);
    if (after == before && settled && whole) {
        kept.path = path;
        kept.stamp = *before;
        kept.snapshot = snapshot;
    } else {
        // The file is on the move, or another data set is in use: nothing is kept, so that
        // the memory of records no longer asked for goes.
        kept.snapshot.reset();
        kept.path.clear();
    }
    return snapshot;
}

void ForgetKeptHeaders() {
    Kept& kept = TheKept();
    std::lock_guard lock(kept.mutex);
    kept.snapshot.reset();
    kept.path.clear();
}

}  // namespace jb
