// The header purge and the pack. Both build the new file beside the old one and rename it over
// the old one, so that at every moment the data set has a header file that matches its data (or,
// on a file system without hard links, the old data file under ".jbo" for the moment between two
// renames, which FinishInterruptedPack puts back).

#include <algorithm>
#include <limits>

#include "store/dataset_lock.h"
#include "store/dataset_paths.h"
#include "store/io_error.h"
#include "store/page_store.h"


namespace jb {

namespace {

constexpr std::size_t kCopyPiece = 4 << 20;

void WriteRecords(File& file, const std::vector<HeaderRecord>& records) {
    std::vector<std::uint8_t> bytes(records.size() * kHeaderRecordSize);
    for (std::size_t i = 0; i < records.size(); ++i) EncodeHeaderRecord(records[i], bytes.data() + i * kHeaderRecordSize);
    file.Write(bytes.data(), bytes.size());
}

// Reads ranges of a file through a large window, so that copying many small bodies that lie
// near each other costs few system calls, and never holds more than the window in memory.
class WindowReader {
public:
    WindowReader(File& file, std::int64_t size) : file_(file), size_(size), window_(kCopyPiece) {}

    template <typename Sink>
    void Copy(std::int64_t start, std::int64_t length, Sink&& sink) {
        while (length > 0) {
            if (start < windowStart_ || start >= windowStart_ + windowLength_) Load(start);
            std::int64_t n = std::min(length, windowStart_ + windowLength_ - start);
            sink(window_.data() + (start - windowStart_), static_cast<std::size_t>(n));
            start += n;
            length -= n;
        }
    }

private:
    void Load(std::int64_t start) {
        windowStart_ = start;
        windowLength_ = std::min<std::int64_t>(static_cast<std::int64_t>(window_.size()), size_ - start);
        file_.Seek(start);
        file_.ReadExactly(window_.data(), static_cast<std::size_t>(windowLength_));
    }

    File& file_;
    std::int64_t size_;
    std::vector<char> window_;
    std::int64_t windowStart_ = 0;
    std::int64_t windowLength_ = 0;
};

// Collects appended bytes and writes them in large pieces.
class BufferedWriter {
public:
    explicit BufferedWriter(File& file) : file_(file) { buffer_.reserve(kCopyPiece); }

    void Append(const char* bytes, std::size_t n) {
        if (buffer_.size() + n > kCopyPiece) Flush();
        if (buffer_.empty() && n >= kCopyPiece / 4) {
            file_.Write(bytes, n);  // large pieces go out without a second copy
        } else {
            buffer_.insert(buffer_.end(), bytes, bytes + n);
        }
    }

    void Flush() {
        if (!buffer_.empty()) file_.Write(buffer_.data(), buffer_.size());
        buffer_.clear();
    }

private:
    File& file_;
    std::vector<char> buffer_;
};

}  // namespace

unsigned PageStore::PurgeDeletedHeaders(const std::string& dataSet) {
    DataSetLock lock(dataSet);
    FinishInterruptedPack(dataSet);
    const std::string headerPath = CompanionPath(dataSet, ".hd");
    const std::string newHeaderPath = CompanionPath(dataSet, ".hd1");
    if (!files_.Open(headerPath, OpenMode::kRead)) return kStatusHeaderUnopenable;
    std::vector<HeaderRecord> records = ReadAllHeaders(dataSet);
    std::erase_if(records, [](const HeaderRecord& r) { return r.IsDeleted(); });
    auto newHeader = files_.Open(newHeaderPath, OpenMode::kCreate);
    if (!newHeader) return kStatusNewHeaderUncreatable;
    try {
        WriteRecords(*newHeader, records);
        newHeader->Sync();
        newHeader.reset();
        files_.Rename(newHeaderPath, headerPath);
        files_.SyncFolder(headerPath);
    } catch (...) {
        newHeader.reset();
        files_.Remove(newHeaderPath);
        throw;
    }
    return kStatusOk;
}

unsigned PageStore::PackDataSet(const std::string& dataSet, PackReport* report) {
    DataSetLock lock(dataSet);
    FinishInterruptedPack(dataSet);
    const std::string headerPath = CompanionPath(dataSet, ".hd");
    const std::string newHeaderPath = CompanionPath(dataSet, ".hd1");
    const std::string newDataPath = CompanionPath(dataSet, ".jb1");
    if (!files_.Open(headerPath, OpenMode::kRead)) return kStatusHeaderUnopenable;
    std::vector<HeaderRecord> records = ReadAllHeaders(dataSet);
    PackReport done;
    done.sizeBefore = std::max<std::int64_t>(files_.FileSize(dataSet), 0);
    done.dropped = static_cast<int>(std::count_if(records.begin(), records.end(),
                                                  [](const HeaderRecord& r) { return r.IsDeleted(); }));
    done.pages = static_cast<int>(records.size()) - done.dropped;
    if (records.empty()) {  // nothing to copy, nothing to drop
        done.sizeAfter = done.sizeBefore;
        if (report) *report = done;
        return kStatusOk;
    }

    auto newHeader = files_.Open(newHeaderPath, OpenMode::kCreate);
    if (!newHeader) return kStatusNewHeaderUncreatable;
    auto data = files_.Open(dataSet, OpenMode::kRead);
    if (!data) {
        newHeader.reset();
        files_.Remove(newHeaderPath);
        return kStatusDataFileUnopenable;
    }
    // A ".jb1" left by an interrupted pack stays at the front of the new data file.
    const bool hadNewData = files_.Exists(newDataPath);
    auto newData = files_.Open(newDataPath, hadNewData ? OpenMode::kReadWrite : OpenMode::kCreate);
    if (!newData) {
        newHeader.reset();
        files_.Remove(newHeaderPath);
        return kStatusNewDataFileUnopenable;
    }
    auto discardNewFiles = [&] {
        newHeader.reset();
        newData.reset();
        files_.Remove(newHeaderPath);
        if (!hadNewData) files_.Remove(newDataPath);
    };
    try {
        const std::int64_t dataSize = data->Size();
        std::int64_t at = newData->Size();
        newData->SeekToEnd();
        WindowReader reader(*data, dataSize);
        BufferedWriter writer(*newData);
        // Bodies that follow each other in the data file are copied as one range.
        std::int64_t pendingStart = 0, pendingLength = 0;
        auto copyPending = [&] {
            reader.Copy(pendingStart, pendingLength, [&](const char* bytes, std::size_t n) { writer.Append(bytes, n); });
            pendingLength = 0;
        };
        for (std::size_t i = 0; i < records.size(); ++i) {
            HeaderRecord& r = records[i];
            CheckBodyBounds(r, static_cast<int>(i), dataSize, dataSet);
            std::int64_t length = r.end - r.start;
            if (at + length > std::numeric_limits<std::int32_t>::max())
                throw IoError(newDataPath, "The packed data file would pass the 2 GiB limit");
            if (pendingLength > 0 && r.start != pendingStart + pendingLength) copyPending();
            if (pendingLength == 0) pendingStart = r.start;
            pendingLength += length;
            r.start = static_cast<std::int32_t>(at);
            r.end = static_cast<std::int32_t>(at + length);
            at += length;
        }
        copyPending();
        writer.Flush();
        WriteRecords(*newHeader, records);
        // Both new files are on disk before either takes an old one's name.
        newData->Sync();
        newHeader->Sync();
        newHeader.reset();
        newData.reset();
        data.reset();
    } catch (...) {
        discardNewFiles();
        throw;
    }
    unsigned status = ReplaceWithPacked(dataSet);
    if (status == kStatusOk) status = PurgeDeletedHeaders(dataSet);
    if (status != kStatusOk) return status;
    done.sizeAfter = files_.FileSize(dataSet);
    if (report) *report = done;
    return kStatusOk;
}

// Moves ".jb1" over the data file and ".hd1" over the header file. The old data file keeps a
// second name, ".jbo", until both are in place, so that a failure of the second rename can put
// the old pair back. That name is a hard link where the file system has them; elsewhere (FAT,
// exFAT) the old data file is renamed to it, and for a moment there is no data file: should the
// program stop there, FinishInterruptedPack renames it back.
unsigned PageStore::ReplaceWithPacked(const std::string& dataSet) {
    const std::string headerPath = CompanionPath(dataSet, ".hd");
    const std::string newHeaderPath = CompanionPath(dataSet, ".hd1");
    const std::string newDataPath = CompanionPath(dataSet, ".jb1");
    const std::string oldDataPath = CompanionPath(dataSet, ".jbo");
    files_.Remove(oldDataPath);
    bool linked = true;
    try {
        files_.Link(dataSet, oldDataPath);
    } catch (const IoError&) {
        linked = false;
    }
    try {
        if (!linked) files_.Rename(dataSet, oldDataPath);
        files_.Rename(newDataPath, dataSet);
    } catch (...) {
        if (linked)
            files_.Remove(oldDataPath);
        else if (files_.Exists(oldDataPath))
            files_.Rename(oldDataPath, dataSet);
        files_.Remove(newHeaderPath);
        files_.Remove(newDataPath);
        throw;
    }
    try {
        files_.Rename(newHeaderPath, headerPath);
    } catch (...) {
        files_.Rename(oldDataPath, dataSet);
        files_.Remove(newHeaderPath);
        throw;
    }
    files_.Remove(oldDataPath);
    files_.SyncFolder(dataSet);
    return kStatusOk;
}

// ReplaceWithPacked leaves ".jbo" only when it stopped part way. Which renames were done shows
// in the files left: ".jb1" is still there before the first, ".hd1" before the second.
bool PageStore::FinishInterruptedPack(const std::string& dataSet) {
    const std::string oldDataPath = CompanionPath(dataSet, ".jbo");
    if (!files_.Exists(oldDataPath)) return false;
    DataSetLock lock(dataSet);
    if (!files_.Exists(oldDataPath)) return false;  // another program finished it meanwhile
    const std::string newDataPath = CompanionPath(dataSet, ".jb1");
    const std::string newHeaderPath = CompanionPath(dataSet, ".hd1");
    if (!files_.Exists(dataSet)) {
        // Stopped after the old data file was renamed away (no hard links), before the packed
        // one took its place: the old one comes back, and the pack is as if it had not begun.
        files_.Rename(oldDataPath, dataSet);
        files_.Remove(newDataPath);
        files_.Remove(newHeaderPath);
        files_.SyncFolder(dataSet);
        return true;
    }
    if (!files_.Exists(newDataPath) && files_.Exists(newHeaderPath)) {
        // The new data file is in place but the header file is still the old one: the old data
        // file goes back, and the pack is as if it had not begun.
        files_.Rename(oldDataPath, dataSet);
        files_.Remove(newHeaderPath);
        files_.SyncFolder(dataSet);
        return true;
    }
    // Before the first rename ".jbo" is only a second name of the data file; after the second
    // the new pair is complete. Either way the data set's own files match.
    files_.Remove(oldDataPath);
    files_.SyncFolder(dataSet);
    return true;
}

}  // namespace jb
