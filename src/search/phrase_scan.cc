#include "search/phrase_scan.h"

#include <string.h>

#include <algorithm>
#include <numeric>

#include "store/page_store.h"

namespace jb::search {

namespace {

void FoldUpper(char* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        bytes[i] = static_cast<char>(static_cast<unsigned>(c - 'a') < 26u ? c - 32 : c);
    }
}

}  // namespace

std::vector<int> ScanPhrase(File& dataFile, const std::vector<HeaderRecord>& headers, std::string_view phrase,
                            const std::string& dataSet, std::size_t blockSize) {
    const std::int64_t fileSize = dataFile.Size();
    std::vector<int> order;
    order.reserve(headers.size());
    for (std::size_t n = 0; n < headers.size(); ++n) {
        if (headers[n].IsDeleted()) continue;
        CheckBodyBounds(headers[n], static_cast<int>(n), fileSize, dataSet);
        order.push_back(static_cast<int>(n));
    }
    std::vector<int> found;
    if (phrase.empty()) {
        found.resize(headers.size());
        std::iota(found.begin(), found.end(), 0);
        return found;
    }
    std::string upper(phrase);
    FoldUpper(upper.data(), upper.size());

    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return headers[a].start < headers[b].start; });
    std::string window;
    std::int64_t windowStart = 0;
    std::int64_t windowEnd = 0;
    for (int n : order) {
        const std::int64_t start = headers[n].start;
        const std::int64_t end = headers[n].end;
        if (start < windowStart || end > windowEnd) {
            std::int64_t length = std::max<std::int64_t>(static_cast<std::int64_t>(blockSize), end - start);
            length = std::min(length, fileSize - start);
            window.resize(static_cast<std::size_t>(length));
            dataFile.Seek(start);
            dataFile.ReadExactly(window.data(), window.size());
            FoldUpper(window.data(), window.size());
            windowStart = start;
            windowEnd = start + length;
        }
        const char* body = window.data() + (start - windowStart);
        std::size_t size = static_cast<std::size_t>(end - start);
        if (const void* zero = memchr(body, 0, size)) size = static_cast<std::size_t>(static_cast<const char*>(zero) - body);
        if (size >= upper.size() && memmem(body, size, upper.data(), upper.size())) found.push_back(n);
    }
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace jb::search
