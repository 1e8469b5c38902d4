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
    slots_.assign(capacity, Entry{0, -1});
    for (std::size_t n = 0; n < records.size(); ++n) {
        const std::uint64_t key = Key(records[n].id.data());
        std::size_t slot = Slot(key);
        while (slots_[slot].page >= 0 && slots_[slot].key != key) slot = (slot + 1) & (capacity - 1);
        if (slots_[slot].page >= 0) continue;  // the first page with an ID wins
        slots_[slot] = Entry{key, static_cast<int>(n)};
    }
}

int PageIdTable::Find(std::string_view id) const {
    const std::array<char, 8> field = IdField(id);
    const std::uint64_t key = Key(field.data());
    for (std::size_t slot = Slot(key);; slot = (slot + 1) & (slots_.size() - 1)) {
        if (slots_[slot].page < 0) return -2;
        if (slots_[slot].key == key) return slots_[slot].page;
    }
}

void PageIdTable::Prefetch(std::string_view id) const {
    const std::array<char, 8> field = IdField(id);
    __builtin_prefetch(&slots_[Slot(Key(field.data()))]);
}

}  // namespace jb
