#include "store/word_index.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "store/dataset_lock.h"
#include "store/dataset_paths.h"
#include "store/io_error.h"
#include "store/memory_tuning.h"

namespace jb {

namespace {

constexpr unsigned char Fold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

constexpr bool IsWordChar(unsigned char c) {
    return c == '\'' || c == '`' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

constexpr bool IsSpace(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

bool IsUpper(unsigned char c) { return c >= 'A' && c <= 'Z'; }

bool HasUpper(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return IsUpper(static_cast<unsigned char>(c)); });
}

// Per byte: itself folded to lower case where it is kept in an index word, 0 where it is dropped.
constexpr std::array<char, 256> kIndexByte = [] {
    std::array<char, 256> table{};
    for (int c = 0; c < 256; ++c)
        if (IsWordChar(static_cast<unsigned char>(c))) table[static_cast<std::size_t>(c)] = static_cast<char>(Fold(static_cast<unsigned char>(c)));
    return table;
}();

constexpr std::array<bool, 256> kSpaceByte = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c) table[static_cast<std::size_t>(c)] = IsSpace(static_cast<unsigned char>(c));
    return table;
}();

constexpr std::size_t kIndexWordMax = 255;

// Puts IndexWordOf(word) at `out` (room for kIndexWordMax bytes) and returns its length.
std::size_t IndexWordInto(char* out, std::string_view word) {
    std::size_t n = 0;
    for (unsigned char c : word.substr(0, kIndexWordMax)) {
        out[n] = kIndexByte[c];
        n += out[n] != 0;
    }
    return n;
}

// Calls f(at, mask) for the line feeds of text[from, to): bit i of mask stands for text[at + i].
// A word's entries are short lines, so their ends are found 16 bytes at a time.
template <class F>
void ForEachNewlineMask(const char* text, std::size_t from, std::size_t to, F&& f) {
    std::size_t at = from;
#if defined(__SSE2__)
    const __m128i newline = _mm_set1_epi8('\n');
    for (; at + 16 <= to; at += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
        const auto mask = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, newline)));
        if (mask) f(at, mask);
    }
#endif
    for (; at < to; ++at)
        if (text[at] == '\n') f(at, std::uint32_t{1});
}

// The number of line feeds in text[from, to).
std::size_t CountNewlines(const char* text, std::size_t from, std::size_t to) {
    std::size_t count = 0;
    std::size_t at = from;
#if defined(__SSE2__)
    // Each 16 bytes' matches (0 or 1 a byte) summed into two 64-bit lanes.
    const __m128i newline = _mm_set1_epi8('\n'), one = _mm_set1_epi8(1), zero = _mm_setzero_si128();
    __m128i sums = zero;
    for (; at + 16 <= to; at += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
        sums = _mm_add_epi64(sums, _mm_sad_epu8(_mm_and_si128(_mm_cmpeq_epi8(bytes, newline), one), zero));
    }
    count = static_cast<std::size_t>(_mm_cvtsi128_si64(sums)) +
            static_cast<std::size_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums)));
#endif
    return count + static_cast<std::size_t>(std::count(text + at, text + to, '\n'));
}

// Compares the first prefix.size() bytes of `line` with `prefix`, folded.
int ComparePrefix(std::string_view line, std::string_view prefix) {
    return CompareEntries(line.substr(0, prefix.size()), prefix);
}

// Calls f(begin, length) for every line of a text; line ends are CR LF, LF or CR. A final line
// end does not start another line.
template <class F>
void SplitLines(std::string_view text, F&& f) {
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t start = i;
        while (i < text.size() && text[i] != '\r' && text[i] != '\n') ++i;
        f(start, i - start);
        if (i < text.size() && text[i] == '\r') ++i;
        if (i < text.size() && text[i] == '\n') ++i;
    }
}

std::string ReadWhole(File& file) {
    const std::size_t size = static_cast<std::size_t>(file.Size());
    std::string bytes;
    bytes.reserve(size);
    AdviseHugePages(bytes.data(), size);
    bytes.resize(size);
    file.ReadExactly(bytes.data(), bytes.size());
    return bytes;
}

}  // namespace

std::string KeepWordChars(std::string_view word) {
    word = word.substr(0, 255);
    std::string kept;
    kept.reserve(word.size());
    for (char c : word)
        if (IsWordChar(static_cast<unsigned char>(c))) kept += c;
    return kept;
}

std::string IndexWordOf(std::string_view word) {
    char w[kIndexWordMax];
    return std::string(w, IndexWordInto(w, word));
}

std::string_view EntryWord(std::string_view entry) {
    auto eq = entry.find('=');
    return eq == std::string_view::npos ? entry : entry.substr(0, eq);
}

std::string_view EntryWordPrefix(std::string_view entry, int n) {
    std::string_view word = EntryWord(entry);
    if (n > 0) word = word.substr(0, static_cast<std::size_t>(n - 1));
    return word;
}

int CompareEntries(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    std::size_t i = 0;
    while (i < n) {
        // Neighbouring entries share long beginnings: identical bytes are skipped 8 at a time,
        // and only bytes that differ are folded.
        for (std::uint64_t wa, wb; i + 8 <= n; i += 8) {
            std::memcpy(&wa, a.data() + i, 8);
            std::memcpy(&wb, b.data() + i, 8);
            if (wa != wb) break;
        }
        for (; i < n && a[i] == b[i]; ++i) {
        }
        if (i == n) break;
        unsigned char ca = Fold(static_cast<unsigned char>(a[i]));
        unsigned char cb = Fold(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
        ++i;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

// ---- WordIndex ------------------------------------------------------------------------------

namespace {

std::atomic<void (*)()> checkStartHook{nullptr};

// Reads `size` bytes at `offset` or says why not.
bool ReadAt(int fd, char* into, std::size_t size, std::size_t offset, std::string& error) {
    while (size > 0) {
        const ssize_t n = ::pread(fd, into, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = n < 0 ? std::strerror(errno) : "The index file became shorter while it was read";
            return false;
        }
        into += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

// The check of a mapped index file, on a thread of its own: reads the file through a small
// buffer (reading it through the mapping would make all of it resident) and finds how far it
// is in the form this program writes and sorted.
struct WordIndex::FileCheck {
    enum class Outcome { kFit, kUnfit, kFailed };
    static constexpr std::size_t kBuffer = std::size_t{1} << 20;

    int fd = -1;
    std::string path;
    std::size_t size = 0;
    std::thread thread;
    std::atomic<bool> stop{false};

    Outcome outcome = Outcome::kFit;
    std::size_t prefixEnd = 0;    // the end of the sorted part
    std::size_t prefixLines = 0;
    bool upper = false;           // some word of the file has a letter "A".."Z"
    std::string tail;             // the lines after the sorted part, each ended by CR LF
    std::string error;

    ~FileCheck() {
        stop = true;
        if (thread.joinable()) thread.join();
        if (fd >= 0) ::close(fd);
    }

    void Run() {
        try {
            // The window's start-up goes first.
            ::setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), 10);
            if (auto hook = checkStartHook.load()) hook();
            Scan();
        } catch (const std::exception& e) {
            outcome = Outcome::kFailed;
            error = e.what();
        }
    }

    void Scan() {
        std::vector<char> buf(kBuffer);
        std::size_t base = 0;  // the file offset of buf[0]
        std::size_t have = 0;  // bytes in buf
        std::size_t pos = 0;   // the next line's start in buf
        std::string prevCopy;
        std::string_view prev;
        bool havePrev = false;
        bool inTail = false;
        for (;;) {
            // One pass over the line: its word (up to "=" or the line end) is looked at for
            // capitals, and the first CR or LF after it must be a CR followed by LF.
            const char* line = buf.data() + pos;
            const char* limit = buf.data() + have;
            const char* q = line;
            bool capital = false;
            for (; q < limit && *q != '=' && *q != '\r' && *q != '\n'; ++q) capital |= IsUpper(static_cast<unsigned char>(*q));
            while (q < limit && *q != '\r' && *q != '\n') ++q;
            if (q + 1 >= limit) {  // the line end is not all in the buffer
                if (base + have == size) {
                    if (pos < have) outcome = Outcome::kUnfit;  // no line end at the end
                    break;
                }
                if (stop) return;
                if (havePrev && prev.data() != prevCopy.data()) {
                    prevCopy.assign(prev);
                    prev = prevCopy;
                }
                std::memmove(buf.data(), buf.data() + pos, have - pos);
                base += pos;
                have -= pos;
                pos = 0;
                if (have == buf.size()) {
                    if (buf.size() > kMaxLine + 2) {
                        outcome = Outcome::kUnfit;
                        break;
                    }
                    buf.resize(buf.size() * 2);
                }
                const std::size_t want = std::min(buf.size() - have, size - (base + have));
                if (!ReadAt(fd, buf.data() + have, want, base + have, error)) {
                    outcome = Outcome::kFailed;
                    return;
                }
                have += want;
                continue;
            }
            const std::size_t length = static_cast<std::size_t>(q - line);
            if (*q != '\r' || q[1] != '\n' || length == 0 || length > kMaxLine) {
                outcome = Outcome::kUnfit;
                break;
            }
            const std::size_t start = base + pos;
            pos += length + 2;
            const std::string_view current(line, length);
            upper |= capital;
            if (!inTail) {
                if (!havePrev || CompareEntries(prev, current) <= 0) {
                    ++prefixLines;
                    prev = current;
                    havePrev = true;
                    continue;
                }
                // A long tail would make a large run in memory, and the file is no longer one
                // this program keeps: it is read whole.
                if (size - start > size / 8) {
                    outcome = Outcome::kUnfit;
                    break;
                }
                inTail = true;
                prefixEnd = start;
                tail.reserve(size - start);
            }
            tail.append(line, length + 2);
        }
        if (!inTail) prefixEnd = size;
    }
};

void WordIndex::SetCheckStartHookForTests(void (*hook)()) { checkStartHook.store(hook); }

WordIndex::WordIndex() = default;

WordIndex::~WordIndex() { DropFile(); }

void WordIndex::DropFile() {
    check_.reset();
    if (file_) ::munmap(const_cast<char*>(file_), fileMapped_);
    file_ = nullptr;
    fileMapped_ = fileEnd_ = fileLines_ = 0;
}

void WordIndex::Clear() {
    DropFile();
    settled_.store(true, std::memory_order_release);
    failure_.clear();
    failurePath_.clear();
    text_.clear();
    text_.shrink_to_fit();
    extra_.clear();
    extra_.shrink_to_fit();
    runs_.clear();
    runs_.shrink_to_fit();
    fences_.clear();
    fences_.shrink_to_fit();
    size_ = 0;
    upperInWords_ = false;
}

void WordIndex::AssignFileText(std::string text) {
    Clear();
    TakeText(std::move(text));
}

void WordIndex::TakeText(std::string text) {
    text_ = std::move(text);
    std::vector<Ref> run;
    run.reserve(static_cast<std::size_t>(std::count(text_.begin(), text_.end(), '\n')) + 1);
    AdviseHugePages(run.data(), run.capacity() * sizeof(Ref));
    SplitLines(text_, [&](std::size_t start, std::size_t length) {
        if (length > kMaxLine) throw std::length_error("an index line is longer than 16 MiB");
        run.push_back((static_cast<Ref>(start) << 24) | length);
        if (!upperInWords_) upperInWords_ = HasUpper(EntryWord(std::string_view(text_).substr(start, length)));
    });
    run.shrink_to_fit();
    auto less = [this](Ref a, Ref b) { return CompareEntries(Line(a), Line(b)) < 0; };
    if (!std::is_sorted(run.begin(), run.end(), less)) std::stable_sort(run.begin(), run.end(), less);
    size_ = run.size();
    if (!run.empty()) {
        runs_.push_back(std::move(run));
        fences_.emplace_back();
        MakeFences(0);
    }
}

std::int64_t WordIndex::MapFile(const std::string& path) {
    Clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    const std::size_t size = static_cast<std::size_t>(st.st_size);
    if (size == 0) {
        ::close(fd);
        return 0;
    }
    void* map = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
    if (map == MAP_FAILED) {
        ::close(fd);
        return -1;
    }
    file_ = static_cast<const char*>(map);
    fileMapped_ = size;
    auto check = std::make_unique<FileCheck>();
    check->fd = fd;
    check->path = path;
    check->size = size;
    try {
        check->thread = std::thread([c = check.get()] { c->Run(); });
    } catch (...) {
        check.reset();
        DropFile();
        return -1;
    }
    check_ = std::move(check);
    settled_.store(false, std::memory_order_release);
    return static_cast<std::int64_t>(size);
}

void WordIndex::ReleaseFilePages(std::size_t passed) const {
    const std::size_t end = passed / kReleaseStep * kReleaseStep;
    if (end < 2 * kReleaseStep) return;
    // Clean pages of a read-only mapping of a file: nothing is lost, they only stop counting.
    ::madvise(const_cast<char*>(file_) + end - 2 * kReleaseStep, kReleaseStep, MADV_DONTNEED);
}

void WordIndex::ThrowFailure() const { throw IoError(failurePath_, failure_); }

void WordIndex::FinishCheck() {
    std::lock_guard<std::mutex> lock(checkMutex_);
    if (settled_.load(std::memory_order_acquire)) return;
    std::unique_ptr<FileCheck> check = std::move(check_);
    check->thread.join();
    const std::string path = check->path;
    std::string why;
    // Reads and sorts the file whole, as a file not in our form is.
    auto readWhole = [&] {
        std::string text;
        text.reserve(check->size);
        AdviseHugePages(text.data(), check->size);
        text.resize(check->size);
        if (!ReadAt(check->fd, text.data(), text.size(), 0, why)) return;
        check.reset();
        DropFile();
        text_.clear();
        extra_.clear();
        runs_.clear();
        fences_.clear();
        size_ = 0;
        upperInWords_ = false;
        try {
            TakeText(std::move(text));
        } catch (const std::length_error& e) {
            why = e.what();
        }
    };
    if (check->outcome == FileCheck::Outcome::kFailed) {
        why = check->error.empty() ? "The index file cannot be read" : check->error;
    } else if (check->outcome == FileCheck::Outcome::kUnfit) {
        readWhole();
    } else {
        fileEnd_ = check->prefixEnd;
        fileLines_ = check->prefixLines;
        upperInWords_ = check->upper;
        size_ = fileLines_;
        bool fits = true;
        if (!check->tail.empty()) {
            // The tail joins as a run of its own, unless one of its lines equals another line:
            // the file order of equal lines is kept only by sorting the file whole.
            extra_.assign(check->tail.begin(), check->tail.end());
            std::vector<Ref> run;
            SplitLines(std::string_view(extra_.data(), extra_.size()), [&](std::size_t start, std::size_t length) {
                run.push_back((static_cast<Ref>(text_.size() + start) << 24) | length);
            });
            auto less = [this](Ref a, Ref b) { return CompareEntries(Line(a), Line(b)) < 0; };
            std::stable_sort(run.begin(), run.end(), less);
            for (std::size_t i = 0; i < run.size() && fits; ++i)
                fits = (i == 0 || CompareEntries(Line(run[i - 1]), Line(run[i])) != 0) && !FileContains(Line(run[i]));
            if (fits) {
                size_ += run.size();
                runs_.push_back(std::move(run));
                fences_.emplace_back();
                MakeFences(0);
            } else {
                extra_.clear();
                extra_.shrink_to_fit();
            }
        }
        if (fits) check.reset();
        else readWhole();
    }
    if (!why.empty()) {
        check.reset();
        DropFile();
        text_.clear();
        text_.shrink_to_fit();
        extra_.clear();
        extra_.shrink_to_fit();
        runs_.clear();
        fences_.clear();
        size_ = 0;
        upperInWords_ = false;
        failurePath_ = path;
        failure_ = why;
    }
    settled_.store(true, std::memory_order_release);
}

namespace {

// The first 8 bytes of a line, folded, zero-padded, as one big-endian number: lines that compare
// below one another never have a greater key.
std::uint64_t KeyOf(std::string_view line) {
    std::uint64_t key = 0;
    for (std::size_t i = 0; i < 8; ++i) key = (key << 8) | (i < line.size() ? Fold(static_cast<unsigned char>(line[i])) : 0u);
    return key;
}

}  // namespace

void WordIndex::MakeFences(std::size_t r) {
    const std::vector<Ref>& run = runs_[r];
    std::vector<std::uint64_t>& fences = fences_[r];
    fences.clear();
    if (run.size() < kFenceMin) {
        fences.shrink_to_fit();
        return;
    }
    fences.reserve((run.size() + kFenceStep - 1) / kFenceStep);
    for (std::size_t i = 0; i < run.size(); i += kFenceStep) fences.push_back(KeyOf(Line(run[i])));
}

const WordIndex::Ref* WordIndex::LowerBound(std::size_t r, const Ref* from, std::string_view line) const {
    const std::vector<Ref>& run = runs_[r];
    const std::vector<std::uint64_t>& fences = fences_[r];
    const Ref* last = run.data() + run.size();
    if (!fences.empty()) {
        // Fences with a smaller key stand below the line, fences with a greater one above it.
        const std::uint64_t key = KeyOf(line);
        std::size_t below = static_cast<std::size_t>(std::lower_bound(fences.begin(), fences.end(), key) - fences.begin());
        std::size_t above = static_cast<std::size_t>(std::upper_bound(fences.begin() + below, fences.end(), key) - fences.begin());
        if (below > 0) from = std::max(from, run.data() + (below - 1) * kFenceStep + 1);
        if (above < fences.size()) last = run.data() + above * kFenceStep;
    }
    return std::lower_bound(from, last, line, [this](Ref a, std::string_view s) { return CompareEntries(Line(a), s) < 0; });
}

template <class Below>
std::size_t WordIndex::FileBound(std::size_t lo, Below below) const {
    std::size_t hi = fileEnd_;
    // lo and hi are line starts; lines before lo are below, the line at hi is not.
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        std::size_t start = mid;
        while (start > lo && file_[start - 1] != '\n') --start;
        const char* nl = static_cast<const char*>(std::memchr(file_ + start, '\n', hi - start));
        const std::size_t next = static_cast<std::size_t>(nl - file_) + 1;
        if (below(std::string_view(file_ + start, next - start - 2)))
            lo = next;
        else
            hi = start;
    }
    return lo;
}

bool WordIndex::FileContains(std::string_view line) const {
    if (fileEnd_ == 0) return false;
    const std::size_t at = FileBound(0, [&](std::string_view l) { return CompareEntries(l, line) < 0; });
    if (at == fileEnd_) return false;
    const char* nl = static_cast<const char*>(std::memchr(file_ + at, '\n', fileEnd_ - at));
    return CompareEntries(std::string_view(file_ + at, static_cast<std::size_t>(nl - 1 - (file_ + at))), line) == 0;
}

bool WordIndex::Contains(std::string_view line) const {
    Settle();
    if (FileContains(line)) return true;
    for (std::size_t r = 0; r < runs_.size(); ++r) {
        const Ref* it = LowerBound(r, runs_[r].data(), line);
        if (it != runs_[r].data() + runs_[r].size() && CompareEntries(Line(*it), line) == 0) return true;
    }
    return false;
}

bool WordIndex::Add(std::string_view line) {
    if (line.size() > kMaxLine) throw std::length_error("an index line is longer than 16 MiB");
    Settle();
    if (Contains(line)) return false;
    PushRun({Store(line)});
    return true;
}

WordIndex::Ref WordIndex::Store(std::string_view line) {
    // Grow by a quarter at a time rather than doubling, so that a list built by additions keeps
    // close to the size of its file.
    if (extra_.size() + line.size() > extra_.capacity())
        extra_.reserve(std::max(extra_.size() + line.size(), extra_.capacity() + extra_.capacity() / 4 + 4096));
    if (!upperInWords_) upperInWords_ = HasUpper(EntryWord(line));
    Ref r = (static_cast<Ref>(text_.size() + extra_.size()) << 24) | line.size();
    extra_.insert(extra_.end(), line.begin(), line.end());
    return r;
}

std::size_t WordIndex::AddAll(std::vector<std::string> lines) {
    for (const std::string& line : lines)
        if (line.size() > kMaxLine) throw std::length_error("an index line is longer than 16 MiB");
    Settle();
    std::stable_sort(lines.begin(), lines.end(),
                     [](const std::string& a, const std::string& b) { return CompareEntries(a, b) < 0; });
    // The first of each group of equal lines, then those not present in any run. The lines are
    // sorted, so each run is searched from where the previous line was found.
    std::vector<std::string_view> fresh;
    fresh.reserve(lines.size());
    for (const std::string& line : lines)
        if (fresh.empty() || CompareEntries(fresh.back(), line) != 0) fresh.push_back(line);
    if (fileEnd_ > 0) std::erase_if(fresh, [this](std::string_view line) { return FileContains(line); });
    for (std::size_t r = 0; r < runs_.size() && !fresh.empty(); ++r) {
        const Ref* it = runs_[r].data();
        const Ref* end = it + runs_[r].size();
        std::size_t kept = 0;
        for (std::string_view line : fresh) {
            it = LowerBound(r, it, line);
            if (it == end || CompareEntries(Line(*it), line) != 0) fresh[kept++] = line;
        }
        fresh.resize(kept);
    }
    if (fresh.empty()) return 0;
    std::vector<Ref> run;
    run.reserve(fresh.size());
    for (std::string_view line : fresh) run.push_back(Store(line));
    PushRun(std::move(run));
    return fresh.size();
}

void WordIndex::PushRun(std::vector<Ref> run) {
    size_ += run.size();
    runs_.push_back(std::move(run));
    fences_.emplace_back();
    auto less = [this](Ref a, Ref b) { return CompareEntries(Line(a), Line(b)) < 0; };
    while (runs_.size() >= 2 && kRunRatio * runs_.back().size() >= runs_[runs_.size() - 2].size()) {
        std::vector<Ref>& older = runs_[runs_.size() - 2];
        std::vector<Ref>& newer = runs_.back();
        std::vector<Ref> merged;
        merged.reserve(older.size() + newer.size());
        // Stable: lines of the older run that are equal to each other keep their order.
        std::merge(older.begin(), older.end(), newer.begin(), newer.end(), std::back_inserter(merged), less);
        older.swap(merged);
        runs_.pop_back();
        fences_.pop_back();
    }
    MakeFences(runs_.size() - 1);
}

std::vector<std::string> WordIndex::Lines() const {
    std::vector<std::string> lines;
    lines.reserve(Size());
    ForEach([&](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

std::string WordIndex::FileText() const {
    std::string text;
    text.reserve(fileEnd_ + text_.size() + extra_.size() + 2 * (Size() - fileLines_));
    ForEach([&](std::string_view line) {
        text.append(line);
        text.append("\r\n");
    });
    return text;
}

template <class F>
void WordIndex::VisitRange(std::string_view prefix, bool whole, std::vector<std::string_view>& ids, F&& f) const {
    Settle();
    auto compare = [&](std::string_view line) { return whole ? CompareEntries(line, prefix) : ComparePrefix(line, prefix); };
    auto below = [&](Ref r, std::string_view) { return compare(Line(r)) < 0; };
    auto above = [&](std::string_view, Ref r) { return compare(Line(r)) > 0; };
    std::size_t fileLo = 0, fileHi = 0;
    if (fileEnd_ > 0) {
        fileLo = FileBound(0, [&](std::string_view line) { return compare(line) < 0; });
        fileHi = FileBound(fileLo, [&](std::string_view line) { return compare(line) <= 0; });
    }
    std::vector<Span> spans;
    spans.reserve(runs_.size());
    for (const std::vector<Ref>& run : runs_) {
        const Ref* first = run.data();
        const Ref* last = first + run.size();
        const Ref* lo = std::lower_bound(first, last, prefix, below);
        const Ref* hi = std::upper_bound(lo, last, prefix, above);
        if (lo != hi) spans.push_back(Span{lo, hi});
    }
    std::size_t lines = CountNewlines(file_, fileLo, fileHi);
    for (const Span& span : spans) lines += static_cast<std::size_t>(span.last - span.first);
    ids.reserve(ids.size() + lines);
    // The file's lines end in CR LF.
    std::size_t lineStart = fileLo;
    ForEachNewlineMask(file_, fileLo, fileHi, [&](std::size_t at, std::uint32_t mask) {
        for (; mask; mask &= mask - 1) {
            const std::size_t newline = at + static_cast<std::size_t>(std::countr_zero(mask));
            f(std::string_view(file_ + lineStart, newline - 1 - lineStart));
            lineStart = newline + 1;
        }
    });
    for (const Span& span : spans)
        for (const Ref* r = span.first; r != span.last; ++r) f(Line(*r));
}

void WordIndex::WordIds(std::string_view word, std::vector<std::string_view>& ids) const {
    Settle();  // before upperInWords_ is looked at
    if (word.find('=') != std::string_view::npos) return;
    const bool foldedIsExact = !upperInWords_ && !HasUpper(word);
    // An entry without "=" whose whole text is the word sorts before every "word=..." entry.
    VisitRange(word, true, ids, [&](std::string_view line) {
        if (foldedIsExact || line == word) ids.push_back(line);
    });
    std::string withEquals(word);
    withEquals += '=';
    VisitRange(withEquals, false, ids, [&](std::string_view line) {
        if (foldedIsExact || line.substr(0, word.size()) == word) ids.push_back(line.substr(word.size() + 1));
    });
}

void WordIndex::PrefixIds(std::string_view prefix, std::vector<std::string_view>& ids) const {
    Settle();  // before upperInWords_ is looked at
    if (prefix.find('=') != std::string_view::npos) return;
    const bool foldedIsExact = !upperInWords_ && !HasUpper(prefix);
    VisitRange(prefix, false, ids, [&](std::string_view line) {
        if (foldedIsExact || line.substr(0, prefix.size()) == prefix)
            ids.push_back(line.size() > 8 ? line.substr(line.size() - 8) : line);
    });
}

std::size_t WordIndex::MemoryBytes() const {
    Settle();
    // The mapped file counts whole, though only the pages lookups touch are resident.
    std::size_t bytes = fileMapped_ + text_.capacity() + extra_.capacity() + runs_.capacity() * sizeof(std::vector<Ref>);
    for (const std::vector<Ref>& run : runs_) bytes += run.capacity() * sizeof(Ref);
    bytes += fences_.capacity() * sizeof(std::vector<std::uint64_t>);
    for (const std::vector<std::uint64_t>& fences : fences_) bytes += fences.capacity() * sizeof(std::uint64_t);
    return bytes;
}

// ---- StopWords ------------------------------------------------------------------------------

void StopWords::Refresh(const std::string& folder) {
    std::string path = folder + "Exclude.lst";
    std::int64_t size = files_.FileSize(path);
    std::error_code ec;
    std::chrono::file_clock::time_point time{};
    if (size >= 0) time = std::filesystem::last_write_time(path, ec);
    if (valid_ && path == path_ && size == size_ && time == time_) return;
    valid_ = false;
    words_.clear();
    if (size >= 0) {
        auto file = files_.Open(path, OpenMode::kRead);
        if (!file) throw IoError(path, "The stop-word list cannot be opened");
        std::string text = ReadWhole(*file);
        SplitLines(text, [&](std::size_t start, std::size_t length) {
            std::string word = text.substr(start, length);
            for (char& c : word) c = static_cast<char>(Fold(static_cast<unsigned char>(c)));
            words_.insert(std::move(word));
        });
    }
    path_ = path;
    size_ = size;
    time_ = time;
    valid_ = !ec;  // without a modification time the list is read again next time
}

bool StopWords::Contains(const std::string& folder, const std::string& word) {
    Refresh(folder);
    return ContainsCached(word);
}

// ---- Load, save, add ------------------------------------------------------------------------

void LoadIndex(IndexList& list, const std::string& dataSet) {
    const std::string path = CompanionPath(dataSet, ".idx");
    list.Entries().Clear();
    list.SetLoaded(false);
    list.SetLoadedFileSize(-1);
    // A file of the plain system is mapped, not read: the window shows its first page at once.
    if (&list.Files() == &FileSystem::Default()) {
        const std::int64_t size = list.Entries().MapFile(path);
        if (size >= 0) {
            list.SetLoadedFileSize(size);
            list.SetLoadedFromFile();
            return;
        }
    }
    auto file = list.Files().Open(path, OpenMode::kRead);
    if (!file) {
        if (list.Files().Exists(path)) throw IoError(path, "The index file cannot be opened");
    } else {
        try {
            list.SetLoadedFileSize(file->Size());
            list.Entries().AssignFileText(ReadWhole(*file));
        } catch (const std::length_error& e) {
            list.Entries().Clear();
            throw IoError(path, e.what());
        }
    }
    list.SetLoadedFromFile();
}

void SaveIndex(IndexList& list, const std::string& dataSet) {
    if (!list.Loaded()) return;
    if (list.MatchesFile()) {
        list.Entries().Clear();
        list.SetLoaded(false);
        return;
    }
    IndexFileWriter writer(list.Files(), dataSet);
    // Another program (jotterbase-cli add, import) may have added entries since the load: the
    // file's entries join the list, so that writing it drops none of them.
    const std::string path = CompanionPath(dataSet, ".idx");
    const std::int64_t nowSize = list.Files().Exists(path) ? list.Files().FileSize(path) : -1;
    if (!list.ReplacesFile() && nowSize != list.LoadedFileSize() && nowSize > 0) {
        auto file = list.Files().Open(path, OpenMode::kRead);
        if (!file) throw IoError(path, "The index file cannot be opened");
        WordIndex theirs;
        theirs.AssignFileText(ReadWhole(*file));
        list.Entries().AddAll(theirs.Lines());
    }
    list.Entries().ForEach([&](std::string_view line) { writer.AddLine(line); });
    writer.Commit();
    list.Entries().Clear();
    list.SetLoaded(false);
}

IndexFileWriter::IndexFileWriter(FileSystem& files, const std::string& dataSet)
    : files_(files),
      lock_(dataSet),
      path_(CompanionPath(dataSet, ".idx")),
      temp_(CompanionPath(dataSet, ".id1")),
      file_(files.Open(temp_, OpenMode::kCreate)) {
    if (!file_) throw IoError(path_, "The index file cannot be created");
    block_.reserve(kBlock + 1024);
}

IndexFileWriter::~IndexFileWriter() {
    if (committed_) return;
    {
        std::lock_guard lock(mutex_);
        full_.clear();  // not to be written: the file goes
    }
    StopWriting();
    file_.reset();
    files_.Remove(temp_);
}

void IndexFileWriter::StopWriting() {
    if (!writer_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        finishing_ = true;
    }
    changed_.notify_all();
    writer_.join();
}

void IndexFileWriter::WriteBlocks() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return !full_.empty() || finishing_; });
        if (full_.empty() || failure_) return;
        std::string block = std::move(full_.front());
        full_.erase(full_.begin());
        lock.unlock();
        std::exception_ptr failed;
        try {
            file_->Write(block.data(), block.size());
        } catch (...) {
            failed = std::current_exception();
        }
        lock.lock();
        if (failed) failure_ = failed;
        block.clear();
        spare_.push_back(std::move(block));
        changed_.notify_all();
        if (failure_) return;
    }
}

void IndexFileWriter::Flush() {
    if (!writer_.joinable() && !failure_) {
        try {
            writer_ = std::thread([this] { WriteBlocks(); });
        } catch (const std::system_error&) {
            // No thread to be had: written here.
            file_->Write(block_.data(), block_.size());
            block_.clear();
            return;
        }
    }
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return full_.size() < kWaitingBlocks || failure_; });
    if (failure_) std::rethrow_exception(failure_);
    full_.push_back(std::move(block_));
    if (spare_.empty()) {
        block_ = std::string();
        block_.reserve(kBlock + 1024);
    } else {
        block_ = std::move(spare_.back());
        spare_.pop_back();
    }
    changed_.notify_all();
}

void IndexFileWriter::Commit() {
    if (writer_.joinable()) {
        if (!block_.empty()) Flush();
        StopWriting();  // every block written first
        if (failure_) std::rethrow_exception(failure_);
    } else if (!block_.empty()) {
        file_->Write(block_.data(), block_.size());
    }
    file_->Sync();
    file_.reset();
    files_.Rename(temp_, path_);
    committed_ = true;
    files_.SyncFolder(path_);
}

std::vector<std::string> IndexWordsOf(std::string_view plainText, const StopWords& stops) {
    std::vector<std::string> words;
    char word[kIndexWordMax];
    const auto* at = reinterpret_cast<const unsigned char*>(plainText.data());
    const unsigned char* const end = at + plainText.size();
    while (at < end) {
        while (at < end && kSpaceByte[*at]) ++at;
        const unsigned char* const start = at;
        while (at < end && !kSpaceByte[*at]) ++at;
        if (at == start) break;
        const std::size_t n =
            IndexWordInto(word, std::string_view(reinterpret_cast<const char*>(start), static_cast<std::size_t>(at - start)));
        if (n <= 2) continue;
        std::string& kept = words.emplace_back(word, n);
        if (stops.ContainsCached(kept)) words.pop_back();
    }
    return words;
}

std::vector<std::string> PageEntries(StopWords& stops, const std::string& dataSet, std::string_view id,
                                     std::string_view plainText) {
    stops.Refresh(FolderOf(dataSet));
    std::vector<std::string> entries = IndexWordsOf(plainText, stops);
    for (std::string& entry : entries) entry += "=" + std::string(id);
    // The words are lower case and share the ID: entries equal in list order are the same entry.
    std::sort(entries.begin(), entries.end(),
              [](const std::string& a, const std::string& b) { return CompareEntries(a, b) < 0; });
    entries.erase(std::unique(entries.begin(), entries.end()), entries.end());
    return entries;
}

std::string EntryLines(const std::vector<std::string>& entries) {
    std::string lines;
    for (const std::string& entry : entries) {
        lines += entry;
        lines += "\r\n";
    }
    return lines;
}

IndexAppend PageEntriesAppend(StopWords& stops, const std::string& dataSet, std::string_view id,
                              std::string_view plainText) {
    IndexAppend append;
    try {
        append.text = EntryLines(PageEntries(stops, dataSet, id, plainText));
    } catch (const IoError& e) {
        append.error = e.what();
    }
    return append;
}

void AddPageWords(IndexList& list, const std::string& dataSet, std::string_view id, std::string_view plainText) {
    if (!list.Loaded()) LoadIndex(list, dataSet);
    list.Entries().AddAll(PageEntries(list.Stops(), dataSet, id, plainText));
}

}  // namespace jb
