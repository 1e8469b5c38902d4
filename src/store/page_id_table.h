#pragma once
// Page numbers by page ID over one read of the header records: what FindPageById answers, in
// constant time per lookup, for code that looks up many IDs (search results, sorting).

#include <cstdint>
#include <string_view>
#include <vector>

#include "store/header_record.h"

namespace jb {

class PageIdTable {
public:
    explicit PageIdTable(const std::vector<HeaderRecord>& records);

    // The number of the first page whose ID equals the first 8 characters of `id`; -2 when
    // there is none (as FindPageById).
    int Find(std::string_view id) const;
    // Starts bringing the slot of `id` into the cache, for a Find a little later: lookups of
    // many IDs then overlap their waits for memory.
    void Prefetch(std::string_view id) const;

private:
    struct Entry {
        std::uint64_t key;
        int page;  // -1: empty slot
    };
    static std::uint64_t Key(const char* eightBytes);
    std::size_t Slot(std::uint64_t key) const;

    std::vector<Entry> slots_;  // key and page side by side: one cache line per lookup
    int shift_ = 0;
};

}  // namespace jb
