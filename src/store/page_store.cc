#include "store/page_store.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <limits>
#include <utility>

#include "protect/page_key.h"
#include "protect/decipher.h"
#include "store/dataset_lock.h"
#include "store/dataset_paths.h"
#include "store/io_error.h"

namespace jb {

namespace {

std::string HeaderPath(const std::string& dataSet) { return CompanionPath(dataSet, ".hd"); }

void CheckPageNumber(int n, int count, const std::string& dataSet, bool forWrite) {
    int limit = forWrite ? count : count - 1;
    if (n < 0 || n > limit) {
        throw IoError(dataSet, "There is no page " + std::to_string(n) + " (the data set has " +
                                   std::to_string(count) + " pages)");
    }
}

void WriteWholeFile(File& file, std::string_view bytes) { file.Write(bytes.data(), bytes.size()); }

// One past the last byte in [from, to) of the data file that is not a trailer byte; `from` when
// there is none. A record cut back to it keeps what is left of its body and still reads as
// damaged, since a body ends with its trailer byte.
std::int32_t LastBodyByteBefore(File& data, std::int32_t from, std::int64_t to) {
    char block[4096];
    while (to > from) {
        const std::int64_t at = std::max<std::int64_t>(from, to - static_cast<std::int64_t>(sizeof block));
        data.Seek(at);
        data.ReadExactly(block, static_cast<std::size_t>(to - at));
        for (std::int64_t i = to - at; i > 0; --i)
            if (!IsTrailerByte(static_cast<unsigned char>(block[i - 1]))) return static_cast<std::int32_t>(at + i);
        to = at;
    }
    return from;
}

}  // namespace

void CheckBodyBounds(const HeaderRecord& r, int n, std::int64_t dataFileSize, const std::string& dataSet) {
    if (r.start < 0 || r.end < r.start || r.end > dataFileSize) {
        throw IoError(dataSet, "Page " + std::to_string(n) + " is damaged: its record points at bytes " +
                                   std::to_string(r.start) + " to " + std::to_string(r.end) +
                                   " but the data file holds " + std::to_string(dataFileSize) + " bytes");
    }
}

PageStore::PageStore(FileSystem& files, const Clock& clock)
    : files_(files), clock_(clock), random_(std::random_device{}()) {}

template <class F>
void PageStore::ForEachHeaderBlock(const std::string& dataSet, F&& f) {
    auto header = files_.Open(HeaderPath(dataSet), OpenMode::kRead);
    if (!header) {
        if (files_.Exists(HeaderPath(dataSet))) throw IoError(HeaderPath(dataSet), "The header file cannot be opened");
        return;
    }
    const auto size = static_cast<std::size_t>(header->Size()) / kHeaderRecordSize * kHeaderRecordSize;
    std::vector<char> block(kHeaderRecordSize * 4096);
    for (std::size_t at = 0; at < size;) {
        const std::size_t n = std::min(block.size(), size - at);
        header->ReadExactly(block.data(), n);
        if (!f(static_cast<const char*>(block.data()), n / kHeaderRecordSize)) return;
        at += n;
    }
}

int PageStore::PageCount(const std::string& dataSet) {
    std::int64_t size = files_.FileSize(HeaderPath(dataSet));
    if (size <= 0) return 0;
    return static_cast<int>(size / static_cast<std::int64_t>(kHeaderRecordSize));
}

unsigned PageStore::ReadPageBody(const std::string& dataSet, int n, PageInfo& info, std::string& body) {
    body.clear();
    auto header = files_.Open(HeaderPath(dataSet), OpenMode::kRead);
    if (!header) return kStatusHeaderUnopenable;
    CheckPageNumber(n, static_cast<int>(header->Size() / static_cast<std::int64_t>(kHeaderRecordSize)), dataSet, false);
    std::uint8_t bytes[kHeaderRecordSize];
    header->Seek(static_cast<std::int64_t>(n) * kHeaderRecordSize);
    header->ReadExactly(bytes, sizeof bytes);
    header.reset();
    HeaderRecord r = DecodeHeaderRecord(bytes);
    info.id += r.Id();
    info.created = r.created;
    info.reminder = r.reminder;
    info.modified = r.modified;
    if (r.end == r.start) return kStatusOk;

    std::string password = r.Password();
    auto data = files_.Open(dataSet, OpenMode::kRead);
    if (!data) return kStatusDataFileUnopenable;
    CheckBodyBounds(r, n, data->Size(), dataSet);
    info.password = password;
    body.resize(static_cast<std::size_t>(r.end - r.start));
    data->Seek(r.start);
    data->ReadExactly(body.data(), body.size());
    const auto trailer = static_cast<unsigned char>(body.back());
    if (!IsTrailerByte(trailer))
        throw IoError(dataSet, "Page " + std::to_string(n) + " is damaged: its body does not end with its trailer byte");
    info.readOnly = trailer == kTrailerReadOnly;
    return kStatusOk;
}

unsigned PageStore::ReadPage(const std::string& dataSet, int n, PageInfo& info) {
    std::string body;
    unsigned status = ReadPageBody(dataSet, n, info, body);
    if (status != kStatusOk || body.empty()) return status;
    auto readOut = files_.Open(CompanionPath(dataSet, ".tpm"), OpenMode::kCreate);
    if (!readOut) return kStatusReadOutUncreatable;
    WriteWholeFile(*readOut, body);
    return kStatusOk;
}

unsigned PageStore::WriteBodyFile(const std::string& dataSet, std::string_view password, std::string_view text) {
    const std::string writeIn = CompanionPath(dataSet, ".ptm");
    // A protected page is enciphered in memory: a file holding its text in clear would stay on
    // disk, readable, whenever the program stopped before removing it.
    auto out = files_.Open(writeIn, OpenMode::kCreate);
    if (!out) throw IoError(writeIn, "File could not be created");
    if (password.empty())
        WriteWholeFile(*out, text);
    else
        WriteWholeFile(*out, Rc4Bytes(PageKey(password), text));
    return kStatusOk;
}

unsigned PageStore::WritePage(const std::string& dataSet, int n, std::string_view password, bool deleted,
                              bool readOnly, std::string_view id, std::string_view text, double reminder,
                              double created, IndexAppend* index) {
    DataSetLock lock(dataSet);
    // A pack stopped between its renames leaves a header file that does not match the data
    // file: a body appended now would be lost when the pack is put right.
    FinishInterruptedPack(dataSet);
    CheckPageNumber(n, PageCount(dataSet), dataSet, true);
    HeaderRecord r;
    r.passwordField = EncodePasswordField(password);
    WriteBodyFile(dataSet, password, text);

    const std::string writeIn = CompanionPath(dataSet, ".ptm");
    {
        bool exists = files_.Exists(dataSet);
        auto data = files_.Open(dataSet, exists ? OpenMode::kReadWrite : OpenMode::kCreate);
        if (!data) {
            files_.Remove(writeIn);
            return exists ? kStatusDataFileUnopenable : kStatusDataFileUncreatable;
        }
        // A record claiming bytes past the data file's end (a file cut short, a damaged end
        // field) is damage, not room to keep: it is cut back first, so that the new body can lie
        // at the file's end without that page coming to read it.
        CutClaimsPastTheEnd(dataSet, *data);
        const std::int64_t size = data->Size();
        const std::int64_t start = size;
        auto body = files_.Open(writeIn, OpenMode::kRead);
        if (!body) return kStatusWriteInUnopenable;
        std::int64_t bodySize = body->Size();
        if (start + bodySize + 1 > std::numeric_limits<std::int32_t>::max()) {
            body.reset();
            files_.Remove(writeIn);
            return kStatusDataFileFull;
        }
        std::string bytes(static_cast<std::size_t>(bodySize) + 1, '\0');
        body->ReadExactly(bytes.data(), static_cast<std::size_t>(bodySize));
        bytes.back() = static_cast<char>(readOnly ? kTrailerReadOnly : kTrailerWritable);
        data->SeekToEnd();
        WriteWholeFile(*data, bytes);
        data->Sync();
        if (!exists) files_.SyncFolder(dataSet);
        body.reset();
        files_.Remove(writeIn);
        r.start = static_cast<std::int32_t>(start);
        r.end = static_cast<std::int32_t>(size + static_cast<std::int64_t>(bytes.size()));
    }
    if (!files_.Open(dataSet, OpenMode::kReadWrite)) return kStatusDataFileUnopenable;
    if (deleted) r.end = r.start;
    if (index && !index->text.empty()) AppendIndexLines(dataSet, *index);

    r.id = IdField(id);
    r.created = created;
    r.reminder = reminder;
    r.modified = clock_.Today();
    const std::string headerPath = HeaderPath(dataSet);
    bool exists = files_.Exists(headerPath);
    auto header = files_.Open(headerPath, exists ? OpenMode::kReadWrite : OpenMode::kCreate);
    if (!header) return exists ? kStatusHeaderUnopenable : kStatusHeaderUncreatable;
    std::uint8_t bytes[kHeaderRecordSize];
    EncodeHeaderRecord(r, bytes);
    header->Seek(static_cast<std::int64_t>(n) * kHeaderRecordSize);
    header->Write(bytes, sizeof bytes);
    header->Sync();
    if (!exists) files_.SyncFolder(headerPath);
    return kStatusOk;
}

std::vector<int> PageStore::CutClaimsPastTheEnd(const std::string& dataSet) {
    DataSetLock lock(dataSet);
    auto data = files_.Open(dataSet, OpenMode::kRead);
    if (!data) return {};
    return CutClaimsPastTheEnd(dataSet, *data);
}

std::vector<int> PageStore::CutClaimsPastTheEnd(const std::string& dataSet, File& data) {
    const std::int64_t size = data.Size();
    std::vector<std::pair<int, HeaderRecord>> cut;
    int n = 0;
    ForEachHeaderBlock(dataSet, [&](const char* records, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i, ++n) {
            HeaderRecord r;
            std::memcpy(&r, records + i * kHeaderRecordSize, kHeaderRecordSize);
            if (r.IsDeleted() || r.end <= size) continue;
            r.end = LastBodyByteBefore(data, std::max(r.start, 0), size);
            if (r.end <= r.start) {
                r.start = std::max(r.start, 0);
                r.end = r.start - 1;
            }
            cut.emplace_back(n, r);
        }
        return true;
    });
    if (cut.empty()) return {};
    auto header = files_.Open(HeaderPath(dataSet), OpenMode::kReadWrite);
    if (!header) throw IoError(HeaderPath(dataSet), "The header file cannot be opened for writing");
    std::vector<int> pages;
    for (const auto& [page, r] : cut) {
        header->Seek(static_cast<std::int64_t>(page) * kHeaderRecordSize + offsetof(HeaderRecord, start));
        header->Write(&r.start, sizeof r.start + sizeof r.end);
        pages.push_back(page);
    }
    header->Sync();
    return pages;
}

void PageStore::AppendIndexLines(const std::string& dataSet, IndexAppend& index) {
    const std::string path = CompanionPath(dataSet, ".idx");
    try {
        const bool exists = files_.Exists(path);
        auto file = files_.Open(path, exists ? OpenMode::kReadWrite : OpenMode::kCreate);
        if (!file) throw IoError(path, "The index file cannot be opened for writing");
        // A line left unfinished (a program stopped while appending) is ended first, so that it
        // cannot run into the first new entry.
        std::string lines;
        const std::int64_t size = file->Size();
        index.sizeBefore = exists ? size : -1;
        if (size > 0) {
            char last = 0;
            file->Seek(size - 1);
            file->ReadExactly(&last, 1);
            if (last != '\n' && last != '\r') lines = "\r\n";
        }
        lines += index.text;
        file->SeekToEnd();
        WriteWholeFile(*file, lines);
        file->Sync();
        if (!exists) files_.SyncFolder(path);
        index.sizeAfter = size + static_cast<std::int64_t>(lines.size());
    } catch (const IoError& e) {
        index.error = e.what();
    }
}

std::string PageStore::PageIdAt(const std::string& dataSet, int n) {
    auto header = files_.Open(HeaderPath(dataSet), OpenMode::kRead);
    if (!header) return {};
    if (n < 0) throw IoError(HeaderPath(dataSet), "There is no page " + std::to_string(n));
    char id[8];
    header->Seek(static_cast<std::int64_t>(n) * kHeaderRecordSize);
    header->ReadExactly(id, sizeof id);
    HeaderRecord r;
    std::copy(id, id + 8, r.id.begin());
    return r.Id();
}

int PageStore::FindPageById(const std::string& dataSet, std::string_view id) {
    auto header = files_.Open(HeaderPath(dataSet), OpenMode::kRead);
    if (!header) return -1;
    header.reset();
    const std::array<char, 8> wanted = IdField(id);
    std::vector<HeaderRecord> records = ReadAllHeaders(dataSet);
    for (std::size_t i = 0; i < records.size(); ++i)
        if (records[i].id == wanted) return static_cast<int>(i);
    return -2;
}

int PageStore::FindPageById(const std::string& dataSet, std::string_view id, int lastSeenAt) {
    if (lastSeenAt >= 0 && lastSeenAt < PageCount(dataSet) && PageIdAt(dataSet, lastSeenAt) == id) return lastSeenAt;
    return FindPageById(dataSet, id);
}

unsigned PageStore::AppendPage(const std::string& dataSet, std::string_view password, bool readOnly,
                               std::string_view id, std::string_view text, double reminder, double created, int& n,
                               IndexAppend* index) {
    DataSetLock lock(dataSet);
    n = PageCount(dataSet);
    return WritePage(dataSet, n, password, false, readOnly, id, text, reminder, created, index);
}

unsigned PageStore::UpdatePage(const std::string& dataSet, int& n, std::string_view password, bool deleted,
                               bool readOnly, std::string_view id, std::string_view text, double reminder,
                               double created, IndexAppend* index) {
    DataSetLock lock(dataSet);
    const int found = FindPageById(dataSet, id, n);
    n = found >= 0 ? found : PageCount(dataSet);
    return WritePage(dataSet, n, password, deleted, readOnly, id, text, reminder, created, index);
}

std::string PageStore::NewPageId(const std::string& dataSet) {
    for (;;) {
        char text[16];
        std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(random_()));
        if (!IdTaken(dataSet, text) && !IdTaken(CounterpartOf(dataSet), text)) return text;
    }
}

bool PageStore::IdTaken(const std::string& dataSet, std::string_view id) {
    const std::array<char, 8> field = IdField(id);
    bool taken = false;
    ForEachHeaderBlock(dataSet, [&](const char* records, std::size_t count) {
        for (std::size_t i = 0; i < count && !taken; ++i)
            taken = std::memcmp(records + i * kHeaderRecordSize, field.data(), field.size()) == 0;
        return !taken;
    });
    return taken;
}

unsigned PageStore::ReadDateAt(const std::string& dataSet, int n, std::size_t offset, double& value) {
    auto header = files_.Open(HeaderPath(dataSet), OpenMode::kRead);
    if (!header) return kStatusDatesHeaderUnopenable;
    if (n < 0) throw IoError(HeaderPath(dataSet), "There is no page " + std::to_string(n));
    header->Seek(static_cast<std::int64_t>(n) * kHeaderRecordSize + static_cast<std::int64_t>(offset));
    header->ReadExactly(&value, sizeof value);
    return kStatusOk;
}

unsigned PageStore::ReadCreatedAt(const std::string& dataSet, int n, double& value) { return ReadDateAt(dataSet, n, 8, value); }
unsigned PageStore::ReadReminderAt(const std::string& dataSet, int n, double& value) { return ReadDateAt(dataSet, n, 16, value); }
unsigned PageStore::ReadModifiedAt(const std::string& dataSet, int n, double& value) { return ReadDateAt(dataSet, n, 24, value); }

std::vector<HeaderRecord> PageStore::ReadAllHeaders(const std::string& dataSet) {
    std::vector<HeaderRecord> records;
    auto header = files_.Open(HeaderPath(dataSet), OpenMode::kRead);
    if (!header) {
        if (files_.Exists(HeaderPath(dataSet))) throw IoError(HeaderPath(dataSet), "The header file cannot be opened");
        return records;
    }
    // The in-memory record has the stored layout, so the file is read straight into it.
    records.resize(static_cast<std::size_t>(header->Size()) / kHeaderRecordSize);
    header->ReadExactly(records.data(), records.size() * kHeaderRecordSize);
    return records;
}

}  // namespace jb
