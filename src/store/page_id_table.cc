#include "store/page_id_table.h"

#include <bit>
#include <cstring>

namespace jb {

std::uint64_t PageIdTable::Key(const char* eightBytes) {
    std::uint64_t key;
    std::memcpy(&key, eightBytes, 8);
    return key;
}

std::size_t PageIdTable::Slot(std::uint64_t key) const {
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> shift_);
}

PageIdTable::PageIdTable(const std::vector<HeaderRecord>& records) {
    // Open addressing at most half full.
    const std::size_t capacity = std::bit_ceil(std::max<std::size_t>(16, records.size() * 2));
    shift_ = 64 - std::countr_zero(capacity);
    keys_.assign(capacity, 0);
    pages_.assign(capacity, -1);
    for (std::size_t n = 0; n < records.size(); ++n) {
        const std::uint64_t key = Key(records[n].id.data());
        std::size_t slot = Slot(key);
        while (pages_[slot] >= 0 && keys_[slot] != key) slot = (slot + 1) & (capacity - 1);
        if (pages_[slot] >= 0) continue;  // the first page with an ID wins
        keys_[slot] = key;
        pages_[slot] = static_cast<int>(n);
    }
}

int PageIdTable::Find(std::string_view id) const {
    const std::array<char, 8> field = IdField(id);
    const std::uint64_t key = Key(field.data());
    for (std::size_t slot = Slot(key);; slot = (slot + 1) & (keys_.size() - 1)) {
        if (pages_[slot] < 0) return -2;
        if (keys_[slot] == key) return pages_[slot];
    }
}

}  // namespace jb
