#include "store/index_builder.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

#include "store/dataset_lock.h"
#include "store/dataset_paths.h"
#include "store/io_error.h"

namespace jb {

namespace {

// Entries "word=ID" of different words compare as their "word=" parts do (no word holds "=", so
// neither part is a prefix of the other), and entries of one word compare as their IDs do. So
// sorting by (word, ID) is sorting by entry.

// The positions 0..n-1 ordered by less(a, b), stably.
template <class Less>
std::vector<std::uint32_t> StableOrder(std::size_t n, Less less) {
    std::vector<std::uint32_t> order(n);
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), less);
    return order;
}

}  // namespace

IndexBuilder::IndexBuilder(IndexList& list, const std::string& dataSet) : list_(list) {
    list_.Stops().Refresh(FolderOf(dataSet));
}

void IndexBuilder::AddPage(std::string_view id, std::string_view plainText) {
    AddWords(id, IndexWordsOf(plainText, list_.Stops()));
}

void IndexBuilder::AddWords(std::string_view id, std::vector<std::string> words) {
    if (ids_.size() >= UINT32_MAX) throw std::length_error("too many pages for one index");
    const auto page = static_cast<std::uint32_t>(ids_.size());
    for (std::string& word : words) {
        word += '=';
        auto [it, added] = wordNumbers_.try_emplace(std::move(word), static_cast<std::uint32_t>(wordKeys_.size()));
        if (added) {
            wordKeys_.push_back(&it->first);
            lastPage_.push_back(UINT32_MAX);
        }
        // Each word once per page: the page it was last taken for tells.
        if (lastPage_[it->second] != page) {
            lastPage_[it->second] = page;
            pageWords_.push_back(it->second);
        }
    }
    pageStarts_.push_back(pageWords_.size());
    ids_.emplace_back(id);
}

void IndexBuilder::Clear() {
    wordNumbers_.clear();
    wordKeys_.clear();
    lastPage_.clear();
    ids_.clear();
    pageWords_ = {};
    pageStarts_ = {0};
}

template <class Use>
void IndexBuilder::Sorted(Use&& use) {
    // Empty afterwards, whether `use` returns or throws.
    struct Emptied {
        IndexBuilder& builder;
        ~Emptied() { builder.Clear(); }
    } emptied{*this};
    // Words in entry order, and each word's rank in it.
    const std::vector<std::uint32_t> wordOrder = StableOrder(
        wordKeys_.size(), [&](std::uint32_t a, std::uint32_t b) { return CompareEntries(*wordKeys_[a], *wordKeys_[b]) < 0; });
    std::vector<std::uint32_t> wordRank(wordKeys_.size());
    for (std::uint32_t r = 0; r < wordOrder.size(); ++r) wordRank[wordOrder[r]] = r;
    // Pages in ID order; pages whose IDs are equal in that order keep page order and share a group.
    const std::vector<std::uint32_t> pageOrder =
        StableOrder(ids_.size(), [&](std::uint32_t a, std::uint32_t b) { return CompareEntries(ids_[a], ids_[b]) < 0; });
    std::vector<std::uint32_t> idGroup(pageOrder.size());
    for (std::size_t q = 1; q < pageOrder.size(); ++q)
        idGroup[q] = idGroup[q - 1] + (CompareEntries(ids_[pageOrder[q - 1]], ids_[pageOrder[q]]) != 0 ? 1 : 0);

    // Counting sort of the entries by word rank. Pages are visited in ID order, so each word's
    // bucket fills with page positions q in rising order: the bucket is sorted as it is made.
    std::vector<std::size_t> bucketStart(wordKeys_.size() + 1, 0);
    for (std::uint32_t w : pageWords_) ++bucketStart[wordRank[w] + 1];
    std::partial_sum(bucketStart.begin(), bucketStart.end(), bucketStart.begin());
    std::vector<std::uint32_t> bucketPages(pageWords_.size());
    {
        std::vector<std::size_t> next(bucketStart.begin(), bucketStart.end() - 1);
        for (std::uint32_t q = 0; q < pageOrder.size(); ++q) {
            const std::uint32_t p = pageOrder[q];
            for (std::size_t i = pageStarts_[p]; i < pageStarts_[p + 1]; ++i) bucketPages[next[wordRank[pageWords_[i]]]++] = q;
        }
    }
    pageWords_ = {};
    pageStarts_ = {0};

    // Of entries whose IDs are equal in entry order, only the first page's is kept: it was the
    // first given. They are neighbours in their bucket.
    auto walk = [&](auto&& f) {
        for (std::uint32_t r = 0; r < wordOrder.size(); ++r) {
            const std::string& key = *wordKeys_[wordOrder[r]];
            for (std::size_t i = bucketStart[r]; i < bucketStart[r + 1]; ++i)
                if (i == bucketStart[r] || idGroup[bucketPages[i]] != idGroup[bucketPages[i - 1]]) f(key, ids_[pageOrder[bucketPages[i]]]);
        }
    };
    use(walk);
}

std::size_t IndexBuilder::WriteIndexFile(const std::string& dataSet) {
    // An ID holding a line break makes more than one line of its entry, which the list sorts as
    // lines of their own: such a list is written the list's way, so the file's bytes stay the same.
    for (const std::string& id : ids_)
        if (id.find_first_of("\r\n") != std::string::npos) {
            const std::size_t entries = Finish();
            SaveIndex(list_, dataSet);
            return entries;
        }
    // As SaveIndex writes a rebuilt list: beside the index file as ".id1", then renamed over it.
    FileSystem& files = list_.Files();
    DataSetLock lock(dataSet);
    const std::string path = CompanionPath(dataSet, ".idx");
    const std::string temp = CompanionPath(dataSet, ".id1");
    std::size_t entries = 0;
    {
        auto file = files.Open(temp, OpenMode::kCreate);
        if (!file) {
            Clear();
            throw IoError(path, "The index file cannot be created");
        }
        try {
            constexpr std::size_t kBlock = std::size_t{1} << 20;
            std::string block;
            block.reserve(kBlock + 1024);
            Sorted([&](auto& walk) {
                walk([&](const std::string& key, const std::string& id) {
                    block += key;
                    block += id;
                    block += "\r\n";
                    ++entries;
                    if (block.size() >= kBlock) {
                        file->Write(block.data(), block.size());
                        block.clear();
                    }
                });
            });
            if (!block.empty()) file->Write(block.data(), block.size());
            file->Sync();
        } catch (...) {
            file.reset();
            files.Remove(temp);
            throw;
        }
    }
    files.Rename(temp, path);
    list_.Entries().Clear();
    list_.SetLoaded(false);
    return entries;
}

std::size_t IndexBuilder::Finish() {
    std::string text;
    Sorted([&](auto& walk) {
        // The text is made in two walks (its size, then its bytes), so that it is allocated once.
        std::size_t bytes = 0;
        walk([&](const std::string& key, const std::string& id) { bytes += key.size() + id.size() + 2; });
        text.reserve(bytes);
        walk([&](const std::string& key, const std::string& id) {
            text += key;
            text += id;
            text += "\r\n";
        });
    });
    list_.Entries().AssignFileText(std::move(text));
    list_.SetLoaded(true);
    return list_.Entries().Size();
}

}  // namespace jb
