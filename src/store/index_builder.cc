#include "store/index_builder.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
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

// A hash of a word's bytes, 8 at a time.
std::uint64_t WordTable::Hash(std::string_view word) {
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ word.size();
    std::size_t i = 0;
    for (; i + 8 <= word.size(); i += 8) {
        std::uint64_t v;
        std::memcpy(&v, word.data() + i, 8);
        h = (h ^ v) * 0xBF58476D1CE4E5B9ull;
        h ^= h >> 29;
    }
    std::uint64_t v = 0;
    std::memcpy(&v, word.data() + i, word.size() - i);
    h = (h ^ v) * 0x94D049BB133111EBull;
    return h ^ (h >> 32);
}

void WordTable::Grow() {
    // Made twice as large, every word placed again.
    std::vector<std::uint64_t> slots(std::max<std::size_t>(1024, slots_.size() * 2), 0);
    const std::size_t mask = slots.size() - 1;
    for (std::uint64_t s : slots_) {
        if (s == 0) continue;
        const std::string& key = keys_[(s & 0xFFFFFFFFu) - 1];
        std::size_t slot = Hash(std::string_view(key.data(), key.size() - suffix_.size())) & mask;
        while (slots[slot] != 0) slot = (slot + 1) & mask;
        slots[slot] = s;
    }
    slots_.swap(slots);
}

std::uint32_t WordTable::Number(std::string& word, std::uint64_t hash, bool& added) {
    if ((keys_.size() + 1) * 2 > slots_.size()) Grow();
    const std::uint64_t tag = hash & 0xFFFFFFFF00000000ull;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const std::uint64_t s = slots_[slot];
        if (s == 0) {
            const auto number = static_cast<std::uint32_t>(keys_.size());
            word += suffix_;
            keys_.push_back(std::move(word));
            slots_[slot] = tag | (number + 1u);
            added = true;
            return number;
        }
        if ((s & 0xFFFFFFFF00000000ull) != tag) continue;
        const std::string& key = keys_[(s & 0xFFFFFFFFu) - 1];
        if (key.size() == word.size() + suffix_.size() && std::memcmp(key.data(), word.data(), word.size()) == 0)
            return static_cast<std::uint32_t>((s & 0xFFFFFFFFu) - 1);
    }
}

void WordTable::Clear() {
    keys_.clear();
    slots_.clear();
}

void IndexBuilder::AddWords(std::string_view id, std::vector<std::string> words) {
    if (ids_.size() >= UINT32_MAX) throw std::length_error("too many pages for one index");
    const auto page = static_cast<std::uint32_t>(ids_.size());
    for (std::string& word : words) {
        bool added = false;  // lastPage_ grows with the table either way
        const std::uint32_t number = words_.Number(word, WordTable::Hash(word), added);
        if (number >= lastPage_.size()) lastPage_.resize(number + 1, UINT32_MAX);
        // Each word once per page: the page it was last taken for tells.
        if (lastPage_[number] != page) {
            lastPage_[number] = page;
            pageWords_.push_back(number);
        }
    }
    pageStarts_.push_back(pageWords_.size());
    ids_.emplace_back(id);
}

void IndexBuilder::ReserveEntries(std::size_t entries) {
    try {
        pageWords_.reserve(entries);
    } catch (const std::bad_alloc&) {
        // Not to be had at once (a small machine): the entries make their room as they come.
    }
}

std::vector<std::uint32_t> IndexBuilder::PageNumberer::NumbersOf(std::vector<std::string> words) {
    ++page_;
    std::vector<std::uint32_t> numbers;
    numbers.reserve(words.size());
    for (std::string& word : words) {
        const std::uint64_t hash = WordTable::Hash(word);
        bool added = false;
        const std::uint32_t known = known_.Number(word, hash, added);
        if (added) {
            std::string copy = known_.Key(known);
            std::lock_guard lock(builder_.tableLock_);
            bool ignored = false;
            numbers_.push_back(builder_.words_.Number(copy, hash, ignored));
            lastPage_.push_back(0);
        }
        if (lastPage_[known] != page_) {
            lastPage_[known] = page_;
            numbers.push_back(numbers_[known]);
        }
    }
    return numbers;
}

void IndexBuilder::AddNumbers(std::string_view id, const std::vector<std::uint32_t>& numbers) {
    if (ids_.size() >= UINT32_MAX) throw std::length_error("too many pages for one index");
    pageWords_.insert(pageWords_.end(), numbers.begin(), numbers.end());
    pageStarts_.push_back(pageWords_.size());
    ids_.emplace_back(id);
}

void IndexBuilder::Clear() {
    words_.Clear();
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
        words_.Size(), [&](std::uint32_t a, std::uint32_t b) { return CompareEntries(words_.Key(a), words_.Key(b)) < 0; });
    std::vector<std::uint32_t> wordRank(words_.Size());
    for (std::uint32_t r = 0; r < wordOrder.size(); ++r) wordRank[wordOrder[r]] = r;
    // Pages in ID order; pages whose IDs are equal in that order keep page order and share a group.
    const std::vector<std::uint32_t> pageOrder =
        StableOrder(ids_.size(), [&](std::uint32_t a, std::uint32_t b) { return CompareEntries(ids_[a], ids_[b]) < 0; });
    std::vector<std::uint32_t> idGroup(pageOrder.size());
    for (std::size_t q = 1; q < pageOrder.size(); ++q)
        idGroup[q] = idGroup[q - 1] + (CompareEntries(ids_[pageOrder[q - 1]], ids_[pageOrder[q]]) != 0 ? 1 : 0);

    // Counting sort of the entries by word rank. Pages are visited in ID order, so each word's
    // bucket fills with page positions q in rising order: the bucket is sorted as it is made.
    std::vector<std::size_t> bucketStart(words_.Size() + 1, 0);
    for (std::uint32_t w : pageWords_) ++bucketStart[wordRank[w] + 1];
    std::partial_sum(bucketStart.begin(), bucketStart.end(), bucketStart.begin());
    // Every element is written by the scatter below: not zeroed first (at a million pages, half a
    // gigabyte).
    const std::unique_ptr<std::uint32_t[]> bucketPages = std::make_unique_for_overwrite<std::uint32_t[]>(pageWords_.size());
    {
        std::vector<std::size_t> next(bucketStart.begin(), bucketStart.end() - 1);
        for (std::uint32_t q = 0; q < pageOrder.size(); ++q) {
            const std::uint32_t p = pageOrder[q];
            for (std::size_t i = pageStarts_[p]; i < pageStarts_[p + 1]; ++i) bucketPages[next[wordRank[pageWords_[i]]]++] = q;
        }
    }
    pageWords_ = {};
    pageStarts_ = {0};

    // The IDs in ID order, one after another: the walk reads each entry's from this one table.
    std::string idBytes;
    std::vector<std::size_t> idStart(pageOrder.size() + 1, 0);
    for (std::uint32_t q = 0; q < pageOrder.size(); ++q) {
        idBytes += ids_[pageOrder[q]];
        idStart[q + 1] = idBytes.size();
    }
    const bool sharedIds = !idGroup.empty() && idGroup.back() + 1 != idGroup.size();

    // Of entries whose IDs are equal in entry order, only the first page's is kept: it was the
    // first given. They are neighbours in their bucket.
    auto walk = [&](auto&& f) {
        for (std::uint32_t r = 0; r < wordOrder.size(); ++r) {
            const std::string& key = words_.Key(wordOrder[r]);
            for (std::size_t i = bucketStart[r]; i < bucketStart[r + 1]; ++i) {
                const std::uint32_t q = bucketPages[i];
                if (sharedIds && i != bucketStart[r] && idGroup[q] == idGroup[bucketPages[i - 1]]) continue;
                f(key, std::string_view(idBytes.data() + idStart[q], idStart[q + 1] - idStart[q]));
            }
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
    std::size_t entries = 0;
    try {
        IndexFileWriter writer(list_.Files(), dataSet);
        Sorted([&](auto& walk) {
            walk([&](const std::string& key, std::string_view id) {
                writer.AddLine(key, id);
                ++entries;
            });
        });
        writer.Commit();
    } catch (...) {
        Clear();
        throw;
    }
    list_.Entries().Clear();
    list_.SetLoaded(false);
    return entries;
}

std::size_t IndexBuilder::Finish() {
    std::string text;
    Sorted([&](auto& walk) {
        // The text is made in two walks (its size, then its bytes), so that it is allocated once.
        std::size_t bytes = 0;
        walk([&](const std::string& key, std::string_view id) { bytes += key.size() + id.size() + 2; });
        text.reserve(bytes);
        walk([&](const std::string& key, std::string_view id) {
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
