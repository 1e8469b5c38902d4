#include "search/phrase_scan.h"

#include <string.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <numeric>
#include <system_error>
#include <thread>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "store/page_store.h"

namespace jb::search {

PhraseFinder::PhraseFinder(std::string_view phrase) : lower_(phrase), caseBits_(phrase.size(), 0) {
    for (std::size_t i = 0; i < lower_.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(lower_[i]);
        const unsigned char folded = static_cast<unsigned>(c - 'A') < 26u ? static_cast<unsigned char>(c + 32) : c;
        lower_[i] = static_cast<char>(folded);
        // A letter's two cases differ only in bit 0x20, and no other byte gives the same value
        // with that bit set: so (byte | 0x20) == lower letter is a case-blind comparison.
        if (static_cast<unsigned>(folded - 'a') < 26u) caseBits_[i] = 0x20;
    }
}

namespace {

// Whether the phrase (folded to lower case, with the 0x20 bits of its letters) starts at `at`.
inline bool MatchesAt(const char* at, const char* lower, const char* caseBits, std::size_t m) {
    std::size_t i = 0;
    for (; i + 8 <= m; i += 8) {
        std::uint64_t bytes, bits, want;
        memcpy(&bytes, at + i, 8);
        memcpy(&bits, caseBits + i, 8);
        memcpy(&want, lower + i, 8);
        if ((bytes | bits) != want) return false;
    }
    for (; i < m; ++i)
        if ((static_cast<unsigned char>(at[i]) | static_cast<unsigned char>(caseBits[i])) != static_cast<unsigned char>(lower[i]))
            return false;
    return true;
}

constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

// The first position from `i` on where the phrase starts, one position at a time.
std::size_t FindPlain(const char* text, std::size_t positions, std::size_t i, const char* lower, const char* caseBits,
                      std::size_t m) {
#if !defined(__SSE2__)
    // Without vectors: the first byte in either case by memchr, then the whole phrase.
    const char firstLower = lower[0];
    const char firstUpper = caseBits[0] ? static_cast<char>(firstLower - 32) : firstLower;
    while (i < positions) {
        const char* a = static_cast<const char*>(memchr(text + i, firstLower, positions - i));
        const char* b = firstUpper == firstLower ? nullptr : static_cast<const char*>(memchr(text + i, firstUpper, positions - i));
        const char* at = !a ? b : !b ? a : std::min(a, b);
        if (!at) return kNotFound;
        if (MatchesAt(at, lower, caseBits, m)) return static_cast<std::size_t>(at - text);
        i = static_cast<std::size_t>(at - text) + 1;
    }
#endif
    for (; i < positions; ++i)
        if (MatchesAt(text + i, lower, caseBits, m)) return i;
    return kNotFound;
}

#if defined(__SSE2__)
// Candidates are the positions whose first and last bytes match the phrase's, 16 positions at
// a time; only those are compared whole.
std::size_t FindSse2(const char* text, std::size_t positions, const char* lower, const char* caseBits, std::size_t m) {
    const __m128i first = _mm_set1_epi8(lower[0]);
    const __m128i firstBits = _mm_set1_epi8(caseBits[0]);
    const __m128i last = _mm_set1_epi8(lower[m - 1]);
    const __m128i lastBits = _mm_set1_epi8(caseBits[m - 1]);
    auto candidates = [&](std::size_t at) {
        const __m128i a = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at)), firstBits);
        const __m128i b = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at + m - 1)), lastBits);
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
    };
    std::size_t i = 0;
    for (; i + 32 <= positions; i += 32) {
        const unsigned low = candidates(i);
        const unsigned high = candidates(i + 16);
        if ((low | high) == 0) continue;
        for (std::uint32_t mask = low | (high << 16); mask != 0; mask &= mask - 1) {
            const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(mask));
            if (MatchesAt(text + at, lower, caseBits, m)) return at;
        }
    }
    for (; i + 16 <= positions; i += 16)
        for (unsigned mask = candidates(i); mask != 0; mask &= mask - 1) {
            const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(mask));
            if (MatchesAt(text + at, lower, caseBits, m)) return at;
        }
    if (i < positions && positions >= 16) {
        // The last positions: one more step ending at the last, less those already looked at.
        const std::size_t from = positions - 16;
        for (unsigned mask = candidates(from) & (~0u << (i - from)); mask != 0; mask &= mask - 1) {
            const std::size_t at = from + static_cast<std::size_t>(__builtin_ctz(mask));
            if (MatchesAt(text + at, lower, caseBits, m)) return at;
        }
        return kNotFound;
    }
    return FindPlain(text, positions, i, lower, caseBits, m);
}
#endif

#if defined(__x86_64__) && defined(__GNUC__)
#define JB_PHRASE_AVX2 1
// The same 32 positions at a time, on processors that have AVX2.
__attribute__((target("avx2"))) std::size_t FindAvx2(const char* text, std::size_t positions, const char* lower,
                                                     const char* caseBits, std::size_t m) {
    const __m256i first = _mm256_set1_epi8(lower[0]);
    const __m256i firstBits = _mm256_set1_epi8(caseBits[0]);
    const __m256i last = _mm256_set1_epi8(lower[m - 1]);
    const __m256i lastBits = _mm256_set1_epi8(caseBits[m - 1]);
    auto candidates = [&](std::size_t at) __attribute__((target("avx2"))) {
        const __m256i a = _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + at)), firstBits);
        const __m256i b = _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + at + m - 1)), lastBits);
        return static_cast<std::uint32_t>(
            _mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi8(a, first), _mm256_cmpeq_epi8(b, last))));
    };
    std::size_t i = 0;
    for (; i + 64 <= positions; i += 64) {
        const std::uint64_t low = candidates(i);
        const std::uint64_t high = candidates(i + 32);
        if ((low | high) == 0) continue;
        for (std::uint64_t mask = low | (high << 32); mask != 0; mask &= mask - 1) {
            const std::size_t at = i + static_cast<std::size_t>(__builtin_ctzll(mask));
            if (MatchesAt(text + at, lower, caseBits, m)) return at;
        }
    }
    for (; i + 32 <= positions; i += 32)
        for (std::uint32_t mask = candidates(i); mask != 0; mask &= mask - 1) {
            const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(mask));
            if (MatchesAt(text + at, lower, caseBits, m)) return at;
        }
    if (i < positions && positions >= 32) {
        // The last positions: one more step ending at the last, less those already looked at.
        const std::size_t from = positions - 32;
        for (std::uint32_t mask = candidates(from) & (~0u << (i - from)); mask != 0; mask &= mask - 1) {
            const std::size_t at = from + static_cast<std::size_t>(__builtin_ctz(mask));
            if (MatchesAt(text + at, lower, caseBits, m)) return at;
        }
        return kNotFound;
    }
    const std::size_t rest = FindSse2(text + i, positions - i, lower, caseBits, m);  // fewer than 32
    return rest == kNotFound ? kNotFound : i + rest;
}

bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

}  // namespace

std::size_t PhraseFinder::Find(const char* text, std::size_t size) const {
    const std::size_t m = lower_.size();
    if (m == 0) return 0;
    if (size < m) return kNotFound;
    const std::size_t positions = size - m + 1;  // where the phrase may start
#if defined(JB_PHRASE_AVX2)
    if (HasAvx2() && !forceSse2_) return FindAvx2(text, positions, lower_.data(), caseBits_.data(), m);
#endif
#if defined(__SSE2__)
    return FindSse2(text, positions, lower_.data(), caseBits_.data(), m);
#else
    return FindPlain(text, positions, 0, lower_.data(), caseBits_.data(), m);
#endif
}

bool PhraseFinder::In(const char* text, std::size_t size) const { return Find(text, size) != kNotFound; }

bool PhraseFinder::InUpToZero(const char* text, std::size_t size) const {
    // Zero bytes are rare: the whole text is searched, and only the first match is checked for
    // one before its end. A later match ends later still, so it cannot do better.
    const std::size_t at = Find(text, size);
    return at != kNotFound && !memchr(text, 0, at + lower_.size());
}

namespace {

// A stretch of the data file read at once and the bodies (positions in the start order) lying
// wholly inside it.
struct Window {
    std::int64_t start;
    std::int64_t length;
    std::size_t firstBody;
    std::size_t endBody;
};

}  // namespace

std::vector<int> ScanPhrase(File& dataFile, const std::vector<HeaderRecord>& headers, std::string_view phrase,
                            const std::string& dataSet, std::size_t blockSize, int threads,
                            const std::function<std::unique_ptr<File>()>& openAnother) {
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
    const PhraseFinder finder(phrase);

    // Bodies in the order of their offsets, gathered into windows of at least blockSize bytes,
    // each starting at a body and taking it whole.
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return headers[a].start < headers[b].start; });
    std::vector<Window> windows;
    std::int64_t bytes = 0;
    std::size_t largest = 0;
    for (std::size_t k = 0; k < order.size(); ++k) {
        const HeaderRecord& h = headers[static_cast<std::size_t>(order[k])];
        if (windows.empty() || h.end > windows.back().start + windows.back().length) {
            std::int64_t length = std::max<std::int64_t>(static_cast<std::int64_t>(blockSize), h.end - h.start);
            length = std::min(length, fileSize - h.start);
            windows.push_back({h.start, length, k, k});
            bytes += length;
            largest = std::max(largest, static_cast<std::size_t>(length));
        }
        windows.back().endBody = k + 1;
    }

    // Each window is read and then searched. Threads sharing dataFile read it under its lock,
    // so that one reads while another searches; a thread with a file of its own reads at once.
    if (threads <= 0) {
        const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
        threads = bytes >= kPhraseThreadBytes ? static_cast<int>(std::min(cores, 4u)) : 1;
    }
    threads = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(threads), windows.size()));
    std::mutex fileLock;
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr failure;
    std::vector<std::vector<int>> foundBy(static_cast<std::size_t>(std::max(threads, 1)));
    auto work = [&](std::vector<int>& hits, File* own) {
        try {
            std::unique_ptr<char[]> buffer(new char[largest]);
            for (std::size_t w; !failed && (w = next++) < windows.size();) {
                const Window& window = windows[w];
                if (own) {
                    own->Seek(window.start);
                    own->ReadExactly(buffer.get(), static_cast<std::size_t>(window.length));
                } else {
                    std::lock_guard lock(fileLock);
                    dataFile.Seek(window.start);
                    dataFile.ReadExactly(buffer.get(), static_cast<std::size_t>(window.length));
                }
                for (std::size_t k = window.firstBody; k < window.endBody; ++k) {
                    const HeaderRecord& h = headers[static_cast<std::size_t>(order[k])];
                    const char* body = buffer.get() + (h.start - window.start);
                    if (finder.InUpToZero(body, static_cast<std::size_t>(h.end - h.start))) hits.push_back(order[k]);
                }
            }
        } catch (...) {
            std::lock_guard lock(fileLock);
            if (!failure) failure = std::current_exception();
            failed = true;
        }
    };
    if (threads <= 1) {
        work(foundBy[0], nullptr);
    } else {
        // The helpers' own files, opened here: a file system's calls are made from one thread.
        std::vector<std::unique_ptr<File>> own(static_cast<std::size_t>(threads));
        if (openAnother)
            for (std::size_t t = 1; t < own.size(); ++t) own[t] = openAnother();
        std::vector<std::thread> helpers;
        try {
            for (std::size_t t = 1; t < own.size(); ++t) helpers.emplace_back(work, std::ref(foundBy[t]), own[t].get());
        } catch (const std::system_error&) {
            // No more threads to be had: those started and this one share the windows.
        }
        work(foundBy[0], nullptr);
        for (std::thread& t : helpers) t.join();
    }
    if (failure) std::rethrow_exception(failure);
    for (const std::vector<int>& hits : foundBy) found.insert(found.end(), hits.begin(), hits.end());
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace jb::search
