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

private:
    static std::uint64_t Key(const char* eightBytes);
    std::size_t Slot(std::uint64_t key) const;

    std::vector<std::uint64_t> keys_;
    std::vector<int> pages_;  // -1: empty slot
    int shift_ = 0;
};

}  // namespace jb
