#include "datasets/index_rebuild.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "richtext/richtext.h"
#include "store/dataset_lock.h"
#include "store/io_error.h"
#include "store/page_store.h"
#include "store/storage_status.h"
#include "store/index_builder.h"
#include "store/word_index.h"

namespace jb {

namespace {

// One live page's words (their numbers), or why they could not be read.
struct PageWords {
    std::string id;
    std::vector<std::uint32_t> words;
    std::string damage;  // the read failed: the message, and no words
};

// Pages handed from a thread that reads and parses them to the one that indexes them, a
// batch at a time and in page order, with a bounded number of batches waiting so that a fast
// reader does not fill the memory.
class PageQueue {
public:
    void Push(std::vector<PageWords> batch) {
        std::unique_lock lock(mutex_);
        roomLeft_.wait(lock, [&] { return batches_.size() < kMaxWaiting || abandoned_; });
        batches_.push_back(std::move(batch));
        waiting_.notify_one();
    }
    // The reader is done, normally or with `failure`.
    void Close(std::exception_ptr failure = nullptr) {
        std::lock_guard lock(mutex_);
        closed_ = true;
        failure_ = failure;
        waiting_.notify_one();
    }
    // The next batch; false once the reader is done and every batch was taken. Throws what
    // the reader failed with.
    bool Pop(std::vector<PageWords>& batch) {
        std::unique_lock lock(mutex_);
        waiting_.wait(lock, [&] { return !batches_.empty() || closed_; });
        if (batches_.empty()) {
            if (failure_) std::rethrow_exception(failure_);
            return false;
        }
        batch = std::move(batches_.front());
        batches_.pop_front();
        roomLeft_.notify_one();
        return true;
    }
    // The indexing side stopped (it failed): the reader must not wait for room.
    void Abandon() {
        std::lock_guard lock(mutex_);
        abandoned_ = true;
        roomLeft_.notify_one();
    }
    bool Abandoned() {
        std::lock_guard lock(mutex_);
        return abandoned_;
    }

private:
    static constexpr std::size_t kMaxWaiting = 16;
    std::mutex mutex_;
    std::condition_variable waiting_, roomLeft_;
    std::deque<std::vector<PageWords>> batches_;
    bool closed_ = false;
    bool abandoned_ = false;
    std::exception_ptr failure_;
};

}  // namespace

RebuildReport RebuildIndex(const std::string& dataSet, FileSystem& files) {
    // The whole rebuild holds the data set: a page added between the reading of the pages and
    // the writing of the index would otherwise lose the entries it appended.
    DataSetLock lock(dataSet);
    PageStore store(files);
    RebuildReport report;
    std::vector<HeaderRecord> records = store.ReadAllHeaders(dataSet);
    report.pages = static_cast<int>(records.size());

    IndexList list(files);
    IndexBuilder builder(list, dataSet);  // a fresh list: the old file is not read
    auto data = records.empty() ? nullptr : files.Open(dataSet, OpenMode::kRead);
    if (!records.empty() && !data) throw IoError(dataSet, "Error #" + std::to_string(kStatusDataFileUnopenable) + " occurred");
    const std::int64_t dataSize = data ? data->Size() : 0;
    // Pages of text make about one entry per 13 bytes stored: room is made for a little more, so
    // that the entries (at a million pages, half a gigabyte) are not copied as they come. Room
    // not used costs no memory.
    builder.ReserveEntries(static_cast<std::size_t>(dataSize / 8));
    for (const HeaderRecord& r : records) {
        if (r.IsDeleted())
            ++report.deletedPages;
        else if (!r.Password().empty())
            ++report.protectedPages;
    }

    // Two threads read the bodies and take their words (the rich text parsed, the words cut,
    // folded and numbered), batches of pages in turn; this one takes the batches back in turn.
    constexpr std::size_t kBatch = 256;  // records a batch
    constexpr std::size_t kReaders = 2;
    const std::size_t batches = (records.size() + kBatch - 1) / kBatch;
    const StopWords& stops = builder.Stops();
    // The live pages among records [k * kBatch, (k + 1) * kBatch), read through `file`.
    auto readBatch = [&](std::size_t k, File& file, IndexBuilder::PageNumberer& numberer) {
        std::vector<PageWords> batch;
        std::string body;
        for (std::size_t i = k * kBatch; i < std::min(records.size(), (k + 1) * kBatch); ++i) {
            const HeaderRecord& r = records[i];
            if (r.IsDeleted() || !r.Password().empty()) continue;
            PageWords& page = batch.emplace_back();
            page.id = r.Id();
            try {
                CheckBodyBounds(r, static_cast<int>(i), dataSize, dataSet);
                body.resize(static_cast<std::size_t>(r.end - r.start));
                file.Seek(r.start);
                file.ReadExactly(body.data(), body.size());
            } catch (const IoError& e) {
                page.damage = e.what();
                continue;
            }
            page.words = numberer.NumbersOf(IndexWordsOf(richtext::PlainTextOf(body), stops));
        }
        return batch;
    };
    auto index = [&](std::vector<PageWords>&& batch) {
        for (PageWords& page : batch) {
            if (!page.damage.empty()) {
                report.damaged.push_back(std::move(page.damage));
                continue;
            }
            builder.AddNumbers(page.id, page.words);
            ++report.indexed;
        }
    };
    // Each reader has a file of its own, so that neither waits for the other's seeks.
    std::unique_ptr<File> readerFiles[kReaders];
    for (std::size_t t = 0; t < kReaders && t < batches; ++t) {
        readerFiles[t] = t == 0 ? std::move(data) : files.Open(dataSet, OpenMode::kRead);
        if (!readerFiles[t]) throw IoError(dataSet, "Error #" + std::to_string(kStatusDataFileUnopenable) + " occurred");
    }
    PageQueue queues[kReaders];
    std::vector<std::thread> readers;
    try {
        for (std::size_t t = 0; t < kReaders && t < batches; ++t)
            readers.emplace_back([&, t] {
                PageQueue& queue = queues[t];
                try {
                    IndexBuilder::PageNumberer numberer(builder);
                    for (std::size_t k = t; k < batches && !queue.Abandoned(); k += kReaders)
                        queue.Push(readBatch(k, *readerFiles[t], numberer));
                    queue.Close();
                } catch (...) {
                    queue.Close(std::current_exception());
                }
            });
    } catch (const std::system_error&) {
        // Not as many threads as asked: the batches are read here, in order.
        for (PageQueue& queue : queues) queue.Abandon();
        for (std::thread& reader : readers) reader.join();
        readers.clear();
    }
    if (readers.empty()) {
        IndexBuilder::PageNumberer numberer(builder);
        for (std::size_t k = 0; k < batches; ++k) index(readBatch(k, *readerFiles[0], numberer));
    } else {
        auto stopReaders = [&] {
            for (PageQueue& queue : queues) queue.Abandon();
            for (std::thread& reader : readers) reader.join();
        };
        try {
            std::vector<PageWords> batch;
            for (std::size_t k = 0; k < batches && queues[k % kReaders].Pop(batch); ++k) index(std::move(batch));
        } catch (...) {
            stopReaders();
            throw;
        }
        stopReaders();
    }
    // Straight from the sorted entries to the file: a list of them would be as large again.
    report.entries = builder.WriteIndexFile(dataSet);
    return report;
}

}  // namespace jb
