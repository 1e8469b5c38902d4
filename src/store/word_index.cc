#include "store/word_index.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "store/dataset_lock.h"
#include "store/dataset_paths.h"
#include "store/io_error.h"
#include "store/memory_tuning.h"

namespace jb {

namespace {

inline unsigned char Fold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

bool IsWordChar(unsigned char c) {
    return c == '\'' || c == '`' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsSpace(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

bool IsUpper(unsigned char c) { return c >= 'A' && c <= 'Z'; }

bool HasUpper(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return IsUpper(static_cast<unsigned char>(c)); });
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
    std::string w = KeepWordChars(word);
    for (char& c : w) c = static_cast<char>(Fold(static_cast<unsigned char>(c)));
    return w;
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

void WordIndex::Clear() {
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

bool WordIndex::Contains(std::string_view line) const {
    for (std::size_t r = 0; r < runs_.size(); ++r) {
        const Ref* it = LowerBound(r, runs_[r].data(), line);
        if (it != runs_[r].data() + runs_[r].size() && CompareEntries(Line(*it), line) == 0) return true;
    }
    return false;
}

bool WordIndex::Add(std::string_view line) {
    if (line.size() > kMaxLine) throw std::length_error("an index line is longer than 16 MiB");
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
    std::stable_sort(lines.begin(), lines.end(),
                     [](const std::string& a, const std::string& b) { return CompareEntries(a, b) < 0; });
    // The first of each group of equal lines, then those not present in any run. The lines are
    // sorted, so each run is searched from where the previous line was found.
    std::vector<std::string_view> fresh;
    fresh.reserve(lines.size());
    for (const std::string& line : lines)
        if (fresh.empty() || CompareEntries(fresh.back(), line) != 0) fresh.push_back(line);
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
    text.reserve(text_.size() + extra_.size() + 2 * size_);
    ForEach([&](std::string_view line) {
        text.append(line);
        text.append("\r\n");
    });
    return text;
}

template <class F>
void WordIndex::VisitRange(std::string_view prefix, bool whole, std::vector<std::string_view>& ids, F&& f) const {
    auto below = [&](Ref r, std::string_view p) {
        return (whole ? CompareEntries(Line(r), p) : ComparePrefix(Line(r), p)) < 0;
    };
    auto above = [&](std::string_view p, Ref r) {
        return (whole ? CompareEntries(Line(r), p) : ComparePrefix(Line(r), p)) > 0;
    };
    std::vector<Span> spans;
    spans.reserve(runs_.size());
    for (const std::vector<Ref>& run : runs_) {
        const Ref* first = run.data();
        const Ref* last = first + run.size();
        const Ref* lo = std::lower_bound(first, last, prefix, below);
        const Ref* hi = std::upper_bound(lo, last, prefix, above);
        if (lo != hi) spans.emplace_back(lo, hi);
    }
    std::size_t lines = 0;
    for (const Span& span : spans) lines += static_cast<std::size_t>(span.second - span.first);
    ids.reserve(ids.size() + lines);
    for (const Span& span : spans)
        for (const Ref* r = span.first; r != span.second; ++r) f(Line(*r));
}

void WordIndex::WordIds(std::string_view word, std::vector<std::string_view>& ids) const {
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
    if (prefix.find('=') != std::string_view::npos) return;
    const bool foldedIsExact = !upperInWords_ && !HasUpper(prefix);
    VisitRange(prefix, false, ids, [&](std::string_view line) {
        if (foldedIsExact || line.substr(0, prefix.size()) == prefix)
            ids.push_back(line.size() > 8 ? line.substr(line.size() - 8) : line);
    });
}

std::size_t WordIndex::MemoryBytes() const {
    std::size_t bytes = text_.capacity() + extra_.capacity() + runs_.capacity() * sizeof(std::vector<Ref>);
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
    DataSetLock lock(dataSet);
    const std::string path = CompanionPath(dataSet, ".idx");
    const std::string temp = CompanionPath(dataSet, ".id1");
    // Another program (jotterbase-cli add, import) may have added entries since the load: the
    // file's entries join the list, so that writing it drops none of them.
    const std::int64_t nowSize = list.Files().Exists(path) ? list.Files().FileSize(path) : -1;
    if (!list.ReplacesFile() && nowSize != list.LoadedFileSize() && nowSize > 0) {
        auto file = list.Files().Open(path, OpenMode::kRead);
        if (!file) throw IoError(path, "The index file cannot be opened");
        WordIndex theirs;
        theirs.AssignFileText(ReadWhole(*file));
        list.Entries().AddAll(theirs.Lines());
    }
    {
        auto file = list.Files().Open(temp, OpenMode::kCreate);
        if (!file) throw IoError(path, "The index file cannot be created");
        try {
            std::string block;
            block.reserve(1 << 20);
            list.Entries().ForEach([&](std::string_view line) {
                block.append(line);
                block.append("\r\n");
                if (block.size() >= (1 << 20)) {
                    file->Write(block.data(), block.size());
                    block.clear();
                }
            });
            if (!block.empty()) file->Write(block.data(), block.size());
            file->Sync();
        } catch (...) {
            file.reset();
            list.Files().Remove(temp);
            throw;
        }
    }
    list.Files().Rename(temp, path);
    list.Files().SyncFolder(path);
    list.Entries().Clear();
    list.SetLoaded(false);
}

std::vector<std::string> IndexWordsOf(std::string_view plainText, const StopWords& stops) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < plainText.size()) {
        while (i < plainText.size() && IsSpace(static_cast<unsigned char>(plainText[i]))) ++i;
        std::size_t start = i;
        while (i < plainText.size() && !IsSpace(static_cast<unsigned char>(plainText[i]))) ++i;
        if (i == start) break;
        std::string word = IndexWordOf(plainText.substr(start, i - start));
        if (word.size() <= 2 || stops.ContainsCached(word)) continue;
        words.push_back(std::move(word));
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
